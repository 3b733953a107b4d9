#pragma once
// Writing the marked part of a document's block model as a PM dump, in the text form the PM
// loader reads: whatever reader filled the model (PM, GDFS, EEPROM).

#include <string>

#include "core/BlockModel.h"
#include "core/Document.h"
#include "core/Progress.h"

namespace kestrel::explorer {

// The PM text of the marked blocks, each with its marked records: "[number]" and
// "number=HEXDIGITS" lines ended by CR LF; nothing at all when no block is marked.
std::string pmDumpText(const BlockModel& model);

// The name the PM writer writes for the name chosen: ".pm" is added unless the name ends with it
// already, letter case aside.
std::string pmDumpName(const std::string& chosenName);

// Writes the marked part of the document's model to pmDumpName(chosenName). The status names each
// block's position as it is written and the progress follows; both are cleared at the end. The file
// appears complete or not at all, and never replaces a file the document was read from. Throws
// IoError, leaving status and progress where they were.
void writePmDump(const Document& doc, const std::string& chosenName, const Progress& progress);

}  // namespace kestrel::explorer
