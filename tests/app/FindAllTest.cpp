#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <stop_token>
#include <thread>

#include "DocumentReading.h"
#include "DocumentWindow.h"
#include "FakeDialogs.h"
#include "FindAllPanel.h"
#include "FoundCells.h"
#include "MainWindow.h"
#include "Text.h"
#include "support/TempDir.h"

using kestrel::app::DocumentWindow;
using kestrel::app::FindAllPanel;
using kestrel::app::FoundCellsModel;
using kestrel::app::MainWindow;

namespace {

const QString kDemoPm = QStringLiteral(KESTREL_SOURCE_DIR "/samples/demo.pm");

// Two cards: a number written with a trunk prefix and brackets, and its neighbour, which no
// search for it may find.
const char* const kCards =
    "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8:иванов;Сергей\r\nTEL;CELL:8 (916) 123-45-67\r\n"
    "END:VCARD\r\nBEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8:Кузнецова;Ольга\r\n"
    "TEL:89161234568\r\nNOTE;CHARSET=UTF-8:звонить Иванову\r\nEND:VCARD\r\n";

// The results as the list shows them, one line each: document file name, table, row, column
// and the text with its match in brackets.
QStringList shownResults(const FindAllPanel& panel) {
  const QAbstractItemModel& model = panel.model();
  QStringList lines;
  for (int r = 0; r < model.rowCount(); ++r) {
    const auto cell = [&](int c, int role = Qt::DisplayRole) {
      return model.index(r, c).data(role);
    };
    QString text = cell(FoundCellsModel::TextColumn).toString();
    const QPoint mark = cell(FoundCellsModel::TextColumn, FoundCellsModel::kMatchRole).toPoint();
    text.insert(mark.x() + mark.y(), QLatin1Char(']')).insert(mark.x(), QLatin1Char('['));
    lines << QStringList{QFileInfo(cell(FoundCellsModel::DocumentColumn).toString()).fileName(),
                         cell(FoundCellsModel::TableColumn).toString(),
                         cell(FoundCellsModel::RowColumn).toString(),
                         cell(FoundCellsModel::ColumnColumn).toString(), text}
                 .join(QStringLiteral(" | "));
  }
  return lines;
}

// Holds every read at its second report until the test lets it go (or ten seconds pass, so that
// a failing test does not hang).
std::atomic<bool> readsHeld = false;
void holdRead(const std::stop_token& stop) {
  for (int waited = 0; readsHeld && !stop.stop_requested() && waited < 10'000; ++waited)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

}  // namespace

// "Найти во всех документах" and "Открыть папку…": the frame's ways over many documents.
class FindAllTest : public kestrel::app::test::DialogTest {
  Q_OBJECT

  static void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
  }

  // Puts the text into the panel's field and presses Enter, as the user searches.
  static void searchFor(FindAllPanel& panel, const QString& text) {
    panel.field()->setText(text);
    QTest::keyClick(panel.field(), Qt::Key_Return);
  }

  static QStringList captions(const MainWindow& frame) {
    QStringList names;
    for (const DocumentWindow* doc : frame.documents())
      names << QFileInfo(kestrel::app::toQString(doc->document().caption)).fileName();
    return names;
  }

 private slots:
  void init() { resetDialogs(); }

  void searchFindsEveryOpenDocumentShowsACellAndFollowsTheDocuments() {
    MainWindow frame(services());
    frame.resize(1000, 800);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    const QString cards = QString::fromStdString(dir.write("cards.vcf", kCards));
    frame.openByName({kDemoPm, cards});
    QVERIFY(readingDone(frame));
    QCOMPARE(captions(frame), (QStringList{"demo.pm", "cards.vcf"}));

    // Ctrl+Shift+F from a document's table shows the panel with its field ready.
    FindAllPanel* panel = frame.findAllPanel();
    QVERIFY(!panel->isVisible());
    QApplication::setActiveWindow(&frame);
    QTest::keyClick(frame.activeDocument()->tabs()->currentWidget(), Qt::Key_F,
                    Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(panel->isVisible());
    QCOMPARE(QApplication::focusWidget(), panel->field());

    // A number finds its line however a cell writes it, in the order of the documents, tabs,
    // rows and columns; the neighbouring number 89161234568 is not found.
    searchFor(*panel, QStringLiteral("+7 916 123-45-67"));
    QCOMPARE(shownResults(*panel),
             (QStringList{
                 "demo.pm | Зап. Книжка | 1 | Номера | [+79161234567] 84951234567 ",
                 "demo.pm | Вызовы | 4 | Номер | [+79161234567] ",
                 "cards.vcf | Зап. Книжка | 1 | Номера | [8 (916) 123-45-67]",
             }));
    QCOMPARE(panel->summary()->text(), QStringLiteral("Найдено ячеек: 3, документов: 2"));

    // Any other text in any letter case, Cyrillic included; Latin "ivanov" is no match.
    searchFor(*panel, QStringLiteral("ИВАНОВ"));
    QCOMPARE(shownResults(*panel), (QStringList{
                                       "demo.pm | Зап. Книжка | 1 | ФИО | [Иванов] Иван ",
                                       "demo.pm | Вызовы | 4 | ФИО | [Иванов] Иван ",
                                       "demo.pm | Календарь | 2 | Название | [Иванов] Иван",
                                       "cards.vcf | Зап. Книжка | 1 | ФИО | [иванов] Сергей",
                                       "cards.vcf | Зап. Книжка | 2 | Заметки | звонить [Иванов]у",
                                   }));

    // Enter on a result brings its document to the front with the tab and the row, the filter
    // that hid the row cleared.
    DocumentWindow* demo = frame.documents().front();
    QLineEdit* callsFilter = demo->filterField(demo->document().calls);
    callsFilter->setText(QStringLiteral("John"));
    QTableView* results = panel->results();
    results->setFocus();
    results->setCurrentIndex(panel->model().index(1, FoundCellsModel::TextColumn));
    QTest::keyClick(results, Qt::Key_Return);
    QCOMPARE(frame.activeDocument(), demo);
    QTableView* calls = demo->view(demo->document().calls);
    QCOMPARE(demo->tabs()->currentWidget(), calls->parentWidget());
    QVERIFY(callsFilter->text().isEmpty());
    const auto* order = static_cast<QSortFilterProxyModel*>(calls->model());
    QCOMPARE(order->mapToSource(calls->currentIndex()).row(), 3);
    QCOMPARE(calls->selectionModel()->selectedRows().size(), 1);
    // A double click on another document's result does the same.
    const QModelIndex card = panel->model().index(4, FoundCellsModel::TextColumn);
    const QPoint at = results->visualRect(card).center();
    QTest::mouseClick(results->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(results->viewport(), Qt::LeftButton, {}, at);
    DocumentWindow* cardsDoc = frame.documents().back();
    QCOMPARE(frame.activeDocument(), cardsDoc);
    const QTableView* book = cardsDoc->view(cardsDoc->document().phonebook);
    QCOMPARE(cardsDoc->tabs()->currentWidget(), book->parentWidget());
    QCOMPARE(book->currentIndex().row(), 1);
    // The marked text paints on a selected row as on any other.
    QVERIFY(!results->grab().isNull());

    // A closed document takes its results with it; a new one is searched when the search runs
    // again.
    frame.mdiArea()->activeSubWindow()->close();
    settle();
    QCOMPARE(shownResults(*panel).size(), 3);
    QVERIFY(std::ranges::all_of(shownResults(*panel),
                                [](const QString& line) { return line.startsWith("demo.pm"); }));
    QCOMPARE(panel->summary()->text(), QStringLiteral("Найдено ячеек: 3, документов: 1"));
    frame.openByName({QString::fromStdString(dir.write("more.vcf", kCards))});
    QVERIFY(readingDone(frame));
    QCOMPARE(shownResults(*panel).size(), 3);
    searchFor(*panel, QStringLiteral("ИВАНОВ"));
    QCOMPARE(shownResults(*panel).size(), 5);
    QCOMPARE(shownResults(*panel).back(),
             QStringLiteral("more.vcf | Зап. Книжка | 2 | Заметки | звонить [Иванов]у"));

    // A text no cell holds.
    searchFor(*panel, QStringLiteral("Нет такого"));
    QCOMPARE(panel->model().rowCount(), 0);
    QCOMPARE(panel->summary()->text(), QStringLiteral("Ничего не найдено"));
  }

  void aDocumentBeingReadIsCountedUntilTheSearchRunsAgain() {
    MainWindow frame(services());
    frame.show();
    frame.openByName({QString::fromStdString(dir.write("cards.vcf", kCards))});
    QVERIFY(readingDone(frame));
    readsHeld = true;
    kestrel::app::detail::setReadingReportHook(&holdRead);
    frame.openByName({kDemoPm});
    QVERIFY(frame.documents().back()->isReading());

    FindAllPanel* panel = frame.findAllPanel();
    panel->start();
    searchFor(*panel, QStringLiteral("ИВАНОВ"));
    QCOMPARE(panel->model().rowCount(), 2);
    QCOMPARE(panel->summary()->text(),
             QStringLiteral("Найдено ячеек: 2, документов: 1; ещё читаются и не просмотрены: 1"));
    // Once read, the document is told as one to search again.
    readsHeld = false;
    QVERIFY(readingDone(frame));
    kestrel::app::detail::setReadingReportHook(nullptr);
    QTRY_COMPARE(panel->summary()->text(),
                 QStringLiteral("Найдено ячеек: 2, документов: 1; прочитаны после поиска: 1, "
                                "найдите снова"));
    searchFor(*panel, QStringLiteral("ИВАНОВ"));
    QCOMPARE(panel->summary()->text(), QStringLiteral("Найдено ячеек: 5, документов: 2"));
    // The frame goes with the results showing: they let go of its documents first.
  }

  void openFolderOpensEachDumpAndTheCardsTogetherAndTellsWhatItSkipped() {
    const QString folder = QString::fromStdString((dir.path() / "case").string());
    QVERIFY(QDir().mkpath(folder + "/photos"));
    QVERIFY(QFile::copy(kDemoPm, folder + "/phone10.pm"));
    QVERIFY(QFile::copy(kDemoPm, folder + "/phone2.pm"));
    QVERIFY(QFile::copy(QStringLiteral(KESTREL_SOURCE_DIR "/samples/demo.gdfs"),
                        folder + "/data.gdfs"));
    for (const char* name : {"b.vcf", "a.vcf"}) {
      QFile file(folder + '/' + name);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(kCards);
    }
    QFile notes(folder + "/notes.txt");
    QVERIFY(notes.open(QIODevice::WriteOnly));
    notes.close();
    QFile hidden(folder + "/.hidden.pm");
    QVERIFY(hidden.open(QIODevice::WriteOnly));
    hidden.close();

    MainWindow frame(services());
    frame.show();
    // Cancelled: nothing opens, nothing is told.
    frame.openFolderAction()->trigger();
    QCOMPARE(files.folderRequests.size(), 1);
    QVERIFY(frame.documents().isEmpty());
    QVERIFY(messages.informations.isEmpty());

    // Dumps in the order a file manager shows them, then both card files in one document.
    files.folderAnswers = {folder};
    frame.openFolderAction()->trigger();
    QVERIFY(readingDone(frame));
    QCOMPARE(captions(frame), (QStringList{"data.gdfs", "phone2.pm", "phone10.pm", "a.vcf"}));
    QCOMPARE(frame.documents().back()->document().phonebook.rowCount(), 4u);
    QCOMPARE(messages.informations,
             (QStringList{QStringLiteral("Из папки «%1» открыто документов: 4.\n\nПропущено: 2\n"
                                         "notes.txt — тип не распознан по имени\nphotos — папка")
                              .arg(folder)}));
    QVERIFY(messages.warnings.isEmpty());
    QVERIFY(messages.errors.isEmpty());
    // The dialog proposes the folder opened last.
    frame.openFolderAction()->trigger();
    QCOMPARE(files.folderRequests.back(), folder);

    // A folder with nothing to open says so.
    messages.reset();
    frame.openFolder(folder + "/photos");
    QCOMPARE(messages.informations,
             (QStringList{QStringLiteral("В папке «%1/photos» нет файлов, тип которых "
                                         "распознаётся по имени.")
                              .arg(folder)}));
    QCOMPARE(frame.documents().size(), 4);

    // Many documents are opened only when the user agrees.
    const QString many = QString::fromStdString((dir.path() / "many").string());
    QVERIFY(QDir().mkpath(many));
    for (int k = 0; k < 17; ++k)
      QVERIFY(QFile::copy(kDemoPm, QStringLiteral("%1/%2.pm").arg(many).arg(k)));
    messages.reset();
    frame.openFolder(many);
    QCOMPARE(messages.questions,
             (QStringList{QStringLiteral("Открыть документов: 17 из папки «%1»?").arg(many)}));
    QCOMPARE(frame.documents().size(), 4);
  }
};

QTEST_MAIN(FindAllTest)
#include "FindAllTest.moc"
