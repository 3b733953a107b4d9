#include "export/XlsxSpreadsheet.h"

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unzip.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/Columns.h"
#include "core/Cp1251.h"
#include "core/Errors.h"
#include "export/SpreadsheetExport.h"
#include "support/DemoDump.h"
#include "support/LoadedPm.h"
#include "support/PhonebookRows.h"
#include "support/TempDir.h"

namespace kestrel::output {
namespace {

namespace fs = std::filesystem;
using Cells = std::map<std::string, std::string>;  // "B2" → UTF-8 text

// One part of a zip file, or nothing when the file has no such part.
std::optional<std::string> readPart(const std::string& zipPath, const std::string& part) {
  unzFile zip = unzOpen64(zipPath.c_str());
  if (!zip) throw std::runtime_error("not a zip file: " + zipPath);
  std::optional<std::string> text;
  if (unzLocateFile(zip, part.c_str(), 1) == UNZ_OK && unzOpenCurrentFile(zip) == UNZ_OK) {
    text.emplace();
    char buffer[4096];
    int n = 0;
    while ((n = unzReadCurrentFile(zip, buffer, sizeof buffer)) > 0)
      text->append(buffer, static_cast<std::size_t>(n));
    unzCloseCurrentFile(zip);
  }
  unzClose(zip);
  return text;
}

std::string unescapeXml(std::string s) {
  static const std::pair<std::string, std::string> kEntities[] = {
      {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}};
  for (const auto& [entity, ch] : kEntities) {
    for (std::size_t at = 0; (at = s.find(entity, at)) != std::string::npos; at += ch.size())
      s.replace(at, entity.size(), ch);
  }
  return s;
}

std::vector<std::string> allMatches(const std::string& text, const std::regex& re, int group) {
  std::vector<std::string> out;
  for (std::sregex_iterator it(text.begin(), text.end(), re), end; it != end; ++it)
    out.push_back(unescapeXml((*it)[group].str()));
  return out;
}

// The escapes "_xHHHH_" of characters, read from left to right as a spreadsheet reader does;
// those of ASCII characters are enough here.
std::string unescapeCharacters(const std::string& text) {
  static const std::regex escape("_x([0-9A-Fa-f]{4})_");
  std::string out;
  auto from = text.cbegin();
  for (std::sregex_iterator it(text.begin(), text.end(), escape), end; it != end; ++it) {
    out.append(from, (*it)[0].first);
    const unsigned long code = std::stoul((*it)[1].str(), nullptr, 16);
    if (code >= 0x80) throw std::runtime_error("escape outside ASCII: " + (*it)[0].str());
    out += static_cast<char>(code);
    from = (*it)[0].second;
  }
  out.append(from, text.cend());
  return out;
}

// What a spreadsheet reader would see of the file: sheet names in tab order and the cells that
// hold a value. A cell that is neither a shared nor an inline string is shown as
// "number:<value>".
struct ReadBack {
  std::vector<std::string> sheetNames;
  std::vector<Cells> sheets;
  std::string styles;
};

ReadBack readBack(const std::string& path) {
  ReadBack book;
  const auto workbook = readPart(path, "xl/workbook.xml");
  if (!workbook) throw std::runtime_error("no workbook part");
  book.sheetNames = allMatches(*workbook, std::regex(R"re(<sheet name="([^"]*)")re"), 1);

  std::vector<std::string> shared;
  if (const auto sst = readPart(path, "xl/sharedStrings.xml")) {
    // Found without a regular expression, which would recurse once for every character of a
    // long text.
    for (std::size_t si = 0; (si = sst->find("<si>", si)) != std::string::npos;) {
      const std::size_t siEnd = sst->find("</si>", si);
      std::string text;
      for (std::size_t t = si; (t = sst->find("<t", t)) < siEnd;) {
        const std::size_t start = sst->find('>', t) + 1;
        t = sst->find("</t>", start);
        text += unescapeXml(sst->substr(start, t - start));
      }
      shared.push_back(unescapeCharacters(text));
      si = siEnd;
    }
  }
  // Cells are found without a regular expression too: an inline text may be long.
  const std::regex valueRe(R"re(<v>([^<]*)</v>)re");
  for (std::size_t i = 0; i < book.sheetNames.size(); ++i) {
    const auto xml = readPart(path, "xl/worksheets/sheet" + std::to_string(i + 1) + ".xml");
    if (!xml) throw std::runtime_error("missing sheet part");
    Cells cells;
    for (std::size_t c = 0; (c = xml->find("<c r=\"", c)) != std::string::npos;) {
      const std::size_t refStart = c + 6;
      const std::size_t refEnd = xml->find('"', refStart);
      const std::size_t tagEnd = xml->find('>', refEnd);
      const std::string ref = xml->substr(refStart, refEnd - refStart);
      const std::string attributes = xml->substr(refEnd + 1, tagEnd - refEnd - 1);
      std::string body;
      c = tagEnd + 1;
      if (!attributes.ends_with("/")) {
        const std::size_t bodyEnd = xml->find("</c>", c);
        body = xml->substr(c, bodyEnd - c);
        c = bodyEnd + 4;
      }
      std::smatch m;
      if (attributes.find("t=\"s\"") != std::string::npos && std::regex_search(body, m, valueRe)) {
        cells[ref] = shared.at(std::stoul(m[1].str()));
      } else if (attributes.find("t=\"inlineStr\"") != std::string::npos) {
        const std::size_t start = body.find('>', body.find("<t")) + 1;
        cells[ref] =
            unescapeCharacters(unescapeXml(body.substr(start, body.rfind("</t>") - start)));
      } else if (std::regex_search(body, m, valueRe)) {
        cells[ref] = "number:" + m[1].str();
      }
    }
    book.sheets.push_back(std::move(cells));
  }
  book.styles = readPart(path, "xl/styles.xml").value_or("");
  return book;
}

// Points TMPDIR at a folder of the test while it lives.
class TemporaryRootAt {
 public:
  explicit TemporaryRootAt(const fs::path& dir) {
    if (const char* old = std::getenv("TMPDIR")) old_ = old;
    ::setenv("TMPDIR", dir.c_str(), 1);
  }
  ~TemporaryRootAt() {
    if (old_) {
      ::setenv("TMPDIR", old_->c_str(), 1);
    } else {
      ::unsetenv("TMPDIR");
    }
  }

 private:
  std::optional<std::string> old_;
};

// A spreadsheet whose "showing" writes the workbook to `path`.
XlsxSpreadsheet writingTo(const std::string& path) {
  return XlsxSpreadsheet([path](XlsxSpreadsheet& book) {
    book.writeWorkbook(path);
    return true;
  });
}

TEST(XlsxSpreadsheet, DocumentExportReadsBackAsTextCellsInTabOrder) {
  Document doc;
  test::addPhonebookRow(doc, {{kPbName, "Иванов"_cp}, {kPbNumbers, "+7901"}});
  test::addPhonebookRow(doc, {{kPbName, "Петров"_cp}});
  test::addTableRow(doc.calls, "1", {"Исх"_cp, "007", "", ""});
  doc.calls.setColumnWidth(kCallPhone, 130);
  test::addTableRow(doc.calendar, "1", {"01.02.2024", "1", "Обед & <дом>"_cp, "12"});
  test::addTableRow(doc.information, "SMS", {"Есть"_cp});

  test::TempDir dir;
  TemporaryRootAt tmp(dir.path());
  const std::string out = dir.file("out.xlsx");
  XlsxSpreadsheet book = writingTo(out);
  exportToSpreadsheet(doc, book, {}, {});

  const ReadBack back = readBack(out);
  EXPECT_EQ(back.sheetNames,
            (std::vector<std::string>{"Информация", "Зап. Книжка", "Вызовы", "Календарь"}));
  ASSERT_EQ(back.sheets.size(), 4u);
  EXPECT_EQ(back.sheets[0],
            (Cells{{"A1", "Name"}, {"B1", "Value"}, {"A2", "SMS"}, {"B2", "Есть"}}));
  EXPECT_EQ(back.sheets[1], (Cells{{"A1", "N п/п"},
                                   {"B1", "ФИО"},
                                   {"C1", "Номера"},
                                   {"A2", "1"},
                                   {"B2", "Иванов"},
                                   {"C2", "+7901"},
                                   {"A3", "2"},
                                   {"B3", "Петров"}}));
  EXPECT_EQ(back.sheets[2], (Cells{{"A1", "N п/п"}, {"B1", "Номер"}, {"A2", "1"}, {"B2", "007"}}));
  EXPECT_EQ(back.sheets[3].size(), 10u);
  EXPECT_EQ(back.sheets[3].at("D2"), "Обед & <дом>");
  // The built-in text format, centred both ways, so that a value typed in later stays text.
  EXPECT_NE(back.styles.find("numFmtId=\"49\""), std::string::npos);
  EXPECT_NE(back.styles.find("horizontal=\"center\""), std::string::npos);
  EXPECT_NE(back.styles.find("vertical=\"center\""), std::string::npos);
  // Nothing of the private temporary folder stays behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(XlsxSpreadsheet, LoadedDumpRoundTripsEveryShownCell) {
  const auto loaded = test::loadPmText(test::demoPmText());
  ASSERT_TRUE(loaded->ok);
  Document& doc = loaded->doc;
  const std::string out = loaded->dir.file("demo.xlsx");
  XlsxSpreadsheet book = writingTo(out);
  exportToSpreadsheet(doc, book, {}, {});
  const ReadBack back = readBack(out);

  std::vector<std::string> expectedNames;
  std::vector<Cells> expectedSheets;
  for (const ResultTable* table : doc.shownTables()) {
    if (table->rowCount() == 0) continue;
    expectedNames.push_back(toUtf8(table->hint()));
    Cells cells;
    const auto put = [&](std::size_t column, std::size_t row, std::string_view text) {
      if (!text.empty())
        cells[std::string(1, static_cast<char>('A' + column - 1)) + std::to_string(row)] =
            toUtf8(text);
    };
    std::size_t shown = 0;
    for (std::size_t c = 0; c < table->columnCount(); ++c) {
      if (table->columnWidth(c) > 0) put(++shown, 1, table->columnCaption(c));
    }
    for (std::size_t r = 0; r < table->rowCount(); ++r) {
      put(1, r + 2, table->row(r).caption());
      shown = 1;
      for (std::size_t c = 1; c < table->columnCount(); ++c) {
        if (table->columnWidth(c) > 0) put(++shown, r + 2, table->row(r).cell(c));
      }
    }
    expectedSheets.push_back(std::move(cells));
  }
  ASSERT_GE(expectedNames.size(), 3u);
  EXPECT_EQ(back.sheetNames, expectedNames);
  EXPECT_EQ(back.sheets, expectedSheets);
}

TEST(XlsxSpreadsheet, TextsReadBackAsWrittenLongOnesCutAndLongTablesGoOn) {
  // Seven characters that a reader takes for an "A" unless they are escaped, repeated to the
  // length of a cell: escaped, the text would no longer fit and keeps the start that does.
  std::string escapes;
  while (escapes.size() + 7 <= kCellTextLength)
    escapes += "_x0041_";
  const std::vector<std::string> names = {"_x0041_BC",
                                          "_x0041_x0042_",
                                          "a\x01"
                                          "b_x005F_",
                                          "_X0041_ _x004_ _x00G1_",
                                          std::string(kCellTextLength + 1, "я"_cp[0]),
                                          escapes,
                                          "r7"};
  Document doc;
  std::vector<std::string> told;
  for (const std::string& name : names)
    test::addPhonebookRow(doc, {{kPbName, name}});

  test::TempDir dir;
  TemporaryRootAt tmp(dir.path());
  const std::string out = dir.file("out.xlsx");
  XlsxSpreadsheet book = writingTo(out);
  // The header and three rows on a sheet.
  exportToSpreadsheet(
      doc, book, {}, [&](std::string_view text) { told.emplace_back(text); }, 4);

  const ReadBack back = readBack(out);
  EXPECT_EQ(back.sheetNames,
            (std::vector<std::string>{"Зап. Книжка", "Зап. Книжка (2)", "Зап. Книжка (3)"}));
  ASSERT_EQ(back.sheets.size(), 3u);
  std::vector<std::string> read;
  for (const Cells& sheet : back.sheets) {
    EXPECT_EQ(sheet.at("B1"), "ФИО");
    for (std::size_t row = 2; sheet.contains("B" + std::to_string(row)); ++row)
      read.push_back(sheet.at("B" + std::to_string(row)));
  }
  ASSERT_EQ(read.size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i == 4) {
      EXPECT_EQ(read[i], toUtf8(names[i].substr(0, kCellTextLength)));
    } else if (i == 5) {
      EXPECT_TRUE(names[i].starts_with(read[i]));
      EXPECT_GT(read[i].size(), kCellTextLength / 2);
    } else {
      EXPECT_EQ(read[i], names[i]) << i;
    }
  }
  EXPECT_EQ(told,
            std::vector<std::string>{std::string(kTextsCut).append("«Зап. Книжка», строка 5"_cp)});
}

TEST(XlsxSpreadsheet, RefusesWhatTheApplicationRefuses) {
  XlsxSpreadsheet app;
  const auto first = std::string(kFirstSheetName);
  using Names = std::vector<std::string>;

  // Nothing before the application and its workbook.
  EXPECT_FALSE(app.addWorkbook());
  EXPECT_FALSE(app.showApplication(false));
  ASSERT_TRUE(app.startApplication());
  EXPECT_FALSE(app.addNamedSheet("A"));
  EXPECT_FALSE(app.setCellText(first, "A1", "x"));
  EXPECT_FALSE(app.selectSheet(first));
  EXPECT_FALSE(app.deleteSheet(first));
  EXPECT_THROW(app.writeWorkbook("/nonexistent/x.xlsx"), IoError);

  ASSERT_TRUE(app.addWorkbook());
  EXPECT_EQ(app.sheetNames(), Names{first});
  // The only sheet stays.
  EXPECT_FALSE(app.deleteSheet(first));
  EXPECT_EQ(app.sheetNames(), Names{first});

  // Unknown sheets, references and values.
  EXPECT_FALSE(app.setCellText("Нет"_cp, "A1", "x"));
  EXPECT_FALSE(app.setColumnsFormat("Нет"_cp, "A:B", "@"));
  EXPECT_FALSE(app.selectSheet("Нет"_cp));
  EXPECT_FALSE(app.deleteSheet("Нет"_cp));
  for (const char* cell : {"A0", "1A", "XFE1", "A1048577", "A1:B2", "", "AAAA1", "A01"})
    EXPECT_FALSE(app.setCellText(first, cell, "x")) << cell;
  for (const char* cell : {"XFD1048576", "a1", "$B$2"})
    EXPECT_TRUE(app.setCellText(first, cell, "x")) << cell;
  EXPECT_FALSE(app.setColumnsFormat(first, "A1", "@"));
  EXPECT_FALSE(app.setColumnsFormat(first, "A:", "@"));
  EXPECT_FALSE(app.setColumnsHorizontalAlignment(first, "A:B", 12345));
  EXPECT_FALSE(app.setColumnsVerticalAlignment(first, "A:B", kAlignLeft));
  EXPECT_TRUE(app.setColumnsVerticalAlignment(first, "B:A", kAlignCentre));
  EXPECT_FALSE(app.setCellText(first, "A1", std::string(32768, 'x')));
  // Sheet names match in any letter case.
  EXPECT_TRUE(app.setCellText("лИСТ1"_cp, "A1", "x"));

  // A refused name leaves the new sheet, in front of the active one, under its own name.
  EXPECT_FALSE(app.addNamedSheet("лист1"_cp));
  EXPECT_FALSE(app.addNamedSheet("a/b"));
  EXPECT_FALSE(app.addNamedSheet(std::string(32, 'n')));
  EXPECT_FALSE(app.addNamedSheet("'x"));
  EXPECT_FALSE(app.addNamedSheet("history"));
  EXPECT_TRUE(app.addNamedSheet(std::string(31, 'n')));
  EXPECT_EQ(app.sheetNames(), (Names{std::string(31, 'n'), std::string("Лист6"_cp),
                                     std::string("Лист5"_cp), std::string("Лист4"_cp),
                                     std::string("Лист3"_cp), std::string("Лист2"_cp), first}));
  EXPECT_EQ(app.activeSheetName(), std::string(31, 'n'));

  // Deleting the active sheet activates the one that takes its place.
  EXPECT_TRUE(app.selectSheet("Лист3"_cp));
  EXPECT_TRUE(app.deleteSheet("Лист3"_cp));
  EXPECT_EQ(app.activeSheetName(), "Лист2"_cp);
  EXPECT_TRUE(app.selectSheet(first));
  EXPECT_TRUE(app.deleteSheet(first));
  EXPECT_EQ(app.activeSheetName(), "Лист2"_cp);

  // A new application forgets the workbook.
  ASSERT_TRUE(app.startApplication());
  EXPECT_EQ(app.sheetNames(), Names{});
  EXPECT_FALSE(app.setCellText("Лист2"_cp, "A1", "x"));
}

// Cells set in any order, set again or emptied read back as the last setting of each left them,
// in a workbook in order and in one out of order alike.
TEST(XlsxSpreadsheet, CellsSetAgainOrEmptiedKeepTheirLastSetting) {
  test::TempDir dir;
  struct Step {
    const char* cell;
    const char* text;
  };
  const std::vector<std::vector<Step>> scripts = {
      {{"A1", "a"}, {"B1", "b"}, {"A2", "c"}, {"C2", ""}},
      {{"B2", "1"}, {"A1", "2"}, {"B2", "3"}, {"A3", "4"}, {"A1", ""}, {"C1", "5"}, {"A3", "6"}},
      {{"A1", "x"}, {"A1", ""}, {"A1", "y"}, {"A1", "z"}, {"B1", "w"}, {"B1", ""}},
  };
  for (std::size_t k = 0; k < scripts.size(); ++k) {
    const std::string path = (dir.path() / ("cells" + std::to_string(k) + ".xlsx")).string();
    XlsxSpreadsheet app;
    ASSERT_TRUE(app.startApplication() && app.addWorkbook());
    Cells expected;
    for (const Step& step : scripts[k]) {
      ASSERT_TRUE(app.setCellText(kFirstSheetName, step.cell, step.text));
      if (*step.text == '\0') {
        expected.erase(step.cell);
      } else {
        expected[step.cell] = step.text;
      }
    }
    app.writeWorkbook(path);
    EXPECT_EQ(readBack(path).sheets.at(0), expected) << k;
  }
}

TEST(XlsxSpreadsheet, ShowingAndWritingFailWithoutLeavingFilesBehind) {
  test::TempDir dir;
  TemporaryRootAt tmp(dir.path());
  const auto started = [](XlsxSpreadsheet& app) {
    app.startApplication();
    app.addWorkbook();
    app.setCellText(kFirstSheetName, "A1", "007");
  };

  XlsxSpreadsheet noHandler;
  started(noHandler);
  EXPECT_FALSE(noHandler.showApplication(true));
  EXPECT_TRUE(noHandler.showApplication(false));
  XlsxSpreadsheet refusing([](XlsxSpreadsheet&) { return false; });
  started(refusing);
  EXPECT_FALSE(refusing.showApplication(true));
  XlsxSpreadsheet throwing([](XlsxSpreadsheet& app) {
    app.writeWorkbook("/nonexistent/folder/x.xlsx");
    return true;
  });
  started(throwing);
  EXPECT_FALSE(throwing.showApplication(true));
  EXPECT_TRUE(fs::is_empty(dir.path()));

  // The desktop's way: a new folder under TMPDIR holding "Книга1.xlsx" for each showing; the
  // folders go with the spreadsheet.
  {
    std::string shown;
    XlsxSpreadsheet desktop([&](XlsxSpreadsheet& app) {
      shown = app.writeToNewTemporaryFolder();
      return true;
    });
    started(desktop);
    EXPECT_TRUE(desktop.showApplication(true));
    const fs::path path(shown);
    EXPECT_EQ(path.filename(), "Книга1.xlsx");
    EXPECT_EQ(path.parent_path().parent_path(), dir.path());
    EXPECT_EQ(readBack(shown).sheets.at(0), (Cells{{"A1", "007"}}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(path.parent_path()), fs::directory_iterator()),
              1);
    EXPECT_TRUE(desktop.showApplication(true));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
  }
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

// Under the usual umask of 022 no other user can read the workbook while it is made: nothing in
// TMPDIR has a name but for an instant (xlsxwriter's own scratch files, made private and removed
// at once), and the copy handed to the desktop lies in a folder of 0700 as a file of 0600.
TEST(XlsxSpreadsheet, StagesTheWorkbookWhereOnlyItsUserReadsIt) {
  test::TempDir tmpDir;
  test::TempDir outDir;
  TemporaryRootAt tmp(tmpDir.path());
  const mode_t umask = ::umask(022);
  const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(::inotify_add_watch(watch, tmpDir.path().c_str(), IN_CREATE), 0);

  std::string shown;
  XlsxSpreadsheet app([&](XlsxSpreadsheet& book) {
    book.writeWorkbook(outDir.file("book.xlsx"));
    shown = book.writeToNewTemporaryFolder();
    return true;
  });
  app.startApplication();
  app.addWorkbook();
  app.setCellText(kFirstSheetName, "A1", "private");
  EXPECT_TRUE(app.showApplication(true));
  ::umask(umask);

  // Every folder made in TMPDIR: only the one holding the desktop's copy.
  std::vector<std::string> folders;
  alignas(inotify_event) char events[16384];
  for (ssize_t n; (n = ::read(watch, events, sizeof events)) > 0;) {
    for (ssize_t at = 0; at < n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(events + at);
      if (event->mask & IN_ISDIR) folders.emplace_back(event->name);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  ::close(watch);
  const fs::path copy(shown);
  EXPECT_EQ(folders, std::vector<std::string>{copy.parent_path().filename().string()});
  struct stat st {};
  ASSERT_EQ(::stat(copy.parent_path().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0700u);
  ASSERT_EQ(::stat(shown.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  EXPECT_EQ(readBack(shown).sheets.at(0), (Cells{{"A1", "private"}}));
  EXPECT_EQ(readBack(outDir.file("book.xlsx")).sheets.at(0), (Cells{{"A1", "private"}}));
}

}  // namespace
}  // namespace kestrel::output
