#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "FuzzDocument.h"
#include "core/Errors.h"
#include "explorer/PmWriter.h"
#include "export/CsvWriter.h"
#include "export/ReportLines.h"
#include "export/SpreadsheetExport.h"
#include "export/VcardWriter.h"
#include "export/XlsxSpreadsheet.h"

namespace {

// Every writer over the document a fuzzed file makes: the text report, both CSV forms, both
// vCard forms of every phonebook row, the PM text of the marked blocks and the spreadsheet
// workbook, written to a file and removed.
void writeAll(kestrel::Document& doc) {
  using namespace kestrel::output;
  const TableChoice all{true, true, true};
  std::size_t bytes = 0;
  const auto count = [&](std::string_view line) { bytes += line.size(); };
  forEachReportLine(doc, all, count);
  forEachCsvLine(doc, all, ';', count);
  forEachCsvLine(doc, all, ',', count);
  for (std::size_t r = 0; r < doc.phonebook.rowCount(); ++r) {
    for (const VcardCharset charset : {VcardCharset::Utf8, VcardCharset::Cp1251}) {
      for (const std::string& line : vcardLines(doc.phonebook.row(r), charset))
        count(line);
    }
  }
  count(kestrel::explorer::pmDumpText(doc.model));

  XlsxSpreadsheet sheet;
  exportToSpreadsheet(doc, sheet, {}, {});
  static const std::string workbook =
      (std::getenv("TMPDIR") ? std::string(std::getenv("TMPDIR")) : std::string("/tmp")) +
      "/kestrel-fuzz-" + std::to_string(::getpid()) + ".xlsx";
  try {
    sheet.writeWorkbook(workbook);
  } catch (const kestrel::IoError&) {
    // A document with no table to show leaves no workbook to write.
  }
  std::remove(workbook.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto doc = kestrel::fuzz::documentOf(data, size);
  writeAll(*doc);
  return 0;
}
