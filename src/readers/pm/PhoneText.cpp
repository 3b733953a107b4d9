#include "readers/pm/PhoneText.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "core/Ascii.h"

namespace kestrel::pm {

namespace {

// How a two-byte character's low byte becomes a windows-1251 character when its high byte is 0.
enum class LatinForm {
  kName,     // appendWideText: control characters become spaces
  kGeneral,  // readPhoneText: control characters stay, "|" becomes a space
};

// The last position of a text of n bytes at start, cut at the record's end; -1 for no text.
std::ptrdiff_t lastInside(ByteView record, std::ptrdiff_t start, std::ptrdiff_t n) {
  if (n <= 0 || start >= record.size()) return -1;
  // Computed without start + n, which a hostile n could overflow.
  const std::ptrdiff_t last = n > record.size() - start ? record.size() - 1 : start + n - 1;
  return last < 0 ? -1 : last;
}

// The windows-1251 character of a two-byte character by its low byte: one table for high byte
// 0 in each LatinForm, one for high byte 4. Low bytes of 9 or less yield nothing, so their
// entries are never used.
struct CharacterTables {
  std::array<char, 256> latinName{};
  std::array<char, 256> latinGeneral{};
  std::array<char, 256> cyrillic{};
};

constexpr CharacterTables makeCharacterTables() {
  CharacterTables t;
  for (int lo = 0; lo < 256; ++lo) {
    const auto c = static_cast<char>(lo);
    t.latinName[lo] = lo == 0xA1 ? static_cast<char>(0xE5) : lo < 32 ? ' ' : c;
    t.latinGeneral[lo] = lo == 0xA1 ? static_cast<char>(0xE5) : lo == '|' ? ' ' : c;
    // ё (U+0451) is written as е; Ё (U+0401) has a low byte of 1 and yields nothing.
    t.cyrillic[lo] = static_cast<char>(static_cast<std::uint8_t>((lo == 0x51 ? 0x35 : lo) + 176));
  }
  return t;
}

constexpr CharacterTables kCharacters = makeCharacterTables();

// Appends the decoded text to `out`. Every position yields at most one character from its own
// byte and the one before it, so the walk goes forward through a buffer of one character per
// position, cut to what was written. Each position writes its character and keeps it only when
// it counts: no branch on the bytes, which alternate between characters and the places that
// straddle two.
void appendTwoByte(std::string& out, ByteView record, std::ptrdiff_t start, std::ptrdiff_t n,
                   LatinForm form) {
  const std::ptrdiff_t last = lastInside(record, start, n);
  if (last < 0) return;
  const bool littleEndian = record.at(last) <= 4;
  // Positions before the record read as 0 bytes and yield nothing, so the walk starts at 0.
  const std::ptrdiff_t first = std::max<std::ptrdiff_t>(start, 0);
  const std::size_t base = out.size();
  out.resize(base + static_cast<std::size_t>(last - first + 1));
  char* to = out.data() + base;
  const std::array<char, 256>& latin =
      form == LatinForm::kName ? kCharacters.latinName : kCharacters.latinGeneral;
  // Every position from first to last lies inside the record; the byte before the first one
  // may not, and reads as 0.
  const std::uint8_t* bytes = record.span().data();
  std::uint8_t before = first > 0 ? bytes[first - 1] : 0;
  for (std::ptrdiff_t i = first; i <= last; ++i) {
    const std::uint8_t here = bytes[i];
    const std::uint8_t lo = littleEndian ? before : here;
    const std::uint8_t hi = littleEndian ? here : before;
    before = here;
    *to = hi == 0 ? latin[lo] : kCharacters.cyrillic[lo];
    to += static_cast<int>(lo > 9) & static_cast<int>(hi == 0 || hi == 4);
  }
  out.resize(static_cast<std::size_t>(to - out.data()));
}

bool isBlank(char c) {
  return static_cast<std::uint8_t>(c) <= 32;
}

// The character of a number digit (a hexadecimal digit of the packed number), or 0 for the
// digit that ends the number.
char numberCharacter(char hexDigit) {
  switch (hexDigit) {
    case 'A':
      return '0';
    case 'B':
      return '*';
    case 'C':
      return '#';
    case 'F':
      return '+';
    case '0':
      return 0;
    default:
      return hexDigit;  // 1 to 9, D and E stand for themselves
  }
}

}  // namespace

void appendWideText(std::string& out, ByteView record, std::ptrdiff_t start, std::ptrdiff_t n) {
  appendTwoByte(out, record, start, n, LatinForm::kName);
}

bool appendPhoneText(std::string& out, ByteView record, std::ptrdiff_t start, std::ptrdiff_t n) {
  const std::size_t base = out.size();
  const bool singleByte = (record.at(start) > 5 && record.at(start + 1) > 5) || n == 1;
  if (singleByte) {
    const auto bytes = record.slice(start, n / 2);
    out.resize(base + bytes.size());
    char* to = out.data() + base;
    for (const std::uint8_t b : bytes)
      *to++ = b == 0xA1 ? static_cast<char>(0xE5) : b == '|' ? ' ' : static_cast<char>(b);
  } else {
    appendTwoByte(out, record, start, n, LatinForm::kGeneral);
  }
  // Trimmed: only the appended text, never what `out` held before.
  const auto end =
      std::find_if_not(out.rbegin(), out.rend() - static_cast<std::ptrdiff_t>(base), isBlank)
          .base();
  out.erase(end, out.end());
  const auto from = out.begin() + static_cast<std::ptrdiff_t>(base);
  out.erase(from, std::find_if_not(from, out.end(), isBlank));
  return singleByte;
}

PhoneText readPhoneText(ByteView record, std::ptrdiff_t start, std::ptrdiff_t n) {
  PhoneText out;
  out.singleByte = appendPhoneText(out.text, record, start, n);
  return out;
}

void appendNumber(std::string& out, ByteView record, std::ptrdiff_t fieldPos) {
  const std::ptrdiff_t length =
      record.at(fieldPos) != 0 ? record.at(fieldPos) : record.at(fieldPos + 1);
  const std::ptrdiff_t payload = fieldPos + 4;
  // Walk back over the payload (cut at the record's end) and collect the bytes as hexadecimal
  // digits until a byte equals the number of digits collected so far, rounded up to even: that
  // byte is the digit count in front of the packed digits.
  // At most two digits for each of at most 255 bytes.
  std::array<char, 512> reversed;
  std::size_t count = 0;
  const std::ptrdiff_t last = lastInside(record, payload, length);
  for (std::ptrdiff_t i = last; i >= payload && i >= 0; --i) {
    const std::uint8_t v = record.at(i);
    const std::size_t even = static_cast<std::size_t>(v) + (v % 2);
    if (even == count) break;
    reversed[count++] = kHexDigits[v & 0x0F];
    if (v >= 0x10) reversed[count++] = kHexDigits[v >> 4];
  }
  for (std::size_t k = count, shown = 0; k > 0 && shown < 20; --k, ++shown) {
    const char c = numberCharacter(reversed[k - 1]);
    if (c == 0) break;
    out += c;
  }
}

}  // namespace kestrel::pm
