#pragma once
// Reading an EEPROM image of a phone: the records found by their markers go into the block
// model, the readable two-byte texts into the debugging memo. No table is filled and no command
// changes its state.

#include <string>

#include "core/Bytes.h"
#include "core/Document.h"

namespace kestrel::eeprom {

// Opens an EEPROM image in the document: clears it for the load, records the file as its
// source and reads it. A file that cannot be read is told to the view and leaves the document
// empty; nothing else is reported.
void loadDump(Document& doc, const std::string& fileName);

// The same over an image already in memory.
void loadImage(Document& doc, ByteView image);

}  // namespace kestrel::eeprom
