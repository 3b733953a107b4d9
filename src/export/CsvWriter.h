#pragma once
// CSV of a document's phonebook, call log and calendar: shown columns only, one header line
// per table, windows-1251.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Document.h"
#include "export/TableChoice.h"

namespace kestrel::output {

// Hands the CSV lines (without line ends) with `separator` (';' or ',') to `line` one at a time,
// in order. A table takes part only when its section is chosen and it holds at least two rows.
void forEachCsvLine(const Document& doc, TableChoice choice, char separator,
                    const std::function<void(std::string_view)>& line);

// The CSV lines written to `fileName`, each ended by CR LF.
void writeCsvFile(const Document& doc, TableChoice choice, char separator,
                  const std::string& fileName);

// The same lines gathered.
std::vector<std::string> csvLines(const Document& doc, TableChoice choice, char separator);

// A field as CSV writes it: unchanged, or in double quotes with inner quotes doubled when it
// holds the separator, a double quote, CR or LF. A field a spreadsheet would run as a formula
// (one that begins with "=", "@", TAB, CR, or with "+" or "-" followed by more than a phone
// number's digits, blanks, dashes, dots and brackets) gets a leading apostrophe.
std::string csvField(const std::string& text, char separator);

}  // namespace kestrel::output
