#pragma once
// The plain-text printer device on Qt: the page layout drawn with a QPainter on a printer or a
// PDF writer, in the device's default font.

#include <QPainter>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "export/PrintLayout.h"
#include "export/Printing.h"

class QPagedPaintDevice;

namespace kestrel::app {

class QtTextPrinter : public output::PlainTextPrinter {
 public:
  // deviceName names the printer or file in the errors.
  QtTextPrinter(QPagedPaintDevice& device, std::string deviceName);
  ~QtTextPrinter() override;

  void open() override;
  void writeLine(std::string_view cp1251Line) override;
  void close() override;

 private:
  class Metrics;
  // Draws what the layout placed since the last call, starting the device's new pages.
  void drawPlacedTexts();

  QPagedPaintDevice& device_;
  std::string deviceName_;
  QPainter painter_;
  std::unique_ptr<Metrics> metrics_;
  std::unique_ptr<output::PageLayout> layout_;
  std::size_t page_ = 0;   // the layout's page the device is on
  std::size_t drawn_ = 0;  // texts of that page already drawn
};

// Prints the lines into an A4 PDF with the same layout and font as on paper. The file is
// written completely or not at all: nothing when the printing failed (showError has been told),
// and an IoError with the file's name when it cannot be written. Needs a QGuiApplication.
void printLinesToPdf(const std::vector<std::string>& lines, const std::string& pdfPath,
                     const std::function<void(std::string_view)>& showError);

}  // namespace kestrel::app
