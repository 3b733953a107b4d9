#include <QTableView>
#include <QtTest>

#include "DocumentWindow.h"
#include "FakeDialogs.h"
#include "MainWindow.h"
#include "support/PhoneRecords.h"
#include "support/PmBuilder.h"
#include "support/TempDir.h"

using kestrel::Document;
using kestrel::app::DocumentWindow;
using kestrel::app::MainWindow;
using kestrel::test::PmBuilder;
using namespace kestrel::test::phone;

class PmContentsTest : public kestrel::app::test::DialogTest {
  Q_OBJECT

  static QList<int> shownColumns(const QTableView& view) {
    QList<int> out;
    for (int c = 0; c < view.model()->columnCount(); ++c) {
      if (!view.isColumnHidden(c)) out << c;
    }
    return out;
  }

 private slots:
  void phonebookShowsTheColumnsThatReceivedData() {
    const std::string dump =
        PmBuilder()
            .block(58)
            .record(0, fieldList({field(7, text(u"Иван")), field(70, text(u"Иванов")),
                                  field(11, number("+79161234567"))}))
            .record(1, fieldList({field(7, textBigEndian(u"Петрова Анна")),
                                  field(8, text(u"anna@mail.ru"))}))
            .block(61)
            .record(0, fieldList(
                           {field(11, number("112")), field(19, callTime(2012, 3, 18, 20, 1, 9))}))
            .text();
    files.openAnswers = {{QString::fromStdString(dir.write("contacts.pm", dump))}};
    MainWindow frame({&files, &messages});
    frame.show();
    frame.openPm();
    QVERIFY(readingDone(frame));
    QVERIFY(messages.informations.isEmpty());
    DocumentWindow* doc = frame.activeDocument();
    QVERIFY(doc);

    QTableView* book = doc->view(doc->document().phonebook);
    QCOMPARE(shownColumns(*book),
             (QList<int>{0, kestrel::kPbName, kestrel::kPbNumbers, kestrel::kPbEmail}));
    QCOMPARE(book->columnWidth(kestrel::kPbName), 100);
    QCOMPARE(book->columnWidth(kestrel::kPbEmail), 50);
    QCOMPARE(book->model()->rowCount(), 2);
    QCOMPARE(book->model()->index(0, kestrel::kPbName).data().toString(),
             QStringLiteral("Иванов Иван "));
    QCOMPARE(book->model()->index(1, kestrel::kPbName).data().toString(),
             QStringLiteral("Петрова Анна "));
    QCOMPARE(book->model()->index(0, kestrel::kPbNumbers).data().toString(),
             QStringLiteral("+79161234567 "));

    QTableView* calls = doc->view(doc->document().calls);
    QCOMPARE(shownColumns(*calls),
             (QList<int>{0, kestrel::kCallStatus, kestrel::kCallPhone, kestrel::kCallDate}));
    QCOMPARE(calls->model()->index(0, kestrel::kCallStatus).data().toString(),
             QStringLiteral("Входящие"));
    QVERIFY(frame.saveAction()->isEnabled());
  }

  void demoDumpOpensWithoutMessages() {
    files.openAnswers = {{QStringLiteral(KESTREL_SOURCE_DIR "/samples/demo.pm")}};
    MainWindow frame({&files, &messages});
    frame.openPm();
    QVERIFY(readingDone(frame));
    QVERIFY(messages.informations.isEmpty());
    DocumentWindow* doc = frame.activeDocument();
    QVERIFY(doc);
    QTableView* book = doc->view(doc->document().phonebook);
    QCOMPARE(book->model()->index(0, kestrel::kPbGroup).data().toString(), QStringLiteral("Семья"));
    QVERIFY(book->isColumnHidden(kestrel::kPbFormalName));
    QCOMPARE(doc->view(doc->document().calendar)->model()->rowCount(), 4);
  }
};

QTEST_MAIN(PmContentsTest)
#include "PmContentsTest.moc"
