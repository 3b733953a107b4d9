#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QPageRanges>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>

#include "DocumentWindow.h"
#include "FakeDialogs.h"
#include "MainWindow.h"
#include "PrintSectionsDialog.h"
#include "SaveSectionsDialog.h"
#include "Text.h"
#include "export/ReportLines.h"
#include "open/OpenDocument.h"
#include "print/PdfPrint.h"
#include "support/DemoDump.h"

using kestrel::app::DocumentWindow;
using kestrel::app::fromQString;
using kestrel::app::MainWindow;
using kestrel::app::PrintSectionsDialog;
using kestrel::app::toQString;

// "Печать": the section dialog, and the report as the page layout puts it on an A4 PDF.
class PrintingTest : public kestrel::app::test::DialogTest {
  Q_OBJECT

  // What a poppler tool says of the PDF. A missing tool fails the test.
  QString poppler(const QString& name, const QStringList& arguments) {
    const QString tool = QStandardPaths::findExecutable(name);
    if (tool.isEmpty()) {
      QTest::qFail(qPrintable(name + " is not installed (Debian package poppler-utils)"), __FILE__,
                   __LINE__);
      return {};
    }
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
      QTest::qFail(qPrintable(name + " failed: " + process.readAllStandardError()), __FILE__,
                   __LINE__);
    return QString::fromUtf8(process.readAllStandardOutput());
  }

  // Prints the lines into the PDF and returns its text, pages ended by form feeds. Every word
  // lies inside the margins of 10 mm (give or take a point, as the reader's boxes of the glyphs
  // go), and the text begins at the left one.
  QString printed(const std::vector<std::string>& lines) {
    pdf_ = QString::fromStdString(dir.file("report.pdf"));
    QStringList errors;
    kestrel::print::printLinesToPdf(lines, pdf_.toStdString(),
                                    [&](std::string_view text) { errors << toQString(text); });
    if (!errors.isEmpty()) QTest::qFail(qPrintable(errors.join('\n')), __FILE__, __LINE__);
    const QString text = poppler(QStringLiteral("pdftotext"), {"-layout", pdf_, "-"});
    const QRectF a4(0, 0, 595.28, 841.89);  // points
    const double margin = 10 / 25.4 * 72;
    const QRectF inside = a4.marginsRemoved({margin - 1, margin - 1, margin - 1, margin - 1});
    double left = a4.width();
    QStringList outside;
    for (const QRectF& box : wordBoxes(pdf_)) {
      if (!inside.contains(box)) outside << QStringLiteral("%1,%2").arg(box.left()).arg(box.top());
      left = std::min(left, box.left());
    }
    if (!outside.isEmpty())
      QTest::qFail(qPrintable(QStringLiteral("%1 words outside the margins, the first at %2")
                                  .arg(outside.size())
                                  .arg(outside.front())),
                   __FILE__, __LINE__);
    if (left > margin + 1)
      QTest::qFail("the text does not begin at the margin", __FILE__, __LINE__);
    return text + '\n' + poppler(QStringLiteral("pdfinfo"), {pdf_});
  }

