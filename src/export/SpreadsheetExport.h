#pragma once
// The command "Экспорт в Excel": every visible table that holds rows becomes one sheet of a new
// workbook, named after the table's hint, and the application is then shown.

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "core/Cp1251.h"
#include "core/Document.h"
#include "core/Progress.h"
#include "core/ResultTable.h"
#include "export/SpreadsheetAutomation.h"

namespace kestrel::output {

inline constexpr std::string_view kSpreadsheetStatus = "Передача данных в Excel"_cp;

// The document window's export. The tables are visited from the last created to the first, so
// the calendar's sheet is added first and the information sheet last. The results of the
// operations are ignored. Whatever ends the visit, "Лист1" is then deleted and the application
// shown; an exception thrown during the visit propagates after that. While a table is
// transferred the status reads kSpreadsheetStatus and the progress follows its rows; both are
// cleared after each table, and left as they are when the visit fails.
//
// A table with more rows than a sheet holds (`sheetRows`, the header row included) goes on in
// sheets named after its first with " (2)", " (3)"…, each with the header row again. A text
// longer than a cell holds keeps its first kCellTextLength characters, and once the workbook is
// shown one message, handed to `tell`, names the tables and rows that were cut.
void exportToSpreadsheet(const Document& doc, SpreadsheetAutomation& app, const Progress& progress,
                         const std::function<void(std::string_view)>& tell,
                         std::size_t sheetRows = kSheetRows);

// The same export for any window: `tables` in the order the window created them, with no status
// text and no progress; the message of cut texts goes to `tell`.
void exportTablesToSpreadsheet(std::span<const ResultTable* const> tables,
                               SpreadsheetAutomation& app,
                               const std::function<void(std::string_view)>& tell,
                               std::size_t sheetRows = kSheetRows);

// The message of cut texts begins so.
inline constexpr std::string_view kTextsCut = "Тексты длиннее 32767 символов обрезаны: "_cp;

}  // namespace kestrel::output
