#pragma once
// The operations of a spreadsheet application that the command "Экспорт в Excel" drives. Each
// operation reports success or failure and never throws: a missing or refusing application
// leaves the export running through without a message.

#include <cstddef>
#include <cstdint>
#include <string>
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
// What a sheet holds at most: rows, characters of a cell's text, characters of its name.
inline constexpr std::size_t kSheetRows = 1048576;
inline constexpr std::size_t kCellTextLength = 32767;
inline constexpr std::size_t kSheetNameLength = 31;
// The sheet a new workbook starts with; the export deletes it at its end.
inline constexpr std::string_view kFirstSheetName = "Лист1"_cp;

// A sheet name as the application compares it: without regard to letter case, Cyrillic
// included.
inline std::string sheetNameKey(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (const char ch : name) {
    char32_t cp = cp1251::toCodePoint(static_cast<std::uint8_t>(ch));
    if ((cp >= U'A' && cp <= U'Z') || (cp >= 0x410 && cp <= 0x42F)) {
      cp += 0x20;
    } else if (cp >= 0x400 && cp <= 0x40F) {
      cp += 0x50;
    } else if (cp == 0x490) {
      cp = 0x491;
    }
    const auto byte = cp1251::fromCodePoint(cp);
    out.push_back(byte ? static_cast<char>(*byte) : ch);
  }
  return out;
}

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
