// The one-file vCard, the iCalendar file and the HTML report, each read back by a reader of the
// test's own.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <regex>
#include <set>

#include "core/Columns.h"
#include "core/Cp1251.h"
#include "core/Errors.h"
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

// What python-vobject ("vcard") or python-icalendar ("calendar") reads from a file, as the
// script beside these tests prints it; nothing when python3 or the reader is not installed.
std::optional<nlohmann::json> readBack(const std::string& kind, const std::string& path) {
  const std::string command = "/usr/bin/python3 " KESTREL_SOURCE_DIR
                              "/tests/export/clients/read_back.py " +
                              kind + " '" + path + "' 2>/dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return std::nullopt;
  std::string out;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    out.append(buffer, n);
  const int status = ::pclose(pipe);
  if (!WIFEXITED(status) || WEXITSTATUS(status) == 3 || WEXITSTATUS(status) == 127)
    return std::nullopt;
  EXPECT_EQ(WEXITSTATUS(status), 0) << kind << " reader refused " << path;
  return nlohmann::json::parse(out.empty() ? "null" : out);
}

using Strings = std::vector<std::string>;

// The cards of a vCard 3.0 file, each as its unfolded lines between BEGIN and END.
std::vector<std::vector<std::string>> cardsOf(const std::vector<std::string>& lines) {
  std::vector<std::vector<std::string>> cards;
  for (const std::string& line : lines) {
    if (line == "BEGIN:VCARD")
      cards.emplace_back();
    else if (!cards.empty() && line != "END:VCARD")
      cards.back().push_back(line);
  }
  return cards;
}

