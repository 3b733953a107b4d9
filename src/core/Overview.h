#pragma once
// The overview of a document's call log and calendar: how many calls a day, at which hours,
// with whom, and which numbers the phonebook does not know. The desktop window draws it, the
// HTML report draws it as SVG and kestrel-cli prints it as JSON; all three take it from here.
// It only reads the tables: the call log's name column stays as the dump has it, and the
// contact a call is put to lives here alone.

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/Document.h"
#include "core/Kinds.h"

namespace kestrel {

// A table cell's date: "dd.mm.yyyy", alone or followed by "hh:mm" or "hh:mm:ss" (blanks around
// it allowed). Nothing for an empty cell, another form, or a day no calendar has (31.04, 29.02
// of a common year, year 0, 24:00).
struct CellDate {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
  bool hasTime = false;
  int hour = 0;  // 0..23 when hasTime
  int minute = 0;
  int second = 0;
};
std::optional<CellDate> cellDateOf(std::string_view cell);

// Days since 1970-01-01 (negative before), the overview's key of a day.
std::int32_t dayNumberOf(const CellDate& date);
// The day of a day number, without a time.
CellDate dateOfDayNumber(std::int32_t dayNumber);
// "yyyy-mm-dd" of a day number.
std::string dayText(std::int32_t dayNumber);
// 0 for Monday … 6 for Sunday.
int weekdayOf(std::int32_t dayNumber);

struct CallCounts {
  std::size_t incoming = 0;
  std::size_t outgoing = 0;
  std::size_t missed = 0;
  std::size_t other = 0;  // a call with no status
  std::size_t total() const { return incoming + outgoing + missed + other; }
  void add(CallStatus status);
};

struct CalendarCounts {
  std::size_t birthdays = 0;
  std::size_t notes = 0;
  std::size_t events = 0;
  std::size_t other = 0;
  std::size_t total() const { return birthdays + notes + events + other; }
  void add(CalendarKind kind);
};

// One line the calls went to or came from.
struct NumberSummary {
  // The number as its first call in the log writes it, blanks around it trimmed (windows-1251).
  std::string number;
  // The phonebook row of the first contact (in phonebook order) with a number of this line, and
  // that contact's name cell, blanks around it trimmed; nothing when no contact has one.
  std::optional<std::size_t> contactRow;
  std::string contactName;
  CallCounts counts;
  // Where the line's call rows start in Overview::callRowsOfLines; counts.total() of them.
  std::size_t firstCallRow = 0;
};

struct Overview {
  // Per call row (table order): the index into `numbers` of its line; kNoLine for a call with
  // no number.
  static constexpr std::size_t kNoLine = static_cast<std::size_t>(-1);
  std::vector<std::size_t> callLine;

  // Every line of the log, most calls first, equal counts in the order of their first call.
  std::vector<NumberSummary> numbers;
  // The call rows of every line, line after line, each line's in table order: one array rather
  // than one per line, of which a log of mostly different numbers has hundreds of thousands.
  std::vector<std::size_t> callRowsOfLines;
  // The call rows of a line of `numbers`, in table order.
  std::span<const std::size_t> callRows(const NumberSummary& line) const {
    return std::span(callRowsOfLines).subspan(line.firstCallRow, line.counts.total());
  }

  // Calls per day, over the days that have calls.
  std::map<std::int32_t, CallCounts> callsPerDay;
  // Calls by weekday (0 = Monday) and hour, of the calls whose date has a time.
  std::array<std::array<std::size_t, 24>, 7> callsByWeekdayHour{};
  // Calendar entries per day, over the days that have entries.
  std::map<std::int32_t, CalendarCounts> calendarPerDay;

  // Rows whose date is not a real date ("без даты"), left out of the per-day and per-hour
  // counts and counted here.
  CallCounts callsWithoutDate;
  CalendarCounts calendarWithoutDate;

  // The `count` busiest lines (numbers' first ones).
  std::vector<const NumberSummary*> topNumbers(std::size_t count = 15) const;
  // The lines no contact has, most calls first.
  std::vector<const NumberSummary*> unmatchedNumbers() const;
};

// Whether a document has anything to overview: call or calendar rows.
bool hasOverview(const DocumentData& doc);

// The overview of the document's call log and calendar, in one pass over each table.
Overview buildOverview(const DocumentData& doc);

}  // namespace kestrel
