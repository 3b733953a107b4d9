#include "export/SaveCommand.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/Cp1251.h"
#include "core/Errors.h"
#include "export/CsvWriter.h"
#include "export/ReportLines.h"
#include "export/VcardWriter.h"
#include "support/PhonebookRows.h"
#include "support/TempDir.h"

namespace kestrel::output {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

Lines lines(std::initializer_list<std::string_view> texts) {
  return Lines(texts.begin(), texts.end());
}

void addContacts(Document& doc, int count) {
  for (int i = 0; i < count; ++i)
    test::addPhonebookRow(doc, {{kPbName, "n" + std::to_string(i + 1)}});
}

void addCalls(Document& doc, int count) {
  for (int i = 0; i < count; ++i)
    test::addTableRow(doc.calls, std::to_string(i + 1), {"s", "123", "", ""});
}

// Answers the dialogs as a user would, and records what the command asked.
class Answers : public SaveCommandUi {
 public:
  std::optional<TableChoice> choice;
  std::optional<SaveTarget> target;
  bool targetAsked = false;
  std::vector<std::string> warnings;

  std::optional<TableChoice> askTableChoice() override { return choice; }
  std::optional<SaveTarget> askTarget() override {
    targetAsked = true;
    return target;
  }
  void warning(std::string_view text) override { warnings.emplace_back(text); }
  bool confirmReplace(const std::string&) override { return true; }
};

TEST(ReportLines, NeedsTwoRowsAndTheSectionsBox) {
  Document doc;
  addContacts(doc, 1);
  addCalls(doc, 2);
  EXPECT_EQ(reportLines(doc, {true, false, false}), Lines{});
  const Lines calls = reportLines(doc, {true, true, true});
  ASSERT_GE(calls.size(), 3u);
  // Without the phonebook section the report begins with the calls' blank line and title.
  EXPECT_EQ(calls[0], "      ");
  EXPECT_EQ(calls[1], "ВЫЗОВЫ"_cp);
  EXPECT_EQ(calls[2], "----------1----------");
  EXPECT_EQ(reportLines(doc, {true, false, true}), Lines{});
}

TEST(ReportLines, NumbersRowsByPositionAndSkipsOnlyEmptyCells) {
  Document doc;
  test::addPhonebookRow(doc, {{kPbName, " "}});
  doc.phonebook.row(0).setCaption("77");
  test::addPhonebookRow(doc, {{kPbGroup, "g"}});
  doc.phonebook.setColumnWidth(kPbGroup, 0);
  EXPECT_EQ(reportLines(doc, {true, false, false}),
            lines({"ЗАПИСНАЯ КНИЖКА"_cp, "----------1----------", "ФИО:  "_cp,
                   "----------2----------", "Группа: g"_cp}));
}

struct CsvFieldCase {
  const char* name;
  std::string text;
  char separator;
  std::string expected;
};

class CsvFields : public testing::TestWithParam<CsvFieldCase> {};

TEST_P(CsvFields, AreQuotedOnlyWhenTheyWouldBreakTheLine) {
  EXPECT_EQ(csvField(GetParam().text, GetParam().separator), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, CsvFields,
    testing::Values(CsvFieldCase{"Plain", "a b", ';', "a b"}, CsvFieldCase{"Empty", "", ';', ""},
                    CsvFieldCase{"OtherSeparatorStaysBare", "a,b", ';', "a,b"},
                    CsvFieldCase{"Semicolon", "a;b", ';', "\"a;b\""},
                    CsvFieldCase{"Comma", "a,b", ',', "\"a,b\""},
                    CsvFieldCase{"QuotesAreDoubled", "say \"hi\"", ',', "\"say \"\"hi\"\"\""},
                    CsvFieldCase{"LineFeed", "a\nb", ';', "\"a\nb\""},
                    CsvFieldCase{"CarriageReturn", "a\rb", ';', "\"a\rb\""}),
    [](const auto& info) { return std::string(info.param.name); });

class CsvFormulaFields : public testing::TestWithParam<CsvFieldCase> {};

// What a spreadsheet program would run gets an apostrophe; numbers and plain texts never do.
TEST_P(CsvFormulaFields, NeverRunInASpreadsheet) {
  EXPECT_EQ(csvField(GetParam().text, GetParam().separator), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, CsvFormulaFields,
    testing::Values(
        CsvFieldCase{"Equals", "=1+1", ';', "'=1+1"},
        CsvFieldCase{"HyperlinkQuoted", "=HYPERLINK(\"http://x\";\"y\")", ';',
                     "\"'=HYPERLINK(\"\"http://x\"\";\"\"y\"\")\""},
        CsvFieldCase{"At", "@SUM(1+1)*cmd|' /C calc'!A0", ',', "'@SUM(1+1)*cmd|' /C calc'!A0"},
        CsvFieldCase{"PlusFormula", "+1+cmd", ';', "'+1+cmd"},
        CsvFieldCase{"MinusFormula", "-2*A1", ';', "'-2*A1"},
        CsvFieldCase{"MinusLetter", "-x", ';', "'-x"},
        CsvFieldCase{"PlusEquals", "+=1", ';', "'+=1"},
        CsvFieldCase{"LeadingTab", "\t=1", ';', "'\t=1"},
        CsvFieldCase{"LeadingCarriageReturn", "\rx", ';', "\"'\rx\""},
        CsvFieldCase{"MobileNumber", "+79161234567", ';', "+79161234567"},
        CsvFieldCase{"NegativeNumber", "-5", ';', "-5"},
        CsvFieldCase{"DecimalNumber", "-5.25", ',', "-5.25"},
        CsvFieldCase{"WrittenNumber", "+7 (916) 123-45-67", ';', "+7 (916) 123-45-67"},
        CsvFieldCase{"SeveralNumbers", "+79161234567 84951234567 ", ';',
                     "+79161234567 84951234567 "},
        // A second sign would make the spreadsheet add the two numbers up.
        CsvFieldCase{"NumbersToAddUp", "+79161234567 +74951234567", ';',
                     "'+79161234567 +74951234567"},
        CsvFieldCase{"LonePlus", "+", ';', "+"}, CsvFieldCase{"LoneMinus", "-", ';', "-"},
        CsvFieldCase{"Dashes", "---", ';', "---"}, CsvFieldCase{"EqualsInside", "a=b", ';', "a=b"},
        CsvFieldCase{"LeadingSpace", " =1", ';', " =1"},
        CsvFieldCase{"NumberFirst", "8 916 123", ';', "8 916 123"}),
    [](const auto& info) { return std::string(info.param.name); });

// The CSV guards its formulas; the text report shows the same cells as they are.
TEST(CsvWriter, GuardsFormulasWhereTheTextReportKeepsThem) {
  Document doc;
  test::addPhonebookRow(doc, {{kPbName, "=cmd"}, {kPbNumbers, "+79161234567"}});
  test::addPhonebookRow(doc, {{kPbName, "-5"}, {kPbNumbers, "@x"}});
  EXPECT_EQ(csvLines(doc, {true, false, false}, ';'),
            lines({"N п/п;ФИО;Номера"_cp, "1;'=cmd;+79161234567", "2;-5;'@x"}));
  const Lines report = reportLines(doc, {true, false, false});
  EXPECT_NE(std::find(report.begin(), report.end(), "ФИО: =cmd"_cp), report.end());
  EXPECT_NE(std::find(report.begin(), report.end(), "Номера: @x"_cp), report.end());
}

TEST(CsvWriter, TakesShownColumnsOnly) {
  Document doc;
  test::addPhonebookRow(doc, {{kPbName, "A"}, {kPbNumbers, "1"}});
  test::addPhonebookRow(doc, {{kPbName, "B"}});
  test::addTableRow(doc.calendar, "1", {"d", "t", "", "x"});
  test::addTableRow(doc.calendar, "2", {"", "", "", ""});
  EXPECT_EQ(csvLines(doc, {true, false, true}, ';'),
            lines({"N п/п;ФИО;Номера"_cp, "1;A;1", "2;B;", "N п/п;Дата;Тип;Название;Текст"_cp,
                   "1;d;t;;x", "2;;;;"}));
}

struct ExtensionCase {
  const char* name;
  std::string typed;
  int filterIndex;
  std::string written;
};

class Extensions : public testing::TestWithParam<ExtensionCase> {};

TEST_P(Extensions, AreAppendedOnlyToANameThatDoesNotEndWithThem) {
  Document doc;
  test::TempDir dir;
  EXPECT_FALSE(saveDocument(doc, {}, {dir.file(GetParam().typed), GetParam().filterIndex}));
  EXPECT_TRUE(fs::exists(dir.file(GetParam().written)));
  // No box ticked: the file is still made, and it is empty.
  EXPECT_EQ(test::readFile(dir.file(GetParam().written)), "");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

INSTANTIATE_TEST_SUITE_P(Rules, Extensions,
                         testing::Values(ExtensionCase{"Text", "list", 1, "list.txt"},
                                         ExtensionCase{"TextOnce", "list.txt", 1, "list.txt"},
                                         ExtensionCase{"OtherCase", "LIST.TXT", 1, "LIST.TXT"},
                                         ExtensionCase{"OtherEnding", "list.csv", 1,
                                                       "list.csv.txt"},
                                         ExtensionCase{"Semicolon", "list", 2, "list.csv"},
                                         ExtensionCase{"Comma", "list.csv", 3, "list.csv"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SaveCommand, FilterIndexOutsideTheListDoesNothing) {
  Document doc;
  addContacts(doc, 2);
  test::TempDir dir;
  for (const int index : {0, 9, -1}) {
    EXPECT_FALSE(saveDocument(doc, {true, true, true}, {dir.file("x"), index}));
  }
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(SaveCommand, VcardDirectoryGetsOneCardPerRow) {
  Document doc;
  addContacts(doc, 1);
  test::TempDir dir;
  EXPECT_FALSE(saveDocument(doc, {}, {dir.file("cards.vcf"), 4}));
  EXPECT_EQ(test::readFile(dir.file("cards.vcf/1.vcf")),
            "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=8BIT:n1\r\nEND:VCARD\r\n");
}

TEST(SaveCommand, ExistingDirectoryIsWarnedAboutAndLeftAlone) {
  Document doc;
  addContacts(doc, 2);
  test::TempDir dir;
  EXPECT_FALSE(saveDocument(doc, {}, {dir.file("cards"), 5}));
  fs::remove(dir.file("cards/2.vcf"));
  EXPECT_EQ(saveDocument(doc, {}, {dir.file("cards"), 5}), std::string(kDirectoryWarning));
  EXPECT_FALSE(fs::exists(dir.file("cards/2.vcf")));
}

TEST(SaveCommand, DirectoryThatCannotBeMadeIsWarnedAbout) {
  Document doc;
  addContacts(doc, 1);
  test::TempDir dir;
  dir.write("plain", "x");
  EXPECT_EQ(saveDocument(doc, {}, {dir.file("plain/cards"), 4}), std::string(kDirectoryWarning));
  EXPECT_EQ(saveDocument(doc, {}, {dir.file("missing/cards"), 4}), std::string(kDirectoryWarning));
}

TEST(SaveCommand, EmptyPhonebookWritesNoCardsAndMakesNoDirectory) {
  Document doc;
  test::TempDir dir;
  EXPECT_FALSE(saveDocument(doc, {true, true, true}, {dir.file("cards"), 4}));
  EXPECT_FALSE(fs::exists(dir.file("cards")));
}

TEST(SaveCommand, WriteFailureNamesTheFileAndTheReason) {
  Document doc;
  addContacts(doc, 2);
  test::TempDir dir;
  dir.write("plain", "x");
  const std::string target = dir.file("plain/list");
  try {
    saveDocument(doc, {true, false, false}, {target, 2});
    FAIL() << "no error";
  } catch (const IoError& e) {
    EXPECT_EQ(e.fileName(), target + ".csv");
    EXPECT_EQ(e.reason(), "Not a directory");
  }
}

TEST(SaveCommand, StopsWhenADialogIsNotConfirmed) {
  Document doc;
  addContacts(doc, 2);
  test::TempDir dir;
  Answers noSections;
  noSections.target = SaveTarget{dir.file("list"), 1};
  runSave(doc, noSections);
  EXPECT_FALSE(noSections.targetAsked);

  Answers cancelled;
  cancelled.choice = TableChoice{true, true, true};
  runSave(doc, cancelled);
  EXPECT_TRUE(cancelled.targetAsked);
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(SaveCommand, RunsTheChosenFormatAndShowsTheDirectoryWarning) {
  Document doc;
  addContacts(doc, 2);
  test::TempDir dir;
  Answers answers;
  answers.choice = TableChoice{true, false, false};
  answers.target = SaveTarget{dir.file("list"), 1};
  runSave(doc, answers);
  EXPECT_EQ(test::readFile(dir.file("list.txt")),
            std::string("ЗАПИСНАЯ КНИЖКА\r\n----------1----------\r\nФИО: n1\r\n"
                        "----------2----------\r\nФИО: n2\r\n"_cp));
  answers.target = SaveTarget{dir.path().string(), 4};
  runSave(doc, answers);
  EXPECT_EQ(answers.warnings, Lines{std::string(kDirectoryWarning)});
}

}  // namespace
}  // namespace kestrel::output
