#pragma once
// The spreadsheet application of this platform: a workbook kept in memory that behaves as the
// application does towards the export's calls, and that becomes an .xlsx file when it is shown.

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "export/SpreadsheetAutomation.h"

namespace kestrel::output {

class XlsxSpreadsheet : public SpreadsheetAutomation {
 public:
  // What "showing the application" means to the program that uses it: the desktop writes the
  // workbook into a new temporary folder and opens it, a command-line tool writes it where the
  // user asked. The handler reports success; a handler that throws counts as a failure.
  using ShowHandler = std::function<bool(XlsxSpreadsheet&)>;

  explicit XlsxSpreadsheet(ShowHandler show = {});
  ~XlsxSpreadsheet() override;
  XlsxSpreadsheet(const XlsxSpreadsheet&) = delete;
  XlsxSpreadsheet& operator=(const XlsxSpreadsheet&) = delete;

  bool startApplication() override;
  bool addWorkbook() override;
  // The new sheet goes before the active sheet and gets the next free name "ЛистN"; a name the
  // application refuses (empty, longer than 31 characters, holding one of : \ / ? * [ ],
  // beginning or ending with an apostrophe, "History", or another sheet's name in any letter
  // case) fails the operation and leaves the new sheet under that default name.
  bool addNamedSheet(std::string_view name) override;
  // `cell` is one cell. Every text is stored as text, whatever it looks like.
  bool setCellText(std::string_view sheet, std::string_view cell, std::string_view text) override;
  // `range` is a column range; the setting applies to every cell of those columns.
  bool setColumnsFormat(std::string_view sheet, std::string_view range,
                        std::string_view format) override;
  bool setColumnsHorizontalAlignment(std::string_view sheet, std::string_view range,
                                     int alignment) override;
  bool setColumnsVerticalAlignment(std::string_view sheet, std::string_view range,
                                   int alignment) override;
  bool selectSheet(std::string_view sheet) override;
  // The last sheet of a workbook cannot be deleted.
  bool deleteSheet(std::string_view sheet) override;
  // true runs the show handler; false only needs a started application.
  bool showApplication(bool visible) override;

  // The sheets of the active workbook in tab order, and the active one (windows-1251); empty
  // without a workbook.
  std::vector<std::string> sheetNames() const;
  std::string activeSheetName() const;

  // Writes the active workbook as an .xlsx file, completely or not at all, never over one of
  // sourceFiles. Throws IoError (also when there is no workbook).
  void writeWorkbook(const std::string& path, std::span<const std::string> sourceFiles = {}) const;
  // Writes the workbook as "Книга1.xlsx" in a new folder under TMPDIR (or /tmp) and returns the
  // file's path (a file name of the system, UTF-8). The folder lasts as long as this spreadsheet:
  // the application that shows the workbook reads it from there. Throws IoError.
  std::string writeToNewTemporaryFolder();

 private:
  struct Workbook;
  // The .xlsx bytes of the active workbook; failures are reported under `target`.
  std::string workbookBytes(const std::string& target) const;

  ShowHandler show_;
  bool started_ = false;
  std::vector<std::string> temporaryFolders_;
  std::unique_ptr<Workbook> workbook_;
};

}  // namespace kestrel::output
