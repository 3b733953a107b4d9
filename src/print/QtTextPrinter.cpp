#include "print/QtTextPrinter.h"

#include <QFontMetrics>
#include <QPageRanges>
#include <QPagedPaintDevice>
#include <algorithm>
#include <vector>

#include "core/Cp1251.h"
#include "core/Errors.h"

namespace kestrel::print {

namespace {

QString toQString(std::string_view text) {
  return QString::fromStdString(toUtf8(text));
}

}  // namespace

class QtTextPrinter::Metrics : public output::TextMetrics {
 public:
  explicit Metrics(const QFontMetrics& font) : font_(font) {}
  int characterHeight() const override { return font_.height(); }
  int textWidth(std::string_view cp1251Text) const override {
    return font_.horizontalAdvance(toQString(cp1251Text));
  }
  int averageCharacterWidth() const override { return font_.averageCharWidth(); }
  int ascent() const { return font_.ascent(); }

 private:
  QFontMetrics font_;
};

void setPageMargins(QPagedPaintDevice& device) {
  const double m = kPageMarginMillimetres;
  device.setPageMargins(QMarginsF(m, m, m, m), QPageLayout::Millimeter);
}

QtTextPrinter::QtTextPrinter(QPagedPaintDevice& device, std::string deviceName, Copies copies)
    : device_(device), deviceName_(std::move(deviceName)), copies_(copies) {}

QtTextPrinter::~QtTextPrinter() {
  if (painter_.isActive()) painter_.end();
}

void QtTextPrinter::open() {
  if (!painter_.begin(&device_)) throw IoError(deviceName_, "the print job cannot be started");
  // The painter's font is the device's default, already scaled to its resolution.
  metrics_ = std::make_unique<Metrics>(painter_.fontMetrics());
  layout_ = std::make_unique<output::PageLayout>(device_.width(), device_.height(), *metrics_);
}

void QtTextPrinter::writeLine(std::string_view cp1251Line) {
  if (!painter_.isActive()) throw IoError(deviceName_, "the print job is not open");
  layout_->writeLine(cp1251Line);
}

void QtTextPrinter::close() {
  if (!painter_.isActive()) return;
  drawPages();
  if (!painter_.end()) throw IoError(deviceName_, "the print job cannot be finished");
}

void QtTextPrinter::drawPages() {
  // Only the chosen pages are drawn, counted from 1 as the print dialog counts them.
  const auto& pages = layout_->pages();
  const QPageRanges ranges = device_.pageRanges();
  std::vector<std::size_t> chosen;
  for (std::size_t page = 0; page < pages.size(); ++page) {
    if (ranges.isEmpty() || ranges.contains(static_cast<int>(page) + 1)) chosen.push_back(page);
  }
  const auto count = static_cast<std::size_t>(std::max(copies_.count, 1));
  std::vector<std::size_t> order;
  if (copies_.collated) {
    for (std::size_t copy = 0; copy < count; ++copy)
      order.insert(order.end(), chosen.begin(), chosen.end());
  } else {
    for (const std::size_t page : chosen)
      order.insert(order.end(), count, page);
  }

  // The job begins on its first page; every further page is started.
  bool first = true;
  for (const std::size_t page : order) {
    if (!first && !device_.newPage()) throw IoError(deviceName_, "a new page cannot be started");
    first = false;
    for (const output::PlacedText& placed : pages[page].texts) {
      // The layout gives the top of the line; the painter wants the baseline.
      painter_.drawText(QPoint(placed.x, placed.y + metrics_->ascent()), toQString(placed.text));
    }
  }
}

}  // namespace kestrel::print
