#pragma once
// The plain-text printer device on Qt: the page layout drawn with a QPainter on any paged paint
// device, in the device's default font: the desktop program's QPrinter or the QPdfWriter of
// printLinesToPdf.

#include <QPainter>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "export/PrintLayout.h"
#include "export/Printing.h"

class QPagedPaintDevice;

namespace kestrel::print {

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

}  // namespace kestrel::print
