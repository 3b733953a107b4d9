#pragma once
// The raw-section page of a PM document: the lines of one section of the file and the text a
// value's bytes spell, read two ways.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Document.h"

namespace kestrel::explorer {

// A list's selected line, or nothing when the list has no selection.
using Selection = std::optional<std::string>;

// The lines of the selected section, "key=value" in file order; none when the document has no
// such section or was not read from a PM dump. Throws FormatError when no section is selected.
std::vector<std::string> sectionLines(const Document& doc, const Selection& section);

// A value's hexadecimal digit pairs, left to right (an odd last digit is ignored), as text:
// `shifted` with each byte moved up by 176 (so that the low bytes of UCS-2 Cyrillic read as
// letters), `plain` as the bytes are; a byte of 10 or less is "-" in both. Throws FormatError
// naming the pair that is not hexadecimal.
struct ValueText {
  std::string shifted;
  std::string plain;
};
ValueText decodeValue(std::string_view value);

// A click on a section line: the value of its key (the line up to its first "=") in the section
// is decoded into the document's memo, the shifted text and then the plain one. A key the
// section lacks reads as "NO". Throws FormatError, the memo left as it was, when the value is
// not hexadecimal or when no section or no line is selected.
void showValueOfLine(Document& doc, const Selection& section, const Selection& line);

}  // namespace kestrel::explorer
