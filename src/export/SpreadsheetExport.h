#pragma once
// The command "Экспорт в Excel": every visible table that holds rows becomes one sheet of a new
// workbook, named after the table's hint, and the application is then shown.

#include <span>
#include <string>
#include <string_view>

#include "core/Cp1251.h"
#include "core/Document.h"
#include "core/ResultTable.h"
#include "export/SpreadsheetAutomation.h"

namespace kestrel::output {

inline constexpr std::string_view kSpreadsheetStatus = "Передача данных в Excel"_cp;

// The document window's export. The tables are visited from the last created to the first, so
// the calendar's sheet is added first and the information sheet last. The results of the
// operations are ignored. Whatever ends the visit, "Лист1" is then deleted and the application
// shown; an exception thrown during the visit propagates after that.
void exportToSpreadsheet(Document& doc, SpreadsheetAutomation& app);

// The same export for any window: `tables` in the order the window created them, named by
// `columnLetters` (entry 0 unused), with no status text and no progress.
void exportTablesToSpreadsheet(std::span<const ResultTable* const> tables,
                               std::span<const std::string> columnLetters,
                               SpreadsheetAutomation& app);

}  // namespace kestrel::output
