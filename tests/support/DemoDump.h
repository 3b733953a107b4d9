#pragma once
// The demo PM dump of samples/demo.pm: phone information, contacts with Cyrillic and Latin
// names, numbers and caller groups, calls of all three kinds, notes and birthdays.

#include <string>

namespace kestrel::test {

class PmBuilder;

// Blocks 4, 31 and 35 of a phone's information: serial number, product and module codes, HW,
// IMEI, DSP and user lock, each value a text ended by a 0 byte, each block after a blank line.
void addInformationBlocks(PmBuilder& pm, const std::string& serial, const std::string& imei);

// The text of the demo dump, CR LF lines.
std::string demoPmText();

}  // namespace kestrel::test
