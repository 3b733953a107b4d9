#pragma once
// The document of one opened file: its five tables, the loaded bytes and block model, and the
// state of its commands. Readers fill it; exporters read it; a window shows it.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/BlockModel.h"
#include "core/Columns.h"
#include "core/DocumentView.h"
#include "core/ResultTable.h"

namespace kestrel {

class IniReader;
enum class InformationCaption : std::uint8_t;

class Document {
 public:
  Document();
  ~Document();
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  std::string caption;

  ResultTable information;
  ResultTable sms;  // never shown, never filled
  ResultTable phonebook;
  ResultTable calls;
  ResultTable calendar;

  // The files the document was read from, as the reader was given their names: no export may
  // replace them.
  std::vector<std::string> sourceFiles;

  // The loaded file, the index of a PM dump's sections and keys, and the block model.
  std::vector<std::uint8_t> fileImage;
  std::unique_ptr<IniReader> pmIni;
  BlockModel model;

  // Makes the document ready for a reader: tables cleared, every column back at the width of a
  // new document, no source files, file image, index or blocks.
  void resetForLoad();

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

  // Spreadsheet column names 1..312 (entry 0 unused).
  const std::vector<std::string>& columnLetters() const { return columnLetters_; }

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

  // The block list of the raw-section page: the section names of a PM dump's index, read from
  // the file image when asked for, so that a dump of millions of sections holds no copy of them.
  std::vector<std::string> blockList() const;
  // Tells the view that the index behind the block list is new.
  void blockListChanged();

  // The debugging memo of the raw-section page.
  std::vector<std::string> memo{"Memo1"};

  // Adds an information row that tells whether a kind of data was found: "Есть" or "Нет".
  void addPresenceRow(InformationCaption caption, bool present);

  // Shows a message box through the view; with a cause, the file error behind it as well.
  void showMessage(std::string_view text);
  void showMessage(std::string_view text, const IoError& cause);
  // Tells the view of a file that could not be read, where the reader shows no message.
  void showFileError(const IoError& cause);

  // The four shown tables in tab order: information, phonebook, calls, calendar.
  std::vector<ResultTable*> shownTables() { return {&information, &phonebook, &calls, &calendar}; }

 private:
  void setNewDocumentWidths();

  std::vector<std::string> columnLetters_;
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
