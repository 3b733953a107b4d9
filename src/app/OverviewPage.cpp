#include "OverviewPage.h"

#include <QAbstractTableModel>
#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QDateEdit>
#include <QDateTimeAxis>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHorizontalStackedBarSeries>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPushButton>
#include <QScatterSeries>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QTableView>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <map>

#include "ChartImages.h"
#include "Text.h"
#include "WeekHourMap.h"

namespace kestrel::app {

namespace {

// Up to this many days a bar of the calls chart is a day, up to kMostWeeks days a week, beyond
// that a month: some hundred steps, however long the log.
constexpr std::int32_t kMostDays = 400;
constexpr std::int32_t kMostWeeks = 2000;
constexpr int kTopCount = 15;

QDate dateOfDay(std::int32_t day) {
  return QDate(1970, 1, 1).addDays(day);
}

std::int32_t dayOfDate(QDate date) {
  return static_cast<std::int32_t>(QDate(1970, 1, 1).daysTo(date));
}

qreal msOfDay(std::int32_t day) {
  return static_cast<qreal>(QDateTime(dateOfDay(day), QTime(0, 0)).toMSecsSinceEpoch());
}

enum class Step { Day, Week, Month };

Step stepOf(std::int32_t days) {
  if (days <= kMostDays) return Step::Day;
  if (days <= kMostWeeks) return Step::Week;
  return Step::Month;
}

// The first day of the step that holds the day.
std::int32_t stepStart(std::int32_t day, Step step) {
  switch (step) {
    case Step::Day:
      return day;
    case Step::Week:
      return day - weekdayOf(day);
    case Step::Month: {
      const QDate date = dateOfDay(day);
      return dayOfDate(QDate(date.year(), date.month(), 1));
    }
  }
  return day;
}

std::int32_t nextStep(std::int32_t start, Step step) {
  switch (step) {
    case Step::Day:
      return start + 1;
    case Step::Week:
      return start + 7;
    case Step::Month:
      return dayOfDate(dateOfDay(start).addMonths(1));
  }
  return start + 1;
}

// The days from a step's first to the day after its last.
using DaySpan = std::pair<std::int32_t, std::int32_t>;

// The steps over the days first to last, the first and the last cut to them.
std::vector<DaySpan> stepsOf(std::int32_t first, std::int32_t last, Step step) {
  std::vector<DaySpan> steps;
  for (std::int32_t start = first; start <= last;) {
    const std::int32_t end = std::min(nextStep(stepStart(start, step), step), last + 1);
    steps.emplace_back(start, end);
    start = end;
  }
  return steps;
}

void addTo(CallCounts& into, const CallCounts& counts) {
  into.incoming += counts.incoming;
  into.outgoing += counts.outgoing;
  into.missed += counts.missed;
  into.other += counts.other;
}

void addTo(CalendarCounts& into, const CalendarCounts& counts) {
  into.birthdays += counts.birthdays;
  into.notes += counts.notes;
  into.events += counts.events;
  into.other += counts.other;
}

// The counts of the days summed per step.
template <typename Counts>
std::vector<Counts> perStep(const std::map<std::int32_t, Counts>& perDay,
                            const std::vector<DaySpan>& steps) {
  std::vector<Counts> counts(steps.size());
  if (steps.empty()) return counts;
  std::size_t at = 0;
  for (auto it = perDay.lower_bound(steps.front().first);
       it != perDay.end() && it->first < steps.back().second; ++it) {
    while (steps[at].second <= it->first)
      ++at;
    addTo(counts[at], it->second);
  }
  return counts;
}

// An axis of counts from 0 past the highest, its ticks on whole numbers: steps of 1, 2 or 5
// times a power of ten, some five of them.
void setCountRange(QValueAxis& axis, std::size_t highest) {
  std::size_t step = 1;
  for (std::size_t power = 1; step * 5 < highest; power *= 10) {
    for (const std::size_t factor : {1, 2, 5}) {
      step = factor * power;
      if (step * 5 >= highest) break;
    }
  }
  const std::size_t top = std::max<std::size_t>((highest + step - 1) / step, 1) * step;
  axis.setRange(0, static_cast<qreal>(top));
  axis.setTickCount(static_cast<int>(top / step) + 1);
  axis.setLabelFormat(QStringLiteral("%d"));
}

QChart* newChart(const QString& title) {
  auto* chart = new QChart;
  chart->setTitle(title);
  chart->setAnimationOptions(QChart::NoAnimation);
  chart->legend()->setAlignment(Qt::AlignBottom);
  chart->setMargins(QMargins(4, 4, 4, 4));
  return chart;
}

// A chart view whose right button opens the context menu instead of undoing a drag.
class ChartView : public QChartView {
 public:
  using QChartView::QChartView;

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::RightButton) {
      QGraphicsView::mouseReleaseEvent(event);
      return;
    }
    QChartView::mouseReleaseEvent(event);
  }
};

