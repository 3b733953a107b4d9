#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/Document.h"
#include "readers/vcard/VcardReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kestrel::Document doc;
  kestrel::vcard::addVcardFile(doc, std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
