#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

#include "BlockExplorerWindow.h"
#include "DocumentWindow.h"
#include "FakeDialogs.h"
#include "MainWindow.h"
#include "support/PmBuilder.h"
#include "support/TempDir.h"

using kestrel::app::BlockExplorerWindow;
using kestrel::app::DocumentWindow;
using kestrel::app::MainWindow;
using kestrel::test::PmBuilder;

class BlockExplorerTest : public kestrel::app::test::DialogTest {
  Q_OBJECT

  // Block 4 with records 3 and 5, block 9 with record 1.
  QString dumpPath() {
    return QString::fromStdString(dir.write("phone.pm", PmBuilder()
                                                            .block(4)
                                                            .record(3, {0x0A, 0xFF, 0x00})
                                                            .record(5, {0x10})
                                                            .block(9)
                                                            .record(1, {0x41})
                                                            .text()));
  }

  static void click(QListWidget* list, int row) {
    QListWidgetItem* item = list->item(row);
    QVERIFY(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
  }

  // A click on the item's check box, which sits at the item's left edge.
  static void clickBox(QListWidget* list, int row) {
    const QRect rect = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      QPoint(rect.left() + rect.height() / 2, rect.center().y()));
  }

  static QStringList texts(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
      out << (list->item(i)->checkState() == Qt::Checked ? "+" : "-") + list->item(i)->text();
    return out;
  }

  static QString cell(const QTableView* grid, int row, int column) {
    return grid->model()->index(row, column).data().toString();
  }

