#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "FakeDialogs.h"
#include "MainForm.h"
#include "ReadForm.h"
#include "Savefilec.h"
#include "Text.h"
#include "export/SaveCommand.h"
#include "support/TempDir.h"

using kestrel::app::TMainForm;
using kestrel::app::TReadForm;
using kestrel::app::TSavefilec;

// "Открыть VCF" with two files at once, and "Сохранить" through the section dialog and the
// save dialog.
class ContactFilesTest : public kestrel::app::test::DialogTest {
  Q_OBJECT

  QString write(const char* name, const char* text) {
    return QString::fromStdString(dir.write(name, text));
  }
  QString path(const char* name) { return QString::fromStdString(dir.file(name)); }

  // Opens the two cards as one document.
  TReadForm* openTwoCards(TMainForm& frame) {
    files.openAnswers = {{write("anna.vcf",
                                "BEGIN:VCARD\r\nVERSION:2.1\r\n"
                                "N;CHARSET=UTF-8:Анна\r\nTEL;CELL:111\r\nEND:VCARD\r\n"),
                          write("bob.vcf", "BEGIN:VCARD\nVERSION:3.0\nN:Bob\nEND:VCARD\n")}};
    frame.VCF1Click();
    return frame.activeDocument();
  }

  // Answers the section dialog when it shows: ticks the boxes asked for (a null leaves them as
  // they are), then "Ок" or closes it without.
  void answerSections(std::function<void(TSavefilec&)> tick, bool ok) {
    QTimer::singleShot(0, this, [tick, ok] {
      auto* dialog = qobject_cast<TSavefilec*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      if (tick) tick(*dialog);
      if (ok)
        QTest::mouseClick(dialog->Button7, Qt::LeftButton);
      else
        dialog->reject();
    });
  }

  // A windows-1251 file (report, CSV) as text.
  static QString text(const QString& file) {
    return QString::fromStdString(kestrel::toUtf8(kestrel::test::readFile(file.toStdString())));
  }
  static QString utf8Text(const QString& file) {
    return QString::fromStdString(kestrel::test::readFile(file.toStdString()));
  }

 private slots:
  void init() { resetDialogs(); }

  void opensSeveralVcardFilesIntoOneDocument() {
    TMainForm frame(services());
    frame.show();
    TReadForm* doc = openTwoCards(frame);
    QCOMPARE(files.openRequests.size(), 1);
    QCOMPARE(files.openRequests[0].filter, QStringLiteral("VCF|*.vcf*"));
    QVERIFY(files.openRequests[0].multiple);
    QCOMPARE(frame.documents().size(), 1);
    QVERIFY(doc);
    QCOMPARE(doc->windowTitle(), path("anna.vcf"));
    const auto& book = doc->document().Book1;
    QCOMPARE(book.rowCount(), 2u);
    QCOMPARE(kestrel::app::qs(book.cell(0, 1)), QStringLiteral("Анна"));
    QCOMPARE(kestrel::app::qs(book.cell(1, 1)), QStringLiteral("Bob"));
    QCOMPARE(doc->view(book)->model()->rowCount(), 2);
    QVERIFY(doc->saveAction()->isEnabled());
    QVERIFY(doc->exportToExcelAction()->isEnabled());
    QVERIFY(messages.informations.isEmpty());
  }

  void unreadableFileLeavesSaveDisabled() {
    TMainForm frame(services());
    frame.show();
    files.openAnswers = {{write("one.vcf", "BEGIN:VCARD\nN;X:One\nEND:VCARD\n"), path("none.vcf")}};
    frame.VCF1Click();
    TReadForm* doc = frame.activeDocument();
    QVERIFY(doc);
    QCOMPARE(doc->document().Book1.rowCount(), 1u);
    QVERIFY(!doc->saveAction()->isEnabled());
    QVERIFY(messages.informations.isEmpty());
    QVERIFY(messages.errors.isEmpty());
  }

  void cancelledOpenMakesNoDocument() {
    TMainForm frame(services());
    frame.VCF1Click();
    QCOMPARE(frame.documents().size(), 0);
  }

