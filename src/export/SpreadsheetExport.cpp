#include "export/SpreadsheetExport.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/ColumnLetters.h"

namespace kestrel::output {

namespace {

// `letters` names every 1-based column number of the widest table.
std::string cellName(std::span<const std::string> letters, std::size_t column, std::size_t row) {
  return letters[column] + std::to_string(row);
}

std::string columnsUpTo(std::span<const std::string> letters, std::size_t column) {
  return "A:" + letters[column];
}

// The names of the workbook's sheets so far and of the tables still to come, as the
// application compares them, so that a continued sheet takes a name of its own.
class SheetNames {
 public:
  explicit SheetNames(std::span<const ResultTable* const> tables) {
    taken_.push_back(sheetNameKey(kFirstSheetName));
    for (const ResultTable* table : tables)
      taken_.push_back(sheetNameKey(table->hint()));
  }

  // "Вызовы (2)" for the second sheet of "Вызовы": the first name with the lowest number from
  // `number` on that no sheet carries, the name cut short where the number would make it longer
  // than a sheet's name may be.
  std::string continued(const std::string& first, std::size_t number) {
    for (;; ++number) {
      const std::string suffix = " (" + std::to_string(number) + ")";
      std::string name = first.substr(0, kSheetNameLength - suffix.size()) + suffix;
      std::string key = sheetNameKey(name);
      if (std::find(taken_.begin(), taken_.end(), key) != taken_.end()) continue;
      taken_.push_back(std::move(key));
      return name;
    }
  }

 private:
  std::vector<std::string> taken_;
};

// The tables and rows whose texts were cut, for the one message the export ends with. A few
// rows are named; the rest are counted.
class CutTexts {
 public:
  void add(const std::string& table, std::size_t row) {
    if (row == lastRow_ && &table == lastTable_) return;
    lastTable_ = &table;
    lastRow_ = row;
    if (listed_ == kListedRows) {
      ++unlisted_;
      return;
    }
    if (tables_.empty() || tables_.back().first != table) tables_.push_back({table, {}});
    tables_.back().second.push_back(row);
    ++listed_;
  }

  // "Тексты длиннее 32767 символов обрезаны: «Вызовы», строки 2, 7; «Календарь», строка 1 и ещё
  // 12"; empty when nothing was cut.
  std::string message() const {
    if (tables_.empty()) return {};
    std::string text(kTextsCut);
    for (const auto& [table, rows] : tables_) {
      if (&table != &tables_.front().first) text += "; ";
      text += "«"_cp;
      text += table;
      text += rows.size() == 1 ? "», строка "_cp : "», строки "_cp;
      for (std::size_t i = 0; i < rows.size(); ++i)
        text += (i == 0 ? "" : ", ") + std::to_string(rows[i]);
    }
    if (unlisted_ > 0) {
      text += " и ещё "_cp;
      text += std::to_string(unlisted_);
    }
    return text;
  }

