#pragma once
// Reading a PM dump into a document: the file's bytes, the index of its sections and keys, the
// block model, the information rows and the presence rows; then the contents decoder.

#include "core/Document.h"
#include "readers/input/ReaderInput.h"

namespace kestrel::pm {

// Reads the dump, telling the block being read as the status and the number of blocks read as
// the progress. Returns whether the dump holds a phonebook, a call log or notes. Throws
// FormatError at the first malformed section, key or digit pair, keeping what was filled.
bool readDump(DocumentData& doc, ReaderInput& input);

}  // namespace kestrel::pm
