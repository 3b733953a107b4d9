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
    frame.fileInfoAction()->trigger();
    QCOMPARE(dialogs.shown, 1);
    const QString expected =
        QStringLiteral("Файл: %1\nРазмер: %2 байт\nИзменён: %3\nSHA-256: %4\nMD5: %5");
    const auto facts = [&](const QString& file) {
      const auto f = kestrel::output::factsOf(file.toStdString());
      return expected.arg(file).arg(f.size).arg(
          QString::fromStdString(kestrel::output::localTimeText(f.modified)),
          QString::fromStdString(
              kestrel::output::sha256Hex(kestrel::test::readFile(file.toStdString()))),
          QString::fromStdString(f.md5));
    };
    QCOMPARE(shown, facts(first) + "\n\n" + facts(second));
    QVERIFY(shown.contains(QStringLiteral("Размер: 32 байт")));
    QCOMPARE(QGuiApplication::clipboard()->text(), shown);
  }
};

QTEST_MAIN(FileInfoTest)
#include "FileInfoTest.moc"