QChartView* newChartView(QChart* chart, FrameServices& frame, const QString& fileName) {
  auto* view = new ChartView(chart);
  view->setRenderHint(QPainter::Antialiasing);
  view->setAccessibleName(chart->title());
  offerChartSaving(*view, frame, fileName);
  return view;
}

struct StatusLayer {
  const char16_t* name;
  std::size_t CallCounts::*count;
  QColor color;
  Qt::BrushStyle pattern;
};

// Told apart by their names in the legend and by the pattern of their fill as well as colour.
const std::array<StatusLayer, 4> kStatusLayers = {{
    {u"Входящие", &CallCounts::incoming, QColor(45, 110, 190), Qt::SolidPattern},
    {u"Исходящие", &CallCounts::outgoing, QColor(40, 150, 70), Qt::Dense3Pattern},
    {u"Пропущенные", &CallCounts::missed, QColor(205, 50, 40), Qt::BDiagPattern},
    {u"Без статуса", &CallCounts::other, QColor(120, 120, 120), Qt::Dense6Pattern},
}};

QString countsText(const CallCounts& counts) {
  QString text = QStringLiteral("вх. %1 · исх. %2 · проп. %3")
                     .arg(counts.incoming)
                     .arg(counts.outgoing)
                     .arg(counts.missed);
  if (counts.other > 0) text += QStringLiteral(" · без статуса %1").arg(counts.other);
  return text;
}

QString contactText(const NumberSummary& line) {
  if (!line.contactRow) return QStringLiteral("нет в книжке");
  if (line.contactName.empty()) return QStringLiteral("без имени");
  return toQString(line.contactName);
}

// The numbers of the call log that no contact has, busiest first.
class UnmatchedNumbersModel : public QAbstractTableModel {
 public:
  UnmatchedNumbersModel(QObject* parent) : QAbstractTableModel(parent) {}

  void setLines(const Overview* overview) {
    beginResetModel();
    lines_.clear();
    if (overview != nullptr) {
      for (const NumberSummary* line : overview->unmatchedNumbers())
        lines_.push_back(static_cast<std::size_t>(line - overview->numbers.data()));
    }
    overview_ = overview;
    endResetModel();
  }
  std::size_t lineAt(int row) const { return lines_[static_cast<std::size_t>(row)]; }

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(lines_.size());
  }
  int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 5; }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || overview_ == nullptr) return {};
    const NumberSummary& line = overview_->numbers[lineAt(index.row())];
    if (role == Qt::TextAlignmentRole && index.column() > 0)
      return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
      case 0:
        return toQString(line.number);
      case 1:
        return QVariant::fromValue(line.counts.total());
      case 2:
        return QVariant::fromValue(line.counts.incoming);
      case 3:
        return QVariant::fromValue(line.counts.outgoing);
      default:
        return QVariant::fromValue(line.counts.missed);
    }
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const std::array<const char16_t*, 5> kCaptions = {u"Номер", u"Вызовов", u"Входящие",
                                                             u"Исходящие", u"Пропущенные"};
    return QString::fromUtf16(kCaptions[static_cast<std::size_t>(section)]);
  }

 private:
  const Overview* overview_ = nullptr;
  std::vector<std::size_t> lines_;
};

}  // namespace

