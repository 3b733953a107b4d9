#include "export/CalendarWriter.h"

#include <array>
#include <cstdio>

#include "core/Ascii.h"
#include "core/Columns.h"
#include "core/Cp1251.h"
#include "core/Errors.h"
#include "core/Kinds.h"
#include "core/Version.h"
#include "export/ContentLines.h"
#include "export/LineFile.h"

namespace kestrel::output {

namespace {

// The number written by `count` digits at `at`, or -1.
int digitsAt(std::string_view text, std::size_t at, std::size_t count) {
  if (at + count > text.size()) return -1;
  int value = 0;
  for (std::size_t k = at; k < at + count; ++k) {
    if (text[k] < '0' || text[k] > '9') return -1;
    value = value * 10 + (text[k] - '0');
  }
  return value;
}

// Days of a month of the Gregorian calendar.
int daysInMonth(int year, int month) {
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

// The first line of a text that holds one (CR, LF or CR LF end a line), else nothing.
std::optional<std::string_view> firstLineOf(std::string_view text) {
  while (!text.empty()) {
    const std::size_t end = text.find_first_of("\r\n");
    if (end == std::string_view::npos) return text;
    if (end > 0) return text.substr(0, end);
    text.remove_prefix(1);
  }
  return std::nullopt;
}

}  // namespace

std::optional<CalendarDate> calendarDateOf(std::string_view cell) {
  // dd.mm.yyyy, then optionally " hh:mm" and ":ss".
  if (cell.size() != 10 && cell.size() != 16 && cell.size() != 19) return std::nullopt;
  const int day = digitsAt(cell, 0, 2);
  const int month = digitsAt(cell, 3, 2);
  const int year = digitsAt(cell, 6, 4);
  if (cell[2] != '.' || cell[5] != '.' || month < 1 || month > 12 || year < 1 || day < 1 ||
      day > daysInMonth(year, month))
    return std::nullopt;
  CalendarDate date;
  date.value = std::string(cell.substr(6, 4)) + twoDigits(month) + twoDigits(day);
  if (cell.size() == 10) return date;
  const int hour = digitsAt(cell, 11, 2);
  const int minute = digitsAt(cell, 14, 2);
  const int second = cell.size() == 19 ? digitsAt(cell, 17, 2) : 0;
  if (cell[10] != ' ' || cell[13] != ':' || (cell.size() == 19 && cell[16] != ':') || hour < 0 ||
      hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
    return std::nullopt;
  date.value += "T" + twoDigits(hour) + twoDigits(minute) + twoDigits(second);
  date.withTime = true;
  return date;
}

std::size_t forEachCalendarLine(const Document& doc, std::time_t stamp,
                                const std::function<void(std::string_view)>& line) {
  const auto put = [&](std::string_view text) { forEachFoldedPiece(text, line); };
  std::tm utc{};
  gmtime_r(&stamp, &utc);
  char stampText[32];
  std::strftime(stampText, sizeof stampText, "%Y%m%dT%H%M%SZ", &utc);

  put("BEGIN:VCALENDAR");
  put("VERSION:2.0");
  put("PRODID:-//" + std::string(kProgramName) + "//" + std::string(kProgramName) + " " +
      std::string(kProgramVersion) + "//RU");
  const ResultTable& calendar = doc.calendar;
  std::size_t leftOut = 0;
  StableIds ids;
  for (std::size_t r = 0; r < calendar.rowCount(); ++r) {
    const auto date = calendarDateOf(calendar.cell(r, kCalDate));
    if (!date) {
      ++leftOut;
      continue;
    }
    const std::string_view kind = calendar.cell(r, kCalKind);
    const std::string_view title = calendar.cell(r, kCalTitle);
    const std::string_view text = calendar.cell(r, kCalText);
    std::string content(calendar.cell(r, kCalDate));
    for (const std::string_view part : {kind, title, text})
      content.append(1, '\x1F').append(part);
    // A summary is one line: a title of several lines gives its first, and goes whole into
    // the description ahead of the text.
    const std::string_view summary = firstLineOf(title).value_or(kind);
    std::string description(text);
    if (summary != title && !title.empty())
      description = text.empty() ? std::string(title) : std::string(title) + "\r\n" + description;
    put("BEGIN:VEVENT");
    put("UID:" + ids.next(content) + "@kestrel");
    put(std::string("DTSTAMP:") + stampText);
    put(std::string(date->withTime ? "DTSTART:" : "DTSTART;VALUE=DATE:") + date->value);
    put("SUMMARY:" + escapedText(toUtf8(summary)));
    if (!description.empty()) put("DESCRIPTION:" + escapedText(toUtf8(description)));
    if (!kind.empty()) put("CATEGORIES:" + escapedText(toUtf8(kind)));
    if (calendar.row(r).kindAs<CalendarKind>() == CalendarKind::kBirthday) put("RRULE:FREQ=YEARLY");
    put("END:VEVENT");
  }
  put("END:VCALENDAR");
  return leftOut;
}

std::optional<std::string> writeCalendarFile(const Document& doc, const std::string& fileName) {
  // A calendar with no event is not a file the format allows: nothing is written then.
  bool anyDated = false;
  for (std::size_t r = 0; r < doc.calendar.rowCount() && !anyDated; ++r)
    anyDated = calendarDateOf(doc.calendar.cell(r, kCalDate)).has_value();
  if (!anyDated) throw NothingWritten(kNoDatedRows);
  std::size_t leftOut = 0;
  writeLineFile(fileName, doc.sourceFiles, [&](const auto& line) {
    leftOut = forEachCalendarLine(doc, std::time(nullptr), line);
  });
  if (leftOut == 0) return std::nullopt;
  return std::string(kRowsLeftOut) + std::to_string(leftOut);
}

}  // namespace kestrel::output
