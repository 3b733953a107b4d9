#include "export/ReportLines.h"

#include "core/Cp1251.h"

namespace kestrel::output {

namespace {

void addSection(std::vector<std::string>& lines, const ResultTable& table, std::string_view title) {
  lines.emplace_back(title);
  for (std::size_t r = 0; r < table.rowCount(); ++r) {
    lines.push_back("----------" + std::to_string(r + 1) + "----------");
    // The caption (column 0) is the row's running number and is left out; hidden columns are
    // written like shown ones, only empty cells are skipped.
    for (std::size_t c = 1; c < table.columnCount(); ++c) {
      const std::string& text = table.cell(r, c);
      if (!text.empty()) lines.push_back(table.columnCaption(c) + ": " + text);
    }
  }
}

}  // namespace

std::vector<std::string> reportLines(const Document& doc, Sections sections) {
  std::vector<std::string> lines;
  // A table of a single row is left out: only two rows or more make a section.
  if (sections.phonebook && doc.phonebook.rowCount() >= 2)
    addSection(lines, doc.phonebook, "ЗАПИСНАЯ КНИЖКА"_cp);
  if (sections.calls && doc.calls.rowCount() >= 2) {
    lines.emplace_back("      ");
    addSection(lines, doc.calls, "ВЫЗОВЫ"_cp);
  }
  if (sections.calendar && doc.calendar.rowCount() >= 2) {
    lines.emplace_back("      ");
    addSection(lines, doc.calendar, "КАЛЕНДАРЬ"_cp);
  }
  return lines;
}

std::string joinLines(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) {
    out += line;
    out += "\r\n";
  }
  return out;
}

}  // namespace kestrel::output
