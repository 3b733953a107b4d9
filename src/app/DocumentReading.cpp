#include "DocumentReading.h"

#include <atomic>
#include <utility>

#include "open/OpenDocument.h"

namespace kestrel::app {

namespace {
// How often the window shows the status and progress of a running read.
constexpr int kProgressIntervalMs = 30;

std::atomic<void (*)(const std::stop_token&)> readingReportHook = nullptr;
}  // namespace

namespace detail {
void setReadingReportHook(void (*hook)(const std::stop_token& stop)) {
  readingReportHook = hook;
}
}  // namespace detail

DocumentReading::DocumentReading(FileKind kind, std::vector<ReaderInput> files, Document& shown,
                                 std::function<void()> finished, QObject* parent)
    : QObject(parent), shown_(shown), finished_(std::move(finished)) {
  read_.caption = shown.caption;
  read_.setView(this);
  progressTimer_.setInterval(kProgressIntervalMs);
  connect(&progressTimer_, &QTimer::timeout, this, &DocumentReading::showProgress);
  progressTimer_.start();
  thread_ = std::jthread([this, kind, files = std::move(files)](std::stop_token stop) mutable {
    run(std::move(stop), kind, std::move(files));
  });
}

DocumentReading::~DocumentReading() {
  thread_.request_stop();
  if (thread_.joinable()) thread_.join();
  read_.setView(nullptr);
}

void DocumentReading::run(std::stop_token stop, FileKind kind, std::vector<ReaderInput> files) {
  stop_ = stop;
  try {
    allRead_ = openDocument(read_, kind, std::move(files), std::move(stop));
  } catch (const Cancelled&) {
    // Whoever cancelled drops the reading: nothing is told.
    return;
  } catch (...) {
    failure_ = std::current_exception();
  }
  // Posted to this object, which lives on the window's thread: dropped if it goes first.
  QMetaObject::invokeMethod(
      this, [this] { finished_(); }, Qt::QueuedConnection);
}

bool DocumentReading::handOver(Document& doc) {
  if (thread_.joinable()) thread_.join();
  progressTimer_.stop();
  {
    const Document::TableUpdate update(doc);
    doc.swapData(read_);
    doc.setStatus(read_.status());
    doc.setProgressMaximum(read_.progressMaximum());
    doc.setProgressPosition(read_.progressPosition());
    for (const auto& tell : told_)
      tell(doc);
  }
  told_.clear();
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
  return allRead_;
}

void DocumentReading::showProgress() {
  Reported now;
  {
    const std::lock_guard lock(reportedMutex_);
    if (!reported_.changed) return;
    reported_.changed = false;
    now = reported_;
  }
  if (shown_.progressMaximum() != now.maximum) shown_.setProgressMaximum(now.maximum);
  if (shown_.progressPosition() != now.position) shown_.setProgressPosition(now.position);
  if (shown_.status() != now.status) shown_.setStatus(now.status);
}

void DocumentReading::reported() {
  {
    const std::lock_guard lock(reportedMutex_);
    reported_.status = read_.status();
    reported_.maximum = read_.progressMaximum();
    reported_.position = read_.progressPosition();
    reported_.changed = true;
  }
  if (auto* hook = readingReportHook.load()) hook(stop_);
}

void DocumentReading::statusChanged(std::string_view) {
  reported();
}

void DocumentReading::progressMaximumChanged(int) {
  reported();
}

void DocumentReading::progressPositionChanged(int) {
  reported();
}

void DocumentReading::commandsChanged() {
  told_.emplace_back([data = read_.saveEnabled(), savePm = read_.savePmEnabled()](Document& doc) {
    doc.setDataCommandsEnabled(data);
    doc.setSavePmEnabled(savePm);
  });
}

void DocumentReading::pmSectionsChanged() {
  told_.emplace_back([](Document& doc) { doc.pmSectionsChanged(); });
}

void DocumentReading::showMessage(std::string_view text) {
  told_.emplace_back([text = std::string(text)](Document& doc) { doc.showMessage(text); });
}

void DocumentReading::showFileError(const IoError& cause, std::string_view readFailureMessage) {
  told_.emplace_back([cause, message = std::string(readFailureMessage)](Document& doc) {
    doc.showFileError(cause, message);
  });
}

}  // namespace kestrel::app
