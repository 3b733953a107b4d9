#include "export/CalendarWriter.h"

#include <array>
#include <cstdio>

#include "core/Ascii.h"
#include "core/Columns.h"
#include "core/Cp1251.h"
#include "core/Kinds.h"
#include "core/Version.h"
#include "export/FileFacts.h"
#include "export/LineFile.h"

namespace kestrel::output {

namespace {

constexpr std::size_t kLineOctets = 75;

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

}  // namespace

std::optional<CalendarDate> calendarDateOf(std::string_view cell) {
  // dd.mm.yyyy, then optionally " hh:mm" and ":ss".
  if (cell.size() != 10 && cell.size() != 16 && cell.size() != 19) return std::nullopt;
  const int day = digitsAt(cell, 0, 2);
  const int month = digitsAt(cell, 3, 2);
  const int year = digitsAt(cell, 6, 4);
  if (cell[2] != '.' || cell[5] != '.' || day < 1 || day > 31 || month < 1 || month > 12 ||
      year < 0)
    return std::nullopt;
  CalendarDate date;
  date.value = std::string(cell.substr(6, 4)) + twoDigits(month) + twoDigits(day);
  if (cell.size() == 10) return date;
  const int hour = digitsAt(cell, 11, 2);
  const int minute = digitsAt(cell, 14, 2);
  const int second = cell.size() == 19 ? digitsAt(cell, 17, 2) : 0;
  if (cell[10] != ' ' || cell[13] != ':' || (cell.size() == 19 && cell[16] != ':') || hour < 0 ||
      hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 60)
    return std::nullopt;
  date.value += "T" + twoDigits(hour) + twoDigits(minute) + twoDigits(second);
  date.withTime = true;
  return date;
}

std::string escapedCalendarText(std::string_view utf8) {
  std::string text;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const char c = utf8[i];
    if (c == '\\' || c == ';' || c == ',') {
      text += '\\';
      text += c;
    } else if (c == '\r' || c == '\n') {
      // CR LF, a lone CR and a lone LF are each one line break.
      if (c == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
      text += "\\n";
    } else if (const std::size_t n = c == '\t' ? 0 : utf8ControlLength(utf8, i); n > 0) {
      // iCalendar text carries no other control character: it is left out.
      i += n - 1;
    } else {
      text += c;
    }
  }
  return text;
}

void forEachFoldedPiece(std::string_view line, const std::function<void(std::string_view)>& piece) {
  std::string continued;
  bool first = true;
  while (!line.empty()) {
    // A continuation's leading space counts towards its 75 octets.
    const std::size_t room = first ? kLineOctets : kLineOctets - 1;
    std::size_t cut = std::min(room, line.size());
    // Back to the start of a character: UTF-8 continuation bytes are 10xxxxxx.
    while (cut < line.size() && cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
      --cut;
    if (cut == 0) cut = std::min(room, line.size());
    if (first) {
      piece(line.substr(0, cut));
    } else {
      continued.assign(" ").append(line.substr(0, cut));
      piece(continued);
    }
    line.remove_prefix(cut);
    first = false;
  }
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
  for (std::size_t r = 0; r < calendar.rowCount(); ++r) {
    const auto date = calendarDateOf(calendar.cell(r, kCalDate));
    if (!date) {
      ++leftOut;
      continue;
    }
    const std::string_view kind = calendar.cell(r, kCalKind);
    const std::string_view title = calendar.cell(r, kCalTitle);
    const std::string_view text = calendar.cell(r, kCalText);
    // The same row content gives the same identifier in every export.
    std::string content(calendar.cell(r, kCalDate));
    for (const std::string_view part : {kind, title, text})
      content.append(1, '\x1F').append(part);
    put("BEGIN:VEVENT");
    put("UID:" + sha256Hex(content).substr(0, 32) + "@kestrel");
    put(std::string("DTSTAMP:") + stampText);
    put(std::string(date->withTime ? "DTSTART:" : "DTSTART;VALUE=DATE:") + date->value);
    put("SUMMARY:" + escapedCalendarText(toUtf8(title.empty() ? kind : title)));
    if (!text.empty()) put("DESCRIPTION:" + escapedCalendarText(toUtf8(text)));
    if (!kind.empty()) put("CATEGORIES:" + escapedCalendarText(toUtf8(kind)));
    if (calendar.row(r).kindAs<CalendarKind>() == CalendarKind::kBirthday) put("RRULE:FREQ=YEARLY");
    put("END:VEVENT");
  }
  put("END:VCALENDAR");
  return leftOut;
}

std::optional<std::string> writeCalendarFile(const Document& doc, const std::string& fileName) {
  std::size_t leftOut = 0;
  writeLineFile(fileName, doc.sourceFiles, [&](const auto& line) {
    leftOut = forEachCalendarLine(doc, std::time(nullptr), line);
  });
  if (leftOut == 0) return std::nullopt;
  return std::string(kRowsLeftOut) + std::to_string(leftOut);
}

}  // namespace kestrel::output
