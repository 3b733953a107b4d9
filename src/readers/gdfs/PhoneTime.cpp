#include "readers/gdfs/PhoneTime.h"

#include <cmath>
#include <cstdio>

namespace kestrel::gdfs {

namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;

struct CivilDate {
  std::int64_t year;
  int month;
  int day;
};

// The calendar date of a day count since 01.01.1970 (proleptic Gregorian).
CivilDate civilFromDays(std::int64_t z) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
  return {year, month, day};
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

void appendPhoneTime(std::string& out, std::int64_t v) {
  // T counts days since 30.12.1899 00:00, its fraction being the time of day; the phone's
  // epoch sits 24141.1439931 days after that origin's 2^32-second mark.
  const double t = static_cast<double>(v) / 86400.0 - 24090.0 - 21.0 - 30.1439931;
  // Whole milliseconds first, so that 59.9996 seconds does not show as the next minute's 60.
  const std::int64_t ms = std::llround(t * static_cast<double>(kMsPerDay));
  const std::int64_t days = floorDiv(ms, kMsPerDay);
  const std::int64_t timeOfDay = ms - days * kMsPerDay;
  // 25569 days lie between 30.12.1899 and 01.01.1970.
  const CivilDate d = civilFromDays(days - 25569);
  const int hour = static_cast<int>(timeOfDay / 3'600'000);
  const int minute = static_cast<int>(timeOfDay / 60'000 % 60);
  if (d.year < 0 || d.year > 9999) {
    char text[64];
    std::snprintf(text, sizeof text, "%02d.%02d.%04lld %02d:%02d", d.day, d.month,
                  static_cast<long long>(d.year), hour, minute);
    out += text;
    return;
  }
  // "dd.mm.yyyy hh:mm", written directly: a dump holds hundreds of thousands of these.
  const auto year = static_cast<int>(d.year);
  const std::size_t base = out.size();
  out += "00.00.0000 00:00";
  const auto put = [&out, base](std::size_t at, int value) {
    out[base + at] = static_cast<char>('0' + value / 10);
    out[base + at + 1] = static_cast<char>('0' + value % 10);
  };
  put(0, d.day);
  put(3, d.month);
  put(6, year / 100);
  put(8, year % 100);
  put(11, hour);
  put(14, minute);
}

void appendTimestamp(std::string& out, ByteView record, std::ptrdiff_t at) {
  std::uint32_t x = 0;
  for (int k = 3; k >= 0; --k)
    x = (x << 8) | record.at(at + k);
  appendPhoneTime(out, (std::int64_t{1} << 32) + x);
}

}  // namespace kestrel::gdfs
