#pragma once
// The operations of a spreadsheet application that the command "Экспорт в Excel" drives. Each
// operation reports success or failure and never throws: a missing or refusing application
// leaves the export running through without a message.

#include <string_view>

#include "core/Cp1251.h"

namespace kestrel::output {

// The application's own values that the export passes.
inline constexpr std::string_view kTextNumberFormat = "@";
inline constexpr int kAlignCentre = -4108;
// The alignments the application knows besides centring.
inline constexpr int kAlignGeneral = 1;
inline constexpr int kAlignLeft = -4131;
inline constexpr int kAlignRight = -4152;
inline constexpr int kAlignFill = 5;
inline constexpr int kAlignJustify = -4130;
inline constexpr int kAlignCentreAcrossSelection = 7;
inline constexpr int kAlignDistributed = -4117;
inline constexpr int kAlignTop = -4160;
inline constexpr int kAlignBottom = -4107;
// The sheet a new workbook starts with; the export deletes it at its end.
inline constexpr std::string_view kFirstSheetName = "Лист1"_cp;

// Texts (sheet names, cell texts, formats) are windows-1251. A cell is a column name followed by
// a row number ("A1", "KZ12"); a column range is two column names joined by a colon ("A:N").
class SpreadsheetAutomation {
 public:
  virtual ~SpreadsheetAutomation() = default;

  // A new application object; it replaces any earlier one.
  virtual bool startApplication() = 0;
  // A new workbook, which becomes the active one.
  virtual bool addWorkbook() = 0;
  // A new sheet in the active workbook, which becomes the active sheet and is then named.
  virtual bool addNamedSheet(std::string_view name) = 0;
  virtual bool setCellText(std::string_view sheet, std::string_view cell,
                           std::string_view text) = 0;
  virtual bool setColumnsFormat(std::string_view sheet, std::string_view range,
                                std::string_view format) = 0;
  virtual bool setColumnsHorizontalAlignment(std::string_view sheet, std::string_view range,
                                             int alignment) = 0;
  virtual bool setColumnsVerticalAlignment(std::string_view sheet, std::string_view range,
                                           int alignment) = 0;
  virtual bool selectSheet(std::string_view sheet) = 0;
  // Deletes without asking the user.
  virtual bool deleteSheet(std::string_view sheet) = 0;
  virtual bool showApplication(bool visible) = 0;
};

}  // namespace kestrel::output
