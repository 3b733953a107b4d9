#pragma once
// CSV of a document's phonebook, call log and calendar: shown columns only, one header line
// per table, windows-1251.

#include <string>
#include <vector>

#include "core/Document.h"
#include "export/Sections.h"

namespace kestrel::output {

// The CSV lines (without line ends) with `separator` (';' or ','). A table takes part only when
// its section is chosen and it holds at least two rows.
std::vector<std::string> csvLines(const Document& doc, Sections sections, char separator);

// A field as CSV writes it: unchanged, or in double quotes with inner quotes doubled when it
// holds the separator, a double quote, CR or LF.
std::string csvField(const std::string& text, char separator);

}  // namespace kestrel::output
