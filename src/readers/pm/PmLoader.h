#pragma once
// Loading a PM dump into a document: the file's bytes, the index of its sections and keys, the
// block model, the information rows and the presence rows; then the contents decoder.

#include <cstdint>
#include <string>
#include <vector>

#include "core/Document.h"

namespace kestrel::pm {

// The PM load. True on success; on failure the document keeps what was filled, the data
// commands and "Сохранение PM" are disabled and "Неверный формат файла" is shown.
bool loadDump(Document& doc, const std::string& fileName);

// The same load over bytes already in memory (the file's image).
bool loadImage(Document& doc, std::vector<std::uint8_t> image);

}  // namespace kestrel::pm
