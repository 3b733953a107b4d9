#include "WeekHourMap.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

namespace kestrel::app {

namespace {
constexpr int kCellWidth = 30;
constexpr int kCellHeight = 22;
constexpr int kMargin = 6;
const std::array<const char16_t*, 7> kWeekdays = {u"Пн", u"Вт", u"Ср", u"Чт", u"Пт", u"Сб", u"Вс"};
}  // namespace

WeekHourMap::WeekHourMap(QWidget* parent) : QWidget(parent) {
  setAccessibleName(QStringLiteral("Вызовы по дням недели и часам"));
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
}

void WeekHourMap::setCounts(const Counts& counts) {
  counts_ = counts;
  largest_ = 0;
  for (const auto& day : counts_)
    largest_ = std::max(largest_, *std::ranges::max_element(day));
  update();
}

int WeekHourMap::labelWidth() const {
  return fontMetrics().horizontalAdvance(QStringLiteral("Пн")) + 2 * kMargin;
}

int WeekHourMap::headerHeight() const {
  return 2 * fontMetrics().height() + kMargin;
}

QSize WeekHourMap::sizeHint() const {
  return {labelWidth() + 24 * kCellWidth + kMargin, headerHeight() + 7 * kCellHeight + kMargin};
}

QSize WeekHourMap::minimumSizeHint() const {
  return {labelWidth() + 24 * 12 + kMargin, headerHeight() + 7 * 12 + kMargin};
}

QRectF WeekHourMap::cellRect(int weekday, int hour) const {
  const double width = (this->width() - labelWidth() - kMargin) / 24.0;
  const double height = (this->height() - headerHeight() - kMargin) / 7.0;
  return {labelWidth() + hour * width, headerHeight() + weekday * height, width, height};
}

void WeekHourMap::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().base());
  const QColor text = palette().color(QPalette::Text);
  painter.setPen(text);
  const int line = fontMetrics().height();
  painter.drawText(QRect(kMargin, 0, width() - 2 * kMargin, line), Qt::AlignLeft,
                   QStringLiteral("Вызовы по дням недели и часам"));
  for (int hour = 0; hour < 24; ++hour) {
    const QRectF cell = cellRect(0, hour);
    painter.drawText(QRectF(cell.left(), line, cell.width(), line + kMargin / 2), Qt::AlignCenter,
                     QString::number(hour));
  }
  QFont small = font();
  small.setPointSizeF(font().pointSizeF() * 0.85);
  for (int day = 0; day < 7; ++day) {
    const QRectF first = cellRect(day, 0);
    painter.setFont(font());
    painter.setPen(text);
    painter.drawText(QRectF(0, first.top(), labelWidth() - kMargin, first.height()),
                     Qt::AlignRight | Qt::AlignVCenter, QString::fromUtf16(kWeekdays[day]));
    painter.setFont(small);
    for (int hour = 0; hour < 24; ++hour) {
      const QRectF cell = cellRect(day, hour).adjusted(0.5, 0.5, -0.5, -0.5);
      const std::size_t count = counts_[day][hour];
      // Light grey for a few calls up to nearly black for the busiest hour; white for none.
      const double share = largest_ == 0 ? 0.0 : static_cast<double>(count) / largest_;
      const int shade = count == 0 ? 255 : 225 - static_cast<int>(share * 190);
      painter.fillRect(cell, QColor(shade, shade, shade));
      painter.setPen(QColor(190, 190, 190));
      painter.drawRect(cell);
      if (count == 0) continue;
      painter.setPen(shade < 128 ? Qt::white : Qt::black);
      painter.drawText(cell, Qt::AlignCenter, QString::number(count));
    }
  }
}

}  // namespace kestrel::app
