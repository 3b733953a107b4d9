#pragma once
// Reading an EEPROM image of a phone: the records found by their markers go into the block
// model, the readable two-byte texts into the debugging memo. No table is filled and no command
// changes its state.

#include "core/Bytes.h"
#include "core/Document.h"
#include "readers/input/ReaderInput.h"

namespace kestrel::eeprom {

// Reads the image. Returns false: no table is filled. A file that cannot be read throws
// IoError; nothing else fails.
bool readDump(DocumentData& doc, ReaderInput& input);

}  // namespace kestrel::eeprom
