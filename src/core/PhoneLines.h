#pragma once
// When two phone numbers are the same line. Phones and address books write one number in many
// ways ("+7 916 123-45-67", "8(916)1234567", "0079161234567"); a call log and a phonebook must
// still meet on it.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// The form under which numbers of one line are equal: blanks, dashes, dots and brackets left
// out; a number of at least 10 digits by its last 10 digits (so "+7", "007" and the trunk "8"
// of a Russian number fall away, as every international prefix does); a shorter number (a
// service code "*100#", a local "900" or "1234567") whole, so it equals only itself; so is a
// text with letters. Empty for a text with no digit.
std::string phoneLineKey(std::string_view number);
// The same written into `key` (cleared first), whose room is reused from number to number.
void phoneLineKeyInto(std::string_view number, std::string& key);

// Whether both numbers are the same line: their keys are equal and not empty.
bool isSamePhoneLine(std::string_view a, std::string_view b);

// The numbers of a phonebook cell, which holds a contact's numbers separated by blanks;
// empty pieces left out. A number written with blanks inside it, as an address book may keep
// it ("+7 916 123 45 67", "8 (495) 123-45-67"), stays one: a piece of up to four digits, or one
// that starts with "+" or a bracket, takes the groups of digits that follow it when together
// they reach ten digits. The call log's number cell is split the same way.
std::vector<std::string_view> phonebookNumbers(std::string_view cell);
// The first of them, or an empty text when the cell holds none; nothing is allocated.
std::string_view firstNumberOf(std::string_view cell);
// The number of the cell that starts at or after `at`, or an empty text when no other follows;
// `at` moves behind it. Starting at 0, it gives phonebookNumbers one by one without a list.
std::string_view nextPhonebookNumber(std::string_view cell, std::size_t& at);

}  // namespace kestrel