OverviewPage::OverviewPage(FrameServices& frame, QWidget* parent)
    : QStackedWidget(parent), frame_(frame) {
  building_ = new QLabel(QStringLiteral("Обзор строится…"));
  building_->setAlignment(Qt::AlignCenter);
  addWidget(building_);
  auto* scroll = new QScrollArea;
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  contents_ = buildContents();
  scroll->setWidget(contents_);
  addWidget(scroll);
  setCurrentIndex(0);
}

OverviewPage::~OverviewPage() = default;

QWidget* OverviewPage::buildContents() {
  auto* contents = new QWidget;
  auto* layout = new QVBoxLayout(contents);
  summary_ = new QLabel;
  summary_->setObjectName(QStringLiteral("summary"));
  summary_->setWordWrap(true);
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(summary_);

  auto* range = new QHBoxLayout;
  fromField_ = new QDateEdit;
  toField_ = new QDateEdit;
  for (QDateEdit* field : {fromField_, toField_}) {
    field->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    field->setCalendarPopup(true);
    connect(field, &QDateEdit::dateChanged, this, [this] {
      if (!filling_) setRange(fromField_->date(), toField_->date());
    });
  }
  wholeSpan_ = new QPushButton(QStringLiteral("Весь период"));
  connect(wholeSpan_, &QPushButton::clicked, this, &OverviewPage::showWholeSpan);
  auto* fromLabel = new QLabel(QStringLiteral("Период с"));
  fromLabel->setBuddy(fromField_);
  auto* toLabel = new QLabel(QStringLiteral("по"));
  toLabel->setBuddy(toField_);
  range->addWidget(fromLabel);
  range->addWidget(fromField_);
  range->addWidget(toLabel);
  range->addWidget(toField_);
  range->addWidget(wholeSpan_);
  auto* hint = new QLabel(QStringLiteral("Выделите участок графика мышью, чтобы сузить период"));
  hint->setEnabled(false);
  range->addWidget(hint);
  range->addStretch(1);
  layout->addLayout(range);

  QChart* calls = newChart(QStringLiteral("Вызовы по дням"));
  callsDays_ = new QDateTimeAxis;
  callsCount_ = new QValueAxis;
  callsCount_->setLabelFormat(QStringLiteral("%d"));
  callsCount_->setTitleText(QStringLiteral("Вызовов"));
  calls->addAxis(callsDays_, Qt::AlignBottom);
  calls->addAxis(callsCount_, Qt::AlignLeft);
  callsView_ = newChartView(calls, frame_, QStringLiteral("Вызовы по дням"));
  callsView_->setObjectName(QStringLiteral("callsChart"));
  callsView_->setRubberBand(QChartView::HorizontalRubberBand);
  callsView_->setMinimumHeight(320);
  connect(callsDays_, &QDateTimeAxis::rangeChanged, this, [this] {
    // A drag zooms the axis inside the chart's own handling of the mouse: the range is taken
    // once that is done.
    if (!filling_) QTimer::singleShot(0, this, &OverviewPage::takeChartRange);
  });
  layout->addWidget(callsView_);

  QChart* calendar = newChart(QStringLiteral("Календарь"));
  calendarDays_ = new QDateTimeAxis;
  auto* kinds = new QCategoryAxis;
  kinds->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  // Each kind's label stands at its row: the categories go up from "Другие" at 0.
  kinds->setStartValue(-0.5);
  kinds->append(QStringLiteral("Другие"), 0);
  kinds->append(QStringLiteral("События"), 1);
  kinds->append(QStringLiteral("Заметки"), 2);
  kinds->append(QStringLiteral("Дни рождения"), 3);
  kinds->setRange(-0.5, 3.5);
  kinds->setGridLineVisible(false);
  calendar->addAxis(calendarDays_, Qt::AlignBottom);
  calendar->addAxis(kinds, Qt::AlignLeft);
  calendarView_ = newChartView(calendar, frame_, QStringLiteral("Календарь"));
  calendarView_->setObjectName(QStringLiteral("calendarChart"));
  calendarView_->setMinimumHeight(220);
  layout->addWidget(calendarView_);
  calendarOutside_ = new QLabel;
  calendarOutside_->setObjectName(QStringLiteral("calendarOutside"));
  layout->addWidget(calendarOutside_);

  auto* hours = new QHBoxLayout;
  weekHourMap_ = new WeekHourMap;
  weekHourMap_->setObjectName(QStringLiteral("weekHourMap"));
  offerChartSaving(*weekHourMap_, frame_, QStringLiteral("Вызовы по часам"));
  hours->addWidget(weekHourMap_, 2);
  hours->addStretch(1);
  layout->addLayout(hours);
  QChart* top =
      newChart(QStringLiteral("Частые номера (щелчок по полосе показывает вызовы номера)"));
  topView_ = newChartView(top, frame_, QStringLiteral("Частые номера"));
  topView_->setObjectName(QStringLiteral("topNumbersChart"));
  layout->addWidget(topView_);

  auto* unmatchedTitle = new QLabel(QStringLiteral("Номера, которых нет в книжке"));
  layout->addWidget(unmatchedTitle);
  unmatchedView_ = new QTableView;
  unmatchedView_->setObjectName(QStringLiteral("unmatchedNumbers"));
  auto* unmatched = new UnmatchedNumbersModel(unmatchedView_);
  unmatchedView_->setModel(unmatched);
  unmatchedView_->setSelectionBehavior(QAbstractItemView::SelectRows);
  unmatchedView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  unmatchedView_->verticalHeader()->hide();
  // Thousands of unknown numbers: the widths are judged from the first rows.
  unmatchedView_->horizontalHeader()->setResizeContentsPrecision(50);
  unmatchedView_->setMinimumHeight(200);
  unmatchedView_->setToolTip(QStringLiteral("Двойной щелчок показывает вызовы номера"));
  unmatchedTitle->setBuddy(unmatchedView_);
  connect(unmatchedView_, &QTableView::activated, this,
          [this, unmatched](const QModelIndex& i) { emit lineChosen(unmatched->lineAt(i.row())); });
  layout->addWidget(unmatchedView_);

  withoutDate_ = new QLabel;
  withoutDate_->setObjectName(QStringLiteral("withoutDate"));
  layout->addWidget(withoutDate_);
  return contents;
}

