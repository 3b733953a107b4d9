// When a call and a contact are the same line: one table of numbers as phones and address
// books write them.

#include <gtest/gtest.h>

#include "core/Cp1251.h"
#include "core/PhoneLines.h"

namespace kestrel {
namespace {

struct LineCase {
  const char* name;
  std::string_view a;
  std::string_view b;
  bool same;
};

const LineCase kLineCases[] = {
    {"PlusSevenAndTrunkEight", "+79161234567", "89161234567", true},
    {"LaidOutAndPlain", "+7 (916) 123-45-67", "9161234567", true},
    {"DotsAndBrackets", "8(916)123.45.67", "+7 916 1234567", true},
    {"DoubleZeroPrefix", "0079161234567", "+79161234567", true},
    {"ForeignDoubleZeroAndPlus", "00 44 20 7946 0958", "+44 20 7946 0958", true},
    {"TenDigitsDifferingInTheFirst", "7916123456", "8916123456", false},
    // Only the last ten digits count: the country code in front of them does not.
    {"SameTenDigitsOtherCountryCode", "+1 916 123 45 67", "+7 916 123 45 67", true},
    {"ElevenDigitsOtherLine", "+79161234567", "+79161234568", false},
    {"LocalSevenDigitsLaidOut", "123-45-67", "1234567", true},
    {"LocalSevenDigitsNotTheLongNumber", "1234567", "+74951234567", false},
    {"LocalAndItsTailOfTen", "4951234567", "1234567", false},
    {"ServiceCodeItself", "*100#", "*100#", true},
    {"ServiceCodeNotItsDigits", "*100#", "100", false},
    {"ShortNumberItself", "900", " 900 ", true},
    {"ShortNumberNotWithPlus", "+900", "900", false},
    {"ShortNumberNotLongerOne", "900", "9000", false},
    {"EmptyMatchesNothing", "", "", false},
    {"BlanksMatchNothing", "  ", " ", false},
    {"TextWithoutDigits", "Мама", "Мама", false},
    {"TextWithDigitsItself", "TELE2 611", "TELE2 611", true},
    {"TextWithDigitsNotItsDigits", "TELE2 611", "2611", false},
    {"LongNumberWithAStarIsText", "*31#+79161234567", "+79161234567", false},
};

class PhoneLineTable : public testing::TestWithParam<LineCase> {};

TEST_P(PhoneLineTable, SameLineBothWays) {
  const LineCase& c = GetParam();
  const std::string a = fromUtf8(c.a).value();
  const std::string b = fromUtf8(c.b).value();
  EXPECT_EQ(isSamePhoneLine(a, b), c.same) << c.a << " | " << c.b;
  EXPECT_EQ(isSamePhoneLine(b, a), c.same);
  EXPECT_EQ(phoneLineKey(a) == phoneLineKey(b) && !phoneLineKey(a).empty(), c.same);
}

INSTANTIATE_TEST_SUITE_P(Numbers, PhoneLineTable, testing::ValuesIn(kLineCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct CellCase {
  const char* name;
  std::string_view cell;
  std::vector<std::string_view> numbers;
};

// The numbers of a phonebook cell as the readers fill it: a phone dump's numbers one after
// another behind blanks, an address book's numbers as their owner wrote them.
const CellCase kCellCases[] = {
    {"Empty", "", {}},
    {"Blanks", "   ", {}},
    {"DumpNumbersWithTrailingBlanks", "89161234567 *100# ", {"89161234567", "*100#"}},
    {"GdfsNumbersWithLeadingBlanks", " 1234567 7654321", {"1234567", "7654321"}},
    {"GroupedRussianNumber", "+7 916 123 45 67", {"+7 916 123 45 67"}},
    {"GroupedTrunkNumberAndAnother",
     "8 (495) 123-45-67 +79161234567",
     {"8 (495) 123-45-67", "+79161234567"}},
    {"GroupedForeignNumberOfTwelveDigits", "+380 44 123 45 67", {"+380 44 123 45 67"}},
    {"ShortNumbersStayApart", "900 611", {"900", "611"}},
    {"GroupedNumberThenShortOne", "8 916 1234567 900", {"8 916 1234567", "900"}},
    {"TextStaysApart", "TELE2 611 900", {"TELE2", "611", "900"}},
    {"TwoGroupedNumbersTheSecondWithItsTrunk",
     "+7 916 123-45-67 8 (495) 123-45-67",
     {"+7 916 123-45-67", "8 (495) 123-45-67"}},
    {"TwoGroupedFreephoneNumbers",
     "8 800 555 35 35 8 800 200 00 00",
     {"8 800 555 35 35", "8 800 200 00 00"}},
    {"GroupedForeignNumberThenAWholeOne",
     "+380 44 123 45 67 4951234567",
     {"+380 44 123 45 67", "4951234567"}},
};

class PhonebookCellTable : public testing::TestWithParam<CellCase> {};

TEST_P(PhonebookCellTable, SplitsIntoNumbers) {
  const CellCase& c = GetParam();
  EXPECT_EQ(phonebookNumbers(c.cell), c.numbers);
  EXPECT_EQ(firstNumberOf(c.cell), c.numbers.empty() ? std::string_view() : c.numbers.front());
}

INSTANTIATE_TEST_SUITE_P(Cells, PhonebookCellTable, testing::ValuesIn(kCellCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrel
