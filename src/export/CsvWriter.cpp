#include "export/CsvWriter.h"

namespace kestrel::output {

namespace {

void addTable(std::vector<std::string>& lines, const ResultTable& table, char separator) {
  std::string header = csvField(table.columnCaption(0), separator);
  for (std::size_t c = 1; c < table.columnCount(); ++c) {
    if (table.columnWidth(c) > 0) {
      header += separator;
      header += csvField(table.columnCaption(c), separator);
    }
  }
  lines.push_back(std::move(header));
  for (std::size_t r = 0; r < table.rowCount(); ++r) {
    std::string line = csvField(table.cell(r, 0), separator);
    for (std::size_t c = 1; c < table.columnCount(); ++c) {
      if (table.columnWidth(c) > 0) {
        line += separator;
        line += csvField(table.cell(r, c), separator);
      }
    }
    lines.push_back(std::move(line));
  }
}

}  // namespace

std::string csvField(const std::string& text, char separator) {
  // Unquoted, a separator or line break inside a value would shift every later column.
  if (text.find_first_of(std::string{separator, '"', '\r', '\n'}) == std::string::npos) return text;
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

std::vector<std::string> csvLines(const Document& doc, Sections sections, char separator) {
  std::vector<std::string> lines;
  if (sections.phonebook && doc.phonebook.rowCount() >= 2)
    addTable(lines, doc.phonebook, separator);
  if (sections.calls && doc.calls.rowCount() >= 2) addTable(lines, doc.calls, separator);
  if (sections.calendar && doc.calendar.rowCount() >= 2) addTable(lines, doc.calendar, separator);
  return lines;
}

}  // namespace kestrel::output