void OverviewPage::showBuilding() {
  setCurrentIndex(0);
}

bool OverviewPage::isBuilt() const {
  return currentIndex() == 1 && overview_ != nullptr;
}

void OverviewPage::showOverview(std::shared_ptr<const Overview> overview) {
  overview_ = std::move(overview);
  // The span is the call log's; with no calls, the calendar's.
  const auto& calls = overview_->callsPerDay;
  const auto& calendar = overview_->calendarPerDay;
  if (!calls.empty()) {
    spanFirst_ = calls.begin()->first;
    spanLast_ = calls.rbegin()->first;
  } else if (!calendar.empty()) {
    spanFirst_ = calendar.begin()->first;
    spanLast_ = calendar.rbegin()->first;
  } else {
    spanFirst_ = spanLast_ = dayOfDate(QDate::currentDate());
  }
  {
    const QScopedValueRollback<bool> filling(filling_, true);
    for (QDateEdit* field : {fromField_, toField_})
      field->setDateRange(dateOfDay(spanFirst_), dateOfDay(spanLast_));
  }
  fillUnmatched();
  fillSummary();
  weekHourMap_->setCounts(overview_->callsByWeekdayHour);
  fillTopNumbers();
  setCurrentIndex(1);
  showWholeSpan();
}

void OverviewPage::fillSummary() {
  CallCounts all = overview_->callsWithoutDate;
  for (const auto& [day, counts] : overview_->callsPerDay)
    addTo(all, counts);
  const auto unmatched = unmatchedView_->model()->rowCount();
  QString text = QStringLiteral("Вызовов: %1 (%2)").arg(all.total()).arg(countsText(all));
  if (!overview_->callsPerDay.empty()) {
    text += QStringLiteral(", с %1 по %2")
                .arg(dateOfDay(spanFirst_).toString(QStringLiteral("dd.MM.yyyy")),
                     dateOfDay(spanLast_).toString(QStringLiteral("dd.MM.yyyy")));
  }
  text += QStringLiteral(". Номеров: %1, из них нет в книжке: %2.")
              .arg(overview_->numbers.size())
              .arg(unmatched);
  summary_->setText(text);
  withoutDate_->setText(
      QStringLiteral("Без даты (не вошли в графики): вызовов — %1, записей календаря — %2")
          .arg(overview_->callsWithoutDate.total())
          .arg(overview_->calendarWithoutDate.total()));
}

