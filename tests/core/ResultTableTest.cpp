#include "core/ResultTable.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace kestrel {
namespace {

using Cells = std::vector<std::string>;

// A row as a plain list of texts, and its kind.
struct ModelRow {
  Cells cells;
  std::uint8_t kind = 0;
};

void expectSame(const ResultTable& table, const std::vector<ModelRow>& model, const char* when) {
  ASSERT_EQ(table.rowCount(), model.size()) << when;
  for (std::size_t r = 0; r < model.size(); ++r) {
    const ResultTable::Row& row = table.row(r);
    const Cells& cells = model[r].cells;
    ASSERT_EQ(row.subItemCount(), cells.size()) << when << ", row " << r;
    for (std::size_t k = 0; k < cells.size(); ++k) {
      ASSERT_EQ(row.subItem(k), cells[k]) << when << ", row " << r << ", sub-item " << k;
      ASSERT_EQ(row.cell(k + 1), cells[k]) << when << ", row " << r << ", column " << k + 1;
    }
    EXPECT_EQ(row.subItem(cells.size()), "") << "beyond the last sub-item";
    EXPECT_EQ(table.cell(r, 0), row.caption());
    ASSERT_EQ(row.kind(), model[r].kind) << when << ", row " << r;
  }
}

// Rows are filled the way the readers fill them (cells set, appended to and added in any
// order, kinds given, earlier rows changed again now and then), and every cell and kind must
// read back as a plain list of texts holds it, whichever form its row is kept in.
TEST(ResultTable, EveryCellAndKindReadsBackAsWrittenWhateverTheOrderOfChanges) {
  std::mt19937 random(7);
  const auto pick = [&](std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
  };
  const auto text = [&] {
    // Empty, short, longer than a short-string buffer, now and then longer than 16-bit offsets
    // reach, with zero bytes inside.
    std::string t(pick(3) == 0 ? 0 : pick(400) == 0 ? 70000 : pick(40), 'a');
    for (char& c : t)
      c = static_cast<char>(pick(256));
    return t;
  };
  ResultTable table("hint", {{"N", 50}, {"A", 50}, {"B", 50}});
  std::vector<ModelRow> model;
  for (int step = 0; step < 20000; ++step) {
    const std::size_t op = pick(11);
    if (op == 0 || model.empty()) {
      // Now and then a row of nothing at all, which only a kind may fill.
      const std::size_t count = pick(15);
      if (count == 0)
        table.addRow();
      else
        table.addRow(std::to_string(step), count);
      model.push_back({Cells(count), 0});
      continue;
    }
    // Mostly the newest row, sometimes an earlier one.
    const std::size_t r = pick(4) == 0 ? pick(model.size()) : model.size() - 1;
    ResultTable::Row& row = table.row(r);
    Cells& cells = model[r].cells;
    const std::size_t k = pick(16);
    const std::string t = text();
    if (op <= 4) {
      // By sub-item or by column.
      if (pick(2) == 0)
        row.setSubItem(k, t);
      else
        row.setCell(k + 1, t);
      if (k >= cells.size()) cells.resize(k + 1);
      cells[k] = t;
    } else if (op <= 8) {
      if (pick(2) == 0)
        row.appendToSubItem(k, t);
      else
        row.cellText(k + 1) += t;
      if (k >= cells.size()) cells.resize(k + 1);
      cells[k] += t;
    } else if (op == 9) {
      row.addSubItem(t);
      cells.push_back(t);
    } else {
      const auto kind = static_cast<std::uint8_t>(pick(256));
      row.setKind(kind);
      model[r].kind = kind;
    }
    if (step % 2500 == 0) expectSame(table, model, "while filling");
  }
  expectSame(table, model, "at the end");

  const ResultTable copy = table;
  expectSame(copy, model, "in a copy");
  table.reset();
  EXPECT_EQ(table.rowCount(), 0u);
  table.addRow("1", 2).setSubItem(1, "x");
  expectSame(table, {{{"", "x"}, 0}}, "after a reset");
}

}  // namespace
}  // namespace kestrel
