#include "export/SaveCommand.h"

#include "core/FileIo.h"
#include "export/CsvWriter.h"
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

std::optional<SaveFormat> saveFormatOf(int filterIndex) {
  if (filterIndex < 1 || filterIndex > 5) return std::nullopt;
  return static_cast<SaveFormat>(filterIndex);
}

std::optional<std::string> saveDocument(const Document& doc, Sections sections,
                                        const SaveTarget& target) {
  const auto format = saveFormatOf(target.filterIndex);
  if (!format) return std::nullopt;
  // The extension is appended whatever the name already ends with: list.txt → list.txt.txt.
  switch (*format) {
    case SaveFormat::Text:
      writeLines(target.fileName + ".txt", doc,
                 [&](const auto& line) { forEachReportLine(doc, sections, line); });
      return std::nullopt;
    case SaveFormat::CsvSemicolon:
    case SaveFormat::CsvComma: {
      const char separator = *format == SaveFormat::CsvSemicolon ? ';' : ',';
      writeLines(target.fileName + ".csv", doc,
                 [&](const auto& line) { forEachCsvLine(doc, sections, separator, line); });
      return std::nullopt;
    }
    case SaveFormat::VcardUtf8:
      return saveVcards(doc, target.fileName, VcardCharset::Utf8);
    case SaveFormat::Vcard1251:
      return saveVcards(doc, target.fileName, VcardCharset::Cp1251);
  }
  return std::nullopt;
}

void runSave(const Document& doc, SaveCommandUi& ui) {
  const auto sections = ui.askSections();
  if (!sections) return;
  const auto target = ui.askTarget();
  if (!target) return;
  if (const auto warning = saveDocument(doc, *sections, *target)) ui.warning(*warning);
}

}  // namespace kestrel::output
