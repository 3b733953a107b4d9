#include "core/CellOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/Cp1251.h"

namespace kestrel {
namespace {

using Cells = std::vector<std::string>;

struct SortCase {
  const char* name;
  Cells cells;  // UTF-8, in the table's order
  CellOrder order;
  Cells ascending;
  Cells descending;
};

// A one-column table holding the cells.
ResultTable tableOf(const Cells& cells) {
  ResultTable table("Т"_cp, {ResultTable::Column{std::string("Дата"_cp), 100}});
  for (const std::string& cell : cells)
    table.addRow(*fromUtf8(cell), 0);
  return table;
}

Cells sorted(Cells cells, CellOrder order, bool descending) {
  for (std::string& cell : cells)
    cell = *fromUtf8(cell);
  std::stable_sort(cells.begin(), cells.end(), [&](const std::string& a, const std::string& b) {
    return comesBefore(a, b, order, descending);
  });
  for (std::string& cell : cells)
    cell = toUtf8(cell);
  return cells;
}

// Each column is sorted both ways as a user clicking its header sees it.
TEST(CellOrder, ColumnsSortByWhatTheirCellsHold) {
  const SortCase cases[] = {
      {"calendar dates by date, not as text",
       {"21.05.2012", "12.04.1975", "08.03.2012", "30.09.1982"},
       CellOrder::Date,
       {"12.04.1975", "30.09.1982", "08.03.2012", "21.05.2012"},
       {"21.05.2012", "08.03.2012", "30.09.1982", "12.04.1975"}},
      {"call times, with and without seconds, and empty cells last either way",
       {"01.02.2010 10:05", "", "01.02.2010 09:59:30", "31.01.2010 23:59", "",
        "01.02.2010 10:05:01"},
       CellOrder::Date,
       {"31.01.2010 23:59", "01.02.2010 09:59:30", "01.02.2010 10:05", "01.02.2010 10:05:01", "",
        ""},
       {"01.02.2010 10:05:01", "01.02.2010 10:05", "01.02.2010 09:59:30", "31.01.2010 23:59", "",
        ""}},
      {"a date alone is the start of its day; a phone's zero date and long years still sort",
       {"05.06.2020 00:01", "05.06.2020", "00.00.0000", "01.01.10000"},
       CellOrder::Date,
       {"00.00.0000", "05.06.2020", "05.06.2020 00:01", "01.01.10000"},
       {"01.01.10000", "05.06.2020 00:01", "05.06.2020", "00.00.0000"}},
      {"one cell that is no date makes the column text",
       {"21.05.2012", "вчера", "12.04.1975"},
       CellOrder::Text,
       {"12.04.1975", "21.05.2012", "вчера"},
       {"вчера", "21.05.2012", "12.04.1975"}},
      {"numbers by their value, empty text first",
       {"10", "9", "", "100", "09"},
       CellOrder::Text,
       {"", "9", "09", "10", "100"},
       {"100", "10", "9", "09", ""}},
      {"letters case aside, ё after е, Latin before Cyrillic",
       {"ёж", "Ежевика", "Жук", "еда", "zoo", "Apple", "Ель"},
       CellOrder::Text,
       {"Apple", "zoo", "еда", "Ежевика", "Ель", "ёж", "Жук"},
       {"Жук", "ёж", "Ель", "Ежевика", "еда", "zoo", "Apple"}},
      {"times alone, odd separators and a short day are no dates",
       {"10:05", "1.02.2010", "01-02-2010", "01.02.2010 10", "01.02.2010 10:05:"},
       CellOrder::Text,
       {"01-02-2010", "1.02.2010", "01.02.2010 10", "01.02.2010 10:05:", "10:05"},
       {"10:05", "01.02.2010 10:05:", "01.02.2010 10", "1.02.2010", "01-02-2010"}},
      {"an empty column is text", {"", ""}, CellOrder::Text, {"", ""}, {"", ""}},
  };
  for (const SortCase& c : cases) {
    SCOPED_TRACE(c.name);
    const ResultTable table = tableOf(c.cells);
    ASSERT_EQ(cellOrderOf(table, 0), c.order);
    EXPECT_EQ(sorted(c.cells, c.order, false), c.ascending);
    EXPECT_EQ(sorted(c.cells, c.order, true), c.descending);
  }
}

}  // namespace
}  // namespace kestrel
