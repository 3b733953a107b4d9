#include <QAction>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDateEdit>
#include <QHorizontalStackedBarSeries>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QXmlStreamReader>
#include <QtTest>
#include <set>

#include "DocumentWindow.h"
#include "FakeDialogs.h"
#include "MainWindow.h"
#include "OverviewPage.h"
#include "Text.h"
#include "WeekHourMap.h"
#include "core/Columns.h"
#include "support/EepromImage.h"
#include "support/PhoneRecords.h"
#include "support/PmBuilder.h"

using kestrel::app::DocumentWindow;
using kestrel::app::MainWindow;
using kestrel::app::OverviewPage;

namespace {

// A dump whose busiest line is written three ways in its call log, next to a number that differs
// from it in the last digit, and with a call whose day no calendar has.
std::string lineWrittenThreeWays() {
  using namespace kestrel::test::phone;
  kestrel::test::PmBuilder pm;
  pm.block(58)
      .record(0, fieldList({field(7, text(u"Иван")), field(70, text(u"Иванов")),
                            field(11, number("+79161234567"))}))
      .blankLine();
  const auto call = [](const std::string& digits, int day, int hour) {
    return fieldList({field(11, number(digits)), field(19, callTime(2012, 3, day, hour, 10, 0))});
  };
  pm.block(59).record(0, call("+79161234567", 1, 9)).record(1, call("+79161234568", 2, 9));
  pm.blankLine();
  pm.block(60).record(0, call("89161234567", 3, 10)).blankLine();
  pm.block(61)
      .record(0, call("0079161234567", 20, 11))
      .record(1, call("900", 31, 12))
      .record(2, fieldList({field(11, number("900")), field(19, callTime(2012, 2, 30, 12, 0, 0))}))
      .blankLine();
  return pm.text();
}

// The point in the view's widget of the middle of a bar of a horizontal bar chart.
QPoint barCentre(QChartView& view, qreal value, int category) {
  QChart* chart = view.chart();
  QAbstractSeries* series = chart->series().front();
  const QPointF inChart = chart->mapToPosition(QPointF(value / 2, category), series);
  return view.mapFromScene(chart->mapToScene(inChart));
}

}  // namespace

// The overview page of a document window: when it is there, where its lines lead and how its
// charts are saved.
class OverviewTest : public kestrel::app::test::DialogTest {
  Q_OBJECT

  // Opens a file of the kind by its open command and waits until the window has read it and
  // built what it shows.
  DocumentWindow* open(MainWindow& frame, void (MainWindow::*command)(), const std::string& file) {
    files.openAnswers = {{QString::fromStdString(file)}};
    (frame.*command)();
    if (!readingDone(frame) || frame.documents().size() != 1) return nullptr;
    DocumentWindow* doc = frame.documents().front();
    if (doc->tabs()->isTabVisible(doc->overviewPageIndex()) &&
        !QTest::qWaitFor([doc] { return doc->overviewPage()->isBuilt(); }, kReadingTimeoutMs))
      return nullptr;
    return doc;
  }

  // Opens a PM dump in a shown frame, on the overview page.
  DocumentWindow* showOverview(MainWindow& frame, const std::string& file) {
    frame.resize(1200, 900);
    frame.show();
    DocumentWindow* doc = open(frame, &MainWindow::openPm, file);
    if (doc == nullptr) return nullptr;
    doc->tabs()->setCurrentIndex(doc->overviewPageIndex());
    return QTest::qWaitForWindowExposed(&frame) ? doc : nullptr;
  }

  static QStringList shownCells(const QTableView& view, int column) {
    QStringList cells;
    for (int r = 0; r < view.model()->rowCount(); ++r)
      cells << view.model()->index(r, column).data().toString().trimmed();
    return cells;
  }

 private slots:
  void init() { resetDialogs(); }

