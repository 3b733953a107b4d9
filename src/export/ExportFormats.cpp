#include "export/ExportFormats.h"

#include <array>

#include "core/Ascii.h"
#include "core/Cp1251.h"
#include "export/CalendarWriter.h"
#include "export/CsvWriter.h"
#include "export/HtmlReport.h"
#include "export/ReportLines.h"
#include "export/VcardWriter.h"

namespace kestrel::output {

namespace {

using Message = std::optional<std::string>;

// The order is the dialog's: a filter index keeps its meaning, so a format is only ever added at
// the end.
constexpr std::array kFormats = {
    ExportFormat{"Текстовый"_cp, "*.txt*", ".txt", true,
                 [](const Document& doc, TableChoice choice, const std::string& target) -> Message {
                   writeTextReport(doc, choice, target);
                   return {};
                 }},
    ExportFormat{"CSV (Разделители - точка с зап.)"_cp, "*.csv*", ".csv", true,
                 [](const Document& doc, TableChoice choice, const std::string& target) -> Message {
                   writeCsvFile(doc, choice, ';', target);
                   return {};
                 }},
    ExportFormat{"CSV (Разделители - запятая)"_cp, "*.csv*", ".csv", true,
                 [](const Document& doc, TableChoice choice, const std::string& target) -> Message {
                   writeCsvFile(doc, choice, ',', target);
                   return {};
                 }},
    ExportFormat{"VCF(UTF-8 Для Телефона)"_cp, "*.vcf*", "", false,
                 [](const Document& doc, TableChoice, const std::string& target) -> Message {
                   return writeVcardFolder(doc, target, VcardCharset::Utf8);
                 }},
    ExportFormat{"VCF(windows-1251 Для Outlook)"_cp, "*.vcf*", "", false,
                 [](const Document& doc, TableChoice, const std::string& target) -> Message {
                   return writeVcardFolder(doc, target, VcardCharset::Cp1251);
                 }},
    ExportFormat{"vCard одним файлом (*.vcf)"_cp, "*.vcf", ".vcf", false,
                 [](const Document& doc, TableChoice, const std::string& target) -> Message {
                   writeVcardFile(doc, target);
                   return {};
                 }},
    ExportFormat{"iCalendar (*.ics)", "*.ics", ".ics", false,
                 [](const Document& doc, TableChoice, const std::string& target) -> Message {
                   return writeCalendarFile(doc, target);
                 }},
    ExportFormat{"HTML-отчёт (*.html)"_cp, "*.html", ".html", true,
                 [](const Document& doc, TableChoice choice, const std::string& target) -> Message {
                   writeHtmlReport(doc, choice, target);
                   return {};
                 }},
};

}  // namespace

std::span<const ExportFormat> exportFormats() {
  return kFormats;
}

const ExportFormat* exportFormatOf(int filterIndex) {
  if (filterIndex < 1 || static_cast<std::size_t>(filterIndex) > kFormats.size()) return nullptr;
  return &kFormats[static_cast<std::size_t>(filterIndex) - 1];
}

const std::string& saveFilter() {
  static const std::string filter = [] {
    std::string text;
    for (const ExportFormat& format : kFormats) {
      if (!text.empty()) text += '|';
      text.append(format.caption).append(1, '|').append(format.pattern);
    }
    return text;
  }();
  return filter;
}

std::string targetName(const ExportFormat& format, const std::string& chosen) {
  return format.ending.empty() ? chosen : nameWithEnding(chosen, format.ending);
}

}  // namespace kestrel::output
