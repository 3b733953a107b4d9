// The document window's print command "Печать".

#include <QPrinter>
#include <QPrinterInfo>
#include <stdexcept>

#include "DocumentWindow.h"
#include "FrameServices.h"
#include "PrintSectionsDialog.h"
#include "Text.h"
#include "export/Printing.h"
#include "export/ReportLines.h"
#include "print/QtTextPrinter.h"

namespace kestrel::app {

void DocumentWindow::print() {
  // Failures other than the printer's input and output (no default printer among them) reach
  // the general error report.
  frame_.runReportingErrors(this, [this] {
    PrintSectionsDialog& selection = frame_.printSectionsDialog();
    if (!services_.dialogs->run(selection)) return;
    const std::vector<std::string> lines = output::reportLines(doc_, selection.tableChoice());
    const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
    if (defaultPrinter.isNull()) throw std::runtime_error("No default printer is installed.");
    QPrinter printer(defaultPrinter, QPrinter::HighResolution);
    print::QtTextPrinter device(printer, defaultPrinter.printerName().toStdString());
    output::printLines(lines, device, [this](std::string_view text) {
      services_.messages->error(this, toQString(text));
    });
  });
}

}  // namespace kestrel::app