 private:
  static constexpr std::size_t kListedRows = 20;
  std::vector<std::pair<std::string, std::vector<std::size_t>>> tables_;
  std::size_t listed_ = 0;
  std::size_t unlisted_ = 0;
  const std::string* lastTable_ = nullptr;
  std::size_t lastRow_ = 0;
};

struct ExportState {
  std::span<const std::string> letters;
  SpreadsheetAutomation& app;
  const Progress& progress;
  std::size_t sheetRows;
  SheetNames names;
  CutTexts cut;
};

// One table onto its sheets, cell by cell; the status text and progress follow the transfer.
void exportTable(const ResultTable& table, ExportState& state) {
  const std::span<const std::string> letters = state.letters;
  SpreadsheetAutomation& app = state.app;
  const Progress& progress = state.progress;
  progress.setPosition(0);
  progress.setStatus(kSpreadsheetStatus);
  // Every sheet holds the header row and as many of the table's rows as fit under it.
  const std::size_t rowsPerSheet = std::max<std::size_t>(state.sheetRows, 2) - 1;
  std::vector<std::string> sheets{table.hint()};
  for (std::size_t shown = rowsPerSheet; shown < table.rowCount(); shown += rowsPerSheet)
    sheets.push_back(state.names.continued(table.hint(), sheets.size() + 1));
  // A new sheet goes before the active one: the last is added first, so they stand in order.
  for (auto it = sheets.rbegin(); it != sheets.rend(); ++it)
    app.addNamedSheet(*it);
  progress.setMaximum(static_cast<int>(table.rowCount()) - 1);

  std::size_t i = 0;
  for (const std::string& sheet : sheets) {
    // Every column, hidden ones too, is text before any value arrives, so that numbers with a
    // leading zero or "+" stay as they were read.
    app.setColumnsFormat(sheet, columnsUpTo(letters, table.columnCount()), kTextNumberFormat);
    std::size_t k = 1;
    for (std::size_t c = 0; c < table.columnCount(); ++c) {
      if (table.columnWidth(c) <= 0) continue;
      app.setCellText(sheet, cellName(letters, k, 1), table.columnCaption(c));
      ++k;
    }

    const std::size_t end = std::min(table.rowCount(), i + rowsPerSheet);
    for (std::size_t r = 2; i < end; ++i, ++r) {
      progress.setPosition(static_cast<int>(i));
      const ResultTable::Row& row = table.row(i);
      const auto setCell = [&](std::size_t column, std::string_view text) {
        if (text.size() > kCellTextLength) {
          state.cut.add(table.hint(), i + 1);
          text = text.substr(0, kCellTextLength);
        }
        app.setCellText(sheet, cellName(letters, column, r), text);
      };
      k = 1;
      // Column A takes the caption whether or not column 0 is shown.
      setCell(1, row.caption());
      for (std::size_t j = 0; j < row.subItemCount(); ++j) {
        if (j + 1 >= table.columnCount() || table.columnWidth(j + 1) <= 0) continue;
        ++k;
        setCell(k, row.subItem(j));
      }
    }

    // The centred range is as wide as the last row reached.
    const std::string written = columnsUpTo(letters, k);
    app.setColumnsHorizontalAlignment(sheet, written, kAlignCentre);
    app.setColumnsVerticalAlignment(sheet, written, kAlignCentre);
  }
  app.selectSheet(sheets.front());
  progress.setPosition(0);
  progress.setStatus("");
}

void exportTables(std::span<const ResultTable* const> tables, SpreadsheetAutomation& app,
                  const Progress& progress, const std::function<void(std::string_view)>& tell,
                  std::size_t sheetRows) {
  // The spreadsheet's names of the columns, as many as the widest table has; column A takes a
  // row's caption even in a table of no columns.
  std::size_t widest = 1;
  for (const ResultTable* table : tables)
    widest = std::max(widest, table->columnCount());
  const std::vector<std::string> letters = makeColumnLetters(static_cast<int>(widest));
  ExportState state{letters, app, progress, sheetRows, SheetNames(tables), {}};
  const auto finish = [&] {
    app.deleteSheet(kFirstSheetName);
    app.showApplication(true);
    // The user hears of the cut texts with the workbook in front of them.
    const std::string cut = state.cut.message();
    if (!cut.empty() && tell) tell(cut);
  };
  app.startApplication();
  app.addWorkbook();
  try {
    for (auto it = tables.rbegin(); it != tables.rend(); ++it) {
      const ResultTable& table = **it;
      if (table.visible() && table.rowCount() > 0) exportTable(table, state);
    }
  } catch (...) {
    // The workbook made so far is still handed to the user; the status stays as it was when
    // the failure came.
    finish();
    throw;
  }
  finish();
}

}  // namespace

void exportToSpreadsheet(const Document& doc, SpreadsheetAutomation& app, const Progress& progress,
                         const std::function<void(std::string_view)>& tell, std::size_t sheetRows) {
  const ResultTable* const tables[] = {&doc.information, &doc.phonebook, &doc.calls, &doc.calendar};
  exportTables(tables, app, progress, tell, sheetRows);
}

void exportTablesToSpreadsheet(std::span<const ResultTable* const> tables,
                               SpreadsheetAutomation& app,
                               const std::function<void(std::string_view)>& tell,
                               std::size_t sheetRows) {
  exportTables(tables, app, Progress{}, tell, sheetRows);
}

}  // namespace kestrel::output
