#pragma once
// Loading a GDFS dump into a document: the three container forms (.bin, .gdfs, .gdf) read into
// the block model, then the contents decoder.

#include <memory>
#include <stop_token>
#include <string>
#include <string_view>

#include "core/Document.h"
#include "readers/input/ReaderInput.h"

namespace kestrel::gdfs {

// The container form, told by the file name's ending (letter case counts) and, for .gdf, the
// file's first bytes.
enum class Form { None, Bin, Gdfs, Gdf };

// The form a file name's ending promises: a name of none of the three endings is no GDFS dump.
Form formOfName(std::string_view fileName);

// The form a file of this name and these bytes is read as; None reads nothing.
Form formOf(std::string_view fileName, ByteView image);

// Reads the dump of the form its name and bytes tell into the block model (nothing for no
// form) and decodes what was read into the tables, also when reading fails: a format error or a
// file that cannot be read leaves the reader once what was read before it is decoded. Returns
// true: a GDFS dump always offers its data.
bool readDump(DocumentData& doc, ReaderInput& input);

// Reads a file image of the given form into the block model, which holds the image and keeps
// the records in it. Throws FormatError at the first malformed entry or digit pair, keeping what
// was filled before it, and Cancelled soon after a stop is asked for.
void readImage(BlockModel& model, std::shared_ptr<const HeldBytes> image, Form form,
               const std::stop_token& stop = {});

}  // namespace kestrel::gdfs