  void thePageIsThereForCallsOrCalendar_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("shown");
    QTest::newRow("PM dump") << 0 << "samples/demo.pm" << true;
    QTest::newRow("GDFS image") << 1 << "samples/demo.bin" << true;
    QTest::newRow("EEPROM image") << 2 << "" << false;
  }
  void thePageIsThereForCallsOrCalendar() {
    QFETCH(int, command);
    QFETCH(QString, file);
    QFETCH(bool, shown);
    const std::string path = file.isEmpty()
                                 ? dir.write("phone.img", kestrel::test::smallEepromImage())
                                 : std::string(KESTREL_SOURCE_DIR) + "/" + file.toStdString();
    MainWindow frame(services());
    frame.show();
    const auto commands =
        std::array{&MainWindow::openPm, &MainWindow::openGdfs, &MainWindow::openEeprom};
    DocumentWindow* doc = open(frame, commands[static_cast<std::size_t>(command)], path);
    QVERIFY(doc);
    QTabWidget* tabs = doc->tabs();
    QCOMPARE(tabs->isTabVisible(doc->overviewPageIndex()), shown);
    // After the pages that were there before it.
    QCOMPARE(doc->overviewPageIndex(), tabs->count() - 1);
    QCOMPARE(tabs->tabText(doc->overviewPageIndex()), QStringLiteral("Обзор"));
    if (!shown) return;

    OverviewPage* page = doc->overviewPage();
    tabs->setCurrentIndex(doc->overviewPageIndex());
    const kestrel::Overview& overview = *page->overview();
    QCOMPARE(page->topLines().size(), std::min<std::size_t>(15, overview.numbers.size()));
    QVERIFY(!page->topLines().empty());
    // The range covers the days of the calls, and the fields show it.
    QCOMPARE(page->rangeStart(), page->spanStart());
    QCOMPARE(page->rangeEnd(), page->spanEnd());
    QCOMPARE(page->rangeStartField()->date(), page->spanStart());
    QVERIFY(page->calendarChart()->chart()->series().size() == 4);
    QCOMPARE(page->weekHourMap()->counts(), overview.callsByWeekdayHour);
  }

  void aBusyLineLeadsToAllItsCallsHoweverWritten() {
    MainWindow frame(services());
    DocumentWindow* doc = showOverview(frame, dir.write("log.pm", lineWrittenThreeWays()));
    QVERIFY(doc);
    OverviewPage* page = doc->overviewPage();
    QCOMPARE(page->withoutDate()->text(),
             QStringLiteral("Без даты (не вошли в графики): вызовов — 1, записей календаря — 0"));
    QCOMPARE(page->unmatchedNumbers()->model()->rowCount(), 2);

    // The top bar is the line with three calls, one of each status; a click on it shows them.
    QChartView* top = page->topNumbersChart();
    const auto categories = static_cast<int>(page->topLines().size());
    const QPoint bar = barCentre(*top, 1, categories - 1);
    QTest::mouseClick(top->viewport(), Qt::LeftButton, {}, bar);
    QTableView* calls = doc->view(doc->document().calls);
    QCOMPARE(doc->tabs()->currentWidget(), calls->parentWidget());
    QCOMPARE(doc->filterField(doc->document().calls)->text(), QStringLiteral("+79161234567"));
    const QStringList numbers = shownCells(*calls, kestrel::kCallPhone);
    QCOMPARE(std::set<QString>(numbers.begin(), numbers.end()),
             (std::set<QString>{"+79161234567", "89161234567", "0079161234567"}));

    // Typing in the field filters by the text again; a double click on an unknown number shows
    // its calls.
    doc->filterField(doc->document().calls)->setText(QStringLiteral("+7916123456"));
    QCOMPARE(shownCells(*calls, kestrel::kCallPhone),
             (QStringList{"+79161234567", "+79161234568"}));
    doc->tabs()->setCurrentIndex(doc->overviewPageIndex());
    QTableView* unmatched = page->unmatchedNumbers();
    emit unmatched->activated(unmatched->model()->index(0, 0));
    QCOMPARE(shownCells(*calls, kestrel::kCallPhone), (QStringList{"900", "900"}));
  }

  void aDragOrTheDateFieldsNarrowTheRange() {
    MainWindow frame(services());
    DocumentWindow* doc = showOverview(frame, dir.write("log.pm", lineWrittenThreeWays()));
    QVERIFY(doc);
    OverviewPage* page = doc->overviewPage();
    QCOMPARE(page->spanStart(), QDate(2012, 3, 1));
    QCOMPARE(page->spanEnd(), QDate(2012, 3, 31));

    // A drag over the middle third of the plot shows only those days.
    QChartView* view = page->callsChart();
    const QRectF plot = view->chart()->plotArea();
    const QPoint from = view->mapFromScene(plot.left() + plot.width() / 3, plot.center().y());
    const QPoint to = view->mapFromScene(plot.left() + 2 * plot.width() / 3, plot.center().y());
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, to, view->viewport()->mapToGlobal(to), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &move);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, to);
    QTRY_VERIFY(page->rangeStart() > page->spanStart());
    QVERIFY(page->rangeStart().daysTo(page->rangeEnd()) < 14);
    QVERIFY(page->rangeEnd() < page->spanEnd());
    QCOMPARE(page->rangeEndField()->date(), page->rangeEnd());

    // The date fields set the range; "Весь период" goes back to every day of the log.
    page->rangeStartField()->setDate(QDate(2012, 3, 2));
    page->rangeEndField()->setDate(QDate(2012, 3, 3));
    QCOMPARE(page->rangeStart(), QDate(2012, 3, 2));
    QCOMPARE(page->rangeEnd(), QDate(2012, 3, 3));
    QCOMPARE(page->calendarChart()->chart()->axes(Qt::Horizontal).front()->property("min"),
             QVariant(QDateTime(QDate(2012, 3, 2), QTime(0, 0))));
    page->wholeSpanButton()->click();
    QCOMPARE(page->rangeStart(), page->spanStart());
    QCOMPARE(page->rangeEnd(), page->spanEnd());
  }

  void aChartIsSavedAsPngOrSvg() {
    MainWindow frame(services());
    DocumentWindow* doc = showOverview(frame, std::string(KESTREL_SOURCE_DIR) + "/samples/demo.pm");
    QVERIFY(doc);
    OverviewPage* page = doc->overviewPage();

    const auto save = [](QWidget* chart, const QString& text) {
      for (QAction* action : chart->actions()) {
        if (action->text() == text) action->trigger();
      }
    };
    const QString png = QString::fromStdString((dir.path() / "calls").string());
    const QString svg = QString::fromStdString((dir.path() / "hours.svg").string());
    files.saveAnswers = {{png, 1}, {svg, 1}};
    save(page->callsChart(), QStringLiteral("Сохранить как PNG…"));
    save(page->weekHourMap(), QStringLiteral("Сохранить как SVG…"));
    QCOMPARE(files.saveRequests.size(), 2);
    QCOMPARE(files.saveRequests[0].fileName, QStringLiteral("Вызовы по дням.png"));

    // The ending of the type is added to a name without it.
    const QImage image(png + QStringLiteral(".png"));
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), page->callsChart()->size());
    QFile file(svg);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QStringList texts;
    while (!xml.atEnd()) {
      if (xml.readNext() == QXmlStreamReader::Characters) texts << xml.text().toString().trimmed();
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QVERIFY(texts.contains(QStringLiteral("Вызовы по дням недели и часам")));

    // A file that cannot be written is reported and leaves nothing.
    const QString nowhere = QString::fromStdString((dir.path() / "none" / "calls.png").string());
    files.saveAnswers = {{nowhere, 1}};
    save(page->topNumbersChart(), QStringLiteral("Сохранить как PNG…"));
    QCOMPARE(messages.errors.size(), 1);
    QVERIFY(!QFile::exists(nowhere));
    QVERIFY(messages.warnings.isEmpty());
  }
};

QTEST_MAIN(OverviewTest)
#include "OverviewTest.moc"