void OverviewPage::setRange(QDate from, QDate to) {
  if (overview_ == nullptr || !from.isValid() || !to.isValid()) return;
  std::int32_t first = dayOfDate(from);
  std::int32_t last = dayOfDate(to);
  if (first > last) std::swap(first, last);
  rangeFirst_ = std::clamp(first, spanFirst_, spanLast_);
  rangeLast_ = std::clamp(last, spanFirst_, spanLast_);
  fillCallsChart();
  fillCalendarChart();
  showRangeInFields();
}

void OverviewPage::showWholeSpan() {
  setRange(dateOfDay(spanFirst_), dateOfDay(spanLast_));
}

QDate OverviewPage::rangeStart() const {
  return dateOfDay(rangeFirst_);
}

QDate OverviewPage::rangeEnd() const {
  return dateOfDay(rangeLast_);
}

QDate OverviewPage::spanStart() const {
  return dateOfDay(spanFirst_);
}

QDate OverviewPage::spanEnd() const {
  return dateOfDay(spanLast_);
}

void OverviewPage::showRangeInFields() {
  const QScopedValueRollback<bool> filling(filling_, true);
  fromField_->setDate(rangeStart());
  toField_->setDate(rangeEnd());
}

void OverviewPage::takeChartRange() {
  if (overview_ == nullptr) return;
  const QDateTime min = callsDays_->min();
  const QDateTime max = callsDays_->max();
  // The axis ends at the start of the day after the last one shown.
  const QDate last = max.time() == QTime(0, 0) ? max.date().addDays(-1) : max.date();
  if (dayOfDate(min.date()) == rangeFirst_ && dayOfDate(last) == rangeLast_) return;
  setRange(min.date(), std::max(min.date(), last));
}

