#include <cstddef>
#include <cstdint>

#include "FuzzDocument.h"

// One or more vCard files (separated by two zero bytes) into one document.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kestrel::Document doc;
  kestrel::fuzz::read(doc, kestrel::fuzz::Reader::Vcard, data, size);
  return 0;
}
