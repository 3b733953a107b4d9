#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>
#include <array>
#include <cerrno>
#include <cstring>

#include "DocumentWindow.h"
#include "FakeDialogs.h"
#include "MainWindow.h"
#include "ProgramIcon.h"
#include "support/DemoDump.h"
#include "support/EepromImage.h"
#include "support/PmBuilder.h"
#include "support/TempDir.h"

using kestrel::Document;
using kestrel::ResultTable;
using kestrel::app::DocumentWindow;
using kestrel::app::MainWindow;
using kestrel::test::PmBuilder;

class MainWindowTest : public kestrel::app::test::DialogTest {
  Q_OBJECT

  static QStringList visibleMenus(MainWindow& frame) {
    QStringList out;
    for (QAction* a : frame.menuBar()->actions()) {
      if (a->isVisible()) out << a->text().remove('&');
    }
    return out;
  }

  QString dump() {
    return QString::fromStdString(dir.write(
        "phone dump.pm",
        PmBuilder().block(4).record(3, {'S', 'N', '1', 0x00}).block(58).record(0, {0x00}).text()));
  }

 private slots:
  void init() { resetDialogs(); }

  void frameHasItsCaptionGeometryAndMenus() {
    kestrel::app::nameApplication();
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Kestrel"));
    MainWindow frame(services());
    QCOMPARE(frame.windowTitle(), QStringLiteral("Kestrel v1.6 :)"));
    QCOMPARE(frame.geometry().size(), QSize(701, 566));
    QCOMPARE(visibleMenus(frame),
             (QStringList{QStringLiteral("Файл"), QStringLiteral("Настройки"), "About"}));
    for (QAction* a : frame.menuBar()->actions()) {
      if (a->text() == QStringLiteral("&Настройки")) QVERIFY(!a->isEnabled());
    }
  }

