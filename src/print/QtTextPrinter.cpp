#include "print/QtTextPrinter.h"

#include <QFontMetrics>
#include <QPagedPaintDevice>

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

QtTextPrinter::QtTextPrinter(QPagedPaintDevice& device, std::string deviceName)
    : device_(device), deviceName_(std::move(deviceName)) {}

QtTextPrinter::~QtTextPrinter() {
  if (painter_.isActive()) painter_.end();
}

void QtTextPrinter::open() {
  if (!painter_.begin(&device_)) throw IoError(deviceName_, "the print job cannot be started");
  // The painter's font is the device's default, already scaled to its resolution.
  metrics_ = std::make_unique<Metrics>(painter_.fontMetrics());
  layout_ = std::make_unique<output::PageLayout>(device_.width(), device_.height(), *metrics_);
  page_ = 0;
  drawn_ = 0;
}

void QtTextPrinter::writeLine(std::string_view cp1251Line) {
  if (!painter_.isActive()) throw IoError(deviceName_, "the print job is not open");
  layout_->writeLine(cp1251Line);
  drawPlacedTexts();
}

void QtTextPrinter::close() {
  if (!painter_.isActive()) return;
  if (!painter_.end()) throw IoError(deviceName_, "the print job cannot be finished");
}

void QtTextPrinter::drawPlacedTexts() {
  const auto& pages = layout_->pages();
  for (;;) {
    const auto& texts = pages[page_].texts;
    for (; drawn_ < texts.size(); ++drawn_) {
      const output::PlacedText& placed = texts[drawn_];
      // The layout gives the top of the line; the painter wants the baseline.
      painter_.drawText(QPoint(placed.x, placed.y + metrics_->ascent()), toQString(placed.text));
    }
    if (page_ + 1 == pages.size()) return;
    if (!device_.newPage()) throw IoError(deviceName_, "a new page cannot be started");
    ++page_;
    drawn_ = 0;
  }
}

}  // namespace kestrel::print
