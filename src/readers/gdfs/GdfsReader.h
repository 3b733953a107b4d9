#pragma once
// Loading a GDFS dump into a document: the three container forms (.bin, .gdfs, .gdf) read into
// the block model, then the contents decoder.

#include <string>
#include <string_view>

#include "core/Document.h"

namespace kestrel::gdfs {

// The container form, told by the file name's ending (letter case counts) and, for .gdf, the
// file's first bytes.
enum class Form { None, Bin, Gdfs, Gdf };

// The form a file name's ending promises: a name of none of the three endings is no GDFS dump.
Form formOfName(std::string_view fileName);

// The form a file of this name and these bytes is read as; None reads nothing.
Form formOf(std::string_view fileName, ByteView image);

// Opens a GDFS dump in a fresh document: hides the data columns of the phonebook and call log,
// clears the tables, reads the file, decodes what was read and enables the data commands, also
// after a reading failure.
void loadDump(Document& doc, const std::string& fileName);

// Reads the file into the block model. True when reading ran to its end (also when no form
// applied); false after a failure, which has already been shown as "Неизвестный формат файла".
// Blocks and records filled before a failure stay.
bool readContainer(Document& doc, const std::string& fileName);

// Reads a file image of the given form into the block model. Throws FormatError at the first
// malformed entry or digit pair, keeping what was filled before it.
void readImage(BlockModel& model, ByteView image, Form form);

}  // namespace kestrel::gdfs