void OverviewPage::fillCallsChart() {
  const QScopedValueRollback<bool> filling(filling_, true);
  QChart* chart = callsView_->chart();
  chart->removeAllSeries();
  delete callsLines_;
  callsLines_ = new QObject(this);

  const Step step = stepOf(rangeLast_ - rangeFirst_ + 1);
  static const std::array<const char16_t*, 3> kTitles = {u"Вызовы по дням", u"Вызовы по неделям",
                                                         u"Вызовы по месяцам"};
  chart->setTitle(QString::fromUtf16(kTitles[static_cast<std::size_t>(step)]));
  const std::vector<DaySpan> steps = stepsOf(rangeFirst_, rangeLast_, step);
  const auto& perDay = overview_->callsPerDay;
  const std::vector<CallCounts> counts = perStep(perDay, steps);

  // Stacked: each layer's area lies on the one below it; every step is flat over its days.
  std::vector<std::size_t> stacked(steps.size(), 0);
  QLineSeries* below = nullptr;
  for (const StatusLayer& layer : kStatusLayers) {
    const bool any =
        std::ranges::any_of(perDay, [&](const auto& day) { return day.second.*layer.count > 0; });
    if (!any && layer.count == &CallCounts::other) continue;
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(2 * steps.size()));
    for (std::size_t i = 0; i < steps.size(); ++i) {
      stacked[i] += counts[i].*layer.count;
      const auto value = static_cast<qreal>(stacked[i]);
      points << QPointF(msOfDay(steps[i].first), value) << QPointF(msOfDay(steps[i].second), value);
    }
    auto* top = new QLineSeries(callsLines_);
    top->replace(points);
    auto* area = new QAreaSeries(top, below);
    area->setName(QString::fromUtf16(layer.name));
    area->setBrush(QBrush(layer.color, layer.pattern));
    area->setPen(QPen(layer.color.darker(130), 1));
    chart->addSeries(area);
    area->attachAxis(callsDays_);
    area->attachAxis(callsCount_);
    below = top;
  }
  const std::size_t highest = stacked.empty() ? 0 : *std::ranges::max_element(stacked);
  const auto days = rangeLast_ - rangeFirst_ + 1;
  callsDays_->setFormat(step == Step::Month ? QStringLiteral("MM.yyyy")
                                            : QStringLiteral("dd.MM.yyyy"));
  // A tick on every midnight of a short range, so that no day is named twice.
  callsDays_->setTickCount(std::min(days + 1, 8));
  callsDays_->setRange(
      QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(msOfDay(rangeFirst_))),
      QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(msOfDay(rangeLast_ + 1))));
  setCountRange(*callsCount_, highest);
}

void OverviewPage::fillCalendarChart() {
  QChart* chart = calendarView_->chart();
  chart->removeAllSeries();
  struct KindRow {
    const char16_t* name;
    std::size_t CalendarCounts::*count;
    qreal row;
    QScatterSeries::MarkerShape shape;
  };
  static const std::array<KindRow, 4> kKinds = {{
      {u"Дни рождения", &CalendarCounts::birthdays, 3, QScatterSeries::MarkerShapeStar},
      {u"Заметки", &CalendarCounts::notes, 2, QScatterSeries::MarkerShapeRectangle},
      {u"События", &CalendarCounts::events, 1, QScatterSeries::MarkerShapeCircle},
      {u"Другие", &CalendarCounts::other, 0, QScatterSeries::MarkerShapeTriangle},
  }};
  // A mark per step of the calls chart that has entries of the kind, so that a long log draws
  // some hundred marks, not one per day.
  const std::vector<DaySpan> steps =
      stepsOf(rangeFirst_, rangeLast_, stepOf(rangeLast_ - rangeFirst_ + 1));
  const auto& perDay = overview_->calendarPerDay;
  const std::vector<CalendarCounts> counts = perStep(perDay, steps);
  QAbstractAxis* rows = chart->axes(Qt::Vertical).value(0);
  for (const KindRow& kind : kKinds) {
    auto* series = new QScatterSeries;
    series->setName(QString::fromUtf16(kind.name));
    series->setMarkerShape(kind.shape);
    series->setMarkerSize(9);
    QList<QPointF> points;
    for (std::size_t i = 0; i < steps.size(); ++i) {
      if (counts[i].*kind.count > 0)
        points << QPointF((msOfDay(steps[i].first) + msOfDay(steps[i].second)) / 2, kind.row);
    }
    series->replace(points);
    chart->addSeries(series);
    series->attachAxis(calendarDays_);
    series->attachAxis(rows);
  }
  calendarDays_->setFormat(callsDays_->format());
  calendarDays_->setTickCount(callsDays_->tickCount());
  calendarDays_->setRange(callsDays_->min(), callsDays_->max());

  // Entries outside the span of the calls (a birthday decades ago) are counted, not drawn.
  std::size_t outside = 0;
  for (const auto& [day, entries] : perDay) {
    if (day < spanFirst_ || day > spanLast_) outside += entries.total();
  }
  calendarOutside_->setVisible(outside > 0);
  calendarOutside_->setText(
      QStringLiteral("Записей календаря вне периода вызовов: %1").arg(outside));
}

