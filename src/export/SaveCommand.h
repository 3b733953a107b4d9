#pragma once
// The document window's command "Сохранить": the section dialog, the save dialog, and the
// text, CSV or vCard files of the chosen format.

#include <optional>
#include <string>
#include <string_view>

#include "core/Cp1251.h"
#include "core/Document.h"
#include "export/TableChoice.h"

namespace kestrel::output {

// The 1-based filter index of the save dialog decides the format.
enum class SaveFormat {
  Text = 1,
  CsvSemicolon,
  CsvComma,
  VcardUtf8,
  Vcard1251,
  VcardFile,
  Calendar,
  HtmlReport
};

// The save dialog's file types, in the platform's "caption|pattern|caption|pattern" form.
inline constexpr std::string_view kSaveFilter =
    "Текстовый|*.txt*|CSV (Разделители - точка с зап.)|*.csv*|CSV (Разделители - запятая)|*.csv*|"
    "VCF(UTF-8 Для Телефона)|*.vcf*|VCF(windows-1251 Для Outlook)|*.vcf*|"
    "vCard одним файлом (*.vcf)|*.vcf|iCalendar (*.ics)|*.ics|HTML-отчёт (*.html)|*.html"_cp;
inline constexpr std::string_view kDirectoryWarning = "Ошибка при создании директории"_cp;
// Followed by the number of calendar rows without a date the iCalendar file can take.
inline constexpr std::string_view kRowsLeftOut = "Записи календаря без даты пропущены: "_cp;

// The name a one-file format writes: the chosen name, with the ending added when it has none.
std::string nameWithEnding(const std::string& chosen, std::string_view ending);

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
};

// The format of a filter index, or nothing for an index outside 1–8.
std::optional<SaveFormat> saveFormatOf(int filterIndex);

// Writes the document in the target's format. Throws IoError (file name and the system's
// reason) when a file cannot be written; files written before it stay. Returns the message to
// show: when the vCard directory cannot be created (nothing is written then), and how many
// calendar rows the iCalendar file left out for their date.
std::optional<std::string> saveDocument(const Document& doc, TableChoice choice,
                                        const SaveTarget& target);

// The whole command: asks, then saves. IoError reaches the caller's general error report.
void runSave(const Document& doc, SaveCommandUi& ui);

}  // namespace kestrel::output
