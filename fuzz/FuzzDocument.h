#pragma once
// The document a fuzz input makes, as opening it in the program would: the first byte chooses
// the reader (and a GDFS container form), the rest is the file.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "core/Document.h"
#include "core/Errors.h"
#include "readers/eeprom/EepromReader.h"
#include "readers/gdfs/GdfsDecoder.h"
#include "readers/gdfs/GdfsReader.h"
#include "readers/pm/PmLoader.h"
#include "readers/vcard/VcardReader.h"

namespace kestrel::fuzz {

enum class Reader : std::uint8_t { Pm, Bin, Gdfs, Gdf, Eeprom, Vcard, Count };

// The files of a vCard input: pieces separated by two zero bytes, each read into the same
// document as when several files are opened at once.
inline std::vector<std::string_view> vcardFiles(std::string_view bytes) {
  std::vector<std::string_view> files;
  for (;;) {
    const std::size_t end = bytes.find(std::string_view("\0\0", 2));
    files.push_back(bytes.substr(0, end));
    if (end == std::string_view::npos) return files;
    bytes.remove_prefix(end + 2);
  }
}

inline void read(Document& doc, Reader reader, const std::uint8_t* data, std::size_t size) {
  const ByteView image({data, size});
  switch (reader) {
    case Reader::Pm:
      pm::loadImage(doc, std::vector<std::uint8_t>(data, data + size));
      return;
    case Reader::Bin:
    case Reader::Gdfs:
    case Reader::Gdf: {
      const gdfs::Form form = reader == Reader::Bin    ? gdfs::Form::Bin
                              : reader == Reader::Gdfs ? gdfs::Form::Gdfs
                                                       : gdfs::Form::Gdf;
      // What was read before a format error is decoded all the same, as the program does.
      try {
        gdfs::readImage(doc.model, image, form);
      } catch (const FormatError&) {
      }
      gdfs::decodeContents(doc);
      return;
    }
    case Reader::Eeprom:
      eeprom::loadImage(doc, image);
      return;
    case Reader::Vcard:
    case Reader::Count:
      for (const std::string_view file :
           vcardFiles(std::string_view(reinterpret_cast<const char*>(data), size)))
        vcard::addVcardFile(doc, file);
      return;
  }
}

inline std::unique_ptr<Document> documentOf(const std::uint8_t* data, std::size_t size) {
  auto doc = std::make_unique<Document>();
  if (size == 0) return doc;
  const auto reader = static_cast<Reader>(data[0] % static_cast<std::uint8_t>(Reader::Count));
  read(*doc, reader, data + 1, size - 1);
  return doc;
}

}  // namespace kestrel::fuzz
