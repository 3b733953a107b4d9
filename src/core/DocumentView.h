#pragma once

#include <string_view>

#include "core/Errors.h"

namespace kestrel {

// What a window (or the command-line front end) shows of a document while a command runs.
// The document calls it after changing its own state; every call has a no-op default.
class DocumentView {
 public:
  virtual ~DocumentView() = default;
  // The status text changed; the view repaints its status bar at once, so the text shows while
  // a load runs without returning to the event loop.
  virtual void statusChanged(std::string_view /*text*/) {}
  virtual void progressMaximumChanged(int /*maximum*/) {}
  virtual void progressPositionChanged(int /*position*/) {}
  // "Экспорт в Excel", "Сохранить" or "Сохранение PM" changed their enabled state.
  virtual void commandsChanged() {}
  // A command is about to change the tables (rows, widths), and has changed them: the view
  // shows them anew once the command is done, however many rows it added.
  virtual void tablesAboutToChange() {}
  virtual void tablesChanged() {}
  // The PM dump's sections, listed on the raw-section page, were replaced.
  virtual void pmSectionsChanged() {}
  // A reader reports something the user must acknowledge (a message box with an OK button).
  virtual void showMessage(std::string_view /*text*/) {}
  // A file that could not be opened or read. readFailureMessage is what the file's kind shows
  // when a read fails (empty for a kind that shows nothing): it speaks of a format never seen
  // here, so the window tells the file and the system's reason alone, the same for every kind,
  // while kestrel-cli lists the kind's message among its messages beside its line for the file.
  // A view that knows no files shows the kind's message.
  virtual void showFileError(const IoError& /*cause*/, std::string_view readFailureMessage) {
    if (!readFailureMessage.empty()) showMessage(readFailureMessage);
  }
};

}  // namespace kestrel
