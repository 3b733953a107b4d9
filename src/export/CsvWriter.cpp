#include "export/CsvWriter.h"

#include <algorithm>

#include "export/LineFile.h"

namespace kestrel::output {

namespace {

// Unquoted, a separator or line break inside a value would shift every later column.
bool needsQuotes(std::string_view text, char separator) {
  for (const char c : text) {
    if (c == separator || c == '"' || c == '\r' || c == '\n') return true;
  }
  return false;
}

// The characters a phone number is written with after its sign: "+7 (916) 123-45-67".
bool isPhoneNumberCharacter(char c) {
  return (c >= '0' && c <= '9') || c == ' ' || c == '\t' || c == '-' || c == '.' || c == '(' ||
         c == ')';
}

// A spreadsheet program opening the file runs a field that starts like a formula. A sign
// followed only by a phone number's characters ("+79161234567", "-5", a lone "-") is read as a
// number or a text and stays as it is; anything else after a sign could call a function.
bool startsLikeAFormula(std::string_view text) {
  if (text.empty()) return false;
  switch (text.front()) {
    case '=':
    case '@':
    case '\t':
    case '\r':
      return true;
    case '+':
    case '-':
      return !std::all_of(text.begin() + 1, text.end(), isPhoneNumberCharacter);
    default:
      return false;
  }
}

void appendField(std::string& out, std::string_view text, char separator) {
  // The apostrophe makes the spreadsheet take the field as a text; it goes inside the quotes,
  // where the spreadsheet sees the field's first character.
  const bool formula = startsLikeAFormula(text);
  if (!needsQuotes(text, separator)) {
    if (formula) out += '\'';
    out += text;
    return;
  }
  out += '"';
  if (formula) out += '\'';
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

void forEachCsvLine(const Document& doc, TableChoice choice, char separator,
                    const std::function<void(std::string_view)>& line) {
  if (choice.phonebook && doc.phonebook.rowCount() >= 2) tableLines(doc.phonebook, separator, line);
  if (choice.calls && doc.calls.rowCount() >= 2) tableLines(doc.calls, separator, line);
  if (choice.calendar && doc.calendar.rowCount() >= 2) tableLines(doc.calendar, separator, line);
}

void writeCsvFile(const Document& doc, TableChoice choice, char separator,
                  const std::string& fileName) {
  writeLineFile(fileName, doc.sourceFiles,
                [&](const auto& line) { forEachCsvLine(doc, choice, separator, line); });
}

std::vector<std::string> csvLines(const Document& doc, TableChoice choice, char separator) {
  std::vector<std::string> lines;
  forEachCsvLine(doc, choice, separator, [&](std::string_view line) { lines.emplace_back(line); });
  return lines;
}

}  // namespace kestrel::output
