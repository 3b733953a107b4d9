#include "QtTextPrinter.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPdfWriter>

#include "Text.h"
#include "core/Errors.h"
#include "core/FileIo.h"

namespace kestrel::app {

class QtTextPrinter::Metrics : public output::TextMetrics {
 public:
  explicit Metrics(const QFontMetrics& font) : font_(font) {}
  int characterHeight() const override { return font_.height(); }
  int textWidth(std::string_view cp1251Text) const override {
    return font_.horizontalAdvance(qs(cp1251Text));
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
      painter_.drawText(QPoint(placed.x, placed.y + metrics_->ascent()), qs(placed.text));
    }
    if (page_ + 1 == pages.size()) return;
    if (!device_.newPage()) throw IoError(deviceName_, "a new page cannot be started");
    ++page_;
    drawn_ = 0;
  }
}

void printLinesToPdf(const std::vector<std::string>& lines, const std::string& pdfPath,
                     const std::function<void(std::string_view)>& showError) {
  // The PDF is made in memory so that a failed job leaves no partial file behind.
  QBuffer pdf;
  pdf.open(QIODevice::WriteOnly);
  bool failed = false;
  {
    QPdfWriter writer(&pdf);
    writer.setPageSize(QPageSize(QPageSize::A4));
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

}  // namespace kestrel::app
