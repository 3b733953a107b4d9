#pragma once
// The one way a file becomes a document, for the desktop program, the command-line tool, the
// benchmarks and the fuzz targets alike.

#include <stop_token>
#include <string>
#include <vector>

#include "core/Document.h"
#include "open/FileKind.h"
#include "readers/input/ReaderInput.h"

namespace kestrel {

// Opens files of one kind into the document: clears it for the load, records the files as its
// sources, reads them in order with the kind's reader (only the first, unless the kind takes
// several files together), reports progress to the document's view, and on a format error or a
// file that cannot be read stops there, keeping what was read, and shows the kind's message (or
// tells the file that could not be read). Sets the enabled commands as the kind's entry says. True
// when every file was read. Any other exception leaves as it came, the view having heard the end of
// the update; so does Cancelled, which the reader throws at its next progress report or read once
// a stop is asked for through `stop`.
bool openDocument(Document& doc, FileKind kind, std::vector<ReaderInput> files,
                  std::stop_token stop = {});

// The same for one file.
bool openDocument(Document& doc, FileKind kind, ReaderInput file, std::stop_token stop = {});

// The same for files on the disk.
bool openDocument(Document& doc, FileKind kind, const std::vector<std::string>& fileNames);

}  // namespace kestrel
