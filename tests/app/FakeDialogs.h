#pragma once
// Test answers for the program's dialogs: queued replies, and a record of what was asked.

#include <QList>
#include <QObject>
#include <QStandardPaths>
#include <QStringList>
#include <QTest>
#include <algorithm>
#include <deque>
#include <functional>

#include "Dialogs.h"
#include "DocumentWindow.h"
#include "MainWindow.h"
#include "WindowPlacementQt.h"
#include "support/TempDir.h"

namespace kestrel::app::test {

class FakeFileDialogs : public FileDialogs {
 public:
  QStringList getOpenFileNames(QWidget*, const OpenRequest& request) override {
    openRequests << request;
    if (openAnswers.empty()) return {};
    QStringList answer = openAnswers.front();
    openAnswers.pop_front();
    return answer;
  }
  std::optional<SaveAnswer> getSaveFileName(QWidget*, const SaveRequest& request) override {
    saveRequests << request;
    if (saveAnswers.empty()) return std::nullopt;
    const SaveAnswer answer = saveAnswers.front();
    saveAnswers.pop_front();
    if (answer.fileName.isEmpty()) return std::nullopt;
    return answer;
  }

  QString getExistingDirectory(QWidget*, const QString& folder) override {
    folderRequests << folder;
    if (folderAnswers.empty()) return {};
    const QString answer = folderAnswers.front();
    folderAnswers.pop_front();
    return answer;
  }

  void reset() {
    openAnswers.clear();
    saveAnswers.clear();
    folderAnswers.clear();
    openRequests.clear();
    saveRequests.clear();
    folderRequests.clear();
  }

  std::deque<QStringList> openAnswers;  // an empty list answers "cancel"
  std::deque<SaveAnswer> saveAnswers;   // an empty file name answers "cancel"
  std::deque<QString> folderAnswers;    // an empty name answers "cancel"
  QList<OpenRequest> openRequests;
  QList<SaveRequest> saveRequests;
  QStringList folderRequests;
};

class FakeMessageBoxes : public MessageBoxes {
 public:
  void information(QWidget*, const QString& text) override { informations << text; }
  bool question(QWidget*, const QString& text) override {
    questions << text;
    if (questionAnswers.empty()) return false;
    const bool yes = questionAnswers.front();
    questionAnswers.pop_front();
    return yes;
  }
  void warning(QWidget*, const QString& text) override { warnings << text; }
  void error(QWidget*, const QString& text) override { errors << text; }

  void reset() {
    informations.clear();
    questions.clear();
    questionAnswers.clear();
    warnings.clear();
    errors.clear();
  }

  QStringList informations;
  QStringList questions;
  std::deque<bool> questionAnswers;  // true answers Yes; with none left, No
  QStringList warnings;
  QStringList errors;
};

// Answers the program's own modal dialogs in turn: each answer may change the dialog (tick a
// box) and says whether it closed with OK. Nothing is shown, so a failing check cannot leave a
// dialog open; with no answer left the dialog is cancelled.
class FakeModalDialogs : public ModalDialogs {
 public:
  bool run(QDialog& dialog) override {
    ++shown;
    if (answers.empty()) return false;
    const auto answer = std::move(answers.front());
    answers.pop_front();
    return answer(dialog);
  }
  void reset() {
    answers.clear();
    shown = 0;
  }

  std::deque<std::function<bool(QDialog&)>> answers;
  int shown = 0;
};

// Answers the print dialog in turn: each answer may set the printer up (a PDF file, pages,
// copies) and says whether the user printed; with no answer left the dialog is cancelled.
class FakePrintDialogs : public PrintDialogs {
 public:
  bool askPrinter(QWidget*, QPrinter& printer) override {
    ++shown;
    if (answers.empty()) return false;
    const auto answer = std::move(answers.front());
    answers.pop_front();
    return answer(printer);
  }
  void reset() {
    answers.clear();
    shown = 0;
  }

  std::deque<std::function<bool(QPrinter&)>> answers;
  int shown = 0;
};

// A desktop that records the files it is asked to open and opens them when told it can, and
// records the programs it is asked to start; its registered HTML command is the test's.
class FakeDesktop : public Desktop {
 public:
  struct Start {
    QString program;
    QStringList arguments;
  };

  bool openFile(const QString& path) override {
    opened << path;
    return canOpen;
  }
  QString htmlHandlerCommand() override {
    ++htmlQueries;
    return htmlCommand;
  }
  bool startProgram(const QString& program, const QStringList& arguments) override {
    started << Start{program, arguments};
    return true;
  }
  void reset() {
    opened.clear();
    canOpen = true;
    htmlCommand.clear();
    htmlQueries = 0;
    started.clear();
  }

  QStringList opened;
  bool canOpen = true;
  QString htmlCommand;  // empty: no browser registered
  int htmlQueries = 0;
  QList<Start> started;
};

// The fixture of a window test: dialogs the test answers, and a folder for its files.
class DialogTest : public QObject {
 protected:
  static constexpr int kReadingTimeoutMs = 30'000;

  // The windows' settings files go to the test's own folder, never the user's.
  DialogTest() {
    QStandardPaths::setTestModeEnabled(true);
    setSettingsFolder(QString::fromStdString((dir.path() / "settings").string()));
  }
  // Forgets the answers and questions of the previous test case.
  void resetDialogs() {
    files.reset();
    messages.reset();
    dialogs.reset();
    desktop.reset();
    printing.reset();
  }
  AppServices services() { return {&files, &messages, &dialogs, &desktop, &printing}; }

  // Waits, as the user waits for the progress bar, until the window has read its files; false
  // when it still reads after a time no test needs.
  static bool readingDone(const DocumentWindow& window) {
    return QTest::qWaitFor([&] { return !window.isReading(); }, kReadingTimeoutMs);
  }
  // The same for every document window of the frame.
  static bool readingDone(const MainWindow& frame) {
    return QTest::qWaitFor(
        [&] { return std::ranges::none_of(frame.documents(), &DocumentWindow::isReading); },
        kReadingTimeoutMs);
  }

  FakeFileDialogs files;
  FakeMessageBoxes messages;
  FakeModalDialogs dialogs;
  FakeDesktop desktop;
  FakePrintDialogs printing;
  kestrel::test::TempDir dir;
};

}  // namespace kestrel::app::test
