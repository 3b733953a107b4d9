#pragma once
// The document of one opened file: its five tables, the loaded bytes and block model, and the
// state of its commands. Readers fill it; exporters read it; a window shows it.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/BlockModel.h"
#include "core/DocumentView.h"
#include "core/ResultTable.h"

namespace kestrel {

class IniReader;

class Document {
 public:
  // Column numbers of the phonebook and the call log.
  enum PhonebookColumn {
    kPbNumber = 0,
    kPbName,
    kPbNumbers,
    kPbCompany,
    kPbAddress,
    kPbGroup,
    kPbEmail,
    kPbBirthday,
    kPbNotes,
    kPbNickname,
    kPbFormalName,
    kPbJobTitle,
    kPbPttAddress,
    kPbWebSite
  };
  enum CallsColumn { kCallNumber = 0, kCallStatus, kCallPhone, kCallName, kCallDate };
  enum CalendarColumn { kCalNumber = 0, kCalDate, kCalKind, kCalTitle, kCalText };

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

  // The loaded file and its block model.
  std::vector<std::uint8_t> fileImage;
  std::size_t scanPos = 0;
  std::unique_ptr<IniReader> pmIni;
  BlockModel model;

  // Which form the last readPhoneText call read: one byte per character or two.
  bool singleByteText = false;

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

  // The block list of the raw-section page.
  void setBlockList(std::vector<std::string> lines);
  const std::vector<std::string>& blockList() const { return blockList_; }

  // The debugging memo of the raw-section page.
  std::vector<std::string> memo{"Memo1"};

  // Shows a message box through the view.
  void showMessage(std::string_view text);

  // The four shown tables in tab order: information, phonebook, calls, calendar.
  std::vector<ResultTable*> shownTables() { return {&information, &phonebook, &calls, &calendar}; }

 private:
  std::vector<std::string> columnLetters_;
  DocumentView* view_ = nullptr;
  std::string status_;
  int progressMaximum_ = 100;
  int progressPosition_ = 0;
  bool exportToExcelEnabled_ = true;
  bool saveEnabled_ = false;
  bool savePmEnabled_ = true;
  std::vector<std::string> blockList_;
};

}  // namespace kestrel
