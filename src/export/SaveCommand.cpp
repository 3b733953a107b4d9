#include "export/SaveCommand.h"

#include "core/FileIo.h"
#include "export/CalendarWriter.h"
#include "export/CsvWriter.h"
#include "export/HtmlReport.h"
#include "export/ReportLines.h"
#include "export/VcardWriter.h"

namespace kestrel::output {

namespace {

using LineProducer = std::function<void(const std::function<void(std::string_view)>&)>;

// The lines go to the file one at a time, each ended by CR LF: a report of a large dump is
// never held whole in memory.
void writeLines(const std::string& fileName, const Document& doc, const LineProducer& lines) {
  writeWholeFileFrom(
      fileName,
      [&](FileSink& file) {
        lines([&](std::string_view line) {
          file.write(line);
          file.write("\r\n");
        });
      },
      doc.sourceFiles);
}

// One card per phonebook row in a new directory; the section choice does not apply here.
std::optional<std::string> saveVcards(const Document& doc, const std::string& directory,
                                      VcardCharset charset) {
  if (doc.phonebook.rowCount() == 0) return std::nullopt;
  // One level only, and never into an existing directory: a second export to the same name
  // must not mix its cards with the first one's. The folder appears with every card or not at
  // all, so a failure midway leaves no half-written folder in the way of the next try.
  const bool made = writeNewFolder(directory, doc.phonebook.rowCount(), [&](std::size_t k) {
    return std::pair{std::to_string(k + 1) + ".vcf",
                     joinLines(vcardLines(doc.phonebook.row(k), charset))};
  });
  if (!made) return std::string(kDirectoryWarning);
  return std::nullopt;
}

}  // namespace

std::string nameWithEnding(const std::string& chosen, std::string_view ending) {
  const std::size_t slash = chosen.find_last_of('/');
  const std::size_t base = slash == std::string::npos ? 0 : slash + 1;
  // A dot that begins the name ("/tmp/.cards") makes no extension.
  const std::size_t dot = chosen.find_last_of('.');
  if (dot != std::string::npos && dot > base) return chosen;
  return chosen + std::string(ending);
}

std::optional<SaveFormat> saveFormatOf(int filterIndex) {
  if (filterIndex < 1 || filterIndex > 8) return std::nullopt;
  return static_cast<SaveFormat>(filterIndex);
}

std::optional<std::string> saveDocument(const Document& doc, TableChoice choice,
                                        const SaveTarget& target) {
  const auto format = saveFormatOf(target.filterIndex);
  if (!format) return std::nullopt;
  // The extension is appended whatever the name already ends with: list.txt → list.txt.txt.
  switch (*format) {
    case SaveFormat::Text:
      writeLines(target.fileName + ".txt", doc,
                 [&](const auto& line) { forEachReportLine(doc, choice, line); });
      return std::nullopt;
    case SaveFormat::CsvSemicolon:
    case SaveFormat::CsvComma: {
      const char separator = *format == SaveFormat::CsvSemicolon ? ';' : ',';
      writeLines(target.fileName + ".csv", doc,
                 [&](const auto& line) { forEachCsvLine(doc, choice, separator, line); });
      return std::nullopt;
    }
    case SaveFormat::VcardUtf8:
      return saveVcards(doc, target.fileName, VcardCharset::Utf8);
    case SaveFormat::Vcard1251:
      return saveVcards(doc, target.fileName, VcardCharset::Cp1251);
    case SaveFormat::VcardFile:
      // Every card as the UTF-8 folder writes it, one after another in row order.
      writeWholeFileFrom(
          nameWithEnding(target.fileName, ".vcf"),
          [&](FileSink& file) {
            for (std::size_t r = 0; r < doc.phonebook.rowCount(); ++r)
              file.write(joinLines(vcardLines(doc.phonebook.row(r), VcardCharset::Utf8)));
          },
          doc.sourceFiles);
      return std::nullopt;
    case SaveFormat::Calendar: {
      std::size_t leftOut = 0;
      writeLines(nameWithEnding(target.fileName, ".ics"), doc, [&](const auto& line) {
        leftOut = forEachCalendarLine(doc, std::time(nullptr), line);
      });
      if (leftOut == 0) return std::nullopt;
      return std::string(kRowsLeftOut) + std::to_string(leftOut);
    }
    case SaveFormat::HtmlReport:
      writeLines(nameWithEnding(target.fileName, ".html"), doc, [&](const auto& line) {
        forEachHtmlReportLine(doc, choice, std::time(nullptr), line);
      });
      return std::nullopt;
  }
  return std::nullopt;
}

void runSave(const Document& doc, SaveCommandUi& ui) {
  const auto choice = ui.askTableChoice();
  if (!choice) return;
  const auto target = ui.askTarget();
  if (!target) return;
  if (const auto warning = saveDocument(doc, *choice, *target)) ui.warning(*warning);
}

}  // namespace kestrel::output
