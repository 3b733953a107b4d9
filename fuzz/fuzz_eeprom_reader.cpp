#include <cstddef>
#include <cstdint>

#include "FuzzDocument.h"

// An EEPROM image: marked records and the readable texts.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kestrel::Document doc;
  kestrel::fuzz::read(doc, kestrel::fuzz::Reader::Eeprom, data, size);
  return 0;
}
