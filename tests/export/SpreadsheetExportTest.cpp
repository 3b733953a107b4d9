#include "export/SpreadsheetExport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/Columns.h"
#include "core/Cp1251.h"
#include "support/PhonebookRows.h"

namespace kestrel::output {
namespace {

using Calls = std::vector<std::string>;

Calls calls(std::initializer_list<std::string_view> texts) {
  return Calls(texts.begin(), texts.end());
}

// Records every operation as "name|argument|…" together with the document's status text and
// progress position at that moment; can be told to throw once, at a given call, as a failure
// outside the operations would.
class RecordingAutomation : public SpreadsheetAutomation {
 public:
  explicit RecordingAutomation(const Document* doc = nullptr) : doc_(doc) {}

  Calls calls;
  std::vector<std::string> statuses;
  std::vector<int> positions;
  std::optional<std::size_t> throwAtCall;

  bool startApplication() override { return record("start"); }
  bool addWorkbook() override { return record("workbook"); }
  bool addNamedSheet(std::string_view name) override { return record("sheet", name); }
  bool setCellText(std::string_view sheet, std::string_view cell, std::string_view text) override {
    return record("text", sheet, cell, text);
  }
  bool setColumnsFormat(std::string_view sheet, std::string_view range,
                        std::string_view format) override {
    return record("format", sheet, range, format);
  }
  bool setColumnsHorizontalAlignment(std::string_view sheet, std::string_view range,
                                     int value) override {
    return record("halign", sheet, range, std::to_string(value));
  }
  bool setColumnsVerticalAlignment(std::string_view sheet, std::string_view range,
                                   int value) override {
    return record("valign", sheet, range, std::to_string(value));
  }
  bool selectSheet(std::string_view sheet) override { return record("select", sheet); }
  bool deleteSheet(std::string_view sheet) override { return record("delete", sheet); }
  bool showApplication(bool visible) override { return record("show", visible ? "1" : "0"); }

 private:
  template <typename... Args>
  bool record(std::string_view name, const Args&... args) {
    if (throwAtCall && calls.size() == *throwAtCall) {
      throwAtCall.reset();
      throw std::runtime_error("table gone");
    }
    std::string call(name);
    ((call += '|', call += std::string_view(args)), ...);
    calls.push_back(std::move(call));
    if (doc_) {
      statuses.push_back(doc_->status());
      positions.push_back(doc_->progressPosition());
    }
    // The export ignores every result; failing them all shows that nothing depends on them.
    return false;
  }

