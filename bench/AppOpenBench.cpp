// The desktop's figure: app-open-bench DIR [--runs N], under QT_QPA_PLATFORM=offscreen.
//
// Opens DIR/full/dump.pm through the main window's own "Открыть PM" and times it from the
// command to the first paint of the document window after the load, beside openDocument alone:
// the difference is what the window adds. It also counts how often the document's status bar
// was repainted while the load ran, since the window has to keep showing progress. Every run,
// of either kind, is a process of its own.

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QStatusBar>
#include <QTemporaryDir>
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

// The open dialog answers with the dump; nothing else is ever asked.
class OpenWithDump : public kestrel::app::FileDialogs {
 public:
  explicit OpenWithDump(QString path) : path_(std::move(path)) {}
  QStringList getOpenFileNames(QWidget*, const OpenRequest&) override { return {path_}; }
  std::optional<SaveAnswer> getSaveFileName(QWidget*, const SaveRequest&) override {
    return std::nullopt;
  }

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
      }
      break;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  Probe& probe_;
};

void processEventsFor(QElapsedTimer& timer, qint64 limitMs, const std::function<bool()>& done) {
  while (!done() && timer.elapsed() < limitMs)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

void openInWindow(Probe& probe, const std::string& dump) {
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
  app.installEventFilter(&watch);
  watch.loading = true;
  probe.start();
  frame.openPm();
  watch.loading = false;
  watch.loaded = true;
  timer.restart();
  processEventsFor(timer, 120'000, [&] { return watch.painted; });
  if (!messages.texts.isEmpty()) throw std::runtime_error(messages.texts.front().toStdString());
  if (frame.documents().isEmpty()) throw std::runtime_error("no document window opened");
  if (!watch.painted) throw std::runtime_error("the document window was never painted");
  probe.setItems(watch.statusRepaints);
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

  // The two kinds of run take turns, so that a change in the machine's load falls on both.
  Runs core;
  Runs window;
  for (int k = 0; k < runs; ++k) {
    runOnce(core, [&](Probe& probe) { loadCore(probe, dump); });
    runOnce(window, [&](Probe& probe) { openInWindow(probe, dump); });
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
  return 0;
}
