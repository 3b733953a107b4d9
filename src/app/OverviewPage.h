#pragma once
// The "Обзор" page of a document window: the call log and the calendar at a glance. Calls per
// day over a range the user narrows, calls by weekday and hour, the busiest lines, the calendar
// on the calls' time axis, the numbers the phonebook lacks and the rows with no real date. It
// shows an Overview built elsewhere; choosing a line tells the window, which shows its calls.

#include <QDate>
#include <QStackedWidget>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/Overview.h"

class QChartView;
class QDateEdit;
class QDateTimeAxis;
class QLabel;
class QPushButton;
class QTableView;
class QValueAxis;

namespace kestrel::app {

class FrameServices;
class WeekHourMap;

class OverviewPage : public QStackedWidget {
  Q_OBJECT
 public:
  explicit OverviewPage(FrameServices& frame, QWidget* parent = nullptr);
  ~OverviewPage() override;

  // "Обзор строится…" until the next overview comes.
  void showBuilding();
  void showOverview(std::shared_ptr<const Overview> overview);
  // The overview shown; none while it is being built.
  const Overview* overview() const { return isBuilt() ? overview_.get() : nullptr; }
  bool isBuilt() const;

  // The days the calls chart and the calendar show, both included, kept within the span of the
  // log (a range turned round is put right).
  void setRange(QDate from, QDate to);
  void showWholeSpan();
  QDate rangeStart() const;
  QDate rangeEnd() const;
  QDate spanStart() const;
  QDate spanEnd() const;

  // The widgets, for tests.
  QChartView* callsChart() const { return callsView_; }
  QChartView* calendarChart() const { return calendarView_; }
  QChartView* topNumbersChart() const { return topView_; }
  WeekHourMap* weekHourMap() const { return weekHourMap_; }
  QTableView* unmatchedNumbers() const { return unmatchedView_; }
  QLabel* withoutDate() const { return withoutDate_; }
  QDateEdit* rangeStartField() const { return fromField_; }
  QDateEdit* rangeEndField() const { return toField_; }
  QPushButton* wholeSpanButton() const { return wholeSpan_; }
  // The line of a bar of the top-numbers chart, top bar first.
  const std::vector<std::size_t>& topLines() const { return topLines_; }

 signals:
  // The user chose a line (an index into the overview's numbers).
  void lineChosen(std::size_t line);

 private:
  QWidget* buildContents();
  void fillSummary();
  void fillCallsChart();
  void fillCalendarChart();
  void fillTopNumbers();
  void fillUnmatched();
  // The chart's axis was moved by a drag: the range follows it.
  void takeChartRange();
  void showRangeInFields();

  FrameServices& frame_;
  std::shared_ptr<const Overview> overview_;
  std::int32_t spanFirst_ = 0;
  std::int32_t spanLast_ = 0;
  std::int32_t rangeFirst_ = 0;
  std::int32_t rangeLast_ = 0;
  // Set while the page itself sets the charts and fields, whose changes are then not the user's.
  bool filling_ = false;

  QLabel* building_ = nullptr;
  QWidget* contents_ = nullptr;
  QLabel* summary_ = nullptr;
  QDateEdit* fromField_ = nullptr;
  QDateEdit* toField_ = nullptr;
  QPushButton* wholeSpan_ = nullptr;
  QChartView* callsView_ = nullptr;
  QDateTimeAxis* callsDays_ = nullptr;
  QValueAxis* callsCount_ = nullptr;
  // Holds the line series the areas of the calls chart are drawn between.
  QObject* callsLines_ = nullptr;
  QChartView* calendarView_ = nullptr;
  QDateTimeAxis* calendarDays_ = nullptr;
  QLabel* calendarOutside_ = nullptr;
  WeekHourMap* weekHourMap_ = nullptr;
  QChartView* topView_ = nullptr;
  std::vector<std::size_t> topLines_;
  QTableView* unmatchedView_ = nullptr;
  QLabel* withoutDate_ = nullptr;
};

}  // namespace kestrel::app
