#include "export/CsvWriter.h"

namespace kestrel::output {

namespace {

// Unquoted, a separator or line break inside a value would shift every later column.
bool needsQuotes(std::string_view text, char separator) {
  for (const char c : text) {
    if (c == separator || c == '"' || c == '\r' || c == '\n') return true;
  }
  return false;
}

void appendField(std::string& out, std::string_view text, char separator) {
  if (!needsQuotes(text, separator)) {
    out += text;
    return;
  }
  out += '"';
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

void tableLines(const ResultTable& table, char separator,
                const std::function<void(std::string_view)>& line) {
  // One text for every line of the table, so that a long table costs no allocation per line.
  std::string text;
  appendField(text, table.columnCaption(0), separator);
  for (std::size_t c = 1; c < table.columnCount(); ++c) {
    if (table.columnWidth(c) > 0) {
      text += separator;
      appendField(text, table.columnCaption(c), separator);
    }
  }
  line(text);
  for (std::size_t r = 0; r < table.rowCount(); ++r) {
    text.clear();
    appendField(text, table.cell(r, 0), separator);
    for (std::size_t c = 1; c < table.columnCount(); ++c) {
      if (table.columnWidth(c) > 0) {
        text += separator;
        appendField(text, table.cell(r, c), separator);
      }
    }
    line(text);
  }
}

}  // namespace

std::string csvField(const std::string& text, char separator) {
  std::string out;
  appendField(out, text, separator);
  return out;
}

void forEachCsvLine(const Document& doc, Sections sections, char separator,
                    const std::function<void(std::string_view)>& line) {
  if (sections.phonebook && doc.phonebook.rowCount() >= 2)
    tableLines(doc.phonebook, separator, line);
  if (sections.calls && doc.calls.rowCount() >= 2) tableLines(doc.calls, separator, line);
  if (sections.calendar && doc.calendar.rowCount() >= 2) tableLines(doc.calendar, separator, line);
}

std::vector<std::string> csvLines(const Document& doc, Sections sections, char separator) {
  std::vector<std::string> lines;
  forEachCsvLine(doc, sections, separator,
                 [&](std::string_view line) { lines.emplace_back(line); });
  return lines;
}

}  // namespace kestrel::output
