#pragma once
// A report to hand on: one self-contained HTML page (UTF-8, inline style, no script) with the
// program and the time the report was made, the facts of every source file, the information
// table, the overview of the chosen calls and calendar ("Обзор") and the chosen sections, each
// as a table of its shown columns.

#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Document.h"
#include "export/TableChoice.h"

namespace kestrel::output {

// A text (windows-1251) as HTML text in UTF-8: "&", "<", ">", quotes escaped, line breaks made
// <br>, the control characters other than TAB left out.
std::string htmlText(std::string_view cp1251Text);

// A table row of the cells (HTML already) in elements of the tag ("th" or "td").
std::string htmlTableRow(const std::vector<std::string>& cells, std::string_view tag);

// Hands the page's lines (UTF-8) to `line`; `madeAt` is the time the report was made. A source
// file that cannot be read any more shows the system's reason instead of its facts.
void forEachHtmlReportLine(const Document& doc, TableChoice choice, std::time_t madeAt,
                           const std::function<void(std::string_view)>& line);

// The page made now, written to `fileName` with CR LF line ends.
void writeHtmlReport(const Document& doc, TableChoice choice, const std::string& fileName);

}  // namespace kestrel::output
