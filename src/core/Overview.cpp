#include "core/Overview.h"

#include <algorithm>
#include <functional>
#include <utility>

#include "core/Ascii.h"
#include "core/Columns.h"
#include "core/PhoneLines.h"

namespace kestrel {

namespace {

// The number the digits at `at` write, or -1 when one of them is no digit.
int digitsAt(std::string_view text, std::size_t at, std::size_t count) {
  int value = 0;
  for (std::size_t k = at; k < at + count; ++k) {
    if (text[k] < '0' || text[k] > '9') return -1;
    value = value * 10 + (text[k] - '0');
  }
  return value;
}

int daysInMonth(int year, int month) {
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

// The lines of the log by their key: an open-addressed table of indices into the lines' keys,
// sized once for the rows, so that a new line costs no allocation of its own here.
class LineIndex {
 public:
  LineIndex(const std::vector<std::string>& keys, std::size_t most) : keys_(keys) {
    std::size_t size = 16;
    while (size < 2 * most)
      size *= 2;
    slots_.assign(size, kEmpty);
  }

  // The line of the key, or the place where a new one belongs (its `line` kNoLine).
  struct Found {
    std::size_t line;
    std::size_t slot;
  };
  Found find(std::string_view key) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = std::hash<std::string_view>{}(key)&mask;; slot = (slot + 1) & mask) {
      const std::uint32_t line = slots_[slot];
      if (line == kEmpty) return {Overview::kNoLine, slot};
      if (keys_[line] == key) return {line, slot};
    }
  }
  void add(const Found& place, std::size_t line) {
    slots_[place.slot] = static_cast<std::uint32_t>(line);
  }

 private:
  static constexpr std::uint32_t kEmpty = static_cast<std::uint32_t>(-1);
  const std::vector<std::string>& keys_;
  std::vector<std::uint32_t> slots_;
};

// Puts the lines in the order given (order[i] is the line that comes i-th) in place, and
// renumbers the calls' lines.
void reorder(Overview& overview, const std::vector<std::size_t>& order) {
  std::vector<std::size_t> placeOf(order.size());
  for (std::size_t i = 0; i < order.size(); ++i)
    placeOf[order[i]] = i;
  for (std::size_t& line : overview.callLine) {
    if (line != Overview::kNoLine) line = placeOf[line];
  }
  for (std::size_t i = 0; i < placeOf.size(); ++i) {
    while (placeOf[i] != i) {
      const std::size_t to = placeOf[i];
      std::swap(overview.numbers[i], overview.numbers[to]);
      std::swap(placeOf[i], placeOf[to]);
    }
  }
}

}  // namespace

std::optional<CellDate> cellDateOf(std::string_view cell) {
  cell = trimBlanks(cell);
  if (cell.size() != 10 && cell.size() != 16 && cell.size() != 19) return std::nullopt;
  CellDate date;
  date.day = digitsAt(cell, 0, 2);
  date.month = digitsAt(cell, 3, 2);
  date.year = digitsAt(cell, 6, 4);
  if (cell[2] != '.' || cell[5] != '.' || date.month < 1 || date.month > 12 || date.year < 1 ||
      date.day < 1 || date.day > daysInMonth(date.year, date.month))
    return std::nullopt;
  if (cell.size() == 10) return date;
  date.hour = digitsAt(cell, 11, 2);
  date.minute = digitsAt(cell, 14, 2);
  date.second = cell.size() == 19 ? digitsAt(cell, 17, 2) : 0;
  if (cell[10] != ' ' || cell[13] != ':' || (cell.size() == 19 && cell[16] != ':') ||
      date.hour < 0 || date.hour > 23 || date.minute < 0 || date.minute > 59 || date.second < 0 ||
      date.second > 59)
    return std::nullopt;
  date.hasTime = true;
  return date;
}

