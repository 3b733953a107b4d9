// The one-file vCard, the iCalendar file and the HTML report, each read back by a reader of the
// test's own.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <regex>

#include "core/Columns.h"
#include "core/Cp1251.h"
#include "core/Kinds.h"
#include "export/CalendarWriter.h"
#include "export/FileFacts.h"
#include "export/HtmlReport.h"
#include "export/SaveCommand.h"
#include "open/OpenDocument.h"
#include "support/DemoDump.h"
#include "support/PhonebookRows.h"
#include "support/TempDir.h"

namespace kestrel::output {
namespace {

// The text between CR LF line ends, continuation lines (a leading space) joined.
std::vector<std::string> unfolded(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = text.find("\r\n", pos);
    EXPECT_NE(end, std::string::npos) << "every line ends with CR LF";
    if (end == std::string::npos) break;
    const std::string line = text.substr(pos, end - pos);
    EXPECT_LE(line.size(), 75u) << line;
    if (!line.empty() && line[0] == ' ' && !lines.empty())
      lines.back() += line.substr(1);
    else
      lines.push_back(line);
    pos = end + 2;
  }
  return lines;
}

std::string unescapedText(const std::string& value) {
  std::string text;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) {
      const char next = value[++i];
      text += next == 'n' || next == 'N' ? '\n' : next;
    } else {
      text += value[i];
    }
  }
  return text;
}

using Event = std::map<std::string, std::string>;  // property with parameters → raw value

std::vector<Event> eventsOf(const std::vector<std::string>& lines) {
  std::vector<Event> events;
  for (const std::string& line : lines) {
    if (line == "BEGIN:VEVENT") {
      events.emplace_back();
    } else if (!events.empty() && line != "END:VEVENT") {
      const std::size_t colon = line.find(':');
      events.back()[line.substr(0, colon)] = line.substr(colon + 1);
    }
  }
  return events;
}

