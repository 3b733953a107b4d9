#pragma once

#include <string>

namespace kestrel::test {

// A small EEPROM image: four bytes, then one record of block 7 and 6 bytes, "4321ab".
inline std::string smallEepromImage() {
  return std::string(4, '\0') +
         std::string(
             "\x07\x00\x06\x00"
             "4321",
             8) +
         "ab";
}

}  // namespace kestrel::test
