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

// The margin left free on every side of the page: most printers cannot print nearer the edge.
inline constexpr double kPageMarginMillimetres = 10;

// Gives the device the program's page margins; the layout then fills what lies within them.
void setPageMargins(QPagedPaintDevice& device);

// The copies a device gets of the printout where the printer does not make them itself.
struct Copies {
  int count = 1;
  // Whole printouts one after another, or each page as many times before the next.
  bool collated = true;
};

class QtTextPrinter : public output::PlainTextPrinter {
 public:
  // deviceName names the printer or file in the errors.
  QtTextPrinter(QPagedPaintDevice& device, std::string deviceName, Copies copies = {});
  ~QtTextPrinter() override;

  void open() override;
  void writeLine(std::string_view cp1251Line) override;
  // Draws the pages the device's page ranges name (all when it names none), in as many copies
  // as asked, and ends the job.
  void close() override;

 private:
  class Metrics;
  void drawPages();

  QPagedPaintDevice& device_;
  std::string deviceName_;
  Copies copies_;
  QPainter painter_;
  std::unique_ptr<Metrics> metrics_;
  std::unique_ptr<output::PageLayout> layout_;
};

}  // namespace kestrel::print
