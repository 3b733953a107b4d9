#pragma once
// The readable report of a document's phonebook, call log and calendar: what the text format
// writes and what printing prints.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Document.h"
#include "export/TableChoice.h"

namespace kestrel::output {

// Hands the report's lines (windows-1251, without line ends) to `line` one at a time, in order,
// so that a report larger than memory allows is never held whole. A table takes part only when
// its section is chosen and it holds at least two rows.
void forEachReportLine(const Document& doc, TableChoice choice,
                       const std::function<void(std::string_view)>& line);

// The text format: the report's lines written to `fileName`, each ended by CR LF.
void writeTextReport(const Document& doc, TableChoice choice, const std::string& fileName);

// The same lines gathered, for printing.
std::vector<std::string> reportLines(const Document& doc, TableChoice choice);

// The lines joined into file bytes: every line, the last one included, ended by CR LF.
std::string joinLines(const std::vector<std::string>& lines);

}  // namespace kestrel::output
