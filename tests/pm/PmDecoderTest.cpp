#include "readers/pm/PmDecoder.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "core/Cp1251.h"
#include "core/Errors.h"
#include "core/Kinds.h"
#include "readers/pm/PmLoader.h"
#include "support/LoadedPm.h"
#include "support/PhoneRecords.h"
#include "support/PmBuilder.h"
#include "support/TempDir.h"

namespace kestrel::pm {
namespace {

using namespace test::phone;
using Blocks = std::vector<std::pair<int, std::vector<Bytes>>>;

std::unique_ptr<Document> modelOf(const Blocks& blocks) {
  auto doc = std::make_unique<Document>();
  for (const auto& [number, records] : blocks) {
    const std::size_t g = doc->model.addBlock(number, true);
    for (std::size_t i = 0; i < records.size(); ++i)
      doc->model.addRecord(g, static_cast<int>(i), true, records[i]);
  }
  return doc;
}

std::unique_ptr<Document> decode(const Blocks& blocks) {
  auto doc = modelOf(blocks);
  decodeContents(*doc);
  return doc;
}

// A cell as UTF-8, for readable expectations.
std::string cell(const ResultTable& t, std::size_t r, std::size_t c) {
  return toUtf8(t.cell(r, c));
}

std::vector<int> widths(const ResultTable& t) {
  std::vector<int> out;
  for (const auto& c : t.columns())
    out.push_back(c.width);
  return out;
}

TEST(PmPhonebook, WorkedExampleInBothByteOrders) {
  const Bytes little{0x02, 0x06, 0x00, 0x07, 0x00, 0x49, 0x00, 0x76, 0x00, 0x61,
                     0x00, 0x04, 0x00, 0x0B, 0x00, 0x81, 0x04, 0xF1, 0x23};
  Bytes big = little;
  std::copy_n(Bytes{0x00, 0x49, 0x00, 0x76, 0x00, 0x61}.begin(), 6, big.begin() + 5);
  const auto doc = decode({{58, {little, big}}});
  const ResultTable& t = doc->phonebook;
  ASSERT_EQ(t.rowCount(), 2u);
  for (std::size_t r = 0; r < 2; ++r) {
    EXPECT_EQ(cell(t, r, 0), std::to_string(r));
    EXPECT_EQ(cell(t, r, kPbName), "Iva ");
    EXPECT_EQ(cell(t, r, kPbNumbers), "+123 ");
    EXPECT_EQ(t.row(r).subItemCount(), 13u);
  }
  EXPECT_EQ(widths(t), (std::vector<int>{50, 100, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(doc->calendar.rowCount() + doc->calls.rowCount(), 0u);
}

struct PhonebookCase {
  const char* name;
  std::vector<Bytes> fields;
  int column;
  std::string expected;  // UTF-8
  int width;
};

TEST(PmPhonebook, EachTagFillsItsColumn) {
  const std::vector<PhonebookCase> cases = {
      {"names go in front",
       {field(7, text(u"Petrov")), field(70, text(u"Ivan"))},
       kPbName,
       "Ivan Petrov ",
       100},
      {"tag 71 is a name too", {field(71, text(u"Иванов Иван"))}, kPbName, "Иванов Иван ", 100},
      {"name in big-endian order",
       {field(7, textBigEndian(u"Петрова Анна"))},
       kPbName,
       "Петрова Анна ",
       100},
      {"numbers go behind",
       {field(11, number("+79161234567")), field(11, number("4952223344"))},
       kPbNumbers,
       "+79161234567 4952223344 ",
       100},
      {"length in the second byte",
       {fieldLengthInSecondByte(11, number("*100#"))},
       kPbNumbers,
       "*100# ",
       100},
      {"company is replaced",
       {field(85, text(u"ООО Ромашка")), field(85, text(u"Acme"))},
       kPbCompany,
       "Acme",
       100},
      {"address skips four bytes",
       {field(74, Bytes{1, 2, 3, 4} + text(u"Москва"))},
       kPbAddress,
       "Москва",
       50},
      {"address shorter than four bytes", {field(74, Bytes{1, 2})}, kPbAddress, "", 50},
      {"e-mails are preceded by a space",
       {field(8, text(u"ivan@mail.ru")), field(8, text(u"ivan@work.ru"))},
       kPbEmail,
       " ivan@mail.ru ivan@work.ru",
       50},
      {"birthday", {field(87, birthday(1985, 3, 7))}, kPbBirthday, "07.03.1985", 50},
      {"birthday in December", {field(87, birthday(2001, 12, 31))}, kPbBirthday, "31.12.2001", 50},
      {"notes", {field(10, text(u"Код")), field(10, text(u"1234"))}, kPbNotes, "Код 1234 ", 50},
      {"nickname", {field(86, text(u"Ваня"))}, kPbNickname, "Ваня ", 50},
      {"formal name", {field(82, text(u"Mr"))}, kPbFormalName, "Mr ", 50},
      {"job title", {field(84, text(u"Инженер"))}, kPbJobTitle, "Инженер ", 50},
      {"PTT address", {field(63, text(u"ptt:ivan"))}, kPbPttAddress, "ptt:ivan ", 50},
      {"web site", {field(44, text(u"kestrel.example"))}, kPbWebSite, "kestrel.example ", 50},
      {"text with yo", {field(7, text(u"Алёна"))}, kPbName, "Алена ", 100},
  };
  for (const PhonebookCase& c : cases) {
    const auto doc = decode({{58, {fieldList(c.fields)}}});
    const ResultTable& t = doc->phonebook;
    ASSERT_EQ(t.rowCount(), 1u) << c.name;
    EXPECT_EQ(cell(t, 0, static_cast<std::size_t>(c.column)), c.expected) << c.name;
    std::vector<int> expectedWidths(14, 0);
    expectedWidths[0] = 50;
    expectedWidths[static_cast<std::size_t>(c.column)] = c.width;
    EXPECT_EQ(widths(t), expectedWidths) << c.name;
  }
}

TEST(PmPhonebook, RecordsWithoutKnownFieldsGiveEmptyRows) {
  const auto doc =
      decode({{58, {fieldList({}), fieldList({field(99, text(u"x")), field(0, Bytes{})})}}});
  ASSERT_EQ(doc->phonebook.rowCount(), 2u);
  for (std::size_t c = 1; c < 14; ++c) {
    EXPECT_EQ(doc->phonebook.cell(1, c), "");
    EXPECT_EQ(doc->phonebook.columnWidth(c), 0);
  }
}

TEST(PmPhonebook, GroupNamesAreNumberedAcrossRecordsAndBlocks) {
  const Bytes contact = fieldList({field(7, text(u"Анна")), field(67, Bytes{3})});
  const auto doc = decode({
      {314,
       {fieldList({field(7, groupName(text(u"Семья"))), field(9, Bytes{1, 2}),
                   field(7, groupName(text(u"Work")))})}},
      {58, {contact, fieldList({field(67, Bytes{1})})}},
      {314, {fieldList({field(7, groupName(Bytes{'V', 'I', 'P', ' ', 0, 0, 0, 0}))})}},
  });
  ASSERT_EQ(doc->phonebook.rowCount(), 2u);
  // The group block after the phonebook still provides its names; single-byte names are read
  // too.
  EXPECT_EQ(cell(doc->phonebook, 0, kPbGroup), "VIP");
  EXPECT_EQ(cell(doc->phonebook, 1, kPbGroup), "Семья");
  EXPECT_EQ(doc->phonebook.columnWidth(kPbGroup), 50);
}

TEST(PmPhonebook, GroupFieldsWithoutGroupNamesLeaveTheColumnHidden) {
  for (const Blocks& blocks : {Blocks{{58, {fieldList({field(67, Bytes{1})})}}},
                               Blocks{{314, {fieldList({field(8, text(u"x"))})}},
                                      {58, {fieldList({field(67, Bytes{5})})}}}}) {
    const auto doc = decode(blocks);
    EXPECT_EQ(doc->phonebook.cell(0, kPbGroup), "");
    EXPECT_EQ(doc->phonebook.columnWidth(kPbGroup), 0);
  }
}

TEST(PmPhonebook, UnknownGroupNumberFailsKeepingEarlierRows) {
  for (const std::uint8_t group : {0, 2}) {
    auto doc = modelOf({{314, {fieldList({field(7, groupName(text(u"Друзья")))})}},
                        {58,
                         {fieldList({field(67, Bytes{1})}),
                          fieldList({field(7, text(u"Bad")), field(67, Bytes{group})})}}});
    EXPECT_THROW(decodeContents(*doc), FormatError) << int(group);
    ASSERT_EQ(doc->phonebook.rowCount(), 2u);
    EXPECT_EQ(cell(doc->phonebook, 0, kPbGroup), "Друзья");
    EXPECT_EQ(cell(doc->phonebook, 1, kPbName), "Bad ");
  }
}

struct CallCase {
  const char* name;
  int block;
  std::vector<Bytes> fields;
  std::vector<std::string> cells;  // status, number, name, date (UTF-8)
};

TEST(PmCalls, EachTagFillsItsColumn) {
  const std::vector<CallCase> cases = {
      {"outgoing",
       59,
       {field(11, number("+79161234567")), field(7, text(u"Петров"))},
       {"Исходящие", "+79161234567 ", "Петров ", ""}},
      {"missed", 60, {field(11, number("112"))}, {"Пропущеные", "112 ", "", ""}},
      {"incoming",
       61,
       {field(70, text(u"Ivan")), field(71, text(u"Sidorov"))},
       {"", "", "Sidorov Ivan ", ""}},
      {"date little-endian year",
       59,
       {field(19, callTime(2009, 5, 1, 8, 3, 9))},
       {"", "", "", "01.05.2009 08:03:09 "}},
      {"date high byte first",
       61,
       {field(19, callTime(2009, 11, 30, 23, 59, 0, true))},
       {"", "", "", "30.11.2009 23:59:00 "}},
      {"two dates",
       60,
       {field(19, callTime(2011, 1, 2, 3, 4, 5)), field(19, callTime(2011, 1, 2, 3, 5, 6))},
       {"", "", "", "02.01.2011 03:04:05 02.01.2011 03:05:06 "}},
      {"two numbers",
       61,
       {field(11, number("123")), field(11, number("456"))},
       {"Входящие", "123 456 ", "", ""}},
      {"year with a small high byte read little-endian",
       59,
       {field(19, Bytes{0x08, 0x07, 1, 1, 0, 0, 0})},
       {"", "", "", "01.01.1800 00:00:00 "}},
      {"year with a high byte of 9 read the other way",
       59,
       {field(19, Bytes{0x07, 0x09, 1, 1, 0, 0, 0})},
       {"", "", "", "01.01.1801 00:00:00 "}},
      {"phonebook-only tags are skipped",
       59,
       {field(8, text(u"a@b")), field(87, Bytes{1, 2})},
       {"", "", "", ""}},
  };
  // The block tells the status, also of a call whose status cell stays empty.
  const std::map<int, CallStatus> statusOfBlock = {
      {59, CallStatus::kOutgoing}, {60, CallStatus::kMissed}, {61, CallStatus::kIncoming}};
  for (const CallCase& c : cases) {
    const auto doc = decode({{c.block, {fieldList(c.fields)}}});
    const ResultTable& t = doc->calls;
    ASSERT_EQ(t.rowCount(), 1u) << c.name;
    EXPECT_EQ(t.row(0).kindAs<CallStatus>(), statusOfBlock.at(c.block)) << c.name;
    for (std::size_t k = 0; k < 4; ++k) {
      EXPECT_EQ(cell(t, 0, k + 1), c.cells[k]) << c.name << " column " << k + 1;
      const int width = c.cells[k].empty() ? 0 : std::vector<int>{50, 130, 200, 100}[k];
      EXPECT_EQ(t.columnWidth(k + 1), width) << c.name << " column " << k + 1;
    }
  }
}

TEST(PmCalls, RowsFollowBlockOrderAndNumberRestarts) {
  const auto doc =
      decode({{61, {fieldList({field(11, number("1"))})}},
              {59, {fieldList({field(11, number("2"))}), fieldList({field(11, number("3"))})}}});
  const ResultTable& t = doc->calls;
  ASSERT_EQ(t.rowCount(), 3u);
  EXPECT_EQ(cell(t, 0, 0) + cell(t, 1, 0) + cell(t, 2, 0), "001");
  EXPECT_EQ(cell(t, 0, 1), "Входящие");
  EXPECT_EQ(cell(t, 2, 1) + cell(t, 2, 2), "Исходящие3 ");
}

struct CalendarCase {
  const char* name;
  CalendarEntry entry;
  std::string date, kind, title;  // UTF-8
};

TEST(PmCalendar, DatesKindsAndTitles) {
  const CalendarCase cases[] = {
      {"note",
       {.year = 2010, .month = 3, .day = 8, .title = u"Купить цветы"},
       "08.03.2010",
       "Заметка",
       "Купить цветы"},
      {"birthday with its birth year",
       {.year = 2011, .month = 6, .day = 12, .note = false, .birthYear = 1978, .title = u"Аня"},
       "12.06.1978",
       "День рождения",
       "Аня"},
      {"date of 01.01.1980 is empty", {.year = 1980, .title = u"x"}, "", "Заметка", "x"},
      {"birthday on 01.01.1980 shows the birth year alone",
       {.year = 1980, .note = false, .birthYear = 1990, .title = u""},
       "1990",
       "День рождения",
       ""},
      {"big-endian years",
       {.year = 2010,
        .month = 2,
        .day = 3,
        .note = false,
        .birthYear = 1961,
        .bigEndianYears = true,
        .title = u"Big"},
       "03.02.1961",
       "День рождения",
       "Big"},
      {"later parts 4 bytes later",
       {.year = 2012, .month = 12, .day = 1, .shifted = true, .title = u"Встреча"},
       "01.12.2012",
       "Заметка",
       "Встреча"},
      {"title after 8 x K bytes",
       {.year = 2012, .skip = 3, .title = u"Skip"},
       "01.01.2012",
       "Заметка",
       "Skip"},
      {"K is the sum of two bytes",
       {.year = 2012, .shifted = true, .skip = 300, .title = u"Far"},
       "01.01.2012",
       "Заметка",
       "Far"},
      {"year 3000 is little-endian", {.year = 3000, .title = u""}, "01.01.3000", "Заметка", ""},
      {"year 1680 is little-endian", {.year = 1680, .title = u""}, "01.01.1680", "Заметка", ""},
  };
  for (const CalendarCase& c : cases) {
    const auto doc = decode({{51, {calendarRecord(c.entry)}}});
    const ResultTable& t = doc->calendar;
    ASSERT_EQ(t.rowCount(), 1u) << c.name;
    EXPECT_EQ(cell(t, 0, 0), "0") << c.name;
    EXPECT_EQ(cell(t, 0, kCalDate), c.date) << c.name;
    EXPECT_EQ(cell(t, 0, kCalKind), c.kind) << c.name;
    EXPECT_NE(t.row(0).kindAs<CalendarKind>(), CalendarKind::kNone) << c.name;
    EXPECT_EQ(toUtf8(calendarKindText(t.row(0).kindAs<CalendarKind>())), c.kind) << c.name;
    EXPECT_EQ(cell(t, 0, kCalTitle), c.title) << c.name;
    EXPECT_EQ(t.row(0).subItemCount(), 4u) << c.name;
    EXPECT_EQ(cell(t, 0, kCalText), "") << c.name;
  }
}

TEST(PmCalendar, BigEndianYearIsRecognisedByItsLittleEndianValue) {
  Bytes record = calendarRecord({.year = 2000, .month = 5, .day = 9, .title = u"T"});
  record[4] = 0x07;  // 07 DA: 55815 read little-endian, so 2010
  record[5] = 0xDA;
  const auto doc = decode({{51, {record}}});
  EXPECT_EQ(cell(doc->calendar, 0, kCalDate), "09.05.2010");
}

std::unique_ptr<test::LoadedPm> load(const std::string& text) {
  return test::loadPmText(text);
}

TEST(PmContents, ZeroLengthRecordInAUserDataBlockFailsTheLoad) {
  for (const int block : {58, 59, 60, 61, 51, 314}) {
    const auto l = load(test::PmBuilder()
                            .block(block == 59 ? 60 : 59)
                            .record(0, fieldList({field(11, number("+7"))}))
                            .block(block)
                            .record(0, fieldList({}))
                            .line("1=")
                            .text());
    EXPECT_FALSE(l->ok) << block;
    EXPECT_EQ(l->messages, std::vector<std::string>{std::string("Неверный формат файла"_cp)})
        << block;
    EXPECT_FALSE(l->doc.saveEnabled() || l->doc.savePmEnabled()) << block;
    if (block == 314) {
      // Group names are collected before any row is made.
      EXPECT_EQ(l->doc.calls.rowCount(), 0u);
      continue;
    }
    ASSERT_GE(l->doc.calls.rowCount(), 1u) << block;
    EXPECT_EQ(cell(l->doc.calls, 0, kCallPhone), "+7 ") << block;
  }
  // Outside those blocks a record of no bytes is fine.
  const auto l = load(test::PmBuilder().block(58).record(0, {0}).block(52).line("0=").text());
  EXPECT_TRUE(l->ok);
  EXPECT_TRUE(l->messages.empty());
}

TEST(PmContents, LoadedDumpShowsAllTablesAndEnablesCommands) {
  const auto l =
      load(test::PmBuilder()
               .block(314)
               .record(1, fieldList({field(7, groupName(text(u"Коллеги")))}))
               .block(58)
               .record(1, fieldList({field(7, text(u"Иван")), field(7, text(u"Иванов")),
                                     field(11, number("+79031112233")), field(67, Bytes{1})}))
               .block(60)
               .record(3, fieldList({field(11, number("89031112233")),
                                     field(19, callTime(2012, 4, 5, 6, 7, 8))}))
               .block(51)
               .record(0, calendarRecord({.year = 2012, .month = 4, .day = 1, .title = u"Ok"}))
               .text());
  ASSERT_TRUE(l->ok);
  EXPECT_TRUE(l->messages.empty());
  EXPECT_TRUE(l->doc.saveEnabled() && l->doc.exportToExcelEnabled());
  EXPECT_EQ(cell(l->doc.phonebook, 0, kPbName), "Иванов Иван ");
  EXPECT_EQ(cell(l->doc.phonebook, 0, kPbGroup), "Коллеги");
  EXPECT_EQ(cell(l->doc.calls, 0, kCallStatus), "Пропущеные");
  EXPECT_EQ(cell(l->doc.calls, 0, kCallDate), "05.04.2012 06:07:08 ");
  EXPECT_EQ(cell(l->doc.calendar, 0, kCalTitle), "Ok");
}

struct DamagedCase {
  const char* name;
  int block;
  Bytes record;
  int column;
  std::string expected;  // UTF-8
};

TEST(PmContents, DamagedRecordsYieldWhatLiesInside) {
  const Bytes name = field(7, text(u"Ann"));
  const std::vector<DamagedCase> cases = {
      {"field count larger than the record", 58, Bytes{9} + name, kPbName, "Ann "},
      {"header cut by the end stops the walk", 58, Bytes{2} + name + Bytes{0x04, 0x00, 0x07},
       kPbName, "Ann "},
      {"name reaching past the end is cut", 58, Bytes{1, 0x20, 0x00, 0x07, 0x00} + text(u"Bo"),
       kPbName, "Bo "},
      {"number reaching past the end is cut", 58,
       Bytes{1, 0x30, 0x00, 0x0B, 0x00, 0x81, 0x04, 0xF1, 0x23}, kPbNumbers, "+123 "},
      {"birthday cut after the month", 58, Bytes{1, 4, 0, 87, 0, 0xC1, 0x07, 0x05}, kPbBirthday,
       "00.05.1985"},
      {"address shorter than its skip", 58, Bytes{1, 9, 0, 74, 0, 1, 2}, kPbAddress, ""},
      {"date cut after the day", 59, Bytes{1, 7, 0, 19, 0, 0xDC, 0x07, 0x02, 0x03}, kCallDate,
       "03.02.2012 00:00:00 "},
      {"call name cut inside a character", 61, Bytes{1, 6, 0, 7, 0, 'O', 0, 'k'}, kCallName, "Ok "},
  };
  for (const DamagedCase& c : cases) {
    const auto doc = decode({{c.block, {c.record}}});
    const ResultTable& t = c.block == 58 ? doc->phonebook : doc->calls;
    ASSERT_EQ(t.rowCount(), 1u) << c.name;
    EXPECT_EQ(cell(t, 0, static_cast<std::size_t>(c.column)), c.expected) << c.name;
  }
}

TEST(PmContents, GroupNumberByteBeyondTheRecordIsIgnored) {
  const auto doc = decode(
      {{314, {fieldList({field(7, groupName(text(u"G")))})}}, {58, {Bytes{1, 1, 0, 67, 0}}}});
  EXPECT_EQ(doc->phonebook.cell(0, kPbGroup), "");
  EXPECT_EQ(doc->phonebook.columnWidth(kPbGroup), 0);
}

TEST(PmContents, ShortCalendarRecordsReadAbsentBytesAsZero) {
  // Bytes beyond the record are 0 for numbers and fail every test: no note mark, no shift.
  const auto doc = decode({{51, {Bytes{0, 0, 0, 0, 0xDA, 0x07, 0x03, 0x04}, Bytes{1}}}});
  const ResultTable& t = doc->calendar;
  ASSERT_EQ(t.rowCount(), 2u);
  EXPECT_EQ(cell(t, 0, kCalDate), "04.03.0");
  EXPECT_EQ(cell(t, 0, kCalKind), "День рождения");
  EXPECT_EQ(cell(t, 1, kCalDate), "00.00.0");
  EXPECT_EQ(cell(t, 1, kCalTitle), "");
}

TEST(PmContents, AnyBytesDecodeWithoutReadingOutsideARecord) {
  // Truncations of valid records and random records in every decoded block; the sanitizer build
  // checks that no byte outside a record is read.
  const std::vector<Bytes> valid = {
      fieldList({field(7, text(u"Иван")), field(11, number("+79161234567")),
                 field(87, birthday(1980, 2, 3)), field(74, Bytes{0, 0, 0, 0} + text(u"Tver")),
                 field(67, Bytes{1}), field(19, callTime(2010, 1, 1, 1, 1, 1))}),
      calendarRecord({.year = 2010, .note = false, .birthYear = 1970, .skip = 2, .title = u"T"}),
      fieldList({field(7, groupName(text(u"G")))})};
  std::mt19937 random(1234);
  std::vector<Bytes> records;
  for (const Bytes& r : valid) {
    for (std::size_t n = 1; n <= r.size(); ++n)
      records.emplace_back(r.begin(), r.begin() + static_cast<std::ptrdiff_t>(n));
  }
  for (int i = 0; i < 300; ++i) {
    Bytes r(1 + random() % 80);
    for (auto& b : r)
      b = static_cast<std::uint8_t>(random() % 4 == 0 ? random() % 8 : random());
    records.push_back(std::move(r));
  }
  for (const int block : {58, 59, 60, 61, 51}) {
    auto doc = modelOf({{314, {fieldList({field(7, groupName(text(u"G")))})}}, {block, records}});
    try {
      decodeContents(*doc);
    } catch (const FormatError&) {
      // a random group number without a name
    }
    EXPECT_GE(doc->phonebook.rowCount() + doc->calls.rowCount() + doc->calendar.rowCount(), 1u);
  }
}

}  // namespace
}  // namespace kestrel::pm