// Values an address book gets wrong unless they are escaped, Cyrillic where a reader might keep
// windows-1251 bytes, days no calendar has, equal contacts and a contact with a number alone.
TEST_F(Interchange, OneVcardFileIsVcard3ThatAddressBooksTakeWhole) {
  doc.phonebook.clear();
  const auto row = [&](std::initializer_list<std::pair<int, std::string_view>> cells) {
    test::addPhonebookRow(doc, cells);
  };
  row({{kPbName, "Иванов; Иван, \"Ваня\""_cp},
       {kPbNumbers, "+79161234567 0049301234 "},
       {kPbCompany, "ООО \"Рога; Копыта\""_cp},
       {kPbAddress, "ул. Ленина, 1; кв. 2"_cp},
       {kPbGroup, "Друзья"_cp},
       {kPbEmail, " почта@пример.рф a@b.c"_cp},
       {kPbBirthday, "29.02.1985"},
       {kPbNotes, "строка\r\nвторая; с, запятыми\\"_cp},
       {kPbNickname, "Ваня"_cp},
       {kPbJobTitle, "Инженер"_cp},
       {kPbPttAddress, "ptt:1"},
       {kPbWebSite, "http://пример.рф/a,b"_cp}});
  row({{kPbName, "Bob"}, {kPbNumbers, "111  222"}, {kPbBirthday, "05.03.1980"}});
  row({{kPbName, "Bob"}, {kPbNumbers, "111  222"}, {kPbBirthday, "05.03.1980"}});
  row({{kPbNumbers,
        "12\x01"
        "3"},
       {kPbFormalName, ""}});
  ASSERT_FALSE(saveDocument(doc, {}, {dir.file("book"), 6}));
  const std::string text = test::readFile(dir.file("book.vcf"));
  const auto cards = cardsOf(unfolded(text));
  ASSERT_EQ(cards.size(), 4u);
  EXPECT_EQ(text.substr(0, 26), "BEGIN:VCARD\r\nVERSION:3.0\r\n");

  // Everything but the UID, which is checked below.
  const std::vector<std::vector<std::string>> expected = {
      {"VERSION:3.0", R"(FN:Иванов\; Иван\, "Ваня")", R"(N:Иванов\; Иван\, "Ваня";;;;)",
       "NICKNAME:Ваня", "TEL;TYPE=VOICE:+79161234567", "TEL;TYPE=VOICE:0049301234",
       "EMAIL;TYPE=INTERNET,PREF:почта@пример.рф", "EMAIL;TYPE=INTERNET:a@b.c",
       R"(ORG:ООО "Рога\; Копыта")", "TITLE:Инженер", R"(NOTE:строка\nвторая\; с\, запятыми\\)",
       "URL:http://пример.рф/a%2Cb", R"(ADR:;;ул. Ленина\, 1\; кв. 2;;;;)", "CATEGORIES:Друзья",
       "X-PTT:ptt:1"},
      {"VERSION:3.0", "FN:Bob", "N:Bob;;;;", "TEL;TYPE=VOICE:111", "TEL;TYPE=VOICE:222",
       "BDAY:1980-03-05"},
      {"VERSION:3.0", "FN:Bob", "N:Bob;;;;", "TEL;TYPE=VOICE:111", "TEL;TYPE=VOICE:222",
       "BDAY:1980-03-05"},
      {"VERSION:3.0", "FN:123", "N:;;;;", "TEL;TYPE=VOICE:123"}};
  std::set<std::string> uids;
  for (std::size_t k = 0; k < cards.size(); ++k) {
    std::vector<std::string> lines = cards[k];
    ASSERT_FALSE(lines.empty());
    ASSERT_TRUE(std::regex_match(lines.back(), std::regex("UID:[0-9a-f]{32}@kestrel"))) << k;
    uids.insert(lines.back());
    lines.pop_back();
    EXPECT_EQ(lines, expected[k]) << "card " << k + 1;
  }
  EXPECT_EQ(uids.size(), cards.size()) << "equal contacts keep cards of their own";

  // The same document gives the same identifiers again.
  ASSERT_FALSE(saveDocument(doc, {}, {dir.file("again.vcf"), 6}));
  EXPECT_EQ(test::readFile(dir.file("again.vcf")), text);

  // An address book someone else wrote takes every value whole.
  const auto read = readBack("vcard", dir.file("book.vcf"));
  if (!read) GTEST_SKIP() << "python3-vobject is not installed";
  ASSERT_EQ(read->size(), 4u);
  const nlohmann::json& first = (*read)[0];
  EXPECT_EQ(first["fn"], Strings{"Иванов; Иван, \"Ваня\""});
  EXPECT_EQ(first["n"], Strings{"Иванов; Иван, \"Ваня\""});
  EXPECT_EQ(first["tel"], (Strings{"+79161234567", "0049301234"}));
  EXPECT_EQ(first["email"], (Strings{"почта@пример.рф", "a@b.c"}));
  EXPECT_EQ(first["note"], Strings{"строка\nвторая; с, запятыми\\"});
  EXPECT_EQ(first["org"], Strings{"ООО \"Рога; Копыта\""});
  EXPECT_EQ(first["adr"], Strings{"ул. Ленина, 1; кв. 2"});
  EXPECT_EQ(first["url"], Strings{"http://пример.рф/a%2Cb"});
  EXPECT_EQ(first["bday"], Strings{});
  EXPECT_EQ((*read)[1]["bday"], Strings{"1980-03-05"});
  EXPECT_EQ((*read)[3]["tel"], Strings{"123"});
  for (std::size_t k = 0; k < cards.size(); ++k)
    EXPECT_EQ("UID:" + (*read)[k]["uid"][0].get<std::string>(), cards[k].back()) << k;
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
  // Days no calendar has, which calendar programs refuse or move.
  for (const std::string_view day :
       {"29.02.1985", "31.04.2012", "31.06.2012", "29.02.1900", "00.01.2020", "01.01.0000",
        "01.02.2020 10:30:60", "01.02.2020 10:60"})
    entry("7", CalendarKind::kNote, day, "no such day", "");
  // Equal rows stay two events; a title of several lines is summed up by its first.
  entry("8", CalendarKind::kEvent, "29.02.2000", "twice", "");
  entry("8", CalendarKind::kEvent, "29.02.2000", "twice", "");
  entry("9", CalendarKind::kNote, "31.12.2012 23:59:59", "\r\nfirst\r\nsecond", "text");

  const auto message = saveDocument(doc, {}, {dir.file("days"), 7});
  EXPECT_EQ(message, std::string(kRowsLeftOut) + "11");
  const std::string text = test::readFile(dir.file("days.ics"));
  const std::vector<std::string> lines = unfolded(text);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], "BEGIN:VCALENDAR");
  EXPECT_EQ(lines[1], "VERSION:2.0");
  EXPECT_EQ(lines[2], "PRODID:-//Kestrel//Kestrel 1.6//RU");
  EXPECT_EQ(lines.back(), "END:VCALENDAR");

  const std::vector<Event> events = eventsOf(lines);
  ASSERT_EQ(events.size(), 6u);
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
  EXPECT_EQ(events[3].at("DTSTART;VALUE=DATE"), "20000229");
  EXPECT_EQ(events[4].at("SUMMARY"), "twice");
  EXPECT_EQ(events[5].at("DTSTART"), "20121231T235959");
  EXPECT_EQ(events[5].at("SUMMARY"), "first");
  EXPECT_EQ(unescapedText(events[5].at("DESCRIPTION")), "\nfirst\nsecond\ntext");
  std::set<std::string> uids;
  for (const Event& e : events) {
    EXPECT_TRUE(std::regex_match(e.at("UID"), std::regex("[0-9a-f]{32}@kestrel")));
    EXPECT_TRUE(std::regex_match(e.at("DTSTAMP"), std::regex("[0-9]{8}T[0-9]{6}Z")));
    uids.insert(e.at("UID"));
  }
  EXPECT_EQ(uids.size(), events.size()) << "every event has an identifier of its own";

  // The same rows give the same identifiers again.
  ASSERT_TRUE(saveDocument(doc, {}, {dir.file("again.ics"), 7}));
  const std::vector<Event> again = eventsOf(unfolded(test::readFile(dir.file("again.ics"))));
  for (std::size_t k = 0; k < events.size(); ++k)
    EXPECT_EQ(again[k].at("UID"), events[k].at("UID"));

  // A calendar program takes every event, with its day, summary, text and rule.
  const auto read = readBack("calendar", dir.file("days.ics"));
  if (!read) GTEST_SKIP() << "python3-icalendar is not installed";
  ASSERT_EQ(read->size(), events.size());
  const std::vector<std::array<std::string, 4>> expected = {
      {"1980-03-05", "Анна", "", "FREQ=YEARLY"},
      {"2020-02-01T10:30:00", "Заметка", "line\nnext", ""},
      {"2024-02-29T23:59:58", toUtf8(longTitle), "", ""},
      {"2000-02-29", "twice", "", ""},
      {"2000-02-29", "twice", "", ""},
      {"2012-12-31T23:59:59", "first", "\nfirst\nsecond\ntext", ""}};
  for (std::size_t k = 0; k < expected.size(); ++k) {
    const nlohmann::json& e = (*read)[k];
    EXPECT_EQ((std::array<std::string, 4>{e["start"], e["summary"], e["description"], e["rrule"]}),
              expected[k])
        << "event " << k + 1;
    EXPECT_EQ("UID:" + e["uid"].get<std::string>(), "UID:" + events[k].at("UID"));
  }
}

