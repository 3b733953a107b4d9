// The HTML report's "Обзор": when it appears, what its tables say, and that every chart is
// well-formed SVG, for a handful of calls and for years of them.

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>

#include "core/Columns.h"
#include "core/Cp1251.h"
#include "core/Kinds.h"
#include "export/HtmlReport.h"
#include "support/PhonebookRows.h"
#include "support/TempDir.h"

namespace kestrel::output {
namespace {

std::string reportOf(const Document& doc, TableChoice choice) {
  std::string html;
  forEachHtmlReportLine(doc, choice, 1331800000,
                        [&](std::string_view l) { html.append(l).append("\n"); });
  return html;
}

using test::addCalendarRow;
using test::addCallRow;

// A few calls over a few days and a calendar: bars a day each.
void fillSmall(Document& doc) {
  test::addPhonebookRow(
      doc, {{kPbName, fromUtf8("Иванов <Иван>").value()}, {kPbNumbers, "+79161234567 "}});
  addCallRow(doc, CallStatus::kOutgoing, "89161234567", "15.03.2012 09:30:00 ");
  addCallRow(doc, CallStatus::kIncoming, "+79161234567", "16.03.2012 23:59");
  addCallRow(doc, CallStatus::kMissed, "+79265554433", "17.03.2012 07:45:03");
  addCallRow(doc, CallStatus::kMissed, "+79265554433", "31.04.2012 07:45:03");
  addCalendarRow(doc, CalendarKind::kNote, "16.03.2012");
  addCalendarRow(doc, CalendarKind::kBirthday, "12.04.1975");
}

// The texts of the rows of the section's tables, tags dropped.
std::vector<std::string> sectionRows(const std::string& html) {
  const std::size_t from = html.find("<h2>Обзор</h2>");
  const std::size_t to = html.find("<h2>", from + 1);
  const std::string section = html.substr(from, to - from);
  std::vector<std::string> rows;
  const std::regex row("<tr>(.*?)</tr>");
  for (auto it = std::sregex_iterator(section.begin(), section.end(), row);
       it != std::sregex_iterator(); ++it)
    rows.push_back(std::regex_replace(std::string((*it)[1]), std::regex("</t[dh]><t[dh]>"), "|"));
  for (std::string& r : rows)
    r = std::regex_replace(r, std::regex("</?t[dh]>"), "");
  return rows;
}

TEST(OverviewReport, AppearsWhenChosenCallsOrCalendarHaveRows) {
  Document withData;
  fillSmall(withData);
  Document bookOnly;
  test::addPhonebookRow(
      bookOnly, {{kPbName, fromUtf8("Иванов <Иван>").value()}, {kPbNumbers, "+79161234567 "}});
  struct Case {
    const Document* doc;
    TableChoice choice;
    bool shown;
  };
  for (const Case& c :
       {Case{&withData, {true, true, true}, true}, Case{&withData, {false, true, false}, true},
        Case{&withData, {false, false, true}, true}, Case{&withData, {true, false, false}, false},
        Case{&withData, {}, false}, Case{&bookOnly, {true, true, true}, false}}) {
    const std::string html = reportOf(*c.doc, c.choice);
    EXPECT_EQ(html.find("<h2>Обзор</h2>") != std::string::npos, c.shown)
        << c.choice.phonebook << c.choice.calls << c.choice.calendar;
  }
  // Without the section the page is the one the report has always made.
  EXPECT_EQ(reportOf(withData, {true, false, false}), reportOf(bookOnly, {true, false, false}));
}

TEST(OverviewReport, TablesNameTheContactsAndTheNumbersTheBookLacks) {
  Document doc;
  fillSmall(doc);
  const std::string html = reportOf(doc, {false, true, true});
  EXPECT_EQ(sectionRows(html), (std::vector<std::string>{
                                   "Номер|Контакт|Входящие|Исходящие|Пропущенные|Всего",
                                   "89161234567|Иванов &lt;Иван&gt;|1|1|0|2",
                                   "+79265554433|нет в книжке|0|0|2|2",
                                   "Номер|Входящие|Исходящие|Пропущенные|Всего",
                                   "+79265554433|0|0|2|2",
                               }));
  EXPECT_NE(html.find("<p>Без даты: вызовов — 1, записей календаря — 0.</p>"), std::string::npos);
  EXPECT_NE(html.find("<h3>Вызовы по дням</h3>"), std::string::npos);
  EXPECT_NE(html.find("<h3>Календарь по дням</h3>"), std::string::npos);
  EXPECT_NE(html.find("Записей календаря вне этого периода: 1"), std::string::npos);
  EXPECT_EQ(html.find("<script"), std::string::npos);

  // Of many numbers the book lacks, the page lists the busiest hundred and counts the rest.
  for (int i = 0; i < 150; ++i)
    addCallRow(doc, CallStatus::kIncoming, "8916000" + std::to_string(1000 + i),
               "18.03.2012 10:00");
  const std::vector<std::string> rows = sectionRows(reportOf(doc, {false, true, true}));
  ASSERT_EQ(rows.size(), 2u + 15u + 100u);
  EXPECT_EQ(rows[17], "+79265554433|0|0|2|2");
  EXPECT_NE(reportOf(doc, {false, true, true})
                .find("<p>Ещё номеров, которых нет в записной книжке: 51.</p>"),
            std::string::npos);
}

// Bars of a week are named after their Monday, before 1970 as after it.
TEST(OverviewReport, WeeksAreNamedAfterTheirMonday) {
  Document doc;
  for (const char* date : {"17.03.2012 10:00", "01.10.2012 10:00", "01.01.2013 10:00"})
    addCallRow(doc, CallStatus::kIncoming, "900", date);
  std::string html = reportOf(doc, {false, true, false});
  ASSERT_NE(html.find("<h3>Вызовы по неделям"), std::string::npos);
  for (const char* monday : {"12.03.2012", "01.10.2012", "31.12.2012"})
    EXPECT_NE(html.find(monday), std::string::npos) << monday;
  EXPECT_EQ(html.find("08.03.2012"), std::string::npos);

  // Two days of two weeks around 01.01.1970 make two bars, not one.
  Document reset;
  for (const char* date : {"30.12.1969 10:00", "05.01.1970 10:00", "01.06.1970 10:00"})
    addCallRow(reset, CallStatus::kMissed, "900", date);
  html = reportOf(reset, {false, true, false});
  EXPECT_NE(html.find("29.12.1969"), std::string::npos);
  EXPECT_NE(html.find("05.01.1970"), std::string::npos);
}

// Every <svg> of the page parsed by xmllint as XML, and the beginnings of the time charts'
// titles.
void expectWellFormedCharts(const std::string& html, const std::vector<std::string>& titles) {
  test::TempDir dir;
  std::size_t charts = 0;
  for (std::size_t at = html.find("<svg"); at != std::string::npos; at = html.find("<svg", at)) {
    const std::size_t end = html.find("</svg>", at);
    ASSERT_NE(end, std::string::npos);
    const std::string chart = html.substr(at, end + 6 - at);
    at = end;
    const std::string file = dir.write("chart" + std::to_string(charts++) + ".svg", chart);
    const std::string command = "xmllint --noout '" + file + "' 2>&1";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
      out += buffer;
    EXPECT_EQ(::pclose(pipe), 0) << out << chart.substr(0, 400);
  }
  EXPECT_EQ(charts, titles.size() + 1);  // and the week by hours
  for (const std::string& title : titles)
    EXPECT_NE(html.find("<h3>" + title), std::string::npos) << title;
}

bool hasXmllint() {
  return std::system("xmllint --version >/dev/null 2>&1") == 0;
}

TEST(OverviewReport, ChartsAreWellFormedSvg) {
  if (!hasXmllint()) GTEST_SKIP() << "xmllint is not installed (scripts/install-deps)";
  Document small;
  fillSmall(small);
  expectWellFormedCharts(reportOf(small, {false, true, true}),
                         {"Вызовы по дням</h3>", "Календарь по дням</h3>"});

  // Six years of calls, a day apart: bars a month each, and the title says so.
  Document years;
  char date[32];
  for (int day = 0; day < 6 * 365; ++day) {
    const int month = day / 30 % 12 + 1;
    std::snprintf(date, sizeof date, "%02d.%02d.%04d %02d:00", day % 28 + 1, month,
                  2008 + day / 365, day % 24);
    addCallRow(years, static_cast<CallStatus>(day % 4), std::to_string(100 + day % 7), date);
    if (day % 10 == 0) addCalendarRow(years, CalendarKind::kEvent, date);
  }
  const std::string html = reportOf(years, {false, true, true});
  expectWellFormedCharts(html, {"Вызовы по месяцам (2", "Календарь по месяцам (2"});
  EXPECT_NE(html.find("дн.: столбец — месяц)</h3>"), std::string::npos);
  EXPECT_NE(html.find("без статуса"), std::string::npos);
}

}  // namespace
}  // namespace kestrel::output
