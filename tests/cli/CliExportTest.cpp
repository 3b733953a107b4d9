#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "CliRun.h"
#include "cli/Cli.h"
#include "support/DemoDump.h"
#include "support/TempDir.h"

namespace kestrel::cli {
namespace {

using Result = test::CliResult;
using test::runCli;

const char* const kCard1 =
    "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8:Анна\r\nTEL;CELL:1\r\nEND:VCARD\r\n";
const char* const kCard2 = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Bob\r\nEND:VCARD\r\n";

TEST(CliVcf, ShowsSeveralFilesAsOneDocument) {
  test::TempDir dir;
  const std::string a = dir.write("a.vcf", kCard1);
  const std::string b = dir.write("b.vcf", kCard2);
  const Result r = runCli({"show", a, b});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto json = nlohmann::json::parse(r.out);
  EXPECT_EQ(json["caption"], a);
  EXPECT_EQ(json["commands"]["save"], true);
  EXPECT_EQ(json["tables"]["phonebook"]["rows"].dump(),
            R"([["1","Анна","1","","","","","","","","","","",""],)"
            R"(["2","Bob","","","","","","","","","","","",""]])");
  EXPECT_EQ(json["tables"]["information"]["rows"].dump(),
            R"([["Name","VCARD"],["Version","3.0"],["",""],["",""]])");
}

TEST(CliExport, WritesTheChosenFormat) {
  test::TempDir dir;
  const std::string a = dir.write("a.vcf", kCard1);
  const std::string b = dir.write("b.vcf", kCard2);
  Result r = runCli({"export", "--format", "2", "--sections", "p", "--to", dir.file("out"), a, b});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(
      test::readFile(dir.file("out.csv")),
      "N \xEF/\xEF;\xD4\xC8\xCE;\xCD\xEE\xEC\xE5\xF0\xE0\r\n1;\xC0\xED\xED\xE0;1\r\n2;Bob;\r\n");
  r = runCli({"export", "--format", "4", "--to", dir.file("cards"), a, b});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(test::readFile(dir.file("cards/2.vcf")),
            "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=8BIT:Bob\r\nEND:VCARD\r\n");
}

TEST(CliExport, DirectoryWarningIsPrintedAndIsNoError) {
  test::TempDir dir;
  const std::string a = dir.write("a.vcf", kCard1);
  const Result r = runCli({"export", "--format", "5", "--to", dir.path().string(), a});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "Ошибка при создании директории\n");
}

TEST(CliExport, WriteFailureExitsWithOne) {
  test::TempDir dir;
  const std::string a = dir.write("a.vcf", kCard1);
  const Result r = runCli({"export", "--format", "1", "--to", a + "/report", a});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(a + "/report.txt"), std::string::npos) << r.err;
}

// A calendar with no dated row makes no iCalendar file: a save that wrote nothing fails.
TEST(CliExport, ACalendarWithoutDatesWritesNothingAndExitsWithOne) {
  test::TempDir dir;
  const std::string cards = dir.write("a.vcf", kCard1);
  const Result r = runCli({"export", "--format", "7", "--to", dir.file("days"), cards});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "kestrel-cli: В календаре нет записей с датой: файл не создан\n");
  EXPECT_FALSE(std::filesystem::exists(dir.file("days.ics")));
}

// What the window would not offer, the command line does not do either: a dump that could not
// be read gives no empty report.
TEST(CliExport, NothingIsSavedWhenSaveIsDisabled) {
  test::TempDir dir;
  const std::string bad = dir.write("bad.pm", "[9]\r\n1=ABC\r\n");
  for (const std::string& file : {bad, dir.file("gone.pm"), dir.file("gone.vcf")}) {
    const Result r =
        runCli({"export", "--format", "2", "--sections", "p", "--to", dir.file("out"), file});
    EXPECT_EQ(r.status, 1) << file;
    EXPECT_NE(r.err.find("kestrel-cli: nothing saved: \"Сохранить\" is disabled for this "
                         "document\n"),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.csv"))) << file;
  }
}

// An export never replaces the file the document was read from, under any of its names.
TEST(CliExport, TheDumpItselfIsNeverReplaced) {
  test::TempDir dir;
  const std::string dump = dir.write("dump.txt", test::demoPmText());
  std::filesystem::create_symlink(dump, dir.file("link.txt"));
  for (const std::string& to : {dir.file("dump"), dir.file("link")}) {
    const Result r =
        runCli({"export", "--kind", "pm", "--format", "1", "--sections", "p", "--to", to, dump});
    EXPECT_EQ(r.status, 1) << to;
    EXPECT_NE(r.err.find("это файл, из которого прочитан документ"), std::string::npos) << r.err;
    EXPECT_EQ(test::readFile(dump), test::demoPmText()) << to;
  }
}

// The workbook the desktop program would show is saved where asked; a dump that could not be
// read gives none.
TEST(CliSpreadsheet, SavesTheWorkbookOrNothing) {
  test::TempDir dir;
  const std::string dump = dir.write("demo.pm", test::demoPmText());
  const Result r = runCli({"spreadsheet", "--to", dir.file("book.xlsx"), dump});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(test::readFile(dir.file("book.xlsx")).substr(0, 2), "PK");
  const std::string bad = dir.write("bad.pm", "[9]\r\n1=ABC\r\n");
  const Result refused = runCli({"spreadsheet", "--to", dir.file("none.xlsx"), bad});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("\"Экспорт в Excel\" is disabled"), std::string::npos) << refused.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("none.xlsx")));
  const Result unwritable =
      runCli({"spreadsheet", "--to", dir.file("no/such/folder/book.xlsx"), dump});
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_NE(unwritable.err.find("book.xlsx"), std::string::npos) << unwritable.err;
}

