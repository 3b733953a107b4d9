// The document window's print command "Печать".

#include <QFile>
#include <QFileInfo>
#include <QPrinter>

#include "DocumentWindow.h"
#include "FrameServices.h"
#include "PrintSectionsDialog.h"
#include "Text.h"
#include "export/Printing.h"
#include "export/ReportLines.h"
#include "print/QtTextPrinter.h"

namespace kestrel::app {

void DocumentWindow::print() {
  frame_.runReportingErrors(this, [this] {
    PrintSectionsDialog& selection = frame_.printSectionsDialog();
    if (!services_.dialogs->run(selection)) return;
    const std::vector<std::string> lines = output::reportLines(doc_, selection.tableChoice());

    // The print dialog starts from the default printer, or from a PDF file where no printer is
    // installed; the job and a PDF file are named after the document.
    QPrinter printer(QPrinter::HighResolution);
    print::setPageMargins(printer);
    printer.setDocName(QFileInfo(windowTitle()).fileName());
    if (services_.printing == nullptr || !services_.printing->askPrinter(this, printer)) return;

    const std::string name = printer.outputFormat() == QPrinter::PdfFormat
                                 ? QFile::encodeName(printer.outputFileName()).toStdString()
                                 : printer.printerName().toStdString();
    // A printer that cannot make copies itself (a PDF file) gets each of them drawn.
    const print::Copies copies{printer.supportsMultipleCopies() ? 1 : printer.copyCount(),
                               printer.collateCopies()};
    print::QtTextPrinter device(printer, name, copies);
    output::printLines(lines, device, [this](std::string_view text) {
      services_.messages->error(this, toQString(text));
    });
  });
}

}  // namespace kestrel::app