  const Document* doc_;
};

// A phonebook of two contacts with names and numbers, one call with its number shown, one
// information row.
void fillDocument(Document& doc) {
  test::addPhonebookRow(doc, {{kPbName, "Иванов"_cp}, {kPbNumbers, "+7901"}});
  test::addPhonebookRow(doc, {{kPbName, "Петров"_cp}});
  test::addTableRow(doc.calls, "1", {"Исх"_cp, "007", "", ""});
  doc.calls.setColumnWidth(kCallPhone, 130);
  test::addTableRow(doc.information, std::string("Календарь"_cp), {"Нет"_cp});
}

TEST(SpreadsheetExport, SendsEveryShownCellOfEveryFilledTableLastTableFirst) {
  Document doc;
  fillDocument(doc);
  RecordingAutomation app(&doc);
  exportToSpreadsheet(doc, app, progressOf(doc), {});

  EXPECT_EQ(app.calls, calls({
                           "start",
                           "workbook",
                           // The calendar is empty: no sheet. Calls: only "N п/п" and "Номер".
                           "sheet|Вызовы"_cp,
                           "format|Вызовы|A:E|@"_cp,
                           "text|Вызовы|A1|N п/п"_cp,
                           "text|Вызовы|B1|Номер"_cp,
                           "text|Вызовы|A2|1"_cp,
                           "text|Вызовы|B2|007"_cp,
                           "halign|Вызовы|A:B|-4108"_cp,
                           "valign|Вызовы|A:B|-4108"_cp,
                           "select|Вызовы"_cp,
                           // All 14 columns get the text format, the three shown are centred.
                           "sheet|Зап. Книжка"_cp,
                           "format|Зап. Книжка|A:N|@"_cp,
                           "text|Зап. Книжка|A1|N п/п"_cp,
                           "text|Зап. Книжка|B1|ФИО"_cp,
                           "text|Зап. Книжка|C1|Номера"_cp,
                           "text|Зап. Книжка|A2|1"_cp,
                           "text|Зап. Книжка|B2|Иванов"_cp,
                           "text|Зап. Книжка|C2|+7901"_cp,
                           "text|Зап. Книжка|A3|2"_cp,
                           "text|Зап. Книжка|B3|Петров"_cp,
                           "text|Зап. Книжка|C3|"_cp,
                           "halign|Зап. Книжка|A:C|-4108"_cp,
                           "valign|Зап. Книжка|A:C|-4108"_cp,
                           "select|Зап. Книжка"_cp,
                           "sheet|Информация"_cp,
                           "format|Информация|A:B|@"_cp,
                           "text|Информация|A1|Name"_cp,
                           "text|Информация|B1|Value"_cp,
                           "text|Информация|A2|Календарь"_cp,
                           "text|Информация|B2|Нет"_cp,
                           "halign|Информация|A:B|-4108"_cp,
                           "valign|Информация|A:B|-4108"_cp,
                           "select|Информация"_cp,
                           "delete|Лист1"_cp,
                           "show|1",
                       }));

  // The status shows from each sheet's start to its selection, and the progress follows the
  // rows: the phonebook's second data row (row 3) is sent at position 1.
  for (std::size_t i = 0; i < app.calls.size(); ++i) {
    const std::string& call = app.calls[i];
    const bool inTable = call.starts_with("sheet|") || call.starts_with("format|") ||
                         call.starts_with("text|") || call.ends_with("-4108") ||
                         call.starts_with("select|");
    EXPECT_EQ(app.statuses[i], inTable ? kSpreadsheetStatus : "") << i;
  }
  const auto row3 = std::find(app.calls.begin(), app.calls.end(), "text|Зап. Книжка|B3|Петров"_cp);
  EXPECT_EQ(app.positions[static_cast<std::size_t>(row3 - app.calls.begin())], 1);
  EXPECT_EQ(doc.status(), "");
  EXPECT_EQ(doc.progressPosition(), 0);
  EXPECT_EQ(doc.progressMaximum(), 0);  // the information table's one row
}

TEST(SpreadsheetExport, EmptyDocumentStillDeletesTheFirstSheetAndShows) {
  Document doc;
  RecordingAutomation app(&doc);
  exportToSpreadsheet(doc, app, progressOf(doc), {});
  EXPECT_EQ(app.calls, calls({"start", "workbook", "delete|Лист1"_cp, "show|1"}));
}

TEST(SpreadsheetExport, ShortRowsHiddenCaptionColumnAndTheLastRowsWidth) {
  Document doc;
  // A short last row: its line ends early and the centring reaches only as far as it does.
  test::addTableRow(doc.calendar, "1", {"01.01", "a", "b", "c"});
  auto& shortRow = doc.calendar.addRow("2", 0);
  shortRow.addSubItem("02.01");
  shortRow.addSubItem("");
  // A hidden column 0: the header starts with the next column, the caption still goes to A.
  doc.information.setColumnWidth(0, 0);
  test::addTableRow(doc.information, "SMS", {"Есть"_cp});
  RecordingAutomation app(&doc);
  exportToSpreadsheet(doc, app, progressOf(doc), {});

  ASSERT_EQ(app.calls.size(), 30u);
  EXPECT_EQ(app.calls[9], "text|Календарь|A2|1"_cp);
  const Calls fromShortRow(app.calls.begin() + 14, app.calls.end() - 2);
  EXPECT_EQ(fromShortRow,
            calls({"text|Календарь|A3|2"_cp, "text|Календарь|B3|02.01"_cp, "text|Календарь|C3|"_cp,
                   "halign|Календарь|A:C|-4108"_cp, "valign|Календарь|A:C|-4108"_cp,
                   "select|Календарь"_cp, "sheet|Информация"_cp, "format|Информация|A:B|@"_cp,
                   "text|Информация|A1|Value"_cp, "text|Информация|A2|SMS"_cp,
                   "text|Информация|B2|Есть"_cp, "halign|Информация|A:B|-4108"_cp,
                   "valign|Информация|A:B|-4108"_cp, "select|Информация"_cp}));
}

TEST(SpreadsheetExport, AFailureMidwayStillShowsTheWorkbookThenPropagates) {
  Document doc;
  fillDocument(doc);
  RecordingAutomation app(&doc);
  app.throwAtCall = 5;  // the calls sheet's second header cell
  EXPECT_THROW(exportToSpreadsheet(doc, app, progressOf(doc), {}), std::runtime_error);
  EXPECT_EQ(app.calls, calls({"start", "workbook", "sheet|Вызовы"_cp, "format|Вызовы|A:E|@"_cp,
                              "text|Вызовы|A1|N п/п"_cp, "delete|Лист1"_cp, "show|1"}));
  // The status stays as the failure found it.
  EXPECT_EQ(doc.status(), kSpreadsheetStatus);
}

TEST(SpreadsheetExport, TablesOfAnyWindowGetTheSpreadsheetsColumnNamesAndNoStatus) {
  Document doc;  // only to watch that nothing reaches a document's status
  std::vector<ResultTable::Column> columns(402, {"c", 10});
  ResultTable data("Данные"_cp, columns);
  data.hideColumnsFrom(2);
  test::addTableRow(data, "0000", {"12"});
  // A narrower table after a wider one.
  ResultTable narrowList("X", {{"a", 1}, {"b", 1}, {"c", 1}});
  test::addTableRow(narrowList, "r", {"s", "t"});
  ResultTable hidden("Скрыто"_cp, {{"a", 1}}, false);
  hidden.addRow("r", 0);

  RecordingAutomation wide(&doc);
  const ResultTable* const explorer[] = {&hidden, &data};
  exportTablesToSpreadsheet(explorer, wide, {});
  EXPECT_EQ(wide.calls,
            calls({"start", "workbook", "sheet|Данные"_cp, "format|Данные|A:OL|@"_cp,
                   "text|Данные|A1|c"_cp, "text|Данные|B1|c"_cp, "text|Данные|A2|0000"_cp,
                   "text|Данные|B2|12"_cp, "halign|Данные|A:B|-4108"_cp,
                   "valign|Данные|A:B|-4108"_cp, "select|Данные"_cp, "delete|Лист1"_cp, "show|1"}));
  for (const std::string& status : wide.statuses)
    EXPECT_EQ(status, "");

  RecordingAutomation narrow;
  const ResultTable* const one[] = {&narrowList};
  exportTablesToSpreadsheet(one, narrow, {});
  EXPECT_EQ(narrow.calls.at(3), "format|X|A:C|@");
  EXPECT_EQ(narrow.calls.at(9), "text|X|C2|t");
}

TEST(SpreadsheetExport, LongTablesGoOnInNumberedSheetsAndLongTextsAreCutAndTold) {
  // Sheets of three rows: the header and two of the table's.
  constexpr std::size_t kSheetRows = 3;
  const std::string longText(kCellTextLength + 1, 'a');
  const auto rows = [](ResultTable& table, std::size_t count, const std::string& text) {
    for (std::size_t i = 1; i <= count; ++i)
      test::addTableRow(table, "r" + std::to_string(i), {i == 4 ? text : "v"});
  };
  ResultTable first("X", {{"a", 1}, {"b", 1}});
  rows(first, 5, longText);
  // Its name is one the first table's continuation would take, in another letter case.
  ResultTable clash("x (2)", {{"a", 1}, {"b", 1}});
  rows(clash, 1, "v");
  // A full-length name is cut to make room for the number.
  const std::string longName("ЖЖЖЖЖЖЖЖЖЖabcdefghijklmnopqrstu"_cp);
  ResultTable wide(longName, {{"a", 1}, {"b", 1}});
  for (int i = 1; i <= 3; ++i)
    test::addTableRow(wide, longText, {"v"});

  RecordingAutomation app;
  std::vector<std::string> told;
  const ResultTable* const tables[] = {&first, &clash, &wide};
  exportTablesToSpreadsheet(
      tables, app, [&](std::string_view text) { told.emplace_back(text); }, kSheetRows);

  Calls sheets;
  Calls firstTable;
  for (const std::string& call : app.calls) {
    if (call.starts_with("sheet|") || call.starts_with("select|")) sheets.push_back(call);
    if (call.starts_with("text|X") && call.size() < 100) firstTable.push_back(call);
  }
  const std::string longNameGoingOn("ЖЖЖЖЖЖЖЖЖЖabcdefghijklmnopq (2)"_cp);
  EXPECT_EQ(sheets, calls({"sheet|" + longNameGoingOn, "sheet|" + longName, "select|" + longName,
                           "sheet|x (2)", "select|x (2)", "sheet|X (4)", "sheet|X (3)", "sheet|X",
                           "select|X"}));
  EXPECT_EQ(firstTable,
            calls({"text|X|A1|a", "text|X|B1|b", "text|X|A2|r1", "text|X|B2|v", "text|X|A3|r2",
                   "text|X|B3|v", "text|X (3)|A1|a", "text|X (3)|B1|b", "text|X (3)|A2|r3",
                   "text|X (3)|B2|v", "text|X (3)|A3|r4", "text|X (4)|A1|a", "text|X (4)|B1|b",
                   "text|X (4)|A2|r5", "text|X (4)|B2|v"}));
  // The cut text keeps the start a cell holds.
  const std::string cut = "text|X (3)|B3|" + longText.substr(0, kCellTextLength);
  EXPECT_NE(std::find(app.calls.begin(), app.calls.end(), cut), app.calls.end());
  for (const std::string& call : app.calls)
    EXPECT_LE(call.size(), longNameGoingOn.size() + 10 + kCellTextLength);
  // Told once, after the workbook is shown.
  EXPECT_EQ(app.calls.back(), "show|1");
  std::string message(kTextsCut);
  message += "«"_cp;
  message += longName;
  message += "», строки 1, 2, 3; «X», строка 4"_cp;
  EXPECT_EQ(told, Calls{message});
}

TEST(SpreadsheetExport, TheDocumentsCutTextsAreTold) {
  Document doc;
  test::addPhonebookRow(doc, {{kPbName, std::string(kCellTextLength + 5, 'z')}});
  RecordingAutomation app;
  Calls told;
  exportToSpreadsheet(doc, app, {}, [&](std::string_view text) { told.emplace_back(text); });
  EXPECT_EQ(told, Calls{std::string(kTextsCut).append("«Зап. Книжка», строка 1"_cp)});
  // The real limit keeps one sheet.
  EXPECT_EQ(std::count_if(app.calls.begin(), app.calls.end(),
                          [](const std::string& call) { return call.starts_with("sheet|"); }),
            1);
}

}  // namespace
}  // namespace kestrel::output
