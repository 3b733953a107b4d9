#include "core/ResultTable.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace kestrel {
namespace {

using Cells = std::vector<std::string>;

void expectSame(const ResultTable& table, const std::vector<Cells>& model, const char* when) {
  ASSERT_EQ(table.rowCount(), model.size()) << when;
  for (std::size_t r = 0; r < model.size(); ++r) {
    const ResultTable::Row& row = table.row(r);
    ASSERT_EQ(row.subItemCount(), model[r].size()) << when << ", row " << r;
    for (std::size_t k = 0; k < model[r].size(); ++k)
      ASSERT_EQ(row.subItem(k), model[r][k]) << when << ", row " << r << ", sub-item " << k;
    EXPECT_EQ(row.subItem(model[r].size()), "") << "beyond the last sub-item";
    EXPECT_EQ(table.cell(r, 0), row.caption());
  }
}

// Rows are filled the way the readers fill them (cells set, appended to and added in any
// order, earlier rows changed again now and then), and every cell must read back as a plain
// list of texts holds it, whichever form its row is kept in.
TEST(ResultTable, EveryCellReadsBackAsWrittenWhateverTheOrderOfChanges) {
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
  std::vector<Cells> model;
  for (int step = 0; step < 20000; ++step) {
    const std::size_t op = pick(10);
    if (op == 0 || model.empty()) {
      const std::size_t count = pick(15);
      table.addRow(std::to_string(step), count);
      model.emplace_back(count);
      continue;
    }
    // Mostly the newest row, sometimes an earlier one.
    const std::size_t r = pick(4) == 0 ? pick(model.size()) : model.size() - 1;
    ResultTable::Row& row = table.row(r);
    const std::size_t k = pick(16);
    const std::string t = text();
    if (op <= 4) {
      row.setSubItem(k, t);
      if (k >= model[r].size()) model[r].resize(k + 1);
      model[r][k] = t;
    } else if (op <= 8) {
      row.appendToSubItem(k, t);
      if (k >= model[r].size()) model[r].resize(k + 1);
      model[r][k] += t;
    } else {
      row.addSubItem(t);
      model[r].push_back(t);
    }
    if (step % 2500 == 0) expectSame(table, model, "while filling");
  }
  expectSame(table, model, "at the end");

  const ResultTable copy = table;
  expectSame(copy, model, "in a copy");
  table.reset();
  EXPECT_EQ(table.rowCount(), 0u);
  table.addRow("1", 2).setSubItem(1, "x");
  expectSame(table, {{"", "x"}}, "after a reset");
}

}  // namespace
}  // namespace kestrel
