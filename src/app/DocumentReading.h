#pragma once
// Reading files into a document on a thread of its own, so that the window stays usable while a
// large dump is read. The reader fills a document of the reading's own; the window shows its
// status and progress as they come, and once the reader is done takes over its data and hears,
// in the reader's order, the messages it gave and the commands it enabled or disabled.

#include <QObject>
#include <QTimer>
#include <exception>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "core/Document.h"
#include "open/FileKind.h"
#include "readers/input/ReaderInput.h"

namespace kestrel::app {

class DocumentReading : public QObject, private DocumentView {
 public:
  // Starts reading the files into a document captioned as `shown`. While it reads, `shown` (the
  // window's document) gets the reader's status and progress several times a second; `finished`
  // runs once the reader is done. Both happen on the thread that made the reading, and neither
  // after the reading is destroyed; `finished` runs in an event of the reading's own, so it
  // lets the reading go with deleteLater.
  DocumentReading(FileKind kind, std::vector<ReaderInput> files, Document& shown,
                  std::function<void()> finished, QObject* parent = nullptr);
  // A read still running is cancelled: its thread stops at the reader's next report or read of
  // its input and is waited for, and nothing of what it read is kept or told.
  ~DocumentReading() override;
  DocumentReading(const DocumentReading&) = delete;
  DocumentReading& operator=(const DocumentReading&) = delete;

  // Once finished: the data read goes to `doc` and doc's old data comes here, the view of doc
  // hearing of the change of its tables; then doc gets the reader's last status and progress
  // and is told, in order, what the reader told. True when every file was read; an exception
  // the reader ended with (other than a format or file error) leaves here afterwards.
  bool handOver(Document& doc);

 private:
  // The reader's document tells this view, on the reading thread.
  void statusChanged(std::string_view text) override;
  void progressMaximumChanged(int maximum) override;
  void progressPositionChanged(int position) override;
  void commandsChanged() override;
  void pmSectionsChanged() override;
  void showMessage(std::string_view text) override;
  void showFileError(const IoError& cause, std::string_view readFailureMessage) override;

  void run(std::stop_token stop, FileKind kind, std::vector<ReaderInput> files);
  // Gives `shown` the status and progress reported since the last time.
  void showProgress();
  void reported();

  Document& shown_;
  Document read_;
  // What the reader told besides status and progress, to be told to the window's document.
  std::vector<std::function<void(Document&)>> told_;
  bool allRead_ = false;
  std::exception_ptr failure_;

  // The status and progress reported last, passed from the reading thread to the window's.
  struct Reported {
    std::string status;
    int maximum = 0;
    int position = 0;
    bool changed = false;
  };
  std::mutex reportedMutex_;
  Reported reported_;

  QTimer progressTimer_;
  std::function<void()> finished_;
  // The reading thread's own stop, for the test hook.
  std::stop_token stop_;
  std::jthread thread_;
};

namespace detail {
// Runs on the reading thread at every status or progress report of a document being read, with
// the stop that cancels the read, so that a test can hold a read where it stands. Null (the
// program's setting) runs nothing.
void setReadingReportHook(void (*hook)(const std::stop_token& stop));
}  // namespace detail

}  // namespace kestrel::app
