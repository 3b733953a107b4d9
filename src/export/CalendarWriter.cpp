#include "export/CalendarWriter.h"

#include <cstdio>

#include "core/Ascii.h"
#include "core/Columns.h"
#include "core/Cp1251.h"
#include "core/Errors.h"
#include "core/Kinds.h"
#include "core/Overview.h"
#include "core/Version.h"
#include "export/ContentLines.h"
#include "export/LineFile.h"

namespace kestrel::output {

namespace {

std::string fourDigits(int value) {
  std::string text(4, '0');
  for (std::size_t k = 4; k-- > 0; value /= 10)
    text[k] = static_cast<char>('0' + value % 10);
  return text;
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
  // The date fills the cell: blanks around it make it no date here.
  if (cell.empty() || static_cast<unsigned char>(cell.front()) <= ' ' ||
      static_cast<unsigned char>(cell.back()) <= ' ')
    return std::nullopt;
  const auto day = cellDateOf(cell);
  if (!day) return std::nullopt;
  CalendarDate date;
  date.value = fourDigits(day->year) + twoDigits(day->month) + twoDigits(day->day);
  if (!day->hasTime) return date;
  date.value += "T" + twoDigits(day->hour) + twoDigits(day->minute) + twoDigits(day->second);
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
