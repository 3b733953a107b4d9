#pragma once
// Calls by weekday and hour as a grid of 7 × 24 cells: the darker a cell the more calls, and
// each cell with calls writes its count, so that the map reads without telling shades apart.

#include <QWidget>
#include <array>
#include <cstddef>

namespace kestrel::app {

class WeekHourMap : public QWidget {
  Q_OBJECT
 public:
  using Counts = std::array<std::array<std::size_t, 24>, 7>;

  explicit WeekHourMap(QWidget* parent = nullptr);

  // Rows Monday to Sunday, columns the hours 0 to 23.
  void setCounts(const Counts& counts);
  const Counts& counts() const { return counts_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // The cell of a weekday and hour in the widget's coordinates.
  QRectF cellRect(int weekday, int hour) const;
  int labelWidth() const;
  int headerHeight() const;

  Counts counts_{};
  std::size_t largest_ = 0;
};

}  // namespace kestrel::app
