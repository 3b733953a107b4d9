#include "export/SpreadsheetExport.h"

#include <string>

#include "core/ColumnLetters.h"

namespace kestrel::output {

namespace {

// The spreadsheet name of a 1-based column number. A window's list of names ends where its
// tables do; a wider table gets the spreadsheet's own names for its further columns rather
// than references the application would refuse.
std::string columnName(std::span<const std::string> letters, std::size_t number) {
  if (number < letters.size()) return letters[number];
  return makeColumnLetters(static_cast<int>(number)).at(number);
}

std::string cellName(std::span<const std::string> letters, std::size_t column, std::size_t row) {
  return columnName(letters, column) + std::to_string(row);
}

std::string columnsUpTo(std::span<const std::string> letters, std::size_t column) {
  return "A:" + columnName(letters, column);
}

// One table onto one sheet, cell by cell. With a document, its status text and progress follow
// the transfer.
void exportTable(const ResultTable& table, std::span<const std::string> letters,
                 SpreadsheetAutomation& app, Document* doc) {
  const std::string& sheet = table.hint();
  if (doc) {
    doc->setProgressPosition(0);
    doc->setStatus(kSpreadsheetStatus);
  }
  app.addNamedSheet(sheet);
  // Every column, hidden ones too, is text before any value arrives, so that numbers with a
  // leading zero or "+" stay as they were read.
  app.setColumnsFormat(sheet, columnsUpTo(letters, table.columnCount()), kTextNumberFormat);
  if (doc) doc->setProgressMaximum(static_cast<int>(table.rowCount()) - 1);

  std::size_t k = 1;
  for (std::size_t c = 0; c < table.columnCount(); ++c) {
    if (table.columnWidth(c) <= 0) continue;
    app.setCellText(sheet, cellName(letters, k, 1), table.columnCaption(c));
    ++k;
  }

  std::size_t r = 1;
  for (std::size_t i = 0; i < table.rowCount(); ++i) {
    if (doc) doc->setProgressPosition(static_cast<int>(i));
    const ResultTable::Row& row = table.row(i);
    ++r;
    k = 1;
    // Column A takes the caption whether or not column 0 is shown.
    app.setCellText(sheet, cellName(letters, 1, r), row.caption);
    for (std::size_t j = 0; j < row.subItemCount(); ++j) {
      if (j + 1 >= table.columnCount() || table.columnWidth(j + 1) <= 0) continue;
      ++k;
      app.setCellText(sheet, cellName(letters, k, r), row.subItem(j));
    }
  }

  // The centred range is as wide as the last row reached.
  const std::string written = columnsUpTo(letters, k);
  app.setColumnsHorizontalAlignment(sheet, written, kAlignCentre);
  app.setColumnsVerticalAlignment(sheet, written, kAlignCentre);
  app.selectSheet(sheet);
  if (doc) {
    doc->setProgressPosition(0);
    doc->setStatus("");
  }
}

void exportTables(std::span<const ResultTable* const> tables, std::span<const std::string> letters,
                  SpreadsheetAutomation& app, Document* doc) {
  app.startApplication();
  app.addWorkbook();
  try {
    for (auto it = tables.rbegin(); it != tables.rend(); ++it) {
      const ResultTable& table = **it;
      if (table.visible() && table.rowCount() > 0) exportTable(table, letters, app, doc);
    }
  } catch (...) {
    // The workbook made so far is still handed to the user; the status stays as it was when
    // the failure came.
    app.deleteSheet(kFirstSheetName);
    app.showApplication(true);
    throw;
  }
  app.deleteSheet(kFirstSheetName);
  app.showApplication(true);
}

}  // namespace

void exportToSpreadsheet(Document& doc, SpreadsheetAutomation& app) {
  const ResultTable* const tables[] = {&doc.information, &doc.sms, &doc.phonebook, &doc.calls,
                                       &doc.calendar};
  exportTables(tables, doc.columnLetters(), app, &doc);
}

void exportTablesToSpreadsheet(std::span<const ResultTable* const> tables,
                               std::span<const std::string> columnLetters,
                               SpreadsheetAutomation& app) {
  exportTables(tables, columnLetters, app, nullptr);
}

}  // namespace kestrel::output
