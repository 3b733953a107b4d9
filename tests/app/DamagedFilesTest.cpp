#include <sys/stat.h>
#include <QAction>
#include <QListWidget>
#include <QMdiArea>
#include <QTableView>
#include <QtTest>

#include <random>

#include "BlockExplorerWindow.h"
#include "DocumentWindow.h"
#include "FakeDialogs.h"
#include "MainWindow.h"
#include "support/TempDir.h"

using kestrel::app::BlockExplorerWindow;
using kestrel::app::DocumentWindow;
using kestrel::app::MainWindow;

// Damaged and odd files through every open command: each ends with its reader's message or
// with silence, never with a crash, and leaves a window whose tables, explorer and commands
// still work.
class DamagedFilesTest : public kestrel::app::test::DialogTest {
  Q_OBJECT

  struct Source {
    void (MainWindow::*open)();  // the frame's open command
    std::string name;            // file name, its ending choosing the form
    std::string bytes;
  };

  // Readers speak only these messages, or a file's name and the system's reason.
  const QStringList kReaderMessages = {QStringLiteral("Неверный формат файла"),
                                       QStringLiteral("Неизвестный формат файла")};

  static std::string sample(const char* name) {
    return kestrel::test::readFile(std::string(KESTREL_SOURCE_DIR) + "/samples/" + name);
  }

  // The file and damaged forms of it: cut at several places, bytes flipped, emptied.
  static std::vector<std::string> damaged(const std::string& bytes, unsigned seed) {
    std::vector<std::string> out{std::string()};
    for (const double share : {0.1, 0.5, 0.97})
      out.push_back(bytes.substr(0, static_cast<std::size_t>(bytes.size() * share)));
    std::mt19937 random(seed);
    for (int copy = 0; copy < 6; ++copy) {
      std::string flipped = bytes;
      for (int k = 0; k < 20 && !flipped.empty(); ++k)
        flipped[random() % flipped.size()] ^= static_cast<char>(1 << (random() % 8));
      out.push_back(flipped);
    }
    return out;
  }

  // What a user may do with any opened document; none of it may fail.
  void useDocument(MainWindow& frame) {
    DocumentWindow* doc = frame.activeDocument();
    QVERIFY(doc);
    for (kestrel::ResultTable* table : doc->document().shownTables()) {
      QAbstractItemModel* model = doc->view(*table)->model();
      for (int r = 0; r < std::min(model->rowCount(), 50); ++r) {
        for (int c = 0; c < model->columnCount(); ++c)
          model->index(r, c).data();
      }
    }
    BlockExplorerWindow* explorer = doc->openBlockExplorer();
    for (int b = 0; b < explorer->blockList()->count(); ++b) {
      explorer->blockList()->setCurrentRow(b);
      explorer->showRecord();
    }
    explorer->unmarkAll();
    explorer->markAll();
    if (doc->capabilities().exportToExcel == kestrel::app::CommandState::Enabled)
      doc->exportToSpreadsheet();
    doc->save();  // the section dialog is not answered: cancelled
  }

 private slots:
  void init() { resetDialogs(); }

  void everyOpenCommandSurvivesDamagedFiles() {
    const std::vector<Source> sources = {
        {&MainWindow::openPm, "d.pm", sample("demo.pm")},
        {&MainWindow::openGdfs, "d.bin", sample("demo.bin")},
        {&MainWindow::openGdfs, "d.gdfs", sample("demo.gdfs")},
        {&MainWindow::openGdfs, "d.gdf", sample("demo.gdf")},
        {&MainWindow::openEeprom, "d.img", sample("demo.bin")},
        {&MainWindow::openVcf, "d.vcf",
         "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=D0=98=D0=B2=\r\n"
         "=D0=B0=D0=BD;;;\r\nTEL;CELL:+79161234567\r\nEND:VCARD\r\n"},
    };
    MainWindow frame(services());
    frame.show();
    unsigned seed = 1;
    int opened = 0;
    for (const Source& source : sources) {
      int variant = 0;
      for (const std::string& bytes : damaged(source.bytes, seed++)) {
        const std::string name = std::to_string(variant++) + source.name;
        files.openAnswers = {{QString::fromStdString(dir.write(name, bytes))}};
        messages.reset();
        (frame.*source.open)();
        QVERIFY(readingDone(frame));
        ++opened;
        for (const QString& text : messages.informations)
          QVERIFY2(kReaderMessages.contains(text), qPrintable(text));
        QVERIFY2(messages.errors.isEmpty(), qPrintable(messages.errors.join('\n')));
        useDocument(frame);
        QVERIFY2(messages.errors.isEmpty(), qPrintable(messages.errors.join('\n')));
        frame.mdiArea()->closeAllSubWindows();
      }
    }
    QVERIFY(opened > 50);
  }

  void foldersOddNamesAndLockedFilesAreToldAndLeaveNothingBroken() {
    MainWindow frame(services());
    frame.show();
    // A name whose bytes are not UTF-8, a folder where a file is expected, and a file that may
    // not be read (which the superuser reads all the same).
    const std::string oddBytes = dir.write("odd\xFF\xFE.pm", "[4]\r\n3=41\r\n");
    const QString oddName = QFile::decodeName(QByteArray::fromStdString(oddBytes));
    const QString folder = QString::fromStdString(dir.path().string());
    const std::string locked = dir.write("locked.pm", sample("demo.pm"));
    QCOMPARE(::chmod(locked.c_str(), 0), 0);
    for (const auto open : {&MainWindow::openPm, &MainWindow::openGdfs, &MainWindow::openEeprom,
                            &MainWindow::openVcf}) {
      for (const QString& path : {oddName, folder, QString::fromStdString(locked)}) {
        files.openAnswers = {{path}};
        messages.reset();
        (frame.*open)();
        QVERIFY(readingDone(frame));
        // The reader's own message, or a file error naming the file; never the error report.
        for (const QString& text : messages.informations)
          QVERIFY2(kReaderMessages.contains(text), qPrintable(text));
        QVERIFY(messages.errors.isEmpty());
        if (frame.activeDocument() != nullptr) useDocument(frame);
        QVERIFY(messages.errors.isEmpty());
        frame.mdiArea()->closeAllSubWindows();
      }
    }

    // The odd name reaches its file, which reads without a word.
    files.openAnswers = {{oddName}};
    messages.reset();
    frame.openPm();
    QVERIFY(readingDone(frame));
    QVERIFY2(messages.informations.isEmpty(), qPrintable(messages.informations.join('\n')));
    QVERIFY(frame.activeDocument());
    QCOMPARE(frame.activeDocument()->document().sourceFiles, std::vector<std::string>{oddBytes});
    QCOMPARE(frame.activeDocument()->document().model.recordCount(), std::size_t{1});
  }
};

QTEST_MAIN(DamagedFilesTest)
#include "DamagedFilesTest.moc"
