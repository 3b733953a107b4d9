#include <cstddef>
#include <cstdint>

#include "core/Document.h"
#include "core/Errors.h"
#include "readers/gdfs/GdfsDecoder.h"
#include "readers/gdfs/GdfsReader.h"

// The first byte chooses the container form; the rest is the file. What was read is decoded,
// as after a failure in the desktop program.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  using kestrel::gdfs::Form;
  const Form forms[] = {Form::Bin, Form::Gdfs, Form::Gdf};
  kestrel::Document doc;
  try {
    kestrel::gdfs::readImage(doc.model, kestrel::ByteView({data + 1, size - 1}),
                             forms[data[0] % 3]);
  } catch (const kestrel::FormatError&) {
  }
  kestrel::gdfs::decodeContents(doc);
  return 0;
}
