#pragma once
// Builders of the records a phone keeps in a PM dump: field lists of phonebook, call-log and
// group records, packed phone numbers, dates and calendar records.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel::test::phone {

using Bytes = std::vector<std::uint8_t>;

Bytes operator+(Bytes a, const Bytes& b);

// Phone text, two bytes per character, low byte first (or high byte first).
Bytes text(const std::u16string& s);
Bytes textBigEndian(const std::u16string& s);

// One field: length, the length again when the first byte is 0, tag, an unused byte, payload.
// A payload of more than 255 bytes cannot be stored and is cut.
Bytes field(std::uint8_t tag, const Bytes& payload);
// The same field with the length in the second byte (first byte 0).
Bytes fieldLengthInSecondByte(std::uint8_t tag, const Bytes& payload);
// A record: the field count, then the fields.
Bytes fieldList(const std::vector<Bytes>& fields);

// A number payload: a type byte, the digit count, the digits packed two per byte. The digits are
// 0-9, "*", "#", "+", "D" and "E".
Bytes number(const std::string& digits);
// Birthday payload: year (little-endian), month, day.
Bytes birthday(int year, int month, int day);
// Call time payload: year (little-endian, or high byte first), month, day, hour, minute, second.
Bytes callTime(int year, int month, int day, int hour, int minute, int second,
               bool yearHighByteFirst = false);
// A group record payload: two unused bytes, then the name.
Bytes groupName(const Bytes& name);

struct CalendarEntry {
  int year = 2010;
  int month = 1;
  int day = 1;
  bool note = true;   // otherwise a birthday
  int birthYear = 0;  // birthdays only
  bool bigEndianYears = false;
  bool shifted = false;       // bytes 24 to 27 all 0: the later parts start 4 bytes later
  int skip = 0;               // K: 8 x K unused bytes before the title
  std::u16string_view title;  // a literal: the entry does not own it
};
Bytes calendarRecord(const CalendarEntry& e);

}  // namespace kestrel::test::phone
