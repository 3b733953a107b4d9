#include <QClipboard>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "DocumentWindow.h"
#include "FakeDialogs.h"
#include "FileInfoDialog.h"
#include "MainWindow.h"
#include "export/FileFacts.h"
#include "support/TempDir.h"

using kestrel::app::DocumentWindow;
using kestrel::app::FileInfoDialog;
using kestrel::app::MainWindow;

// "Сведения о файле": the facts of the files a document was read from, selectable and copied.
class FileInfoTest : public kestrel::app::test::DialogTest {
  Q_OBJECT

 private slots:
  void init() { resetDialogs(); }

  void showsAndCopiesTheFactsOfEverySourceFile() {
    const std::string card = "BEGIN:VCARD\r\nN:Anna\r\nEND:VCARD\r\n";
    const QString first = QString::fromStdString(dir.write("a.vcf", card));
    const QString second = QString::fromStdString(dir.write("b.vcf", card + card));
    MainWindow frame(services());
    frame.show();
    frame.openFiles(kestrel::FileKind::Vcf, {first, second});
    QVERIFY(readingDone(frame));
    DocumentWindow* doc = frame.activeDocument();
    QVERIFY(doc);

    QString shown;
    dialogs.answers.push_back([&](QDialog& dialog) {
      auto& info = dynamic_cast<FileInfoDialog&>(dialog);
      shown = info.facts()->toPlainText();
      // Read-only, but the user may select and copy from it.
      if (!info.facts()->isReadOnly() ||
          !(info.facts()->textInteractionFlags() & Qt::TextSelectableByMouse))
        shown.clear();
      info.copyButton()->click();
      return true;
    });
    // The second file changes after the open: the digests stay those of what was read.
    const std::string before = kestrel::test::readFile(second.toStdString());
    dir.write("b.vcf", card);
    frame.fileInfoAction()->trigger();
    QCOMPARE(dialogs.shown, 1);
    const auto facts = [&](std::size_t k, const QString& file, const std::string& read,
                           const QString& state) {
      const auto now = kestrel::output::factsOf(file.toStdString());
      return QStringLiteral(
                 "Файл: %1\nРазмер, байт: %2\nИзменён: %3\nSHA-256: %4\nMD5: %5\nПрочитан: "
                 "%6\nСейчас: %7")
          .arg(file)
          .arg(read.size())
          .arg(QString::fromStdString(kestrel::output::localTimeText(now.modified)),
               QString::fromStdString(kestrel::output::sha256Hex(read)),
               QString::fromStdString(kestrel::output::md5Hex(read)),
               QString::fromStdString(
                   kestrel::output::localTimeText(doc->document().sourceDigests.at(k).taken)),
               state);
    };
    const auto now = kestrel::output::factsOf(second.toStdString());
    QCOMPARE(shown, facts(0, first, card, QStringLiteral("не изменился")) + "\n\n" +
                        facts(1, second, before,
                              QStringLiteral("ИЗМЕНЁН после чтения: SHA-256 %1, MD5 %2")
                                  .arg(QString::fromStdString(now.sha256),
                                       QString::fromStdString(now.md5))));
    QCOMPARE(QGuiApplication::clipboard()->text(), shown);
  }
};

QTEST_MAIN(FileInfoTest)
#include "FileInfoTest.moc"
