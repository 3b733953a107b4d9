#include "export/ReportLines.h"

#include "core/Cp1251.h"
#include "export/LineFile.h"

namespace kestrel::output {

namespace {

void sectionLines(const ResultTable& table, std::string_view title,
                  const std::function<void(std::string_view)>& line) {
  line(title);
  // One text for every line of the section, so that a long table costs no allocation per line.
  std::string text;
  for (std::size_t r = 0; r < table.rowCount(); ++r) {
    text.assign("----------").append(std::to_string(r + 1)).append("----------");
    line(text);
    // The caption (column 0) is the row's running number and is left out; hidden columns are
    // written like shown ones, only empty cells are skipped.
    for (std::size_t c = 1; c < table.columnCount(); ++c) {
      const std::string_view cell = table.cell(r, c);
      if (cell.empty()) continue;
      text.assign(table.columnCaption(c)).append(": ").append(cell);
      line(text);
    }
  }
}

}  // namespace

void forEachReportLine(const Document& doc, TableChoice choice,
                       const std::function<void(std::string_view)>& line) {
  // A table of a single row is left out: only two rows or more make a section.
  if (choice.phonebook && doc.phonebook.rowCount() >= 2)
    sectionLines(doc.phonebook, "ЗАПИСНАЯ КНИЖКА"_cp, line);
  if (choice.calls && doc.calls.rowCount() >= 2) {
    line("      ");
    sectionLines(doc.calls, "ВЫЗОВЫ"_cp, line);
  }
  if (choice.calendar && doc.calendar.rowCount() >= 2) {
    line("      ");
    sectionLines(doc.calendar, "КАЛЕНДАРЬ"_cp, line);
  }
}

void writeTextReport(const Document& doc, TableChoice choice, const std::string& fileName) {
  writeLineFile(fileName, doc.sourceFiles,
                [&](const auto& line) { forEachReportLine(doc, choice, line); });
}

std::vector<std::string> reportLines(const Document& doc, TableChoice choice) {
  std::vector<std::string> lines;
  forEachReportLine(doc, choice, [&](std::string_view line) { lines.emplace_back(line); });
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