TEST(FileFacts, DigestsAndSizeOfAKnownText) {
  test::TempDir dir;
  const FileFacts facts = factsOf(dir.write("abc.txt", "abc"));
  EXPECT_EQ(facts.size, 3u);
  EXPECT_EQ(facts.sha256, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(facts.md5, "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_THROW(factsOf(dir.file("missing")), IoError);
  EXPECT_THROW(factsOf(dir.path().string()), IoError);
}

// A device or a pipe among the source files is refused at once, as the readers refuse it: read,
// it would never end. A child does the reading, so that a read that hangs ends the test.
TEST(FileFacts, RefusesDevicesAndPipesAtOnce) {
  test::TempDir dir;
  ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::alarm(10);
    int refused = 0;
    for (const std::string& name : {std::string("/dev/zero"), dir.file("pipe")}) {
      try {
        factsOf(name);
      } catch (const IoError& e) {
        refused += e.fileName() == name && e.reason() == "это не обычный файл";
      }
    }
    ::_exit(refused);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << "status " << status;
}

TEST(SaveCommand, OneFileFormatsAddTheirEndingOnlyToANameThatDoesNotEndWithIt) {
  for (const auto& [chosen, written] :
       std::vector<std::pair<std::string, std::string>>{{"/tmp/cards", "/tmp/cards.vcf"},
                                                        {"/tmp/cards.vcf", "/tmp/cards.vcf"},
                                                        {"/tmp/cards.VCF", "/tmp/cards.VCF"},
                                                        {"/tmp/cards.txt", "/tmp/cards.txt.vcf"},
                                                        {"/tmp/a.d/cards", "/tmp/a.d/cards.vcf"},
                                                        {"/tmp/.cards", "/tmp/.cards.vcf"},
                                                        {"cards", "cards.vcf"}})
    EXPECT_EQ(nameWithEnding(chosen, ".vcf"), written) << chosen;
}

class Interchange : public testing::Test {
 protected:
  void SetUp() override {
    source = dir.write("demo.pm", test::demoPmText());
    ASSERT_TRUE(openDocument(doc, FileKind::Pm, {source}));
    ASSERT_GE(doc.phonebook.rowCount(), 3u);
  }
  test::TempDir dir;
  std::string source;
  Document doc;
};

TEST_F(Interchange, OneVcardFileHoldsTheFolderCardsInRowOrder) {
  ASSERT_FALSE(saveDocument(doc, {}, {dir.file("folder"), 4}));
  ASSERT_FALSE(saveDocument(doc, {}, {dir.file("book"), 6}));
  const std::string book = test::readFile(dir.file("book.vcf"));
  // Cut at each BEGIN:VCARD line.
  std::vector<std::string> cards;
  for (std::size_t at = book.find("BEGIN:VCARD"); at != std::string::npos;) {
    const std::size_t next = book.find("BEGIN:VCARD", at + 1);
    cards.push_back(book.substr(at, next - at));
    at = next;
  }
  ASSERT_EQ(cards.size(), doc.phonebook.rowCount());
  for (std::size_t k = 0; k < cards.size(); ++k)
    EXPECT_EQ(cards[k], test::readFile(dir.file("folder/" + std::to_string(k + 1) + ".vcf"))) << k;
}

TEST_F(Interchange, CalendarEventsFollowTheRowsAndLeaveOutThoseWithoutADate) {
  doc.calendar.clear();
  const std::string longTitle = std::string(60, '\xC6') + "; x, y\\z";  // 60 × "Ж"
  // Rows as a reader writes them: the kind cell comes with the kind.
  const auto entry = [&](std::string number, CalendarKind kind, std::string_view date,
                         std::string_view title, std::string_view text) {
    setCalendarKind(test::addTableRow(doc.calendar, std::move(number), {date, "", title, text}),
                    kind);
  };
  entry("1", CalendarKind::kBirthday, "05.03.1980", "Анна"_cp, "");
  entry("2", CalendarKind::kNote, "01.02.2020 10:30", "", "line\r\nnext");
  entry("3", CalendarKind::kEvent, "29.02.2024 23:59:58", longTitle, "");
  entry("4", CalendarKind::kNote, "", "no date", "");
  entry("5", CalendarKind::kNote, "32.01.2020", "bad day", "");
  entry("6", CalendarKind::kNote, "01.02.2020 24:00", "bad hour", "");

  const auto message = saveDocument(doc, {}, {dir.file("days"), 7});
  EXPECT_EQ(message, std::string(kRowsLeftOut) + "3");
  const std::string text = test::readFile(dir.file("days.ics"));
  const std::vector<std::string> lines = unfolded(text);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], "BEGIN:VCALENDAR");
  EXPECT_EQ(lines[1], "VERSION:2.0");
  EXPECT_EQ(lines[2], "PRODID:-//Kestrel//Kestrel 1.6//RU");
  EXPECT_EQ(lines.back(), "END:VCALENDAR");

  const std::vector<Event> events = eventsOf(lines);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].at("DTSTART;VALUE=DATE"), "19800305");
  EXPECT_EQ(events[0].at("RRULE"), "FREQ=YEARLY");
  EXPECT_EQ(unescapedText(events[0].at("SUMMARY")), "Анна");
  EXPECT_EQ(unescapedText(events[0].at("CATEGORIES")), "День рождения");
  EXPECT_EQ(events[0].count("DESCRIPTION"), 0u);
  EXPECT_EQ(events[1].at("DTSTART"), "20200201T103000");
  EXPECT_EQ(unescapedText(events[1].at("SUMMARY")), "Заметка") << "the kind stands for a title";
  EXPECT_EQ(unescapedText(events[1].at("DESCRIPTION")), "line\nnext");
  EXPECT_EQ(events[1].count("RRULE"), 0u);
  EXPECT_EQ(events[2].at("DTSTART"), "20240229T235958");
  EXPECT_EQ(unescapedText(events[2].at("SUMMARY")), toUtf8(longTitle));
  EXPECT_NE(events[2].at("SUMMARY").find("\\; x\\, y\\\\z"), std::string::npos);
  for (const Event& e : events) {
    EXPECT_TRUE(std::regex_match(e.at("UID"), std::regex("[0-9a-f]{32}@kestrel")));
    EXPECT_TRUE(std::regex_match(e.at("DTSTAMP"), std::regex("[0-9]{8}T[0-9]{6}Z")));
  }
  EXPECT_NE(events[0].at("UID"), events[1].at("UID"));

  // The same rows give the same identifiers again.
  ASSERT_TRUE(saveDocument(doc, {}, {dir.file("again.ics"), 7}));
  const std::vector<Event> again = eventsOf(unfolded(test::readFile(dir.file("again.ics"))));
  for (std::size_t k = 0; k < events.size(); ++k)
    EXPECT_EQ(again[k].at("UID"), events[k].at("UID"));
}

