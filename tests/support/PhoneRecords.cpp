#include "support/PhoneRecords.h"

#include <algorithm>
#include <stdexcept>

namespace kestrel::test::phone {

namespace {

std::uint8_t byte(int v) {
  return static_cast<std::uint8_t>(v & 0xFF);
}

std::uint8_t nibble(char c) {
  switch (c) {
    case '0':
      return 0xA;
    case '*':
      return 0xB;
    case '#':
      return 0xC;
    case 'D':
      return 0xD;
    case 'E':
      return 0xE;
    case '+':
      return 0xF;
    default:
      if (c >= '1' && c <= '9') return static_cast<std::uint8_t>(c - '0');
      throw std::invalid_argument("not a phone number digit");
  }
}

void putYear(Bytes& out, std::size_t pos, int year, bool bigEndian) {
  out[pos] = bigEndian ? byte(year >> 8) : byte(year);
  out[pos + 1] = bigEndian ? byte(year) : byte(year >> 8);
}

}  // namespace

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes text(const std::u16string& s) {
  Bytes out;
  for (const char16_t c : s) {
    out.push_back(byte(c));
    out.push_back(byte(c >> 8));
  }
  return out;
}

Bytes textBigEndian(const std::u16string& s) {
  Bytes out;
  for (const char16_t c : s) {
    out.push_back(byte(c >> 8));
    out.push_back(byte(c));
  }
  return out;
}

Bytes field(std::uint8_t tag, const Bytes& payload) {
  const std::size_t n = std::min<std::size_t>(payload.size(), 255);
  // Sized once and filled in place, as in the GDFS builder.
  Bytes out(4 + n);
  out[0] = byte(static_cast<int>(n));
  out[2] = tag;
  std::copy_n(payload.begin(), n, out.begin() + 4);
  return out;
}

Bytes fieldLengthInSecondByte(std::uint8_t tag, const Bytes& payload) {
  Bytes out = field(tag, payload);
  out[1] = out[0];
  out[0] = 0;
  return out;
}

Bytes fieldList(const std::vector<Bytes>& fields) {
  Bytes out{byte(static_cast<int>(fields.size()))};
  for (const Bytes& f : fields)
    out = out + f;
  return out;
}

Bytes number(const std::string& digits) {
  Bytes out{0x81, byte(static_cast<int>(digits.size()))};
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    const std::uint8_t high = nibble(digits[i]);
    const std::uint8_t low = i + 1 < digits.size() ? nibble(digits[i + 1]) : 0;
    out.push_back(static_cast<std::uint8_t>(high << 4 | low));
  }
  return out;
}

Bytes birthday(int year, int month, int day) {
  return {byte(year), byte(year >> 8), byte(month), byte(day)};
}

Bytes callTime(int year, int month, int day, int hour, int minute, int second,
               bool yearHighByteFirst) {
  Bytes out{0, 0, byte(month), byte(day), byte(hour), byte(minute), byte(second)};
  putYear(out, 0, year, yearHighByteFirst);
  return out;
}

Bytes groupName(const Bytes& name) {
  return Bytes{0x00, 0x00} + name;
}

Bytes calendarRecord(const CalendarEntry& e) {
  const std::size_t b = e.shifted ? 28 : 24;
  Bytes out(b + 32 + 8 * static_cast<std::size_t>(e.skip), 0x00);
  putYear(out, 4, e.year, e.bigEndianYears);
  out[6] = byte(e.month);
  out[7] = byte(e.day);
  if (!e.shifted) out[24] = 0x01;  // bytes 24 to 27 not all 0
  if (e.note)
    out[b + 16] = 0xFF;
  else
    putYear(out, b + 16, e.birthYear, e.bigEndianYears);
  // K is the sum of two bytes.
  out[b + 30] = byte(std::min(e.skip, 255));
  out[b + 31] = byte(std::max(e.skip - 255, 0));
  for (std::size_t i = 0; i < 8 * static_cast<std::size_t>(e.skip); ++i)
    out[b + 32 + i] = 0x5A;  // filler, never read as text
  return out + text(std::u16string(e.title));
}

}  // namespace kestrel::test::phone
