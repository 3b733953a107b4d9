#pragma once
// The document a fuzz input makes, as opening it in the program would: the first byte chooses
// the reader (and, by the file's name, a GDFS container form), the rest is the file. A .gdf
// file is read only when it starts with "[VE", as in the program.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "core/Document.h"
#include "open/OpenDocument.h"
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

// The file each reader is given: the kind, and a name whose ending tells a GDFS form.
struct FuzzFile {
  FileKind kind;
  const char* name;
};

inline FuzzFile fileOf(Reader reader) {
  switch (reader) {
    case Reader::Pm:
      return {FileKind::Pm, "fuzz.pm"};
    case Reader::Bin:
      return {FileKind::Gdfs, "fuzz.bin"};
    case Reader::Gdfs:
      return {FileKind::Gdfs, "fuzz.gdfs"};
    case Reader::Gdf:
      return {FileKind::Gdfs, "fuzz.gdf"};
    case Reader::Eeprom:
      return {FileKind::Eeprom, "fuzz.img"};
    case Reader::Vcard:
    case Reader::Count:
      break;
  }
  return {FileKind::Vcf, "fuzz.vcf"};
}

// Opens the bytes as the program opens a file: a format error or anything the open reports ends
// in the document's state, as it would in a window.
inline void read(Document& doc, Reader reader, const std::uint8_t* data, std::size_t size) {
  const FuzzFile file = fileOf(reader);
  std::vector<ReaderInput> inputs;
  if (file.kind == FileKind::Vcf) {
    for (const std::string_view piece :
         vcardFiles(std::string_view(reinterpret_cast<const char*>(data), size)))
      inputs.push_back(ReaderInput::bytes(file.name, {piece.begin(), piece.end()}));
  } else {
    inputs.push_back(ReaderInput::bytes(file.name, {data, data + size}));
  }
  openDocument(doc, file.kind, std::move(inputs));
}

inline std::unique_ptr<Document> documentOf(const std::uint8_t* data, std::size_t size) {
  auto doc = std::make_unique<Document>();
  if (size == 0) return doc;
  const auto reader = static_cast<Reader>(data[0] % static_cast<std::uint8_t>(Reader::Count));
  read(*doc, reader, data + 1, size - 1);
  return doc;
}

}  // namespace kestrel::fuzz