// The texts of an HTML page: headings and table rows, entities undone, <br> a line break.
struct Page {
  std::vector<std::string> headings;
  std::vector<std::vector<std::vector<std::string>>> tables;  // table → row → cell
};

std::string htmlDecoded(std::string html) {
  html = std::regex_replace(html, std::regex("<br>"), "\n");
  for (const auto& [entity, c] : std::vector<std::pair<std::string, std::string>>{
           {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&amp;", "&"}})
    html = std::regex_replace(html, std::regex(entity), c);
  return html;
}

Page pageOf(const std::string& html) {
  Page page;
  const std::regex element("<h2>(.*?)</h2>|<table>|<t[dh][^>]*>(.*?)</t[dh]>|<tr>");
  for (auto it = std::sregex_iterator(html.begin(), html.end(), element);
       it != std::sregex_iterator(); ++it) {
    const std::string match = (*it)[0];
    if (match.starts_with("<h2>")) {
      page.headings.push_back(htmlDecoded((*it)[1]));
    } else if (match == "<table>") {
      page.tables.emplace_back();
    } else if (match == "<tr>") {
      page.tables.back().emplace_back();
    } else {
      page.tables.back().back().push_back(htmlDecoded((*it)[2]));
    }
  }
  return page;
}

TEST_F(Interchange, HtmlReportHoldsTheFileFactsAndTheChosenTablesAsShown) {
  test::addPhonebookRow(doc, {{kPbName, "<b>Tom & \"Jerry\"</b>"}, {kPbNotes, "one\r\ntwo"}});
  ASSERT_FALSE(saveDocument(doc, {true, false, true}, {dir.file("report"), 8}));
  const std::string html = test::readFile(dir.file("report.html"));
  EXPECT_TRUE(html.starts_with("<!DOCTYPE html>"));
  EXPECT_EQ(html.find("<script"), std::string::npos);
  EXPECT_NE(html.find("<h1>Kestrel 1.6</h1>"), std::string::npos);

  const Page page = pageOf(html);
  EXPECT_EQ(page.headings, (std::vector<std::string>{"Исходные файлы", "Информация",
                                                     "Записная книжка", "Календарь"}));
  ASSERT_EQ(page.tables.size(), 4u);
  const std::string bytes = test::readFile(source);
  struct stat info {};
  ASSERT_EQ(::stat(source.c_str(), &info), 0);
  EXPECT_EQ(page.tables[0].at(1), (std::vector<std::string>{source, std::to_string(bytes.size()),
                                                            localTimeText(info.st_mtime),
                                                            sha256Hex(bytes), md5Hex(bytes)}));

  const std::vector<const ResultTable*> shown = {&doc.information, &doc.phonebook, &doc.calendar};
  for (std::size_t t = 0; t < shown.size(); ++t) {
    const ResultTable& table = *shown[t];
    const auto& rows = page.tables[t + 1];
    ASSERT_EQ(rows.size(), table.rowCount() + 1) << t;
    std::vector<std::size_t> columns;
    for (std::size_t c = 0; c < table.columnCount(); ++c) {
      if (table.columnWidth(c) > 0) columns.push_back(c);
    }
    ASSERT_EQ(rows[0].size(), columns.size());
    for (std::size_t k = 0; k < columns.size(); ++k)
      EXPECT_EQ(rows[0][k], toUtf8(table.columnCaption(columns[k])));
    for (std::size_t r = 0; r < table.rowCount(); ++r) {
      for (std::size_t k = 0; k < columns.size(); ++k) {
        std::string expected = toUtf8(table.cell(r, columns[k]));
        expected = std::regex_replace(expected, std::regex("\r\n"), "\n");
        EXPECT_EQ(rows[r + 1].at(k), expected) << t << " " << r << " " << k;
      }
    }
  }
  EXPECT_EQ(page.tables[2].back().at(1), "<b>Tom & \"Jerry\"</b>");
}

}  // namespace
}  // namespace kestrel::output
