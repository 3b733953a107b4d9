#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QPushButton>
#include <QtTest>

#include "DocumentWindow.h"
#include "FakeDialogs.h"
#include "MainWindow.h"
#include "SaveSectionsDialog.h"
#include "Text.h"
#include "export/ExportFormats.h"
#include "support/TempDir.h"

using kestrel::app::DocumentWindow;
using kestrel::app::FileDialogs;
using kestrel::app::MainWindow;

// What a save writes under which name, and the question before a file is replaced: every
// format of "Сохранить" and the PM writer.
class SavingTest : public kestrel::app::test::DialogTest {
  Q_OBJECT

  static constexpr int kPmWriter = 0;  // the filter index column's value for "Сохранение PM"
  const QByteArray kOld = QByteArrayLiteral("old text");

  QString path(const QString& name) { return QString::fromStdString(dir.file(name.toStdString())); }

  static QByteArray bytesOf(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  // The names in the test's folder, the settings folder aside.
  QStringList written() {
    QStringList names = QDir(QString::fromStdString(dir.path().string()))
                            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
    names.removeAll(QStringLiteral("settings"));
    names.removeAll(QStringLiteral("demo.gdfs"));
    return names;
  }

 private slots:
  void init() {
    resetDialogs();
    for (const QString& name : written()) {
      QVERIFY(QFileInfo(path(name)).isDir() ? QDir(path(name)).removeRecursively()
                                            : QFile::remove(path(name)));
    }
  }

  void endingsAndReplacing_data() {
    QTest::addColumn<int>("format");        // the save dialog's filter index, or kPmWriter
    QTest::addColumn<QString>("typed");     // the name given in the save dialog
    QTest::addColumn<QString>("existing");  // a file there before the save; empty: none
    QTest::addColumn<bool>("replace");      // the answer to the question, when it is asked
    QTest::addColumn<QString>("target");    // the name the save writes to (or would)

    QTest::newRow("text, ending added") << 1 << "rep"
                                        << "" << false << "rep.txt";
    QTest::newRow("text, ending present") << 1 << "rep.txt"
                                          << "" << false << "rep.txt";
    QTest::newRow("text, ending in capitals") << 1 << "REP.Txt"
                                              << "" << false << "REP.Txt";
    QTest::newRow("text, another ending") << 1 << "rep.csv"
                                          << "" << false << "rep.csv.txt";
    QTest::newRow("text, replaced") << 1 << "rep"
                                    << "rep.txt" << true << "rep.txt";
    QTest::newRow("text, kept") << 1 << "rep"
                                << "rep.txt" << false << "rep.txt";
    QTest::newRow("csv ;, kept") << 2 << "rep.csv"
                                 << "rep.csv" << false << "rep.csv";
    QTest::newRow("csv ,, replaced") << 3 << "rep.CSV"
                                     << "rep.CSV" << true << "rep.CSV";
    QTest::newRow("vcard file, kept") << 6 << "cards"
                                      << "cards.vcf" << false << "cards.vcf";
    QTest::newRow("vcard file, replaced") << 6 << "cards.vcf"
                                          << "cards.vcf" << true << "cards.vcf";
    QTest::newRow("icalendar, kept") << 7 << "cal.ICS"
                                     << "cal.ICS" << false << "cal.ICS";
    QTest::newRow("icalendar, replaced") << 7 << "cal"
                                         << "cal.ics" << true << "cal.ics";
    QTest::newRow("html, kept") << 8 << "rep.html"
                                << "rep.html" << false << "rep.html";
    QTest::newRow("html, replaced") << 8 << "rep"
                                    << "rep.html" << true << "rep.html";
    QTest::newRow("pm, ending added") << kPmWriter << "copy"
                                      << "" << false << "copy.pm";
    QTest::newRow("pm, ending present") << kPmWriter << "copy.pm"
                                        << "" << false << "copy.pm";
    QTest::newRow("pm, kept") << kPmWriter << "copy"
                              << "copy.pm" << false << "copy.pm";
    QTest::newRow("pm, replaced") << kPmWriter << "copy.PM"
                                  << "copy.PM" << true << "copy.PM";
  }

  void endingsAndReplacing() {
    QFETCH(int, format);
    QFETCH(QString, typed);
    QFETCH(QString, existing);
    QFETCH(bool, replace);
    QFETCH(QString, target);
    const std::string dump = kestrel::test::readFile(KESTREL_SOURCE_DIR "/samples/demo.gdfs");
    files.openAnswers = {{QString::fromStdString(dir.write("demo.gdfs", dump))}};
    if (!existing.isEmpty()) dir.write(existing.toStdString(), kOld.toStdString());
    MainWindow frame(services());
    frame.openGdfs();
    QVERIFY(readingDone(frame));
    DocumentWindow* doc = frame.activeDocument();
    QVERIFY(doc);

    files.saveAnswers = {FileDialogs::SaveAnswer{path(typed), std::max(format, 1)}};
    messages.questionAnswers = {replace};
    if (format == kPmWriter) {
      doc->savePm();
    } else {
      dialogs.answers = {[](QDialog& shown) {
        auto* sections = qobject_cast<kestrel::app::SaveSectionsDialog*>(&shown);
        if (sections != nullptr) sections->phonebookBox->setChecked(true);
        return sections != nullptr;
      }};
      doc->save();
    }

    const QStringList asked =
        existing.isEmpty()
            ? QStringList()
            : QStringList{
                  QStringLiteral("Файл «%1» уже существует.\nЗаменить его?").arg(path(target))};
    QCOMPARE(messages.questions, asked);
    QVERIFY2(messages.errors.isEmpty(), qPrintable(messages.errors.join('\n')));
    // Only the target, written unless the user kept the file that was there.
    QCOMPARE(written(), QStringList{target});
    const bool kept = !existing.isEmpty() && !replace;
    QCOMPARE(bytesOf(path(target)) == kOld, kept);
  }

  // A vCard folder is made new and never replaces a thing: an existing name is no question.
  void vcardFolderIsNeverAQuestion() {
    const std::string dump = kestrel::test::readFile(KESTREL_SOURCE_DIR "/samples/demo.gdfs");
    files.openAnswers = {{QString::fromStdString(dir.write("demo.gdfs", dump))}};
    QVERIFY(QDir().mkpath(path(QStringLiteral("cards"))));
    MainWindow frame(services());
    frame.openGdfs();
    QVERIFY(readingDone(frame));
    files.saveAnswers = {FileDialogs::SaveAnswer{path(QStringLiteral("cards")), 4}};
    dialogs.answers = {[](QDialog&) { return true; }};
    frame.activeDocument()->save();
    QVERIFY(messages.questions.isEmpty());
    QCOMPARE(messages.warnings, QStringList{QStringLiteral("Ошибка при создании директории")});
    QVERIFY(QDir(path(QStringLiteral("cards"))).isEmpty());
  }

  // The save dialog shows each file type with its pattern once.
  void fileTypesShowTheirPatternOnce() {
    const QStringList types =
        kestrel::app::qtFilter(kestrel::app::toQString(kestrel::output::saveFilter()))
            .split(QStringLiteral(";;"));
    const auto formats = kestrel::output::exportFormats();
    QCOMPARE(types.size(), static_cast<qsizetype>(formats.size()));
    for (std::size_t k = 0; k < formats.size(); ++k) {
      const QString pattern = QString::fromLatin1(formats[k].pattern);
      QVERIFY2(types[static_cast<qsizetype>(k)].endsWith(QStringLiteral(" (%1)").arg(pattern)),
               qPrintable(types[static_cast<qsizetype>(k)]));
      QCOMPARE(types[static_cast<qsizetype>(k)].count(pattern), 1);
    }
  }

  // Qt's own dialogs and buttons speak the program's Russian.
  void qtSpeaksRussian() {
    if (!kestrel::app::installQtTranslations())
      QSKIP("Qt's Russian translations (qtbase_ru.qm, package qt6-translations-l10n) are absent");
    QDialogButtonBox buttons(QDialogButtonBox::Open | QDialogButtonBox::Cancel);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Отмена"));
    QCOMPARE(buttons.button(QDialogButtonBox::Open)->text(), QStringLiteral("Открыть"));
  }
};

QTEST_MAIN(SavingTest)
#include "SavingTest.moc"
