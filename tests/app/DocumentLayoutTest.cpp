// How document windows lay themselves out: where a new one opens among the others, and the
// widths of their table columns, fitted on command and kept between windows and runs.

#include <QFile>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

#include "DocumentWindow.h"
#include "FakeDialogs.h"
#include "MainWindow.h"
#include "WindowPlacementQt.h"
#include "core/Columns.h"

using kestrel::app::DocumentWindow;
using kestrel::app::MainWindow;
using kestrel::app::setSettingsFolder;
using kestrel::app::settingsFolder;

class DocumentLayoutTest : public kestrel::app::test::DialogTest {
  Q_OBJECT

  int run_ = 0;
  const QString demo_ = QStringLiteral(KESTREL_SOURCE_DIR "/samples/demo.pm");

  static QMdiSubWindow* subWindow(DocumentWindow* doc) {
    return qobject_cast<QMdiSubWindow*>(doc->parentWidget());
  }
  static QString settingsText() {
    QFile f(settingsFolder() + "/setupchildKestrel");
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
  }
  static void writeSettings(const QByteArray& text) {
    QDir().mkpath(settingsFolder());
    QFile f(settingsFolder() + "/setupchildKestrel");
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
  }
  DocumentWindow* openDemo(MainWindow& frame) {
    files.openAnswers = {{demo_}};
    frame.openPm();
    return readingDone(frame) ? frame.activeDocument() : nullptr;
  }
  static QList<int> widths(const QTableView& view) {
    QList<int> out;
    for (int c = 0; c < view.model()->columnCount(); ++c)
      out << (view.isColumnHidden(c) ? 0 : view.columnWidth(c));
    return out;
  }
  static QList<int> tableWidths(const kestrel::ResultTable& table) {
    QList<int> out;
    for (std::size_t c = 0; c < table.columnCount(); ++c)
      out << table.columnWidth(c);
    return out;
  }

 private slots:
  void init() {
    resetDialogs();
    setSettingsFolder(QString::fromStdString(dir.file("run" + std::to_string(++run_))));
  }

  void newDocumentsCascadeFromTheLastOpenedAndWrapInsideTheArea() {
    writeSettings("[TReadForm]\nShowCmd=1\nNormPos=10,20,410,270\n");
    MainWindow frame(services());
    frame.show();
    QList<QPoint> at;
    for (int i = 0; i < 3; ++i) {
      DocumentWindow* doc = openDemo(frame);
      QVERIFY(doc);
      QCOMPARE(subWindow(doc)->size(), QSize(400, 250));
      at << subWindow(doc)->pos();
    }
    // The stored placement puts the first; each next one a title bar down and right.
    QCOMPARE(at[0], QPoint(10, 20));
    const QPoint step = at[1] - at[0];
    QVERIFY(step.x() > 0);
    QCOMPARE(step.y(), step.x());
    QCOMPARE(at[2], at[1] + step);

    // Another one would leave the document area: it goes back to the corner.
    const QRect area = frame.mdiArea()->viewport()->rect();
    subWindow(frame.documents().last())->move(area.right() - 400, 30);
    QCOMPARE(subWindow(openDemo(frame))->pos(), QPoint(0, 0));
    // The last one opened is the one followed, wherever the user moved it.
    subWindow(frame.documents().last())->move(100, 50);
    QCOMPARE(subWindow(openDemo(frame))->pos(), QPoint(100, 50) + step);
    QVERIFY(messages.errors.isEmpty());
  }

  void fittingColumnsWidensTheShownOnesToTheirTextsAndKeepsTheTablesOwn() {
    MainWindow frame(services());
    frame.show();
    DocumentWindow* doc = openDemo(frame);
    QVERIFY(doc);
    QTableView* book = doc->view(doc->document().phonebook);
    // A table starts with its own widths, which the exports use.
    const QList<int> own = tableWidths(doc->document().phonebook);
    QCOMPARE(widths(*book), own);

    QVERIFY(frame.fitColumnsAction()->isVisible() && frame.fitColumnsAction()->isEnabled());
    doc->tabs()->setCurrentIndex(1);  // the phonebook's page
    frame.fitColumnsAction()->trigger();
    for (int c = 0; c < book->model()->columnCount(); ++c) {
      if (own[c] == 0) {
        QVERIFY2(book->isColumnHidden(c), qPrintable(QString::number(c)));
        continue;
      }
      const QAbstractItemView& cells = *book;
      const int needed =
          std::max(cells.sizeHintForColumn(c), book->horizontalHeader()->sectionSizeHint(c));
      QCOMPARE(book->columnWidth(c), needed);
    }
    QVERIFY(widths(*book) != own);
    QCOMPARE(tableWidths(doc->document().phonebook), own);
    // The command fits the shown page's table only.
    QTableView* calls = doc->view(doc->document().calls);
    QCOMPARE(widths(*calls), tableWidths(doc->document().calls));
  }

  void widthsTheUserSetsComeBackWithTheDocumentPlacement() {
    QList<int> set;
    QList<int> fitted;
    {
      MainWindow frame(services());
      frame.show();
      DocumentWindow* doc = openDemo(frame);
      QTableView* book = doc->view(doc->document().phonebook);
      book->horizontalHeader()->resizeSection(kestrel::kPbName, 333);  // as a drag does
      set = widths(*book);
      QTableView* calendar = doc->view(doc->document().calendar);
      doc->tabs()->setCurrentWidget(calendar->parentWidget());
      frame.fitColumnsAction()->trigger();
      fitted = widths(*calendar);
      QVERIFY(subWindow(doc)->close());
    }
    const QString text = settingsText();
    // The placement's keys are written as before, the widths after them.
    QVERIFY2(text.startsWith("[TReadForm]\nFormVersion=0\nFlags=0\nShowCmd="), qPrintable(text));
    QVERIFY2(text.indexOf("\nNormPos=") < text.indexOf("\nColWidths_Phonebook="), qPrintable(text));

    MainWindow frame(services());
    frame.show();
    DocumentWindow* doc = openDemo(frame);
    QTableView* book = doc->view(doc->document().phonebook);
    QCOMPARE(widths(*book), set);
    QCOMPARE(book->columnWidth(kestrel::kPbName), 333);
    QVERIFY(book->isColumnHidden(kestrel::kPbFormalName));
    QCOMPARE(widths(*doc->view(doc->document().calendar)), fitted);
    // Untouched tables keep their own widths.
    QCOMPARE(widths(*doc->view(doc->document().calls)), tableWidths(doc->document().calls));

    // A double click on a header edge fits that column, and is kept as well.
    QHeaderView* header = book->horizontalHeader();
    const int edge =
        header->sectionViewportPosition(kestrel::kPbName) + header->sectionSize(kestrel::kPbName);
    QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, QPoint(edge - 1, 5));
    const int doubleClicked = book->columnWidth(kestrel::kPbName);
    QVERIFY(doubleClicked != 333);
    QVERIFY(subWindow(doc)->close());
    QVERIFY(openDemo(frame));
    QCOMPARE(frame.activeDocument()
                 ->view(frame.activeDocument()->document().phonebook)
                 ->columnWidth(kestrel::kPbName),
             doubleClicked);
    QVERIFY(messages.errors.isEmpty());
  }
};

QTEST_MAIN(DocumentLayoutTest)
#include "DocumentLayoutTest.moc"
