// The document window's command "Экспорт в Excel".

#include "DocumentWindow.h"
#include "FrameServices.h"
#include "export/SpreadsheetExport.h"
#include "export/XlsxSpreadsheet.h"

namespace kestrel::app {

void DocumentWindow::exportToSpreadsheet() {
  // The spreadsheet's own failures are swallowed by its operations; a fault in reading the
  // tables reaches the general error report once the workbook has been shown.
  frame_.runReportingErrors(this, [this] {
    output::exportToSpreadsheet(doc_, frame_.spreadsheet(), progressOf(doc_),
                                [this](std::string_view text) { doc_.showMessage(text); });
  });
}

}  // namespace kestrel::app
