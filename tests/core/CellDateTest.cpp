// The dates of table cells as the overview counts them, and its numbering of days.

#include <gtest/gtest.h>

#include "core/Overview.h"

namespace kestrel {
namespace {

struct DateCase {
  const char* name;
  std::string_view cell;
  // "yyyy-mm-dd hh:mm:ss", "yyyy-mm-dd" without a time, "" for no date.
  std::string_view expected;
};

const DateCase kDateCases[] = {
    {"DumpCallWithTrailingBlank", "15.03.2012 09:30:00 ", "2012-03-15 09:30:00"},
    {"PhoneTimeWithoutSeconds", "14.02.2009 02:32", "2009-02-14 02:32:00"},
    {"DayAlone", "08.03.2012", "2012-03-08"},
    {"BlanksAround", "  08.03.2012  ", "2012-03-08"},
    {"LeapDay", "29.02.2012 23:59:59", "2012-02-29 23:59:59"},
    {"NoLeapDay", "29.02.2011", ""},
    {"CenturyLeapDay", "29.02.2000", "2000-02-29"},
    {"CenturyNoLeapDay", "29.02.1900", ""},
    {"ThirtyFirstOfApril", "31.04.2012", ""},
    {"MonthThirteen", "01.13.2012", ""},
    {"YearZero", "01.01.0000", ""},
    {"DayZero", "00.00.0000 00:00:00", ""},
    {"Midnight24", "01.01.2012 24:00", ""},
    {"Minute60", "01.01.2012 12:60", ""},
    {"Second60", "01.01.2012 12:00:60", ""},
    {"Empty", "", ""},
    {"TwoDigitYear", "01.01.12", ""},
    {"SlashesNotDots", "01/01/2012", ""},
    {"TimeWithoutBlank", "01.01.2012T12:00", ""},
    {"Text", "вчера", ""},
};

std::string written(const std::optional<CellDate>& date) {
  if (!date) return "";
  std::string text = dayText(dayNumberOf(*date));
  if (!date->hasTime) return text;
  char time[16];
  std::snprintf(time, sizeof time, " %02d:%02d:%02d", date->hour, date->minute, date->second);
  return text + time;
}

class CellDateTable : public testing::TestWithParam<DateCase> {};

TEST_P(CellDateTable, ReadsTheCell) {
  const DateCase& c = GetParam();
  EXPECT_EQ(written(cellDateOf(c.cell)), c.expected) << c.cell;
}

INSTANTIATE_TEST_SUITE_P(Cells, CellDateTable, testing::ValuesIn(kDateCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Every day from 1899 to 2101 numbers one after the other, writes itself back and falls on the
// weekday after the one before it; 1970-01-01 is day 0, a Thursday.
TEST(DayNumbers, CountEveryDayOnce) {
  std::int32_t previous = 0;
  bool first = true;
  for (int year = 1899; year <= 2101; ++year) {
    for (int month = 1; month <= 12; ++month) {
      for (int day = 1; day <= 31; ++day) {
        char cell[16];
        std::snprintf(cell, sizeof cell, "%02d.%02d.%04d", day, month, year);
        const auto date = cellDateOf(cell);
        if (!date) continue;
        const std::int32_t number = dayNumberOf(*date);
        char text[16];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
        ASSERT_EQ(dayText(number), text);
        if (!first) {
          ASSERT_EQ(number, previous + 1) << text;
          ASSERT_EQ(weekdayOf(number), (weekdayOf(previous) + 1) % 7) << text;
        }
        previous = number;
        first = false;
      }
    }
  }
  EXPECT_EQ(dayNumberOf(*cellDateOf("01.01.1970")), 0);
  EXPECT_EQ(weekdayOf(0), 3);
  EXPECT_EQ(weekdayOf(dayNumberOf(*cellDateOf("15.03.2012"))), 3);  // a Thursday
  EXPECT_EQ(weekdayOf(dayNumberOf(*cellDateOf("31.12.1899"))), 6);  // a Sunday
}

}  // namespace
}  // namespace kestrel