  void savesThroughBothDialogs() {
    TMainForm frame(services());
    frame.show();
    TReadForm* doc = openTwoCards(frame);
    QVERIFY(doc);

    files.saveAnswers = {kestrel::app::FileDialogs::SaveAnswer{path("list.txt"), 1}};
    answerSections([](TSavefilec& d) { d.CheckBox1->setChecked(true); }, true);
    doc->saveAction()->trigger();
    QCOMPARE(files.saveRequests.size(), 1);
    QCOMPARE(files.saveRequests[0].filter, kestrel::app::qs(kestrel::output::kSaveFilter));
    QCOMPARE(text(path("list.txt.txt")),
             QStringLiteral("ЗАПИСНАЯ КНИЖКА\r\n----------1----------\r\nФИО: Анна\r\n"
                            "Номера: 111\r\n----------2----------\r\nФИО: Bob\r\n"));

    // The ticks stay for the next save.
    files.saveAnswers = {kestrel::app::FileDialogs::SaveAnswer{path("list"), 2}};
    answerSections(nullptr, true);
    doc->saveAction()->trigger();
    QCOMPARE(text(path("list.csv")),
             QStringLiteral("N п/п;ФИО;Номера\r\n1;Анна;111\r\n2;Bob;\r\n"));

    files.saveAnswers = {kestrel::app::FileDialogs::SaveAnswer{path("cards"), 4}};
    answerSections(nullptr, true);
    doc->saveAction()->trigger();
    QCOMPARE(utf8Text(path("cards/1.vcf")),
             QStringLiteral("BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=8BIT:Анна\r\n"
                            "TEL;WORK;VOICE:111\r\nEND:VCARD\r\n"));
    QVERIFY(QFile::exists(path("cards/2.vcf")));
    QVERIFY(messages.warnings.isEmpty());

    files.saveAnswers = {kestrel::app::FileDialogs::SaveAnswer{path("cards"), 5}};
    answerSections(nullptr, true);
    doc->saveAction()->trigger();
    QCOMPARE(messages.warnings, QStringList{QStringLiteral("Ошибка при создании директории")});
    QVERIFY(messages.errors.isEmpty());
  }

  void writeFailureReachesTheErrorReport() {
    TMainForm frame(services());
    frame.show();
    TReadForm* doc = openTwoCards(frame);
    const QString target = path("anna.vcf") + QStringLiteral("/report");
    files.saveAnswers = {kestrel::app::FileDialogs::SaveAnswer{target, 3}};
    answerSections([](TSavefilec& d) { d.CheckBox1->setChecked(true); }, true);
    doc->saveAction()->trigger();
    QCOMPARE(messages.errors.size(), 1);
    QVERIFY2(messages.errors[0].contains(target + QStringLiteral(".csv")),
             qPrintable(messages.errors[0]));
    QVERIFY2(messages.errors[0].contains(QStringLiteral("Not a directory")),
             qPrintable(messages.errors[0]));
  }

  void sectionDialogWithoutOkStops() {
    TMainForm frame(services());
    frame.show();
    TReadForm* doc = openTwoCards(frame);
    files.saveAnswers = {kestrel::app::FileDialogs::SaveAnswer{path("never"), 1}};
    answerSections(nullptr, false);
    doc->saveAction()->trigger();
    QVERIFY(files.saveRequests.isEmpty());
    QVERIFY(!QFile::exists(path("never.txt")));

    // A cancelled save dialog writes nothing either.
    files.saveAnswers = {kestrel::app::FileDialogs::SaveAnswer{}};
    answerSections(nullptr, true);
    doc->saveAction()->trigger();
    QCOMPARE(files.saveRequests.size(), 1);
    QVERIFY(messages.errors.isEmpty());
  }

  void sectionDialogHasItsCaptions() {
    TMainForm frame(services());
    TSavefilec& dialog = frame.Savefilec();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Save"));
    QCOMPARE(dialog.CheckBox1->text(), QStringLiteral("Записная книжка"));
    QCOMPARE(dialog.CheckBox2->text(), QStringLiteral("Вызовы"));
    QCOMPARE(dialog.CheckBox3->text(), QStringLiteral("Календарь"));
    QCOMPARE(dialog.Button7->text(), QStringLiteral("Ок"));
    QVERIFY(!dialog.CheckBox1->isChecked() && !dialog.CheckBox2->isChecked() &&
            !dialog.CheckBox3->isChecked());
  }
};

QTEST_MAIN(ContactFilesTest)
#include "ContactFilesTest.moc"
