#pragma once
// The document window's command "Сохранить": the section dialog, the save dialog, and the
// files of the chosen format (export/ExportFormats.h).

#include <optional>
#include <string>
#include <string_view>

#include "core/Document.h"
#include "export/ExportFormats.h"
#include "export/TableChoice.h"

namespace kestrel::output {

// What the save dialog returned.
struct SaveTarget {
  std::string fileName;
  int filterIndex = 0;
};

// The dialogs and the message box the command needs; the window answers with real dialogs,
// tests and kestrel-cli with given answers.
class SaveCommandUi {
 public:
  virtual ~SaveCommandUi() = default;
  // SaveSectionsDialog: the ticked tables when it closes with "Ок", nothing otherwise.
  virtual std::optional<TableChoice> askTableChoice() = 0;
  // The save dialog: nothing when cancelled.
  virtual std::optional<SaveTarget> askTarget() = 0;
  // A warning message box with an OK button.
  virtual void warning(std::string_view text) = 0;
  // Whether the existing file `fileName` (the name to be written, ending and all) may be
  // replaced; asked before anything is written.
  virtual bool confirmReplace(const std::string& fileName) = 0;
};

// Writes the document in the format of the target's filter index (nothing for an index outside
// the list). Throws IoError (file name and the system's reason) when a file cannot be written;
// files written before it stay. Returns the message to show: when the vCard directory cannot be
// created (nothing is written then), and how many calendar rows the iCalendar file left out for
// their date. Throws NothingWritten when the format has nothing to write (an iCalendar file for
// a calendar with no dated row).
std::optional<std::string> saveDocument(const Document& doc, TableChoice choice,
                                        const SaveTarget& target);

// The whole command: asks, then saves; a file the save would replace is replaced only when the
// user agrees. IoError and NothingWritten reach the caller's general error report.
void runSave(const Document& doc, SaveCommandUi& ui);

}  // namespace kestrel::output
