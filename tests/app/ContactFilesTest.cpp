#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTableView>
#include <QtTest>
#include <functional>

#include "DocumentWindow.h"
#include "FakeDialogs.h"
#include "MainWindow.h"
#include "SaveSectionsDialog.h"
#include "Text.h"
#include "export/SaveCommand.h"
#include "support/TempDir.h"

using kestrel::app::DocumentWindow;
using kestrel::app::MainWindow;
using kestrel::app::SaveSectionsDialog;

// "Открыть VCF" with two files at once, and "Сохранить" through the section dialog and the
// save dialog.
class ContactFilesTest : public kestrel::app::test::DialogTest {
  Q_OBJECT

  QString write(const char* name, const char* text) {
    return QString::fromStdString(dir.write(name, text));
  }
  QString path(const char* name) { return QString::fromStdString(dir.file(name)); }

  // Opens the two cards as one document.
  DocumentWindow* openTwoCards(MainWindow& frame) {
    files.openAnswers = {{write("anna.vcf",
                                "BEGIN:VCARD\r\nVERSION:2.1\r\n"
                                "N;CHARSET=UTF-8:Анна\r\nTEL;CELL:111\r\nEND:VCARD\r\n"),
                          write("bob.vcf", "BEGIN:VCARD\nVERSION:3.0\nN:Bob\nEND:VCARD\n")}};
    frame.openVcf();
    return readingDone(frame) ? frame.activeDocument() : nullptr;
  }

