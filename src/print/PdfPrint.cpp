#include "print/PdfPrint.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPageSize>
#include <QPdfWriter>

#include "core/FileIo.h"
#include "export/Printing.h"
#include "print/QtTextPrinter.h"

namespace kestrel::print {

void printLinesToPdf(const std::vector<std::string>& lines, const std::string& pdfPath,
                     const std::function<void(std::string_view)>& showError) {
  // The PDF is made in memory so that a failed job leaves no partial file behind.
  QBuffer pdf;
  pdf.open(QIODevice::WriteOnly);
  bool failed = false;
  {
    QPdfWriter writer(&pdf);
    writer.setPageSize(QPageSize(QPageSize::A4));
    setPageMargins(writer);
    QtTextPrinter printer(writer, pdfPath);
    output::printLines(lines, printer, [&](std::string_view text) {
      failed = true;
      showError(text);
    });
  }
  if (failed) return;
  const QByteArray& bytes = pdf.data();
  writeWholeFile(pdfPath,
                 std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

HeadlessGui::HeadlessGui() {
  if (QGuiApplication::instance() != nullptr) return;
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "kestrel-cli";
  static char* argv[] = {name, nullptr};
  application_ = std::make_unique<QGuiApplication>(argc, argv);
}

HeadlessGui::~HeadlessGui() = default;

}  // namespace kestrel::print
