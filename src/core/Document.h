#pragma once
// The document of one opened file. Its data (the tables, the block model, the files it was read
// from, a PM dump's raw sections) is what readers fill and exporters read; the document adds the
// state of its commands (status, progress, enabled commands), which a view observes.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/BlockModel.h"
#include "core/Columns.h"
#include "core/Digests.h"
#include "core/DocumentView.h"
#include "core/PmSections.h"
#include "core/ResultTable.h"

namespace kestrel {

enum class InformationCaption : std::uint8_t;

// What was read from the files: plain data, no observer.
class DocumentData {
 public:
  DocumentData();
  DocumentData(const DocumentData&) = delete;
  DocumentData& operator=(const DocumentData&) = delete;

  std::string caption;

  ResultTable information;
  ResultTable phonebook;
  ResultTable calls;
  ResultTable calendar;

  // The files the document was read from, as the reader was given their names: no export may
  // replace them.
  std::vector<std::string> sourceFiles;
  // Their digests, one per source file in the same order, taken from the bytes the reader read.
  std::vector<SourceDigest> sourceDigests;

  // A PM dump's file image and index, and the block model.
  PmSections pmSections;
  BlockModel model;

  // The debugging memo of the raw-section page: empty until something is decoded into it.
  std::vector<std::string> memo;

  // Makes the data ready for a reader: tables cleared, every column back at the width of a new
  // document, no source files, raw sections or blocks.
  void resetForLoad();

  // Exchanges every member with the other data, without copying a table, an image or a block:
  // what was read elsewhere is taken over in a moment.
  void swapData(DocumentData& other) noexcept;

  // Adds an information row that tells whether a kind of data was found: "Есть" or "Нет".
  void addPresenceRow(InformationCaption caption, bool present);

  // The four shown tables in tab order: information, phonebook, calls, calendar.
  std::vector<ResultTable*> shownTables() { return {&information, &phonebook, &calls, &calendar}; }

 private:
  void setNewDocumentWidths();
};

class Document : public DocumentData {
 public:
  Document();
  ~Document();

  // Brackets a command that changes the tables: the view hears once before the first change
  // and once after the last, also when the command ends in an exception. Nested updates count
  // as one.
  class TableUpdate {
   public:
    explicit TableUpdate(Document& doc);
    ~TableUpdate();
    TableUpdate(const TableUpdate&) = delete;
    TableUpdate& operator=(const TableUpdate&) = delete;

   private:
    Document& doc_;
  };

  // Views: the window (and any other observer) that mirrors this document.
  void setView(DocumentView* view) { view_ = view; }
  DocumentView* view() const { return view_; }

  // Status text and progress of a running command.
  void setStatus(std::string_view text);
  const std::string& status() const { return status_; }
  void setProgressMaximum(int maximum);
  void setProgressPosition(int position);
  int progressMaximum() const { return progressMaximum_; }
  int progressPosition() const { return progressPosition_; }

  // "Экспорт в Excel" and "Сохранить" are enabled and disabled together.
  void setDataCommandsEnabled(bool enabled);
  bool exportToExcelEnabled() const { return exportToExcelEnabled_; }
  bool saveEnabled() const { return saveEnabled_; }
  // The "Сохранение PM" button.
  void setSavePmEnabled(bool enabled);
  bool savePmEnabled() const { return savePmEnabled_; }

  // Tells the view that the PM dump's sections (pmSections) are new.
  void pmSectionsChanged();

  // Shows a message box through the view.
  void showMessage(std::string_view text);
  // Tells the view of a file that could not be opened or read (see DocumentView).
  void showFileError(const IoError& cause, std::string_view readFailureMessage);

 private:
  int tableUpdateDepth_ = 0;
  DocumentView* view_ = nullptr;
  std::string status_;
  int progressMaximum_ = 100;
  int progressPosition_ = 0;
  bool exportToExcelEnabled_ = true;
  bool saveEnabled_ = false;
  bool savePmEnabled_ = true;
};

}  // namespace kestrel
