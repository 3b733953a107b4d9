#include "export/VcardWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Cp1251.h"
#include "core/Document.h"
#include "support/PhonebookRows.h"

namespace kestrel::output {
namespace {

using Lines = std::vector<std::string>;

// The card's lines between VERSION and END.
Lines body(const ResultTable::Row& row, VcardCharset charset = VcardCharset::Utf8) {
  Lines lines = vcardLines(row, charset);
  EXPECT_GE(lines.size(), 3u);
  EXPECT_EQ(lines.front(), "BEGIN:VCARD");
  EXPECT_EQ(lines[1], "VERSION:2.1");
  EXPECT_EQ(lines.back(), "END:VCARD");
  return Lines(lines.begin() + 2, lines.end() - 1);
}

struct SlotCase {
  const char* name;
  int column;
  std::string cell;
  Lines expected;
};

class Slots : public testing::TestWithParam<SlotCase> {};

TEST_P(Slots, PiecesTakeTheirPlaceInCellOrder) {
  Document doc;
  const auto& row = test::addPhonebookRow(doc, {{GetParam().column, GetParam().cell}});
  EXPECT_EQ(body(row), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Slots,
    testing::Values(
        SlotCase{"OneNumber", kPbNumbers, "111", {"TEL;WORK;VOICE:111"}},
        SlotCase{"TwoNumbers", kPbNumbers, "111 222", {"TEL;WORK;VOICE:111", "TEL;WORK;VOICE:222"}},
        SlotCase{"FiveNumbersWorkWorkHomeHomeCell",
                 kPbNumbers,
                 "1 2 3 4 5",
                 {"TEL;WORK;VOICE:1", "TEL;WORK;VOICE:2", "TEL;HOME;VOICE:3", "TEL;HOME;VOICE:4",
                  "TEL;CELL;VOICE:5"}},
        SlotCase{"DoubleSpaceLeavesSlotTwoEmpty",
                 kPbNumbers,
                 "111  222",
                 {"TEL;WORK;VOICE:111", "TEL;HOME;VOICE:222"}},
        SlotCase{"TrailingSpaceAddsNoLine",
                 kPbNumbers,
                 "111 222 ",
                 {"TEL;WORK;VOICE:111", "TEL;WORK;VOICE:222"}},
        SlotCase{"OnlySpacesAddNoLine", kPbNumbers, "   ", {}},
        SlotCase{"NumbersBeyondTheSlotsAreKept",
                 kPbNumbers,
                 "1 2 3 4 5 6  8",
                 {"TEL;WORK;VOICE:1", "TEL;WORK;VOICE:2", "TEL;HOME;VOICE:3", "TEL;HOME;VOICE:4",
                  "TEL;CELL;VOICE:5", "TEL;VOICE:6", "TEL;VOICE:8"}},
        SlotCase{"FirstEmailIsPreferred",
                 kPbEmail,
                 "a@x b@x c@x",
                 {"EMAIL;PREF;INTERNET:a@x", "EMAIL;INTERNET:b@x", "EMAIL;INTERNET:c@x"}},
        SlotCase{"LeadingSpaceLeavesPreferredSlotEmpty",
                 kPbEmail,
                 " a@x b@x",
                 {"EMAIL;INTERNET:a@x", "EMAIL;INTERNET:b@x"}},
        SlotCase{"EmailsBeyondTheSlotsAreKept",
                 kPbEmail,
                 "a@x b@x c@x d@x",
                 {"EMAIL;PREF;INTERNET:a@x", "EMAIL;INTERNET:b@x", "EMAIL;INTERNET:c@x",
                  "EMAIL;INTERNET:d@x"}},
        SlotCase{"CyrillicEmailIsNotConverted",
                 kPbEmail,
                 std::string("почта@я.рф"_cp),
                 {"EMAIL;PREF;INTERNET:" + std::string("почта@я.рф"_cp)}}),
    [](const auto& info) { return std::string(info.param.name); });

struct BirthdayCase {
  const char* name;
  std::string cell;
  std::string expected;
};

class Birthday : public testing::TestWithParam<BirthdayCase> {};

TEST_P(Birthday, IsWrittenYearMonthDay) {
  Document doc;
  const auto& row = test::addPhonebookRow(doc, {{kPbBirthday, GetParam().cell}});
  EXPECT_EQ(body(row), Lines{"BDAY:" + GetParam().expected});
}

INSTANTIATE_TEST_SUITE_P(Rules, Birthday,
                         testing::Values(BirthdayCase{"FullDate", "05.03.1980", "19800305"},
                                         BirthdayCase{"DateAndTime", "05.03.1980 12:30",
                                                      "19800305"},
                                         BirthdayCase{"DayAndMonth", "05.03", "0305"},
                                         BirthdayCase{"ShortYear", "05.03.80", "800305"},
                                         BirthdayCase{"OneCharacter", "5", "5"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(VcardWriter, EachCardHoldsOnlyItsOwnRowsPieces) {
  Document doc;
  test::addPhonebookRow(doc, {{kPbNumbers, "1 2 3"}});
  const auto& second = test::addPhonebookRow(doc, {{kPbNumbers, "9"}});
  EXPECT_EQ(body(second), Lines{"TEL;WORK;VOICE:9"});
}

TEST(VcardWriter, OnlyTheTextsAreConvertedToUtf8) {
  Document doc;
  const std::string word(std::string("Тест"_cp));
  const auto& row =
      test::addPhonebookRow(doc, {{kPbName, word}, {kPbWebSite, word}, {kPbNotes, word}});
  const std::string utf8 = "\xD0\xA2\xD0\xB5\xD1\x81\xD1\x82";
  EXPECT_EQ(body(row), (Lines{"N;CHARSET=UTF-8;ENCODING=8BIT:" + utf8, "NOTE;CHARSET=UTF-8:" + utf8,
                              "URL;WORK:" + word}));
  EXPECT_EQ(body(row, VcardCharset::Cp1251),
            (Lines{"N;CHARSET=windows-1251;ENCODING=8BIT:" + word,
                   "NOTE;CHARSET=windows-1251:" + word, "URL;WORK:" + word}));
}

struct LineBreakCase {
  const char* name;
  int column;
  std::string cell;
  VcardCharset charset;
  Lines expected;
};

class LineBreaks : public testing::TestWithParam<LineBreakCase> {};

// A raw line break would end the property line in the middle of its value.
TEST_P(LineBreaks, MakeTheValueQuotedPrintable) {
  Document doc;
  const auto& row = test::addPhonebookRow(doc, {{GetParam().column, GetParam().cell}});
  EXPECT_EQ(body(row, GetParam().charset), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, LineBreaks,
    testing::Values(
        LineBreakCase{"NoteInUtf8",
                      kPbNotes,
                      std::string("a=b\r\nЯ"_cp),
                      VcardCharset::Utf8,
                      {"NOTE;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:a=3Db=0D=0A=D0=AF"}},
        LineBreakCase{"NoteIn1251",
                      kPbNotes,
                      std::string("a\nЯ"_cp),
                      VcardCharset::Cp1251,
                      {"NOTE;CHARSET=windows-1251;ENCODING=QUOTED-PRINTABLE:a=0A=DF"}},
        LineBreakCase{"NameReplaces8Bit",
                      kPbName,
                      "Doe\rJohn",
                      VcardCharset::Utf8,
                      {"N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Doe=0DJohn"}},
        LineBreakCase{"AddressKeepsItsLeadingComponents",
                      kPbAddress,
                      "1 Main St\r\nTown",
                      VcardCharset::Cp1251,
                      {"ADR;CHARSET=windows-1251;ENCODING=QUOTED-PRINTABLE:;;1 Main St=0D=0ATown"}},
        LineBreakCase{"NumberPiece",
                      kPbNumbers,
                      "1\n2 3",
                      VcardCharset::Utf8,
                      {"TEL;WORK;VOICE;ENCODING=QUOTED-PRINTABLE:1=0A2", "TEL;WORK;VOICE:3"}},
        LineBreakCase{"WebSite",
                      kPbWebSite,
                      "a\nb",
                      VcardCharset::Utf8,
                      {"URL;WORK;ENCODING=QUOTED-PRINTABLE:a=0Ab"}},
        LineBreakCase{"EqualsSignAloneStaysAsItIs",
                      kPbNotes,
                      "a=b",
                      VcardCharset::Utf8,
                      {"NOTE;CHARSET=UTF-8:a=b"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrel::output
