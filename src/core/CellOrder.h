#pragma once
// The order of a table's rows when the user sorts them by a column. The table itself keeps the
// order its reader gave it; this is only how a view shows it.

#include <cstddef>
#include <string_view>

#include "core/ResultTable.h"

namespace kestrel {

enum class CellOrder {
  // Alphabetical, letter case aside and ё right after е; a run of digits counts by the number it
  // writes, so that 9 comes before 10.
  Text,
  // By date and time of day; empty cells after every date, whichever way the column is sorted.
  Date,
};

// Date when every cell of the column that is not empty holds a date "dd.mm.yyyy", alone or
// followed by a time "hh:mm" or "hh:mm:ss", and at least one cell does; Text otherwise.
CellOrder cellOrderOf(const ResultTable& table, std::size_t column);

// Compares two windows-1251 cells in the order: negative, zero or positive. In Date order a
// text that is no date (an empty cell) is greater than every date.
int compareCells(std::string_view a, std::string_view b, CellOrder order);

// Whether cell a is shown above cell b when the column is sorted ascending or descending. A
// descending sort turns the comparison round, except that empty cells of a date column stay
// last.
bool comesBefore(std::string_view a, std::string_view b, CellOrder order, bool descending);

}  // namespace kestrel
