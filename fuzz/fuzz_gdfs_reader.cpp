#include <cstddef>
#include <cstdint>

#include "FuzzDocument.h"

// A GDFS dump: the first byte chooses the container form (.bin, .gdfs, .gdf), the rest is the
// file; what was read is decoded.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using kestrel::fuzz::Reader;
  if (size == 0) return 0;
  const Reader forms[] = {Reader::Bin, Reader::Gdfs, Reader::Gdf};
  kestrel::Document doc;
  kestrel::fuzz::read(doc, forms[data[0] % 3], data + 1, size - 1);
  return 0;
}