// The report printed to a PDF reads back as the report's text.
TEST(CliPrint, WritesTheReportAsAPdf) {
  test::TempDir dir;
  const std::string dump = dir.write("demo.pm", test::demoPmText());
  const std::string pdf = dir.file("report.pdf");
  const Result r = runCli({"print", "--sections", "pck", "--to", pdf, dump});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string command = "pdftotext -layout '" + pdf + "' '" + dir.file("report.txt") + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << "pdftotext (poppler-utils) is needed: " << command;
  const std::string text = test::readFile(dir.file("report.txt"));
  for (const char* expected : {"ЗАПИСНАЯ КНИЖКА", "ВЫЗОВЫ", "КАЛЕНДАРЬ", "----------1----------"})
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
}

// The PM writer with the reader's marks; a failed load gives nothing, and the dump itself is
// never replaced.
TEST(CliWritePm, WritesTheMarkedModelOrNothing) {
  test::TempDir dir;
  const std::string dump = dir.write("demo.pm", test::demoPmText());
  const Result r = runCli({"write-pm", "--to", dir.file("copy"), dump});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(test::readFile(dir.file("copy.pm")).substr(0, 5), "[4]\r\n");
  const Result own = runCli({"write-pm", "--to", dir.file("demo"), dump});
  EXPECT_EQ(own.status, 1);
  EXPECT_EQ(test::readFile(dump), test::demoPmText());
  const std::string bad = dir.write("bad.pm", "[9]\r\n1=ABC\r\n");
  const Result refused = runCli({"write-pm", "--to", dir.file("none"), bad});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("\"Сохранение PM\" is disabled"), std::string::npos) << refused.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("none.pm")));
}

// A NAME that ends with the ending already, letter case aside, gets no second one; an existing
// file is replaced without a question.
TEST(CliExport, AddsAMissingEndingOnlyAndReplacesWithoutAsking) {
  test::TempDir dir;
  const std::string dump = dir.write("demo.pm", test::demoPmText());
  const std::vector<std::vector<std::string>> runs = {
      {"write-pm", "--to", dir.file("copy.PM"), dump},
      {"export", "--format", "1", "--sections", "p", "--to", dir.file("rep.txt"), dump},
      {"export", "--format", "2", "--sections", "p", "--to", dir.file("rep"), dump}};
  for (const auto& args : runs) {
    for (int round = 0; round < 2; ++round) {
      const Result r = runCli(args);
      EXPECT_EQ(r.status, 0) << r.err;
      EXPECT_EQ(r.err, "");
    }
  }
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    names.insert(entry.path().filename().string());
  EXPECT_EQ(names, (std::set<std::string>{"demo.pm", "copy.PM", "rep.txt", "rep.csv"}));
}

TEST(CliExport, UsageErrors) {
  test::TempDir dir;
  const std::string a = dir.write("a.vcf", kCard1);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"export", "--to", dir.file("x"), a},
        {"export", "--format", "9", "--to", dir.file("x"), a},
        {"export", "--format", "x", "--to", dir.file("x"), a},
        {"export", "--format", "0", "--to", dir.file("x"), a},
        {"export", "--format", "01", "--to", dir.file("x"), a},
        {"export", "--format", "+1", "--to", dir.file("x"), a},
        {"export", "--format", "", "--to", dir.file("x"), a},
        {"export", "--format", "1", "--sections", "pq", "--to", dir.file("x"), a},
        {"export", "--format", "1", a}}) {
    EXPECT_EQ(runCli(args).status, 2) << args[2];
  }
  EXPECT_TRUE(runCli({"export", "--format", "9", "--to", dir.file("x"), a})
                  .err.starts_with("kestrel-cli: --format must be 1 to 8\nusage: "));
  EXPECT_TRUE(std::filesystem::exists(a));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
}

}  // namespace
}  // namespace kestrel::cli
