#include <gtest/gtest.h>

#include "core/Cp1251.h"
#include "open/OpenDocument.h"
#include "support/DemoDump.h"
#include "support/TempDir.h"

namespace kestrel::pm {
namespace {

const std::string kDemoPath = KESTREL_SOURCE_DIR "/samples/demo.pm";

TEST(DemoDump, CommittedFileMatchesItsGenerator) {
  EXPECT_EQ(test::readFile(kDemoPath), test::demoPmText())
      << "regenerate with: cmake --build build/default --target make-samples && "
         "build/default/samples/make-samples";
}

std::vector<std::string> column(const ResultTable& t, std::size_t c) {
  std::vector<std::string> out;
  for (std::size_t r = 0; r < t.rowCount(); ++r)
    out.push_back(toUtf8(t.cell(r, c)));
  return out;
}

TEST(DemoDump, ShowsContactsCallsNotesAndBirthdays) {
  Document doc;
  ASSERT_TRUE(openDocument(doc, FileKind::Pm, {kDemoPath}));
  EXPECT_TRUE(doc.saveEnabled());
  EXPECT_EQ(column(doc.phonebook, kPbName),
            (std::vector<std::string>{"Иванов Иван ", "Петрова Анна ", "John Smith ",
                                      "Сидоров Петр ", "Баланс "}));
  EXPECT_EQ(column(doc.phonebook, kPbNumbers),
            (std::vector<std::string>{"+79161234567 84951234567 ", "+79031234567 ",
                                      "+447700900123 ", "89267654321 ", "*100# "}));
  EXPECT_EQ(column(doc.phonebook, kPbGroup),
            (std::vector<std::string>{"Семья", "Работа", "Друзья", "Друзья", ""}));
  EXPECT_EQ(toUtf8(doc.phonebook.cell(3, kPbAddress)), "Москва, ул. Ленина, 1");
  EXPECT_EQ(
      column(doc.calls, kCallStatus),
      (std::vector<std::string>{"Исходящие", "Исходящие", "Пропущеные", "Входящие", "Входящие"}));
  EXPECT_EQ(toUtf8(doc.calls.cell(3, kCallDate)), "18.03.2012 20:01:09 ");
  EXPECT_EQ(column(doc.calendar, kCalKind),
            (std::vector<std::string>{"Заметка", "День рождения", "Заметка", "День рождения"}));
  EXPECT_EQ(column(doc.calendar, kCalDate),
            (std::vector<std::string>{"08.03.2012", "12.04.1975", "21.05.2012", "30.09.1982"}));
  EXPECT_EQ(toUtf8(doc.calendar.cell(2, kCalTitle)), "Meeting at 15:00");
  // No contact has a formal name or a PTT address: those columns stay hidden.
  std::vector<int> widths;
  for (const auto& c : doc.phonebook.columns())
    widths.push_back(c.width);
  EXPECT_EQ(widths, (std::vector<int>{50, 100, 100, 100, 50, 50, 50, 50, 50, 50, 0, 50, 0, 50}));
}

}  // namespace
}  // namespace kestrel::pm
