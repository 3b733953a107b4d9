// What the writers produce for a small document, byte for byte, against the files in golden/.
// KESTREL_UPDATE_GOLDEN=1 rewrites those files from the current output (review the diff).

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/Cp1251.h"
#include "core/Document.h"
#include "export/SaveCommand.h"
#include "support/PhonebookRows.h"
#include "support/TempDir.h"

namespace kestrel::output {
namespace {

using test::addPhonebookRow;
using test::addTableRow;

// Three contacts (a full one, one with more numbers and e-mails than slots and characters that
// need CSV quoting, one with only its caption), two calls, and a calendar of one row (which the
// text and CSV formats leave out).
void fillSample(Document& doc) {
  addPhonebookRow(doc, {{kPbName, "Иванов Иван"_cp},
                        {kPbNumbers, "+79161234567 84951234567 "},
                        {kPbCompany, "ООО \"Ромашка\""_cp},
                        {kPbAddress, "Москва, ул. Ленина, 1"_cp},
                        {kPbGroup, "Друзья"_cp},
                        {kPbEmail, " ivan@example.ru ivanov@work.ru"},
                        {kPbBirthday, "05.03.1980"},
                        {kPbNotes, "Первая строка\r\nВторая = строка"_cp},
                        {kPbNickname, "Ваня"_cp},
                        {kPbFormalName, "Иван Петрович Иванов"_cp},
                        {kPbJobTitle, "Инженер"_cp},
                        {kPbPttAddress, "ptt:ivan"},
                        {kPbWebSite, "http://ivanov.ru"}});
  addPhonebookRow(doc, {{kPbName, "Doe; John"},
                        {kPbNumbers, "1 2  3 4 5 6"},
                        {kPbEmail, "a@x.com b@x.com c@x.com d@x.com"},
                        {kPbBirthday, "31.12"},
                        {kPbWebSite, "сайт.рф"_cp}});
  addPhonebookRow(doc, {});
  // The company and the group stay in the report but are hidden from CSV.
  doc.phonebook.setColumnWidth(kPbCompany, 0);
  doc.phonebook.setColumnWidth(kPbGroup, 0);

  for (std::size_t c = 1; c < doc.calls.columnCount(); ++c)
    doc.calls.setColumnWidth(c, 100);
  addTableRow(doc.calls, "1",
              {"Исходящий"_cp, "+79161234567", "Иванов Иван"_cp, "01.02.2009 10:11"});
  addTableRow(doc.calls, "2", {"Пропущенный"_cp, "84951234567", "", "02.02.2009 12:00"});

  addTableRow(doc.calendar, "1", {"08.03.2009", "Memo", "Праздник"_cp, "Купить цветы"_cp});
}

std::string goldenPath(const std::string& name) {
  return std::string(KESTREL_SOURCE_DIR) + "/tests/export/golden/" + name;
}

void expectGolden(const std::string& actualFile, const std::string& name) {
  const std::string actual = test::readFile(actualFile);
  if (std::getenv("KESTREL_UPDATE_GOLDEN") != nullptr) {
    std::filesystem::create_directories(std::filesystem::path(goldenPath(name)).parent_path());
    std::ofstream(goldenPath(name), std::ios::binary) << actual;
  }
  EXPECT_EQ(actual, test::readFile(goldenPath(name))) << name;
}

TEST(Golden, TextReport) {
  Document doc;
  fillSample(doc);
  test::TempDir dir;
  EXPECT_FALSE(saveDocument(doc, {true, true, true}, {dir.file("report"), 1}));
  expectGolden(dir.file("report.txt"), "report.txt");
}

TEST(Golden, CsvWithSemicolonAndComma) {
  Document doc;
  fillSample(doc);
  test::TempDir dir;
  EXPECT_FALSE(saveDocument(doc, {true, true, true}, {dir.file("semicolon"), 2}));
  EXPECT_FALSE(saveDocument(doc, {true, true, true}, {dir.file("comma"), 3}));
  expectGolden(dir.file("semicolon.csv"), "semicolon.csv");
  expectGolden(dir.file("comma.csv"), "comma.csv");
}

TEST(Golden, VcardCardsInBothCharsets) {
  Document doc;
  fillSample(doc);
  test::TempDir dir;
  // The section boxes do not apply to cards.
  EXPECT_FALSE(saveDocument(doc, {}, {dir.file("utf8"), 4}));
  EXPECT_FALSE(saveDocument(doc, {}, {dir.file("cp1251"), 5}));
  for (const std::string folder : {"utf8", "cp1251"}) {
    for (const std::string card : {"1.vcf", "2.vcf", "3.vcf"})
      expectGolden(dir.file(folder + "/" + card), folder + "/" + card);
    EXPECT_FALSE(std::filesystem::exists(dir.file(folder + "/4.vcf")));
  }
}

}  // namespace
}  // namespace kestrel::output
