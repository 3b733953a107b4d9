#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzDocument.h"
#include "readers/input/ReaderInput.h"

namespace {

// The cells and column widths of the tables a vCard import fills.
std::string shown(const kestrel::Document& doc) {
  std::string all;
  for (const kestrel::ResultTable* table : {&doc.information, &doc.phonebook}) {
    for (std::size_t c = 0; c < table->columnCount(); ++c)
      all += std::to_string(table->columnWidth(c)) + ",";
    for (std::size_t r = 0; r < table->rowCount(); ++r) {
      for (std::size_t c = 0; c < table->columnCount(); ++c) {
        all += table->cell(r, c);
        all += '\0';
      }
    }
  }
  return all;
}

}  // namespace

// One or more vCard files (separated by two zero bytes) into one document. The same files read
// whole, in small pieces and opened as the program opens them give the same document.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto files =
      kestrel::fuzz::vcardFiles(std::string_view(reinterpret_cast<const char*>(data), size));
  kestrel::Document doc;
  for (const std::string_view file : files)
    kestrel::vcard::addVcardFile(doc, file);
  kestrel::Document opened;
  kestrel::fuzz::read(opened, kestrel::fuzz::Reader::Vcard, data, size);
  kestrel::Document pieces;
  const std::size_t piece = size % 7 + 1;
  for (const std::string_view file : files) {
    kestrel::ReaderInput input = kestrel::ReaderInput::bytes("x.vcf", {file.begin(), file.end()});
    kestrel::vcard::readFileInPieces(pieces, input, piece);
  }
  if (shown(doc) != shown(pieces) || shown(doc) != shown(opened)) __builtin_trap();
  return 0;
}
