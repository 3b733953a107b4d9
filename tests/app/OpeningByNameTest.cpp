#include <QMenu>
#include <QMimeData>
#include <QUrl>
#include <QtTest>
#include <algorithm>

#include "DocumentWindow.h"
#include "FakeDialogs.h"
#include "MainWindow.h"
#include "support/EepromImage.h"
#include "support/TempDir.h"

using kestrel::FileKind;
using kestrel::app::DocumentWindow;
using kestrel::app::MainWindow;

// Files named on the command line or dropped onto the window, and the list of files opened
// last.
class OpeningByNameTest : public kestrel::app::test::DialogTest {
  Q_OBJECT

  static std::string sample(const char* name) {
    return kestrel::test::readFile(std::string(KESTREL_SOURCE_DIR) + "/samples/" + name);
  }
  QString write(const std::string& name, const std::string& bytes) {
    return QString::fromStdString(dir.write(name, bytes));
  }

  // The document windows by caption, in the order they opened.
  static QStringList captions(const MainWindow& frame) {
    QStringList out;
    for (const DocumentWindow* doc : frame.documents())
      out << doc->windowTitle();
    return out;
  }

  static QMenu* recentMenu(MainWindow& frame) {
    return frame.findChild<QMenu*>(QStringLiteral("recentFiles"));
  }

 private slots:
  void init() { resetDialogs(); }

  void commandLineAndDropOpenEachKindByItsName() {
    const QString pm = write("demo.pm", sample("demo.pm"));
    const QString gdfs = write("demo.gdfs", sample("demo.gdfs"));
    const QString anna = write("anna.vcf", "BEGIN:VCARD\r\nN:Anna\r\nEND:VCARD\r\n");
    const QString bob = write("bob.vcf", "BEGIN:VCARD\r\nN:Bob\r\nEND:VCARD\r\n");
    const QString unknown = write("notes.xyz", "?");

    MainWindow frame(services());
    frame.show();
    frame.openByName({anna, pm, unknown, bob});
    QVERIFY(readingDone(frame));
    QCOMPARE(frame.documents().size(), 2);
    const DocumentWindow* dump = frame.documents().at(0);
    QVERIFY(dump->windowTitle().contains(pm));
    QVERIFY(dump->document().phonebook.rowCount() > 1);
    const DocumentWindow* cards = frame.documents().at(1);
    QVERIFY(cards->windowTitle().contains(anna));
    QCOMPARE(cards->document().phonebook.rowCount(), std::size_t{2});
    QCOMPARE(messages.warnings.size(), 1);
    QVERIFY(messages.warnings.front().contains(unknown));
    QVERIFY(messages.errors.isEmpty());

    // A drop opens the same way; what is not a local file is ignored.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(gdfs), QUrl(QStringLiteral("https://example.org/a.pm"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&frame, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&frame, &drop);
    QVERIFY(readingDone(frame));
    QCOMPARE(frame.documents().size(), 3);
    QVERIFY(frame.activeDocument()->windowTitle().contains(gdfs));
    QVERIFY(frame.activeDocument()->document().calls.rowCount() > 0);
  }

  void recentFilesAreKeptBetweenRunsAndAGoneFileLeavesTheList() {
    const QString pm = write("demo.pm", sample("demo.pm"));
    const QString image = write("phone.img", kestrel::test::smallEepromImage());
    {
      MainWindow frame(services());
      frame.show();
      for (int k = 0; k < 9; ++k) {
        frame.openFiles(FileKind::Vcf, {write("c" + std::to_string(k) + ".vcf", "BEGIN:VCARD")});
        QVERIFY(readingDone(frame));
      }
      files.openAnswers = {{image}};
      frame.openEeprom();
      QVERIFY(readingDone(frame));
      frame.openByName({pm});
      QVERIFY(readingDone(frame));
      const auto& entries = frame.recentFiles().entries();
      QCOMPARE(entries.size(), std::size_t{8});
      QCOMPARE(QString::fromStdString(entries[0].fileName), pm);
      QCOMPARE(entries[1].kind, FileKind::Eeprom);
      QCOMPARE(QString::fromStdString(entries[2].fileName),
               QString::fromStdString(dir.file("c8.vcf")));
      frame.close();
    }

    // The next run lists them in its "Файл" menu; the EEPROM image opens as one again.
    MainWindow frame(services());
    frame.show();
    QMenu* menu = recentMenu(frame);
    QVERIFY(menu);
    emit menu->aboutToShow();
    QCOMPARE(menu->actions().size(), 8);
    QVERIFY(menu->actions().at(0)->text().contains(pm));
    menu->actions().at(1)->trigger();
    QVERIFY(readingDone(frame));
    QCOMPARE(frame.documents().size(), 1);
    QVERIFY(frame.activeDocument()->document().model.recordCount() > 0);
    QCOMPARE(frame.recentFiles().entries()[0].kind, FileKind::Eeprom);

    // A file that is gone is told, and leaves the list without opening anything.
    QVERIFY(QFile::remove(pm));
    emit menu->aboutToShow();
    menu->actions().at(1)->trigger();
    QVERIFY(readingDone(frame));
    QCOMPARE(messages.informations.size(), 1);
    QVERIFY(messages.informations.front().contains(pm));
    QCOMPARE(frame.documents().size(), 1);
    QCOMPARE(frame.recentFiles().entries().size(), std::size_t{7});
    QVERIFY(messages.errors.isEmpty());
  }

  // A name relative to the folder the program started in is made absolute, as the open dialog
  // gives names: the caption, the recent files and the PM dialog's stored name reach the file
  // from any folder, and the file chosen again in the dialog is listed once.
  void relativeNamesAreMadeAbsolute() {
    const QString pm = write("demo.pm", sample("demo.pm"));
    const QString started = QDir::currentPath();
    const auto countOfPm = [&](const MainWindow& frame) {
      return std::count_if(frame.recentFiles().entries().begin(),
                           frame.recentFiles().entries().end(),
                           [&](const auto& entry) { return entry.fileName == pm.toStdString(); });
    };
    {
      MainWindow frame(services());
      frame.show();
      QVERIFY(QDir::setCurrent(QString::fromStdString(dir.path().string())));
      frame.openByName({QStringLiteral("./demo.pm")});
      QVERIFY(readingDone(frame));
      QVERIFY(QDir::setCurrent(started));
      QCOMPARE(captions(frame), QStringList{pm});
      QCOMPARE(frame.openPmDialog.fileName, pm);
      files.openAnswers = {{pm}};
      frame.openPm();
      QVERIFY(readingDone(frame));
      QCOMPARE(QString::fromStdString(frame.recentFiles().entries().at(0).fileName), pm);
      QCOMPARE(countOfPm(frame), 1);
      frame.close();
    }
    QFile settings(QString::fromStdString(dir.file("settings/setupKestrel")));
    QVERIFY(settings.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromUtf8(settings.readAll()).contains("\nOpenPM_FileName=" + pm + "\n"));

    // Started from another folder, the entry opens its file.
    MainWindow frame(services());
    frame.show();
    QMenu* menu = recentMenu(frame);
    emit menu->aboutToShow();
    menu->actions().at(0)->trigger();
    QVERIFY(readingDone(frame));
    QVERIFY2(messages.informations.isEmpty(), qPrintable(messages.informations.join('\n')));
    QCOMPARE(captions(frame), QStringList{pm});
  }
};

QTEST_MAIN(OpeningByNameTest)
#include "OpeningByNameTest.moc"
