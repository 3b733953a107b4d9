// The desktop's figure: app-open-bench DIR [--runs N], under QT_QPA_PLATFORM=offscreen.
//
// Opens DIR/full/dump.pm through the main window's own "Открыть PM" and times it from the
// command to the first paint of the document window once it has read the dump, beside
// openDocument alone: the difference is what the window adds. It also counts how often the
// document's status bar was repainted while the load ran, since the window has to keep showing
// progress, and in runs of their own measures the longest stall of the window's thread over the
// same span: a timer that ticks every few milliseconds, and the longest gap between its ticks.
// Every run, of any kind, is a process of its own.

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ChildRun.h"
#include "Dialogs.h"
#include "DocumentWindow.h"
#include "MainWindow.h"
#include "ReportLine.h"
#include "WindowPlacementQt.h"
#include "core/Document.h"
#include "open/OpenDocument.h"

namespace {

using kestrel::bench::formatted;
using kestrel::bench::Probe;
using kestrel::bench::ReportLine;
using kestrel::bench::Sample;

constexpr double kAddedShareGoal = 0.50;
constexpr long kFewRepaints = 3;
constexpr int kTickMs = 5;
constexpr int kCheckMs = 5;
constexpr double kLongestStallGoalMs = 100;

// The open dialog answers with the dump; nothing else is ever asked.
class OpenWithDump : public kestrel::app::FileDialogs {
 public:
  explicit OpenWithDump(QString path) : path_(std::move(path)) {}
  QStringList getOpenFileNames(QWidget*, const OpenRequest&) override { return {path_}; }
  std::optional<SaveAnswer> getSaveFileName(QWidget*, const SaveRequest&) override {
    return std::nullopt;
  }
  QString getExistingDirectory(QWidget*, const QString&) override { return {}; }

 private:
  QString path_;
};

// A message during the open means it went wrong: the text is kept to fail the run with.
class KeptMessages : public kestrel::app::MessageBoxes {
 public:
  void information(QWidget*, const QString& text) override { texts << text; }
  bool question(QWidget*, const QString& text) override {
    texts << text;
    return false;
  }
  void warning(QWidget*, const QString& text) override { texts << text; }
  void error(QWidget*, const QString& text) override { texts << text; }
  QStringList texts;
};

class CancelledDialogs : public kestrel::app::ModalDialogs {
 public:
  bool run(QDialog&) override { return false; }
};

class NoDesktop : public kestrel::app::Desktop {
 public:
  bool openFile(const QString&) override { return false; }
  QString htmlHandlerCommand() override { return {}; }
  bool startProgram(const QString&, const QStringList&) override { return false; }
};

// Watches the paint events of the document windows: while the load runs it counts those of the
// status bar, and after it stops the clock at the first one anywhere in the window.
class PaintWatch : public QObject {
 public:
  explicit PaintWatch(Probe& probe) : probe_(probe) {}

  bool loading = false;
  bool loaded = false;
  bool painted = false;
  long statusRepaints = 0;
  // Runs at the first paint after the load.
  std::function<void()> onPainted;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Paint || (!loading && (!loaded || painted)))
      return QObject::eventFilter(watched, event);
    for (QObject* o = watched; o != nullptr; o = o->parent()) {
      const auto* window = qobject_cast<kestrel::app::DocumentWindow*>(o);
      if (window == nullptr) continue;
      if (loading && watched == window->statusBar()) ++statusRepaints;
      if (loaded && !painted) {
        probe_.stop();
        painted = true;
        if (onPainted) onPainted();
      }
      break;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  Probe& probe_;
};

// Runs the event loop until done() or the time is up. It waits for events as the program's own
// loop does: a loop that spun would take a core from the thread that reads the dump.
void processEventsFor(QElapsedTimer& timer, qint64 limitMs, const std::function<bool()>& done) {
  if (done()) return;
  QEventLoop loop;
  QTimer check;
  QObject::connect(&check, &QTimer::timeout, &loop, [&] {
    if (done() || timer.elapsed() >= limitMs) loop.quit();
  });
  check.start(kCheckMs);
  loop.exec();
}

// The longest time the window's thread went without running its timer: the gaps between the
// ticks, from the start to the end of what is watched.
class StallWatch {
 public:
  void start() {
    clock_.start();
    last_ = 0;
    timer_.setInterval(kTickMs);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
    timer_.start();
  }
  void stop() {
    tick();
    timer_.stop();
  }
  qint64 longestUs() const { return longestUs_; }

 private:
  void tick() {
    const qint64 now = clock_.nsecsElapsed() / 1000;
    longestUs_ = std::max(longestUs_, now - last_);
    last_ = now;
  }

