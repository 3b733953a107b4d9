#include "core/CellOrder.h"

#include <array>
#include <cstdint>
#include <optional>
#include <tuple>

#include "core/CaseFold.h"

namespace kestrel {

namespace {

// The place of each byte's character in the alphabetical order: letter case aside, and ё right
// after е as the Russian alphabet has it.
constexpr std::array<std::uint32_t, 256> kPlaces = [] {
  std::array<std::uint32_t, 256> places{};
  for (std::size_t b = 0; b < places.size(); ++b) {
    const char32_t folded = foldedCodePoint(static_cast<std::uint8_t>(b));
    places[b] = folded == 0x0451 ? 2 * 0x0435u + 1 : 2 * static_cast<std::uint32_t>(folded);
  }
  return places;
}();

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

int compareTexts(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (isDigit(a[i]) && isDigit(b[j])) {
      while (i < a.size() && a[i] == '0')
        ++i;
      while (j < b.size() && b[j] == '0')
        ++j;
      std::size_t endA = i;
      std::size_t endB = j;
      while (endA < a.size() && isDigit(a[endA]))
        ++endA;
      while (endB < b.size() && isDigit(b[endB]))
        ++endB;
      // More digits is a larger number; as many digits compare digit by digit.
      if (endA - i != endB - j) return endA - i < endB - j ? -1 : 1;
      if (const int digits = a.substr(i, endA - i).compare(b.substr(j, endB - j)); digits != 0)
        return digits < 0 ? -1 : 1;
      i = endA;
      j = endB;
      continue;
    }
    const std::uint32_t x = kPlaces[static_cast<std::uint8_t>(a[i])];
    const std::uint32_t y = kPlaces[static_cast<std::uint8_t>(b[j])];
    if (x != y) return x < y ? -1 : 1;
    ++i;
    ++j;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

// Year, month, day, hours, minutes, seconds.
using Moment = std::tuple<long, int, int, int, int, int>;

// The moment a cell "dd.mm.yyyy", "dd.mm.yyyy hh:mm" or "dd.mm.yyyy hh:mm:ss" writes; nothing
// for any other text. The year has as many digits as the phone wrote (up to nine), and the
// fields are not checked against the calendar: a phone's 00.00.0000 still sorts among dates.
std::optional<Moment> momentOf(std::string_view text) {
  std::size_t at = 0;
  const auto number = [&](std::size_t minDigits, std::size_t maxDigits) -> std::optional<long> {
    long value = 0;
    std::size_t digits = 0;
    while (at < text.size() && digits < maxDigits && isDigit(text[at])) {
      value = value * 10 + (text[at] - '0');
      ++at;
      ++digits;
    }
    if (digits < minDigits) return std::nullopt;
    return value;
  };
  const auto separator = [&](char c) {
    if (at >= text.size() || text[at] != c) return false;
    ++at;
    return true;
  };
  const auto day = number(2, 2);
  if (!day || !separator('.')) return std::nullopt;
  const auto month = number(2, 2);
  if (!month || !separator('.')) return std::nullopt;
  const auto year = number(1, 9);
  if (!year) return std::nullopt;
  Moment moment{*year, static_cast<int>(*month), static_cast<int>(*day), 0, 0, 0};
  if (at == text.size()) return moment;
  if (!separator(' ')) return std::nullopt;
  const auto hours = number(2, 2);
  if (!hours || !separator(':')) return std::nullopt;
  const auto minutes = number(2, 2);
  if (!minutes) return std::nullopt;
  std::get<3>(moment) = static_cast<int>(*hours);
  std::get<4>(moment) = static_cast<int>(*minutes);
  if (at == text.size()) return moment;
  if (!separator(':')) return std::nullopt;
  const auto seconds = number(2, 2);
  if (!seconds || at != text.size()) return std::nullopt;
  std::get<5>(moment) = static_cast<int>(*seconds);
  return moment;
}

}  // namespace

CellOrder cellOrderOf(const ResultTable& table, std::size_t column) {
  bool anyDate = false;
  for (std::size_t row = 0; row < table.rowCount(); ++row) {
    const std::string_view cell = table.cell(row, column);
    if (cell.empty()) continue;
    if (!momentOf(cell)) return CellOrder::Text;
    anyDate = true;
  }
  return anyDate ? CellOrder::Date : CellOrder::Text;
}

int compareCells(std::string_view a, std::string_view b, CellOrder order) {
  if (order == CellOrder::Date) {
    const auto x = momentOf(a);
    const auto y = momentOf(b);
    if (x && y) return *x < *y ? -1 : (*y < *x ? 1 : 0);
    if (x || y) return x ? -1 : 1;
  }
  return compareTexts(a, b);
}

bool comesBefore(std::string_view a, std::string_view b, CellOrder order, bool descending) {
  if (!descending) return compareCells(a, b, order) < 0;
  if (order == CellOrder::Date) {
    const bool dateA = momentOf(a).has_value();
    const bool dateB = momentOf(b).has_value();
    if (dateA != dateB) return dateA;
  }
  return compareCells(b, a, order) < 0;
}

}  // namespace kestrel
