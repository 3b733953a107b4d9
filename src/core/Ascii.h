#pragma once
// The small ASCII text helpers every reader and writer shares: hexadecimal digits, letter case,
// two-digit numbers and name endings. Letters outside ASCII are left alone.

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kestrel {

inline constexpr char kHexDigits[] = "0123456789ABCDEF";

// The value of every byte as a hexadecimal digit of either case, -1 for any other character.
inline constexpr std::array<std::int8_t, 256> kHexDigitValues = [] {
  std::array<std::int8_t, 256> values{};
  for (int c = 0; c < 256; ++c) {
    if (c >= '0' && c <= '9') {
      values[c] = static_cast<std::int8_t>(c - '0');
    } else if (c >= 'A' && c <= 'F') {
      values[c] = static_cast<std::int8_t>(c - 'A' + 10);
    } else if (c >= 'a' && c <= 'f') {
      values[c] = static_cast<std::int8_t>(c - 'a' + 10);
    } else {
      values[c] = -1;
    }
  }
  return values;
}();

// The value of a hexadecimal digit of either case, or -1 for any other character.
constexpr int hexDigitValue(std::uint8_t c) {
  return kHexDigitValues[c];
}
constexpr int hexDigitValue(char c) {
  return hexDigitValue(static_cast<std::uint8_t>(c));
}

// The byte two hexadecimal digits of either case stand for, or -1 when either is no digit: one
// look-up in a table of all 65 536 pairs, for readers that decode millions of them.
class HexPairs {
 public:
  HexPairs() : values_(table()) {}
  int value(std::uint8_t high, std::uint8_t low) const {
    return values_[static_cast<std::size_t>(high) << 8 | low];
  }

 private:
  static const std::array<std::int16_t, 65536>& table();
  const std::array<std::int16_t, 65536>& values_;
};

// Decodes bytes.size() pairs of hexadecimal digits of either case, from `digits` on, into
// `bytes`: sixteen pairs at a time where the machine has SSE2. Returns how many bytes it decoded
// before the first pair that is not two digits, bytes.size() when there is none.
std::size_t decodeHexPairs(const std::uint8_t* digits, std::span<std::uint8_t> bytes);

// Whether the `pairs` pairs from `digits` on are all hexadecimal digits of either case.
bool hexPairsValid(const std::uint8_t* digits, std::size_t pairs);

// The top bit of each byte of x that is 0, and no other bit.
constexpr std::uint64_t zeroBytes(std::uint64_t x) {
  constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
  return ~(((x & kLow7) + kLow7) | x | kLow7);
}

// The first position at or after `from` that holds either character, or npos. One pass, sixteen
// bytes at a time where the machine has SSE2 and then eight where it numbers a word's bytes from
// its low end: find_first_of would search the pair anew for every byte of the text.
constexpr std::size_t findEither(std::string_view text, char a, char b, std::size_t from = 0) {
  std::size_t i = from;
  if (!std::is_constant_evaluated()) {
#if defined(__SSE2__)
    const __m128i aBytes = _mm_set1_epi8(a);
    const __m128i bBytes = _mm_set1_epi8(b);
    for (; i < text.size() && text.size() - i >= 16; i += 16) {
      const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
      const int hits = _mm_movemask_epi8(
          _mm_or_si128(_mm_cmpeq_epi8(chunk, aBytes), _mm_cmpeq_epi8(chunk, bBytes)));
      if (hits != 0)
        return i + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(hits)));
    }
#endif
    if constexpr (std::endian::native == std::endian::little) {
      const std::uint64_t aWord = 0x0101010101010101ULL * static_cast<std::uint8_t>(a);
      const std::uint64_t bWord = 0x0101010101010101ULL * static_cast<std::uint8_t>(b);
      for (; i < text.size() && text.size() - i >= 8; i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + i, 8);
        const std::uint64_t hits = zeroBytes(word ^ aWord) | zeroBytes(word ^ bWord);
        if (hits != 0) return i + static_cast<std::size_t>(std::countr_zero(hits)) / 8;
      }
    }
  }
  for (; i < text.size(); ++i) {
    if (text[i] == a || text[i] == b) return i;
  }
  return std::string_view::npos;
}

// The next place of either of two characters (CR or LF, say) at or after a position that only
// moves forward, found with a fast search for each character. Each search starts where the last
// one for that character ended, so a whole text costs one pass however the two are spread.
class EitherSearch {
 public:
  EitherSearch(std::string_view text, char a, char b) : text_(text), a_{a}, b_{b} {}
  // The position of the first of the two at or after `from`, or the text's size when none follows.
  std::size_t next(std::size_t from) {
    return std::min(a_.next(text_, from), b_.next(text_, from));
  }

 private:
  struct Found {
    char c;
    std::size_t at = static_cast<std::size_t>(-1);  // not searched yet
    std::size_t next(std::string_view text, std::size_t from);
  };

  std::string_view text_;
  Found a_;
  Found b_;
};

// The bytes as upper-case hexadecimal digit pairs.
std::string hexText(std::span<const std::uint8_t> bytes);
// The same digits added to the end of out.
void appendHexText(std::string& out, std::span<const std::uint8_t> bytes);

constexpr char asciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
std::string asciiLower(std::string_view text);

// Equal apart from the letter case of ASCII letters.
constexpr bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  }
  return true;
}

// "07" for 7, "12" for 12, "123" for 123.
std::string twoDigits(int value);

// The text without the spaces and tabs at both ends, as INI lines are read.
constexpr std::string_view trimSpacesAndTabs(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
    s.remove_suffix(1);
  return s;
}

// A space or a control byte: what lays a cell out without showing.
constexpr bool isBlankByte(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

// The text without such bytes at both ends, as a cell's content is compared.
constexpr std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && isBlankByte(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && isBlankByte(text.back()))
    text.remove_suffix(1);
  return text;
}

// Letter case counts.
constexpr bool endsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// The name a save writes for the name the user chose: the ending is added unless the name already
// ends with it, letter case aside ("rep" and "rep.txt" → "rep.txt", "REP.TXT" stays, "rep.csv"
// → "rep.csv.txt").
inline std::string nameWithEnding(std::string_view chosen, std::string_view ending) {
  std::string name(chosen);
  if (chosen.size() < ending.size() ||
      !equalsNoCase(chosen.substr(chosen.size() - ending.size()), ending))
    name += ending;
  return name;
}

}  // namespace kestrel