  // The box of every word on the PDF's pages, in points from the page's top-left corner.
  QList<QRectF> wordBoxes(const QString& pdf) {
    static const QRegularExpression word(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)")re"));
    QList<QRectF> boxes;
    for (auto words = word.globalMatch(poppler(QStringLiteral("pdftotext"), {"-bbox", pdf, "-"}));
         words.hasNext();) {
      const QRegularExpressionMatch w = words.next();
      boxes << QRectF(QPointF(w.captured(1).toDouble(), w.captured(2).toDouble()),
                      QPointF(w.captured(3).toDouble(), w.captured(4).toDouble()));
    }
    return boxes;
  }

  // The text of each page of the PDF.
  QStringList pages(const QString& pdf) {
    QStringList pages = poppler(QStringLiteral("pdftotext"), {pdf, "-"}).split('\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) pages.removeLast();
    return pages;
  }

  // The lines that hold text; runs of spaces count as one, since a PDF keeps positions and not
  // space characters.
  static QStringList textLines(const QString& text) {
    QStringList lines;
    for (const QString& line : text.split(QRegularExpression(QStringLiteral("[\r\n\f]+"))))
      if (!line.trimmed().isEmpty()) lines << line.simplified();
    return lines;
  }

  QString pdf_;

 private slots:
  void init() { resetDialogs(); }

  void reportComesOutWholeOnAnA4Pdf() {
    kestrel::Document doc;
    const std::string dump = kestrel::test::demoPmText();
    QVERIFY(
        kestrel::openDocument(doc, kestrel::FileKind::Pm,
                              kestrel::ReaderInput::bytes("dump.pm", {dump.begin(), dump.end()})));
    const auto lines = kestrel::output::reportLines(doc, {true, true, true});
    const QStringList got = textLines(printed(lines));
    if (QTest::currentTestFailed()) return;
    const QStringList size = got.filter(QStringLiteral("Page size:"));
    QVERIFY2(size.size() == 1 && size[0].endsWith(QStringLiteral("(A4)")),
             qPrintable(size.join(' ')));
    QString report;
    for (const std::string& line : lines)
      report += toQString(line) + '\n';
    // Every text line of the report in order, then pdfinfo's lines.
    QCOMPARE(got.mid(0, textLines(report).size()), textLines(report));
    for (const char* line : {"ЗАПИСНАЯ КНИЖКА", "ВЫЗОВЫ", "КАЛЕНДАРЬ", "----------1----------",
                             "ФИО: Иванов Иван", "Название: Купить цветы"})
      QVERIFY2(got.contains(QString::fromUtf8(line)), line);
  }

  void longTextWrapsAndFillsPages() {
    std::string word;
    for (int i = 0; i < 20; ++i)
      word += fromQString(QStringLiteral("ЖжWw0123456789"));
    std::vector<std::string> lines{fromQString(QStringLiteral("Заметки: Первая\r\nВторая")), word,
                                   "end"};
    for (int i = 1; i <= 150; ++i)
      lines.push_back("----------" + std::to_string(i) + "----------");
    const QString text = printed(lines);
    if (QTest::currentTestFailed()) return;
    const QStringList got = textLines(text);
    QCOMPARE(got.mid(0, 2), (QStringList{QStringLiteral("Заметки: Первая"), "Вторая"}));
    // The long word is cut where the page ends, not at a word boundary, and nothing is lost.
    const int end = got.indexOf(QStringLiteral("end"));
    QVERIFY(end > 3);
    QCOMPARE(got.mid(2, end - 2).join(QString()), toQString(word));
    QVERIFY(got.contains(QStringLiteral("----------150----------")));
    // 150 lines do not fit on one A4 page.
    const QStringList pages = got.filter(QRegularExpression(QStringLiteral("^Pages: ")));
    QVERIFY2(pages.size() == 1 && pages[0].mid(7).toInt() >= 2, qPrintable(pages.join(' ')));
  }

  void dialogKeepsItsTicksAndCancelPrintsNothing() {
    MainWindow frame(services());
    PrintSectionsDialog& dialog = frame.printSectionsDialog();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Печать"));
    QCOMPARE(dialog.findChild<QGroupBox*>()->title(), QStringLiteral("Печать"));
    QCOMPARE((QStringList{dialog.phonebookBox->text(), dialog.callsBox->text(),
                          dialog.calendarBox->text(), dialog.acceptButton->text()}),
             (QStringList{"Записная книжка", "Вызовы", "Календарь", "Печать"}));
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    dialog.acceptButton->click();
    QCOMPARE(accepted.count(), 1);

    DocumentWindow window(frame, services());
    QList<kestrel::output::TableChoice> seen;
    for (int i = 0; i < 2; ++i)
      dialogs.answers.push_back([&](QDialog& shown) {
        auto& print = dynamic_cast<PrintSectionsDialog&>(shown);
        seen << print.tableChoice();
        print.callsBox->setChecked(true);
        return false;
      });
    window.print();
    window.print();
    QCOMPARE(seen.size(), 2);
    QVERIFY(!seen[0].phonebook && !seen[0].calls && !seen[0].calendar);
    QVERIFY(!seen[1].phonebook && seen[1].calls && !seen[1].calendar);
    // The save command keeps its own ticks; a job would have reached a printer or an error.
    QVERIFY(!frame.saveSectionsDialog().callsBox->isChecked());
    QVERIFY(messages.errors.isEmpty());
  }

  // After the sections the print dialog asks where to print: it starts with the program's
  // margins and the document's name, also where no printer is installed, and the pages chosen
  // there come out in the copies chosen there.
  void printDialogChoosesThePrinterPagesAndCopies() {
    std::string cards;
    for (int k = 1; k <= 120; ++k)
      cards += "BEGIN:VCARD\r\nN:Card " + std::to_string(k) +
               "\r\nTEL:" + std::to_string(1000 + k) + "\r\nEND:VCARD\r\n";
    MainWindow frame(services());
    frame.openByName({QString::fromStdString(dir.write("cards.vcf", cards))});
    QVERIFY(readingDone(frame));
    DocumentWindow* window = frame.activeDocument();
    QVERIFY(window);
    const auto tickPhonebook = [](QDialog& shown) {
      dynamic_cast<PrintSectionsDialog&>(shown).phonebookBox->setChecked(true);
      return true;
    };
    // Sections cancelled: no print dialog. Print dialog cancelled: nothing printed.
    window->print();
    QCOMPARE(printing.shown, 0);
    dialogs.answers.push_back(tickPhonebook);
    window->print();
    QCOMPARE(printing.shown, 1);

    const QString whole = QString::fromStdString(dir.file("whole.pdf"));
    dialogs.answers.push_back(tickPhonebook);
    printing.answers.push_back([&](QPrinter& printer) {
      [&] {
        QCOMPARE(printer.pageLayout().margins(QPageLayout::Millimeter), QMarginsF(10, 10, 10, 10));
        QCOMPARE(printer.docName(), QStringLiteral("cards.vcf"));
      }();
      printer.setOutputFileName(whole);
      return true;
    });
    window->print();
    const QStringList all = pages(whole);
    QVERIFY2(all.size() >= 3, qPrintable(QString::number(all.size())));
    QVERIFY(all[0].contains(QStringLiteral("ЗАПИСНАЯ КНИЖКА")));

    const struct {
      bool collated;
      QStringList expected;
    } jobs[] = {{true, {all[1], all[2], all[1], all[2]}},
                {false, {all[1], all[1], all[2], all[2]}}};
    for (const auto& job : jobs) {
      const QString pdf = QString::fromStdString(dir.file("pages.pdf"));
      dialogs.answers.push_back(tickPhonebook);
      printing.answers.push_back([&](QPrinter& printer) {
        printer.setOutputFileName(pdf);
        printer.setCopyCount(2);
        printer.setCollateCopies(job.collated);
        QPageRanges chosen;
        chosen.addRange(2, 3);
        printer.setPageRanges(chosen);
        return true;
      });
      window->print();
      QCOMPARE(pages(pdf), job.expected);
    }
    QVERIFY(messages.errors.isEmpty());
  }
};

QTEST_MAIN(PrintingTest)
#include "PrintingTest.moc"