  QTimer timer_;
  QElapsedTimer clock_;
  qint64 last_ = 0;
  qint64 longestUs_ = 0;
};

enum class Watched { Repaints, Stalls };

void openInWindow(Probe& probe, const std::string& dump, Watched watched) {
  static int argc = 1;
  static char name[] = "app-open-bench";
  static char* argv[] = {name, nullptr};
  // Qt's own notes (no runtime folder, a platform without size hints) are no part of the report.
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  QApplication app(argc, argv);
  // The windows' placement goes to a folder of the run's own, never the user's settings.
  const QTemporaryDir settings;
  kestrel::app::setSettingsFolder(settings.path());

  OpenWithDump files(QString::fromStdString(dump));
  KeptMessages messages;
  CancelledDialogs dialogs;
  NoDesktop desktop;
  kestrel::app::MainWindow frame({&files, &messages, &dialogs, &desktop});
  frame.resize(1024, 768);
  frame.show();
  QElapsedTimer timer;
  timer.start();
  processEventsFor(timer, 10'000, [&] { return frame.windowHandle()->isExposed(); });
  // Whatever the frame had to paint first is done before the clock starts.
  timer.restart();
  processEventsFor(timer, 200, [] { return false; });

  PaintWatch watch(probe);
  StallWatch stalls;
  app.installEventFilter(&watch);
  watch.loading = true;
  if (watched == Watched::Stalls) {
    stalls.start();
    watch.onPainted = [&] { stalls.stop(); };
  }
  probe.start();
  frame.openPm();
  kestrel::app::DocumentWindow* window = frame.activeDocument();
  if (window == nullptr) throw std::runtime_error("no document window opened");
  // The window reads on a thread of its own; the load is over once it has taken the document.
  const auto loaded = [&] {
    watch.loading = false;
    watch.loaded = true;
  };
  if (window->isReading())
    QObject::connect(window, &kestrel::app::DocumentWindow::readingFinished, loaded);
  else
    loaded();
  timer.restart();
  processEventsFor(timer, 120'000, [&] { return watch.painted; });
  if (!messages.texts.isEmpty()) throw std::runtime_error(messages.texts.front().toStdString());
  if (!watch.painted) throw std::runtime_error("the document window was never painted");
  probe.setItems(watched == Watched::Stalls ? static_cast<long>(stalls.longestUs())
                                            : watch.statusRepaints);
}

void loadCore(Probe& probe, const std::string& dump) {
  kestrel::Document doc;
  probe.start();
  const bool ok = kestrel::openDocument(doc, kestrel::FileKind::Pm, {dump});
  probe.stop();
  if (!ok) throw std::runtime_error("the PM dump did not load");
}

struct Runs {
  std::vector<double> seconds;
  std::vector<double> items;
  long peakKb = 0;
  std::string failure;
};

// Adds one run of the work to its runs, unless one has failed already.
void runOnce(Runs& r, const std::function<void(Probe&)>& work) {
  if (!r.failure.empty()) return;
  const Sample s = kestrel::bench::runInChild(work);
  if (!s.ok) {
    r.failure = s.failure;
    return;
  }
  r.seconds.push_back(s.seconds);
  r.items.push_back(static_cast<double>(s.items));
  r.peakKb = std::max(r.peakKb, s.peakKb);
}

int usage() {
  std::cerr << "usage: app-open-bench DIR [--runs N]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const auto arguments = kestrel::bench::parseArguments(argc, argv, false);
  if (!arguments) return usage();
  const std::string& dir = arguments->dir;
  const int runs = arguments->runs;
  const std::string dump = (std::filesystem::path(dir) / "full" / "dump.pm").string();
  if (!std::filesystem::exists(dump)) {
    std::cerr << "app-open-bench: " << dump << " does not exist; write it with make-dumps\n";
    return 1;
  }
  // Qt is started only inside the children: this process forks them.
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);

  // The kinds of run take turns, so that a change in the machine's load falls on all. The timer
  // that finds the stalls runs in runs of its own, so that it costs the timed opens nothing.
  Runs core;
  Runs window;
  Runs stalled;
  for (int k = 0; k < runs; ++k) {
    runOnce(core, [&](Probe& probe) { loadCore(probe, dump); });
    runOnce(window, [&](Probe& probe) { openInWindow(probe, dump, Watched::Repaints); });
    runOnce(stalled, [&](Probe& probe) { openInWindow(probe, dump, Watched::Stalls); });
  }
  ReportLine open("app open pm to paint", "full");
  if (!core.failure.empty() || !window.failure.empty()) {
    open.add("FAILED: " + (core.failure.empty() ? window.failure : core.failure)).print();
    return 0;
  }
  const double coreSeconds = kestrel::bench::median(core.seconds);
  const double windowSeconds = kestrel::bench::median(window.seconds);
  const double added = (windowSeconds - coreSeconds) / coreSeconds;
  open.seconds(windowSeconds)
      .peak(window.peakKb)
      .add(formatted("core openDocument %.3f s  added %.0f %%", coreSeconds, 100 * added))
      .goal(formatted("<= %.0f %%", 100 * kAddedShareGoal), added <= kAddedShareGoal)
      .print();
  const auto repaints = static_cast<long>(kestrel::bench::median(window.items));
  ReportLine("app status repaints", "full")
      .add(formatted("%ld during the load", repaints))
      .goal(formatted("> %ld", kFewRepaints), repaints > kFewRepaints)
      .print();
  ReportLine stall("app longest stall", "full");
  if (!stalled.failure.empty()) {
    stall.add("FAILED: " + stalled.failure).print();
    return 0;
  }
  const double stallMs = kestrel::bench::median(stalled.items) / 1000;
  stall.add(formatted("%7.0f ms", stallMs))
      .add(formatted("open to paint %.3f s", kestrel::bench::median(stalled.seconds)))
      .goal(formatted("<= %.0f ms", kLongestStallGoalMs), stallMs <= kLongestStallGoalMs)
      .print();
  return 0;
}
