#include <cstddef>
#include <cstdint>

#include "FuzzDocument.h"

// A PM dump: load, block model and decoded tables.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kestrel::Document doc;
  kestrel::fuzz::read(doc, kestrel::fuzz::Reader::Pm, data, size);
  return 0;
}