  // Answers the section dialog when it shows: ticks the boxes asked for (a null leaves them as
  // they are), then "Ок" or closes it without. Another dialog in its place is a cancel.
  void answerSections(std::function<void(SaveSectionsDialog&)> tick, bool ok) {
    dialogs.answers.push_back([tick, ok](QDialog& shown) {
      auto* dialog = qobject_cast<SaveSectionsDialog*>(&shown);
      if (!dialog) return false;
      if (tick) tick(*dialog);
      return ok;
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
    MainWindow frame(services());
    frame.show();
    DocumentWindow* doc = openTwoCards(frame);
    QCOMPARE(files.openRequests.size(), 1);
    QCOMPARE(files.openRequests[0].filter, QStringLiteral("VCF|*.vcf*"));
    QVERIFY(files.openRequests[0].multiple);
    QCOMPARE(frame.documents().size(), 1);
    QVERIFY(doc);
    QCOMPARE(doc->windowTitle(), path("anna.vcf"));
    const auto& book = doc->document().phonebook;
    QCOMPARE(book.rowCount(), 2u);
    QCOMPARE(kestrel::app::toQString(book.cell(0, 1)), QStringLiteral("Анна"));
    QCOMPARE(kestrel::app::toQString(book.cell(1, 1)), QStringLiteral("Bob"));
    QCOMPARE(doc->view(book)->model()->rowCount(), 2);
    QVERIFY(frame.saveAction()->isEnabled());
    QVERIFY(frame.exportToExcelAction()->isEnabled());
    QVERIFY(messages.informations.isEmpty());
  }

  void unreadableFileLeavesSaveDisabled() {
    MainWindow frame(services());
    frame.show();
    files.openAnswers = {{write("one.vcf", "BEGIN:VCARD\nN;X:One\nEND:VCARD\n"), path("none.vcf")}};
    frame.openVcf();
    QVERIFY(readingDone(frame));
    DocumentWindow* doc = frame.activeDocument();
    QVERIFY(doc);
    QCOMPARE(doc->document().phonebook.rowCount(), 1u);
    QVERIFY(!frame.saveAction()->isEnabled());
    QVERIFY(messages.informations.isEmpty());
    QVERIFY(messages.errors.isEmpty());
  }

  void cancelledOpenMakesNoDocument() {
    MainWindow frame(services());
    frame.openVcf();
    QVERIFY(readingDone(frame));
    QCOMPARE(frame.documents().size(), 0);
  }

  void savesThroughBothDialogs() {
    MainWindow frame(services());
    frame.show();
    DocumentWindow* doc = openTwoCards(frame);
    QVERIFY(doc);

    files.saveAnswers = {kestrel::app::FileDialogs::SaveAnswer{path("list.txt"), 1}};
    answerSections([](SaveSectionsDialog& d) { d.phonebookBox->setChecked(true); }, true);
    frame.saveAction()->trigger();
    QCOMPARE(files.saveRequests.size(), 1);
    QCOMPARE(files.saveRequests[0].filter, kestrel::app::toQString(kestrel::output::saveFilter()));
    QCOMPARE(text(path("list.txt")),
             QStringLiteral("ЗАПИСНАЯ КНИЖКА\r\n----------1----------\r\nФИО: Анна\r\n"
                            "Номера: 111\r\n----------2----------\r\nФИО: Bob\r\n"));

    // The ticks stay for the next save.
    files.saveAnswers = {kestrel::app::FileDialogs::SaveAnswer{path("list"), 2}};
    answerSections(nullptr, true);
    frame.saveAction()->trigger();
    QCOMPARE(text(path("list.csv")),
             QStringLiteral("N п/п;ФИО;Номера\r\n1;Анна;111\r\n2;Bob;\r\n"));

    files.saveAnswers = {kestrel::app::FileDialogs::SaveAnswer{path("cards"), 4}};
    answerSections(nullptr, true);
    frame.saveAction()->trigger();
    QCOMPARE(utf8Text(path("cards/1.vcf")),
             QStringLiteral("BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=8BIT:Анна\r\n"
                            "TEL;WORK;VOICE:111\r\nEND:VCARD\r\n"));
    QVERIFY(QFile::exists(path("cards/2.vcf")));
    QVERIFY(messages.warnings.isEmpty());

    files.saveAnswers = {kestrel::app::FileDialogs::SaveAnswer{path("cards"), 5}};
    answerSections(nullptr, true);
    frame.saveAction()->trigger();
    QCOMPARE(messages.warnings, QStringList{QStringLiteral("Ошибка при создании директории")});
    QVERIFY(messages.errors.isEmpty());
  }

  void writeFailureReachesTheErrorReport() {
    MainWindow frame(services());
    frame.show();
    QVERIFY(openTwoCards(frame));
    const QString target = path("anna.vcf") + QStringLiteral("/report");
    files.saveAnswers = {kestrel::app::FileDialogs::SaveAnswer{target, 3}};
    answerSections([](SaveSectionsDialog& d) { d.phonebookBox->setChecked(true); }, true);
    frame.saveAction()->trigger();
    QCOMPARE(messages.errors.size(), 1);
    QVERIFY2(messages.errors[0].contains(target + QStringLiteral(".csv")),
             qPrintable(messages.errors[0]));
    QVERIFY2(messages.errors[0].contains(QStringLiteral("Not a directory")),
             qPrintable(messages.errors[0]));
  }

  void sectionDialogWithoutOkStops() {
    MainWindow frame(services());
    frame.show();
    QVERIFY(openTwoCards(frame));
    files.saveAnswers = {kestrel::app::FileDialogs::SaveAnswer{path("never"), 1}};
    answerSections(nullptr, false);
    frame.saveAction()->trigger();
    QVERIFY(files.saveRequests.isEmpty());
    QVERIFY(!QFile::exists(path("never.txt")));

    // A cancelled save dialog writes nothing either.
    files.saveAnswers = {kestrel::app::FileDialogs::SaveAnswer{}};
    answerSections(nullptr, true);
    frame.saveAction()->trigger();
    QCOMPARE(files.saveRequests.size(), 1);
    QVERIFY(messages.errors.isEmpty());
  }

  void sectionDialogHasItsCaptions() {
    MainWindow frame(services());
    SaveSectionsDialog& dialog = frame.saveSectionsDialog();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Save"));
    QCOMPARE(dialog.phonebookBox->text(), QStringLiteral("Записная книжка"));
    QCOMPARE(dialog.callsBox->text(), QStringLiteral("Вызовы"));
    QCOMPARE(dialog.calendarBox->text(), QStringLiteral("Календарь"));
    QCOMPARE(dialog.acceptButton->text(), QStringLiteral("Ок"));
    QVERIFY(!dialog.phonebookBox->isChecked() && !dialog.callsBox->isChecked() &&
            !dialog.calendarBox->isChecked());
  }
};

QTEST_MAIN(ContactFilesTest)
#include "ContactFilesTest.moc"