// Days from civil: the proleptic Gregorian calendar counted in eras of 400 years.
std::int32_t dayNumberOf(const CellDate& date) {
  const int y = date.year - (date.month <= 2 ? 1 : 0);
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yearOfEra = y - era * 400;
  const int monthFromMarch = date.month > 2 ? date.month - 3 : date.month + 9;
  const int dayOfYear = (153 * monthFromMarch + 2) / 5 + date.day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

CellDate dateOfDayNumber(std::int32_t dayNumber) {
  const std::int32_t z = dayNumber + 719468;
  const std::int32_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int32_t dayOfEra = z - era * 146097;
  const std::int32_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int32_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int32_t monthFromMarch = (5 * dayOfYear + 2) / 153;
  const int day = dayOfYear - (153 * monthFromMarch + 2) / 5 + 1;
  const int month = monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;
  CellDate date;
  date.year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  date.month = month;
  date.day = day;
  return date;
}

std::string dayText(std::int32_t dayNumber) {
  const CellDate date = dateOfDayNumber(dayNumber);
  char text[16];
  const auto digits = [&](char* at, int value, int count) {
    for (int k = count - 1; k >= 0; --k) {
      at[k] = static_cast<char>('0' + value % 10);
      value /= 10;
    }
  };
  digits(text, date.year, 4);
  text[4] = '-';
  digits(text + 5, date.month, 2);
  text[7] = '-';
  digits(text + 8, date.day, 2);
  return std::string(text, 10);
}

int weekdayOf(std::int32_t dayNumber) {
  // 1970-01-01 was a Thursday.
  const int fromMonday = static_cast<int>((dayNumber + 3) % 7);
  return fromMonday < 0 ? fromMonday + 7 : fromMonday;
}

void CallCounts::add(CallStatus status) {
  switch (status) {
    case CallStatus::kIncoming:
      ++incoming;
      break;
    case CallStatus::kOutgoing:
      ++outgoing;
      break;
    case CallStatus::kMissed:
      ++missed;
      break;
    default:
      ++other;
      break;
  }
}

void CalendarCounts::add(CalendarKind kind) {
  switch (kind) {
    case CalendarKind::kBirthday:
      ++birthdays;
      break;
    case CalendarKind::kNote:
      ++notes;
      break;
    case CalendarKind::kEvent:
      ++events;
      break;
    default:
      ++other;
      break;
  }
}

std::vector<const NumberSummary*> Overview::topNumbers(std::size_t count) const {
  std::vector<const NumberSummary*> top;
  for (std::size_t i = 0; i < numbers.size() && i < count; ++i)
    top.push_back(&numbers[i]);
  return top;
}

std::vector<const NumberSummary*> Overview::unmatchedNumbers() const {
  std::vector<const NumberSummary*> unmatched;
  for (const NumberSummary& n : numbers) {
    if (!n.contactRow) unmatched.push_back(&n);
  }
  return unmatched;
}

namespace {

// The lines of the log in the order of their first call, each call put to its line, the calls
// counted per day and hour, and each line's first contact. The lines' keys and their index are
// needed only here.
void findLines(const DocumentData& doc, Overview& overview) {
  std::string key;
  const ResultTable& calls = doc.calls;
  // The lines' keys (phoneLineKey of their numbers): room for a key per call at once, as for
  // the lines.
  std::vector<std::string> keys;
  keys.reserve(calls.rowCount());
  LineIndex lineOf(keys, calls.rowCount());
  overview.callLine.assign(calls.rowCount(), Overview::kNoLine);
  // Room for a line per call at once: growing by doubling would move every line and hold
  // twice their room while it does.
  overview.numbers.reserve(calls.rowCount());
  std::size_t r = 0;
  for (const ResultTable::Row& row : calls.rows()) {
    const auto status = row.kindAs<CallStatus>();
    const std::string_view number = firstNumberOf(row.cell(kCallPhone));
    phoneLineKeyInto(number, key);
    if (!key.empty()) {
      const LineIndex::Found found = lineOf.find(key);
      std::size_t index = found.line;
      if (index == Overview::kNoLine) {
        index = overview.numbers.size();
        overview.numbers.emplace_back().number = trimBlanks(number);
        keys.push_back(key);
        lineOf.add(found, index);
      }
      overview.numbers[index].counts.add(status);
      overview.callLine[r] = index;
    }
    if (const auto date = cellDateOf(row.cell(kCallDate))) {
      const std::int32_t day = dayNumberOf(*date);
      overview.callsPerDay[day].add(status);
      if (date->hasTime) {
        ++overview.callsByWeekdayHour[static_cast<std::size_t>(weekdayOf(day))]
                                     [static_cast<std::size_t>(date->hour)];
      }
    } else {
      overview.callsWithoutDate.add(status);
    }
    ++r;
  }

  // Each line's first contact in phonebook order: one pass over the book, the first contact
  // of a line kept.
  std::size_t unnamed = overview.numbers.size();
  for (std::size_t p = 0; p < doc.phonebook.rowCount() && unnamed > 0; ++p) {
    const ResultTable::Row& contact = doc.phonebook.row(p);
    const std::string_view cell = contact.cell(kPbNumbers);
    std::size_t at = 0;
    for (std::string_view number = nextPhonebookNumber(cell, at); !number.empty();
         number = nextPhonebookNumber(cell, at)) {
      phoneLineKeyInto(number, key);
      if (key.empty()) continue;
      const std::size_t index = lineOf.find(key).line;
      if (index == Overview::kNoLine || overview.numbers[index].contactRow) continue;
      NumberSummary& line = overview.numbers[index];
      line.contactRow = p;
      line.contactName = trimBlanks(contact.cell(kPbName));
      --unnamed;
    }
  }
}

}  // namespace

bool hasOverview(const DocumentData& doc) {
  return doc.calls.rowCount() > 0 || doc.calendar.rowCount() > 0;
}

Overview buildOverview(const DocumentData& doc) {
  Overview overview;
  findLines(doc, overview);

  // Most calls first; equal counts keep the order of their first call.
  std::vector<std::size_t> order(overview.numbers.size());
  for (std::size_t i = 0; i < order.size(); ++i)
    order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return overview.numbers[a].counts.total() > overview.numbers[b].counts.total();
  });
  reorder(overview, order);

  // The lines' call rows, line after line: each line's start is found first, then the rows are
  // put in table order, each line's start moving past its rows as they come.
  std::size_t start = 0;
  for (NumberSummary& line : overview.numbers) {
    line.firstCallRow = start;
    start += line.counts.total();
  }
  overview.callRowsOfLines.resize(start);
  for (std::size_t row = 0; row < overview.callLine.size(); ++row) {
    if (const std::size_t line = overview.callLine[row]; line != Overview::kNoLine)
      overview.callRowsOfLines[overview.numbers[line].firstCallRow++] = row;
  }
  for (NumberSummary& line : overview.numbers)
    line.firstCallRow -= line.counts.total();

  for (const ResultTable::Row& row : doc.calendar.rows()) {
    const auto kind = row.kindAs<CalendarKind>();
    if (const auto date = cellDateOf(row.cell(kCalDate)))
      overview.calendarPerDay[dayNumberOf(*date)].add(kind);
    else
      overview.calendarWithoutDate.add(kind);
  }
  return overview;
}

}  // namespace kestrel