  // Every window shows Kestrel's own icon, carried inside the program in every size a desktop
  // asks for, installed or not.
  void windowsShowTheProgramsOwnIcon() {
    kestrel::app::showProgramIcon();
    MainWindow frame(services());
    const QIcon icon = frame.windowIcon();
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
      QVERIFY2(icon.availableSizes().contains(QSize(size, size)),
               qPrintable(QString::number(size)));
    const QImage picture = icon.pixmap(48).toImage();
    int drawn = 0;
    for (int y = 0; y < picture.height(); ++y) {
      for (int x = 0; x < picture.width(); ++x)
        drawn += qAlpha(picture.pixel(x, y)) > 0 ? 1 : 0;
    }
    QVERIFY2(drawn > 48 * 48 / 4, qPrintable(QString::number(drawn)));
    QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("kestrel"));
  }

  void openingAPmDumpShowsItInANewWindow() {
    MainWindow frame(services());
    frame.show();
    const QString path = dump();
    files.openAnswers = {{path}};
    frame.openPm();
    QVERIFY(readingDone(frame));

    QCOMPARE(files.openRequests.size(), 1);
    QCOMPARE(files.openRequests[0].filter, QStringLiteral("PM|*.pm*"));
    QCOMPARE(frame.documents().size(), 1);
    DocumentWindow* doc = frame.activeDocument();
    QVERIFY(doc);
    QCOMPARE(doc->windowTitle(), path);
    QCOMPARE(doc->tabs()->currentIndex(), 0);
    QCOMPARE(doc->statusPanel()->text(), QString());
    QVERIFY(messages.informations.isEmpty());

    QTableView* info = doc->view(doc->document().information);
    QCOMPARE(info->model()->index(0, 0).data().toString(), "Production Serial Number");
    QCOMPARE(info->model()->index(0, 1).data().toString(), "SN1");
    QCOMPARE(info->model()->index(1, 0).data().toString(), QStringLiteral("Записная книжка"));
    QCOMPARE(info->model()->index(1, 1).data().toString(), QStringLiteral("Есть"));
    QVERIFY(frame.saveAction()->isEnabled());
    QVERIFY(frame.exportToExcelAction()->isEnabled());
    QVERIFY(doc->savePmButton()->isEnabled());

    // Tab captions in order; the raw-section page is shown.
    QCOMPARE(doc->tabs()->tabText(1), QStringLiteral("Зап. Книжка"));
    QVERIFY(doc->tabs()->isTabVisible(4));
    QCOMPARE(doc->tabs()->tabText(4), QStringLiteral("Секции"));
    QCOMPARE(doc->sectionNameList()->count(), 2);
  }

  void newDocumentShowsOnlyTheRunningNumberOfPhonebookAndCalls() {
    MainWindow frame(services());
    files.openAnswers = {{dump()}};
    frame.openPm();
    QVERIFY(readingDone(frame));
    DocumentWindow* doc = frame.activeDocument();
    QTableView* book = doc->view(doc->document().phonebook);
    QVERIFY(!book->isColumnHidden(0));
    for (int c = 1; c < 14; ++c)
      QVERIFY(book->isColumnHidden(c));
    QCOMPARE(book->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("ФИО"));
    QTableView* calendar = doc->view(doc->document().calendar);
    for (int c = 0; c < 5; ++c)
      QVERIFY(!calendar->isColumnHidden(c));
    QCOMPARE(calendar->columnWidth(4), 300);
  }

  void progressBarSitsInsideTheStatusBar() {
    MainWindow frame(services());
    frame.show();
    files.openAnswers = {{dump()}};
    frame.openPm();
    QVERIFY(readingDone(frame));
    DocumentWindow* doc = frame.activeDocument();
    QCOMPARE(doc->statusPanel()->width(), 500);
    QCOMPARE(doc->progressBar()->parentWidget(), doc->statusBar());
    QCOMPARE(doc->progressBar()->geometry().topLeft(), QPoint(150, 2));
    QCOMPARE(doc->progressBar()->width(), 350);
    QCOMPARE(doc->progressBar()->height(), doc->statusBar()->height() - 2);
  }

  void malformedDumpShowsTheMessageAndStaysOpen() {
    MainWindow frame(services());
    files.openAnswers = {
        {QString::fromStdString(dir.write("bad.pm", PmBuilder().block(9).line("1=ABC").text()))}};
    frame.openPm();
    QVERIFY(readingDone(frame));
    QCOMPARE(messages.informations, QStringList{QStringLiteral("Неверный формат файла")});
    QCOMPARE(frame.documents().size(), 1);
    DocumentWindow* doc = frame.activeDocument();
    QVERIFY(!frame.saveAction()->isEnabled());
    QVERIFY(!frame.exportToExcelAction()->isEnabled());
    QVERIFY(!doc->savePmButton()->isEnabled());
  }

  // A file that could not be read at all is told by its name and the system's reason, in the
  // message itself and the same for every kind; a file that was read and is no dump gets its
  // kind's format message, or the kind's silence.
  void unreadableFileIsToldByItsNameAndReason_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("err");                // the system's reason; 0: the file was read
    QTest::addColumn<QString>("formatMessage");  // for a file read, what it shows

    const struct {
      const char* name;
      const char* ending;
      const char* notADump;
      QString formatMessage;
    } kinds[] = {{"pm", ".pm", "[9]\r\n0=4\r\n", QStringLiteral("Неверный формат файла")},
                 {"gdfs", ".gdfs", "Gdfs=     0Z01 41", QStringLiteral("Неизвестный формат файла")},
                 {"eeprom", ".img", "~~~", QString()},
                 {"vcf", ".vcf", "~~~", QString()}};
    for (int k = 0; k < 4; ++k) {
      const std::string ending = kinds[k].ending;
      const std::string locked = dir.write("locked" + ending, "[4]\r\n3=41\r\n");
      QCOMPARE(::chmod(locked.c_str(), 0), 0);
      const std::string folder = dir.file("folder" + ending);
      QVERIFY(QDir().mkpath(QString::fromStdString(folder)));
      QTest::addRow("%s, no permission", kinds[k].name)
          << k << QString::fromStdString(locked) << EACCES << QString();
      QTest::addRow("%s, folder", kinds[k].name)
          << k << QString::fromStdString(folder) << EISDIR << QString();
      QTest::addRow("%s, missing", kinds[k].name)
          << k << QString::fromStdString(dir.file("missing" + ending)) << ENOENT << QString();
      QTest::addRow("%s, not a dump", kinds[k].name)
          << k << QString::fromStdString(dir.write("text" + ending, kinds[k].notADump)) << 0
          << kinds[k].formatMessage;
    }
  }

  void unreadableFileIsToldByItsNameAndReason() {
    QFETCH(int, kind);
    QFETCH(QString, file);
    QFETCH(int, err);
    QFETCH(QString, formatMessage);
    if (err == EACCES && ::geteuid() == 0) QSKIP("the superuser reads a file without permission");
    MainWindow frame(services());
    files.openAnswers = {{file}};
    const auto open = std::array{&MainWindow::openPm, &MainWindow::openGdfs,
                                 &MainWindow::openEeprom, &MainWindow::openVcf}[kind];
    (frame.*open)();
    QVERIFY(readingDone(frame));
    QCOMPARE(frame.documents().size(), 1);
    const QStringList told =
        err == 0 ? QStringList()
                 : QStringList{QStringLiteral("Не удалось прочитать файл «%1»:\n%2")
                                   .arg(file, QString::fromLocal8Bit(std::strerror(err)))};
    QCOMPARE(messages.warnings, told);
    QCOMPARE(messages.informations,
             formatMessage.isEmpty() ? QStringList() : QStringList{formatMessage});
    QVERIFY(messages.errors.isEmpty());
  }

  void cancellingTheDialogOpensNothing() {
    MainWindow frame(services());
    frame.openPm();
    QVERIFY(readingDone(frame));
    QCOMPARE(frame.documents().size(), 0);
  }

  void sameFileTwiceGivesTwoIndependentWindows() {
    MainWindow frame(services());
    const QString path = dump();
    files.openAnswers = {{path}, {path}};
    frame.openPm();
    frame.openPm();
    QVERIFY(readingDone(frame));
    const auto docs = frame.documents();
    QCOMPARE(docs.size(), 2);
    QVERIFY(&docs[0]->document() != &docs[1]->document());
    QCOMPARE(docs[1]->windowTitle(), path);
    // The dialog proposes the file chosen last.
    QCOMPARE(files.openRequests[1].fileName, path);
  }

  void activeDocumentBringsItsMenusAndCommands() {
    MainWindow frame(services());
    frame.show();
    files.openAnswers = {{dump()}};
    frame.openPm();
    QVERIFY(readingDone(frame));
    QCOMPARE(visibleMenus(frame),
             (QStringList{QStringLiteral("Файл"), QStringLiteral("Вид"),
                          QStringLiteral("Настройки"), QStringLiteral("Редактирование"), "About"}));
    // "Файл" offers the document's data commands.
    QMenu* file = frame.menuBar()->actions()[0]->menu();
    QStringList items;
    for (QAction* a : file->actions()) {
      if (a->isVisible()) items << a->text();
    }
    QVERIFY(items.contains(QStringLiteral("Экспорт в Excel")));
    QVERIFY(items.contains(QStringLiteral("Сохранить")));

    frame.mdiArea()->closeAllSubWindows();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCOMPARE(visibleMenus(frame),
             (QStringList{QStringLiteral("Файл"), QStringLiteral("Настройки"), "About"}));
  }

  // The frame's shortcuts work while a document is active: Ctrl+O opens the next dump from
  // there too.
  void openShortcutWorksWhileADocumentIsActive() {
    MainWindow frame(services());
    frame.show();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    const QString path = dump();
    files.openAnswers = {{path}, {path}};
    QTest::keyClick(&frame, Qt::Key_O, Qt::ControlModifier);
    QVERIFY(readingDone(frame));
    QCOMPARE(frame.documents().size(), 1);
    QTest::keyClick(frame.activeDocument(), Qt::Key_O, Qt::ControlModifier);
    QVERIFY(readingDone(frame));
    QCOMPARE(files.openRequests.size(), 2);
    QCOMPARE(frame.documents().size(), 2);
  }

  // Every table model tells its views of each change, by Qt's rules for models, and the views
  // show every row the reader added without being told by the command.
  void tableModelsReportTheirChangesToTheirViews() {
    MainWindow frame(services());
    DocumentWindow window(frame, services());
    QList<QAbstractItemModelTester*> testers;
    Document& doc = window.document();
    for (const ResultTable* table : {&doc.information, &doc.phonebook, &doc.calls, &doc.calendar})
      testers << new QAbstractItemModelTester(
          window.view(*table)->model(), QAbstractItemModelTester::FailureReportingMode::QtTest,
          &window);
    QSignalSpy finished(&window, &DocumentWindow::readingFinished);
    window.open(
        kestrel::FileKind::Pm,
        QStringList{QString::fromStdString(dir.write("demo.pm", kestrel::test::demoPmText()))});
    QVERIFY(readingDone(window));
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.front().front().toBool(), true);
    QVERIFY(doc.phonebook.rowCount() > 1 && doc.calls.rowCount() > 1);
    for (const ResultTable* table : {&doc.information, &doc.phonebook, &doc.calls, &doc.calendar})
      QCOMPARE(window.view(*table)->model()->rowCount(), static_cast<int>(table->rowCount()));
    QCOMPARE(window.sectionNameList()->count(),
             static_cast<int>(doc.pmSections.sectionNames().size()));
  }

  // "Экспорт в Excel" writes a real workbook and hands it to the desktop's spreadsheet program;
  // the status text shows while it runs and is cleared at the end.
  void spreadsheetExportOpensAWorkbook() {
    MainWindow frame(services());
    files.openAnswers = {
        {QString::fromStdString(dir.write("demo.pm", kestrel::test::demoPmText()))}};
    frame.openPm();
    QVERIFY(readingDone(frame));
    DocumentWindow* doc = frame.activeDocument();
    QVERIFY(frame.exportToExcelAction()->isEnabled());
    frame.exportToExcelAction()->trigger();
    QCOMPARE(desktop.opened.size(), 1);
    QVERIFY(desktop.opened[0].endsWith(QStringLiteral("/Книга1.xlsx")));
    QFile book(desktop.opened[0]);
    QVERIFY(book.open(QIODevice::ReadOnly));
    QCOMPARE(book.read(2), QByteArray("PK"));  // a zip package, as every .xlsx
    QCOMPARE(frame.spreadsheet().sheetNames().size(), 4u);
    QCOMPARE(doc->statusPanel()->text(), QString());
    QVERIFY(messages.errors.isEmpty());
    QFile::remove(desktop.opened[0]);
    QDir().rmdir(QFileInfo(desktop.opened[0]).path());
  }

  // "Открыть EEPROM" reads a raw image into a new window: its marked records become blocks; a
  // file that cannot be read is named in a warning.
  void openingAnEepromImage() {
    MainWindow frame(services());
    QAction* open = frame.findChild<QAction*>(QStringLiteral("openEeprom"));
    QVERIFY(open && open->isEnabled());
    // A text in UCS-2 after the record: "ПРИВЕТ".
    const std::string image = kestrel::test::smallEepromImage() +
                              std::string("\x04\x1F\x04\x20\x04\x18\x04\x12\x04\x15\x04\x22", 12);
    const QString path = QString::fromStdString(dir.write("phone.img", image));
    const QString missing = QString::fromStdString(dir.file("missing.img"));
    files.openAnswers = {{path}, {missing}};
    open->trigger();
    QVERIFY(readingDone(frame));
    QCOMPARE(files.openRequests[0].filter, QStringLiteral("EEPROM|*"));
    QCOMPARE(frame.activeDocument()->windowTitle(), path);
    const Document& doc = frame.activeDocument()->document();
    QCOMPARE(doc.model.blockNumbers, std::vector<int>{7});
    QCOMPARE(doc.model.recordCount(), std::size_t{1});
    // The texts found show on the raw-section page.
    DocumentWindow* window = frame.activeDocument();
    QVERIFY(window->tabs()->isTabVisible(window->sectionsPageIndex()));
    QCOMPARE(window->decodedText()->toPlainText(), QStringLiteral("ПРИВЕТ"));
    // The window opens on that page, since no table holds a row.
    QCOMPARE(window->tabs()->currentIndex(), window->sectionsPageIndex());
    open->trigger();
    QVERIFY(readingDone(frame));
    QCOMPARE(messages.warnings.size(), 1);
    QVERIFY(messages.warnings.front().contains(missing));
    QCOMPARE(frame.documents().size(), 2);
  }

  void viewCommandsTileAndCascadeTheFramesWindows() {
    MainWindow frame(services());
    frame.resize(800, 600);
    frame.show();
    const QString path = dump();
    files.openAnswers = {{path}, {path}};
    frame.openPm();
    frame.openPm();
    QVERIFY(readingDone(frame));
    const auto subs = frame.mdiArea()->subWindowList();
    QMenu* view = frame.menuBar()->actions()[1]->menu();
    view->actions()[0]->trigger();  // horizontal: one above another, full width
    QCOMPARE(subs[0]->width(), frame.mdiArea()->viewport()->width());
    QVERIFY(subs[1]->y() >= subs[0]->y() + subs[0]->height());
    view->actions()[1]->trigger();  // vertical: side by side
    QCOMPARE(subs[0]->height(), frame.mdiArea()->viewport()->height());
    QVERIFY(subs[1]->x() >= subs[0]->x() + subs[0]->width());
    QCOMPARE(frame.tileMode(), MainWindow::TileMode::Vertical);
  }

  void exitClosesEveryDocumentWithoutAsking() {
    MainWindow frame(services());
    frame.show();
    files.openAnswers = {{dump()}};
    frame.openPm();
    QVERIFY(readingDone(frame));
    QPointer<DocumentWindow> doc = frame.activeDocument();
    frame.quit();
    QVERIFY(!frame.isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(doc.isNull() || !doc->isVisible());
    QVERIFY(messages.informations.isEmpty() && messages.warnings.isEmpty());
  }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
