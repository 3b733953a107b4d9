#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QtTest>

#include "DocumentWindow.h"
#include "FakeDialogs.h"
#include "MainWindow.h"
#include "Text.h"
#include "core/Columns.h"
#include "export/ReportLines.h"
#include "support/TempDir.h"

using kestrel::app::DocumentWindow;
using kestrel::app::MainWindow;

// Finding things in a document's tables: sorting by a column, the filter field, copying rows,
// and reading cells the column widths cut.
class TableFindingTest : public kestrel::app::test::DialogTest {
  Q_OBJECT

  // The cells of a column as the view shows them, top to bottom.
  static QStringList column(const QTableView& view, int c) {
    QStringList cells;
    for (int r = 0; r < view.model()->rowCount(); ++r)
      cells << view.model()->index(r, c).data().toString();
    return cells;
  }

 private slots:
  void init() { resetDialogs(); }

  void sortFilterAndCopyLeaveTheTableAsItIs() {
    // Twelve cards, so that the running numbers reach two digits; names in mixed letter case.
    const QStringList names = {"борис", "Алла", "анна", "Bob", "Яна",   "alice",
                               "Вера",  "Zoe",  "Егор", "ёж",  "Ирина", "Олег"};
    std::string cards;
    for (int k = 0; k < names.size(); ++k)
      cards += "BEGIN:VCARD\r\nN;CHARSET=UTF-8:" + names[k].toStdString() +
               "\r\nTEL:" + std::to_string(100 + k) + "\r\nEND:VCARD\r\n";
    cards += "BEGIN:VCARD\r\nN:Long\r\nNOTE:" + std::string(300, 'x') + "\r\nEND:VCARD\r\n";
    MainWindow frame(services());
    frame.show();
    frame.openByName({QString::fromStdString(dir.write("book.vcf", cards))});
    QVERIFY(readingDone(frame));
    DocumentWindow* doc = frame.activeDocument();
    QVERIFY(doc);
    const kestrel::ResultTable& book = doc->document().phonebook;
    QTableView* view = doc->view(book);
    const auto report = kestrel::output::reportLines(doc->document(), {true, true, true});

    // The running numbers sort by value, the names in the alphabet's order, letter case aside.
    view->sortByColumn(0, Qt::AscendingOrder);
    QCOMPARE(column(*view, 0).mid(8, 3), (QStringList{"9", "10", "11"}));
    view->sortByColumn(kestrel::kPbName, Qt::AscendingOrder);
    QCOMPARE(column(*view, kestrel::kPbName).mid(0, 5),
             (QStringList{"alice", "Bob", "Long", "Zoe", "Алла"}));
    QCOMPARE(column(*view, kestrel::kPbName).at(5), QStringLiteral("анна"));
    // The exports keep the table's own order.
    QCOMPARE(kestrel::output::reportLines(doc->document(), {true, true, true}), report);
    QCOMPARE(kestrel::app::toQString(book.cell(0, kestrel::kPbName)), QStringLiteral("борис"));

    // Ctrl+F reaches the filter field; the filter keeps rows with the text in any shown cell.
    doc->tabs()->setCurrentWidget(view->parentWidget());
    QApplication::setActiveWindow(&frame);
    doc->focusFilter();
    QLineEdit* filter = doc->filterField(book);
    QVERIFY(filter);
    QCOMPARE(QApplication::focusWidget(), filter);
    filter->setText(QStringLiteral("АН"));
    QCOMPARE(column(*view, kestrel::kPbName), (QStringList{"анна"}));
    filter->setText(QStringLiteral("БОРИС"));
    QCOMPARE(view->model()->rowCount(), 1);
    filter->clear();
    QCOMPARE(view->model()->rowCount(), 13);

    // Ctrl+C: the selected rows as the view shows them, shown cells joined by tabs.
    view->sortByColumn(-1, Qt::AscendingOrder);
    view->selectRow(1);
    view->selectionModel()->select(view->model()->index(0, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view->actions().front()->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QStringLiteral("1\tборис\t100\t\n2\tАлла\t101\t"));

    // A long cell shows whole in its tooltip, and a double click on the header edge fits it.
    const int notes = kestrel::kPbNotes;
    const QModelIndex longNote = view->model()->index(12, notes);
    QCOMPARE(longNote.data(Qt::ToolTipRole).toString(), QString(300, 'x'));
    const int cut = view->columnWidth(notes);
    emit view->horizontalHeader()->sectionHandleDoubleClicked(notes);
    QVERIFY2(view->columnWidth(notes) > 2 * cut, qPrintable(QString::number(cut)));
  }

  void datesSortByDateAndEscapeClearsTheFilter() {
    std::string cards;
    for (const char* birthday : {"20120308", "19750412", "", "20120521", "19820930"}) {
      cards += "BEGIN:VCARD\r\nN:Card\r\n";
      if (*birthday != '\0') cards += std::string("BDAY:") + birthday + "\r\n";
      cards += "END:VCARD\r\n";
    }
    MainWindow frame(services());
    frame.show();
    frame.openByName({QString::fromStdString(dir.write("birthdays.vcf", cards))});
    QVERIFY(readingDone(frame));
    DocumentWindow* doc = frame.activeDocument();
    QVERIFY(doc);
    QTableView* view = doc->view(doc->document().phonebook);
    const int birthday = kestrel::kPbBirthday;
    view->sortByColumn(birthday, Qt::AscendingOrder);
    QCOMPARE(column(*view, birthday),
             (QStringList{"12.04.1975", "30.09.1982", "08.03.2012", "21.05.2012", ""}));
    view->sortByColumn(birthday, Qt::DescendingOrder);
    QCOMPARE(column(*view, birthday),
             (QStringList{"21.05.2012", "08.03.2012", "30.09.1982", "12.04.1975", ""}));

    // Escape empties the filter and shows every row again; in an empty field it returns to the
    // table.
    doc->tabs()->setCurrentWidget(view->parentWidget());
    QApplication::setActiveWindow(&frame);
    doc->focusFilter();
    QLineEdit* filter = doc->filterField(doc->document().phonebook);
    QTest::keyClicks(filter, QStringLiteral("1975"));
    QCOMPARE(view->model()->rowCount(), 1);
    QTest::keyClick(filter, Qt::Key_Escape);
    QCOMPARE(filter->text(), QString());
    QCOMPARE(view->model()->rowCount(), 5);
    QCOMPARE(QApplication::focusWidget(), filter);
    QTest::keyClick(filter, Qt::Key_Escape);
    QCOMPARE(QApplication::focusWidget(), view);
  }
};

QTEST_MAIN(TableFindingTest)
#include "TableFindingTest.moc"
