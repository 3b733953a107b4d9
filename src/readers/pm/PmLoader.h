#pragma once
// Loading a PM dump into a document: the file's bytes, the INI index, the block model, the
// information rows and the presence rows; then the contents decoder.

#include <string>
#include <string_view>
#include <vector>

#include "core/Document.h"

namespace kestrel::pm {

// The PM load. True on success; on failure the document keeps what was filled, the data
// commands and "Сохранение PM" are disabled and "Неверный формат файла" is shown.
bool loadDump(Document& doc, const std::string& fileName);

// The same load over bytes already in memory (the file's image).
bool loadImage(Document& doc, std::vector<std::uint8_t> image);

// Moves scanPos past the next header "[name]" at or after scanPos. Throws FormatError when there
// is none.
void findBlockHeader(Document& doc, std::string_view name);

// Reads the record line at scanPos ("key=hexdigits") into a new record of block `block` with
// the given number, and moves scanPos to the next line. Throws FormatError.
void readRecordLine(Document& doc, std::size_t block, int recordNumber, std::string_view key);

// Adds one information row from the value of key in section; false (and no row) when the value
// is empty or absent. With cutStart > 0, keeps cutLength characters from cutStart (1-based).
bool addInfoItem(Document& doc, std::string_view section, std::string_view key,
                 std::string_view caption, int cutLength, int cutStart);

// Hexadecimal digit pairs to text; bytes 0x00..0x0A are dropped, a last lone digit ignored.
// Throws FormatError on a character that is not a hexadecimal digit.
std::string hexToText(std::string_view hex);

// A section name or record key as a decimal integer. Throws FormatError.
int parseDecimal(std::string_view text);

}  // namespace kestrel::pm