void OverviewPage::fillTopNumbers() {
  QChart* chart = topView_->chart();
  chart->removeAllSeries();
  for (QAbstractAxis* axis : chart->axes()) {
    chart->removeAxis(axis);
    delete axis;
  }
  topLines_.clear();
  const auto top = overview_->topNumbers(kTopCount);
  for (const NumberSummary* line : top)
    topLines_.push_back(static_cast<std::size_t>(line - overview_->numbers.data()));
  // A horizontal bar chart draws its first category at the bottom: the busiest goes last.
  QStringList categories;
  auto* series = new QHorizontalStackedBarSeries;
  std::size_t highest = 1;
  for (const StatusLayer& layer : kStatusLayers) {
    if (layer.count == &CallCounts::other &&
        std::ranges::none_of(top, [](const NumberSummary* line) { return line->counts.other; }))
      continue;
    auto* set = new QBarSet(QString::fromUtf16(layer.name));
    set->setBrush(QBrush(layer.color, layer.pattern));
    set->setPen(QPen(layer.color.darker(130), 1));
    for (auto it = top.rbegin(); it != top.rend(); ++it)
      *set << static_cast<qreal>((*it)->counts.*layer.count);
    const auto bars = static_cast<std::size_t>(top.size());
    connect(set, &QBarSet::clicked, this, [this, bars](int index) {
      const auto fromTop = bars - 1 - static_cast<std::size_t>(index);
      if (fromTop < topLines_.size()) emit lineChosen(topLines_[fromTop]);
    });
    connect(set, &QBarSet::hovered, this, [this, bars](bool over, int index) {
      const auto fromTop = bars - 1 - static_cast<std::size_t>(index);
      if (!over || fromTop >= topLines_.size()) return;
      const NumberSummary& line = overview_->numbers[topLines_[fromTop]];
      QToolTip::showText(QCursor::pos(), QStringLiteral("%1 — %2\n%3")
                                             .arg(toQString(line.number), contactText(line),
                                                  countsText(line.counts)));
    });
    series->append(set);
  }
  for (auto it = top.rbegin(); it != top.rend(); ++it) {
    const NumberSummary& line = **it;
    highest = std::max(highest, line.counts.total());
    categories << QStringLiteral("%1 — %2: %3 (%4)")
                      .arg(contactText(line), toQString(line.number))
                      .arg(line.counts.total())
                      .arg(countsText(line.counts));
  }
  series->setBarWidth(0.7);
  chart->addSeries(series);
  topView_->setFixedHeight(static_cast<int>(top.size()) * 28 + 120);
  auto* names = new QBarCategoryAxis;
  names->append(categories);
  names->setGridLineVisible(false);
  auto* values = new QValueAxis;
  values->setLabelFormat(QStringLiteral("%d"));
  setCountRange(*values, highest);
  chart->addAxis(names, Qt::AlignLeft);
  chart->addAxis(values, Qt::AlignBottom);
  series->attachAxis(names);
  series->attachAxis(values);
}

void OverviewPage::fillUnmatched() {
  static_cast<UnmatchedNumbersModel*>(unmatchedView_->model())->setLines(overview_.get());
  unmatchedView_->resizeColumnsToContents();
}

}  // namespace kestrel::app
