#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stop_token>

#include "DocumentReading.h"
#include "DocumentWindow.h"
#include "FakeDialogs.h"
#include "MainWindow.h"
#include "support/PmBuilder.h"

using kestrel::app::DocumentWindow;
using kestrel::app::MainWindow;
using kestrel::test::PmBuilder;

namespace {

// Holds every read at its reader's report number `at` and those after it, until the test lets
// the reads go; a read cancelled meanwhile goes on at once.
class ReadGate {
 public:
  explicit ReadGate(int at) {
    const std::lock_guard lock(mutex_);
    holdAt_ = at;
    open_ = false;
    kestrel::app::detail::setReadingReportHook(&hold);
  }
  ~ReadGate() {
    letGo();
    kestrel::app::detail::setReadingReportHook(nullptr);
  }
  ReadGate(const ReadGate&) = delete;
  ReadGate& operator=(const ReadGate&) = delete;

  // The reads waiting at the gate now.
  static int held() {
    const std::lock_guard lock(mutex_);
    return held_;
  }
  static void letGo() {
    const std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }

 private:
  static void hold(const std::stop_token& stop) {
    // Each read has a thread of its own.
    thread_local int reports = 0;
    std::unique_lock lock(mutex_);
    if (++reports < holdAt_) return;
    ++held_;
    // A read held too long (on a thread that should not wait) opens the gate for good, so that
    // the test fails rather than hangs.
    if (!changed_.wait_for(lock, stop, std::chrono::seconds(10), [] { return open_; }))
      open_ = true;
    --held_;
  }

  static inline std::mutex mutex_;
  static inline std::condition_variable_any changed_;
  static inline bool open_ = true;
  static inline int held_ = 0;
  static inline int holdAt_ = 0;
};

int threadCount() {
  return static_cast<int>(
      QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

}  // namespace

class BackgroundReadingTest : public kestrel::app::test::DialogTest {
  Q_OBJECT

  // A dump of three blocks whose serial number tells it from another.
  QString dump(const std::string& name, std::uint8_t serial) {
    return QString::fromStdString(dir.write(name, PmBuilder()
                                                      .block(4)
                                                      .record(3, {'S', 'N', serial, 0x00})
                                                      .block(58)
                                                      .record(0, {0x00})
                                                      .block(59)
                                                      .record(0, {0x00})
                                                      .text()));
  }

  // The document commands of the frame's menus, as the active window offers them.
  static QList<QAction*> documentCommands(const MainWindow& frame) {
    return {frame.exportToExcelAction(), frame.saveAction(),         frame.printAction(),
            frame.fileInfoAction(),      frame.openExplorerAction(), frame.savePmAction(),
            frame.fitColumnsAction()};
  }

 private slots:
  void init() { resetDialogs(); }

  // Two dumps read at once, each held halfway by the test: the frame returned from both open
  // commands, each window shows its reader's status and progress, and offers none of its
  // commands until its own document is read.
  void readsRunBehindWindowsThatStayUsable() {
    // Reports: the maximum, block 4's status and position, then block 58's status.
    const ReadGate gate(4);
    MainWindow frame(services());
    frame.show();
    files.openAnswers = {{dump("first.pm", '1')}, {dump("second.pm", '2')}};
    frame.openPm();
    frame.openPm();
    QTRY_COMPARE(ReadGate::held(), 2);

    const QList<DocumentWindow*> windows = frame.documents();
    QCOMPARE(windows.size(), 2);
    for (DocumentWindow* window : windows) {
      frame.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(window->parentWidget()));
      QVERIFY(window->isReading());
      QTRY_COMPARE(window->statusPanel()->text(), QStringLiteral("Загрузка блока 58"));
      QCOMPARE(window->progressBar()->maximum(), 3);
      QCOMPARE(window->progressBar()->value(), 0);
      for (QAction* command : documentCommands(frame))
        QVERIFY2(command->isVisible() && !command->isEnabled(), qPrintable(command->text()));
      QVERIFY(!window->savePmButton()->isEnabled());
      QVERIFY(!window->filterField(window->document().phonebook)->isEnabled());
    }
    QVERIFY(frame.recentFiles().entries().empty());

    ReadGate::letGo();
    QVERIFY(readingDone(frame));
    for (DocumentWindow* window : windows) {
      frame.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(window->parentWidget()));
      const kestrel::Document& doc = window->document();
      QCOMPARE(doc.sourceFiles.size(), 1u);
      const QString serial = doc.sourceFiles[0].ends_with("first.pm") ? "SN1" : "SN2";
      QCOMPARE(window->view(doc.information)->model()->index(0, 1).data().toString(), serial);
      QCOMPARE(window->sectionNameList()->count(), 3);
      QCOMPARE(window->statusPanel()->text(), QString());
      QCOMPARE(window->progressBar()->value(), 0);
      for (QAction* command : documentCommands(frame))
        QVERIFY2(command->isEnabled(), qPrintable(command->text()));
      QVERIFY(window->savePmButton()->isEnabled());
      QVERIFY(window->filterField(doc.phonebook)->isEnabled());
    }
    QCOMPARE(frame.recentFiles().entries().size(), 2u);
    QVERIFY(messages.informations.isEmpty() && messages.warnings.isEmpty() &&
            messages.errors.isEmpty());
  }

  // Closing the window, Escape in it or quitting the program while a dump is read cancels the
  // read: its thread is waited for, the window goes, and nothing is told or remembered.
  void cancellingAReadLeavesNothing_data() {
    QTest::addColumn<int>("way");
    QTest::newRow("close box") << 0;
    QTest::newRow("Escape") << 1;
    QTest::newRow("quit") << 2;
  }

  void cancellingAReadLeavesNothing() {
    QFETCH(int, way);
    const ReadGate gate(2);
    MainWindow frame(services());
    frame.show();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    const int threads = threadCount();
    const QString path = dump("cancelled.pm", '3');
    files.openAnswers = {{path}};
    frame.openPm();
    QTRY_COMPARE(ReadGate::held(), 1);
    QPointer<DocumentWindow> window = frame.activeDocument();
    QVERIFY(window && window->isReading());

    if (way == 0) window->parentWidget()->close();
    if (way == 1) QTest::keyClick(window, Qt::Key_Escape);
    if (way == 2) frame.quit();
    // The read's thread ended before the command returned.
    QCOMPARE(ReadGate::held(), 0);
    QCOMPARE(threadCount(), threads);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTRY_VERIFY(window.isNull());
    QVERIFY(frame.documents().isEmpty());
    QTest::qWait(50);
    QVERIFY(messages.informations.isEmpty() && messages.warnings.isEmpty() &&
            messages.errors.isEmpty() && messages.questions.isEmpty());
    for (const auto& entry : frame.recentFiles().entries())
      QVERIFY(entry.fileName != path.toStdString());
  }
};

QTEST_MAIN(BackgroundReadingTest)
#include "BackgroundReadingTest.moc"
