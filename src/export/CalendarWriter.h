#pragma once
// The calendar as one iCalendar file (UTF-8, CR LF, lines folded at 75 octets): a VEVENT for
// every row whose date is a day, or a day and a time.

#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/Cp1251.h"
#include "core/Document.h"

namespace kestrel::output {

// Followed by the number of calendar rows without a date the iCalendar file can take.
inline constexpr std::string_view kRowsLeftOut = "Записи календаря без даты пропущены: "_cp;

// Why a calendar with no dated row writes no file (UTF-8, as every error text is).
inline constexpr std::string_view kNoDatedRows = "В календаре нет записей с датой: файл не создан";

// A row's date as iCalendar writes it: "dd.mm.yyyy" becomes the DATE "yyyymmdd", "dd.mm.yyyy
// hh:mm" or "dd.mm.yyyy hh:mm:ss" the floating DATE-TIME "yyyymmddThhmmss". Nothing for an
// empty date, one of another form, or a day no calendar has (31.04, 29.02 of a common year,
// year 0000, 24:00).
struct CalendarDate {
  std::string value;
  bool withTime = false;
};
std::optional<CalendarDate> calendarDateOf(std::string_view cell);

// Hands the calendar's lines (UTF-8, folded, without line ends) to `line`; `stamp` is the export
// time (DTSTAMP). Returns how many rows were left out for their date.
std::size_t forEachCalendarLine(const Document& doc, std::time_t stamp,
                                const std::function<void(std::string_view)>& line);

// The calendar as it is now, written to `fileName` with CR LF line ends. Returns the message
// that counts the rows left out for their date, when there are any. Throws NothingWritten, and
// leaves `fileName` alone, when no row has a date.
std::optional<std::string> writeCalendarFile(const Document& doc, const std::string& fileName);

}  // namespace kestrel::output