  static void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
  }

 private slots:
  void init() { resetDialogs(); }

  void explorerMarksBlocksAndTheWriterSavesThem() {
    MainWindow frame(services());
    frame.show();
    files.openAnswers = {{dumpPath()}};
    frame.openPm();
    QVERIFY(readingDone(frame));
    DocumentWindow* doc = frame.activeDocument();
    QVERIFY(doc);
    QVERIFY(frame.editMenu()->menuAction()->isVisible());
    frame.openExplorerAction()->trigger();
    BlockExplorerWindow* explorer = doc->explorer();
    QVERIFY(explorer);
    QCOMPARE(explorer->windowTitle(), QStringLiteral("Ковыряем файл — phone.pm"));
    QCOMPARE(frame.mdiArea()->activeSubWindow()->widget(), explorer);

    // The menus show the explorer's commands; its printing is disabled.
    QMenu* file = frame.menuBar()->actions()[0]->menu();
    QStringList disabled;
    for (QAction* a : file->actions()) {
      if (a->isVisible() && !a->isSeparator() && !a->isEnabled()) disabled << a->text();
    }
    QCOMPARE(disabled, (QStringList{QStringLiteral("Открыть EEPROM"), QStringLiteral("Печать")}));

    QCOMPARE(texts(explorer->blockList()), (QStringList{"+4", "+9"}));
    QTableView* grid = explorer->grid();
    QCOMPARE(grid->model()->columnCount(), 402);
    QCOMPARE(grid->model()->headerData(401, Qt::Horizontal).toString(), QStringLiteral("401"));
    QCOMPARE(grid->columnWidth(1), 25);
    QCOMPARE(grid->columnWidth(0), 50);

    click(explorer->blockList(), 0);
    QCOMPARE(texts(explorer->recordList()), (QStringList{"+3", "+5"}));
    QCOMPARE(grid->model()->rowCount(), 0);
    click(explorer->recordList(), 1);
    QCOMPARE(grid->model()->rowCount(), 6);
    QCOMPARE(cell(grid, 0, 0), QStringLiteral("3"));
    QCOMPARE(cell(grid, 0, 1), QStringLiteral("A"));
    QCOMPARE(cell(grid, 0, 2), QStringLiteral("FF"));
    QCOMPARE(cell(grid, 5, 1), QStringLiteral("А"));

    // Record 5 unmarked by its box, block 9 unmarked by its box: the writer leaves them out.
    // A mouse click on a box selects the item, toggles the box and then clicks the item.
    clickBox(explorer->recordList(), 1);
    clickBox(explorer->blockList(), 1);
    QCOMPARE(texts(explorer->recordList()), (QStringList{"-1"}));

    // Back on the document, its menu writes the marked blocks.
    QMdiSubWindow* explorerSub = frame.mdiArea()->activeSubWindow();
    frame.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(doc->parentWidget()));
    QVERIFY(frame.savePmAction()->isEnabled());
    const QString target = QString::fromStdString(dir.file("cut"));
    files.saveAnswers = {{target, 1}};
    frame.savePmAction()->trigger();
    QCOMPARE(files.saveRequests.back().filter, QStringLiteral(".pm|*.pm*"));
    QVERIFY(messages.errors.isEmpty());
    QCOMPARE(kestrel::test::readFile(dir.file("cut.pm")), std::string("[4]\r\n3=0AFF00\r\n"));
    QCOMPARE(doc->statusPanel()->text(), QString());

    // The popup's commands: everything off disables the writer, everything on enables it.
    const auto popup = explorer->blockList()->actions();
    QCOMPARE(popup.size(), 2);
    QCOMPARE(popup[0]->text(), QStringLiteral("Убрать все"));
    popup[0]->trigger();
    QVERIFY(!frame.savePmAction()->isEnabled());
    popup[1]->trigger();
    QVERIFY(frame.savePmAction()->isEnabled());
    QCOMPARE(texts(explorer->blockList()), (QStringList{"+4", "+9"}));

    // The grid goes to the spreadsheet as its one sheet.
    frame.mdiArea()->setActiveSubWindow(explorerSub);
    frame.exportToExcelAction()->trigger();
    QCOMPARE(desktop.opened.size(), 1);
    QVERIFY(desktop.opened[0].endsWith(QStringLiteral(".xlsx")));
  }

  void writerRefusesItsOwnDumpAndACancelClearsTheStatus() {
    MainWindow frame(services());
    frame.show();
    const QString path = dumpPath();
    files.openAnswers = {{path}};
    frame.openPm();
    QVERIFY(readingDone(frame));
    DocumentWindow* doc = frame.activeDocument();
    const std::string before = kestrel::test::readFile(path.toStdString());

    doc->document().setStatus("busy");
    frame.savePmAction()->trigger();  // no answer: cancelled
    QCOMPARE(doc->statusPanel()->text(), QString());

    // Replacing the file is asked first; agreed to, it is refused all the same.
    files.saveAnswers = {{path.chopped(3), 1}};
    messages.questionAnswers = {true};
    frame.savePmAction()->trigger();
    QCOMPARE(messages.questions.size(), 1);
    QCOMPARE(messages.errors.size(), 1);
    QVERIFY(messages.errors[0].contains(QStringLiteral("phone.pm")));
    QCOMPARE(kestrel::test::readFile(path.toStdString()), before);
  }

  void explorersCloseWithTheirDocumentWhichForgetsThem() {
    MainWindow frame(services());
    frame.show();
    files.openAnswers = {{dumpPath()}};
    frame.openPm();
    QVERIFY(readingDone(frame));
    DocumentWindow* doc = frame.activeDocument();
    QPointer<BlockExplorerWindow> first = doc->openBlockExplorer();
    QPointer<BlockExplorerWindow> second = doc->openBlockExplorer();
    QCOMPARE(doc->explorer(), second.data());
    second->parentWidget()->close();
    settle();
    QVERIFY(!second);
    QCOMPARE(doc->explorer(), nullptr);
    QVERIFY(first);

    // Each explorer acts on its own lists.
    click(first->blockList(), 1);
    QCOMPARE(texts(first->recordList()), (QStringList{"+1"}));

    QPointer<DocumentWindow> watched = doc;
    doc->parentWidget()->close();
    settle();
    QVERIFY(!watched);
    QVERIFY(!first);
    QVERIFY(frame.mdiArea()->subWindowList().isEmpty());
  }

  void sectionsPageDecodesTheClickedValue() {
    MainWindow frame(services());
    frame.show();
    files.openAnswers = {{QString::fromStdString(
        dir.write("raw.pm", "[Info]\r\nA=0A41C0\r\nC=4G\r\n[58]\r\n0=00\r\n"))}};
    frame.openPm();
    QVERIFY(readingDone(frame));
    DocumentWindow* doc = frame.activeDocument();
    doc->tabs()->setCurrentIndex(doc->sectionsPageIndex());
    QCOMPARE(doc->sectionNameList()->count(), 2);
    click(doc->sectionNameList(), 0);
    QCOMPARE(doc->sectionLines()->count(), 2);
    QCOMPARE(doc->sectionLines()->item(0)->text(), QStringLiteral("A=0A41C0"));
    click(doc->sectionLines(), 0);
    QCOMPARE(doc->decodedText()->toPlainText(), QStringLiteral("-сp\n-AА"));

    // A value that is not hexadecimal is reported and leaves the text as it was.
    click(doc->sectionLines(), 1);
    QCOMPARE(messages.errors.size(), 1);
    QCOMPARE(doc->decodedText()->toPlainText(), QStringLiteral("-сp\n-AА"));
  }
};

QTEST_MAIN(BlockExplorerTest)
#include "BlockExplorerTest.moc"