TEST_F(Interchange, ACalendarWithNoDatedRowWritesNoFile) {
  doc.calendar.clear();
  test::addTableRow(doc.calendar, "1", {"", "", "no date", ""});
  test::addTableRow(doc.calendar, "2", {"30.02.2020", "", "no such day", ""});
  const std::string kept = dir.write("kept.ics", "an earlier file");
  for (const std::string& name : {dir.file("none"), kept}) {
    try {
      saveDocument(doc, {}, {name, 7});
      ADD_FAILURE() << name << " was written";
    } catch (const NothingWritten& e) {
      EXPECT_EQ(e.what(), kNoDatedRows);
    }
  }
  EXPECT_FALSE(std::filesystem::exists(dir.file("none.ics")));
  EXPECT_EQ(test::readFile(kept), "an earlier file");
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
  // The calendar is chosen and has rows: its overview comes ahead of the tables.
  EXPECT_EQ(page.headings, (std::vector<std::string>{"Исходные файлы", "Информация", "Обзор",
                                                     "Записная книжка", "Календарь"}));
  ASSERT_EQ(page.tables.size(), 4u);
  const std::string bytes = test::readFile(source);
  struct stat info {};
  ASSERT_EQ(::stat(source.c_str(), &info), 0);
  const std::string readAt = localTimeText(doc.sourceDigests.at(0).taken);
  EXPECT_EQ(page.tables[0].at(0),
            (std::vector<std::string>{"Файл", "Размер, байт", "Изменён", "SHA-256", "MD5",
                                      "Прочитан", "Сейчас"}));
  EXPECT_EQ(
      page.tables[0].at(1),
      (std::vector<std::string>{source, std::to_string(bytes.size()), localTimeText(info.st_mtime),
                                sha256Hex(bytes), md5Hex(bytes), readAt, "не изменился"}));

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

  // The digests describe the bytes the tables were read from, whatever became of the file.
  const std::string changed = bytes + "\r\n";
  dir.write("demo.pm", changed);
  ASSERT_FALSE(saveDocument(doc, {}, {dir.file("changed"), 8}));
  const std::vector<std::string> afterChange =
      pageOf(test::readFile(dir.file("changed.html"))).tables.at(0).at(1);
  ASSERT_EQ(afterChange.size(), 7u);
  EXPECT_EQ(afterChange[1], std::to_string(bytes.size()));
  EXPECT_EQ(afterChange[3], sha256Hex(bytes));
  EXPECT_EQ(afterChange[4], md5Hex(bytes));
  EXPECT_EQ(afterChange[6],
            "ИЗМЕНЁН после чтения: SHA-256 " + sha256Hex(changed) + ", MD5 " + md5Hex(changed));
  std::filesystem::remove(source);
  ASSERT_FALSE(saveDocument(doc, {}, {dir.file("gone"), 8}));
  const std::vector<std::string> afterRemoval =
      pageOf(test::readFile(dir.file("gone.html"))).tables.at(0).at(1);
  ASSERT_EQ(afterRemoval.size(), 7u);
  EXPECT_EQ(afterRemoval[3], sha256Hex(bytes));
  EXPECT_TRUE(afterRemoval[6].starts_with("недоступен: " + source)) << afterRemoval[6];
}

}  // namespace
}  // namespace kestrel::output
