#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/Document.h"
#include "readers/pm/PmLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kestrel::Document doc;
  kestrel::pm::loadImage(doc, std::vector<std::uint8_t>(data, data + size));
  return 0;
}
