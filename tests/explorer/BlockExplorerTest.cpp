#include "explorer/BlockExplorer.h"
#include "open/OpenDocument.h"

#include <gtest/gtest.h>

#include "core/Cp1251.h"
#include "core/Errors.h"
#include "explorer/RawSections.h"
#include "support/PhonebookRows.h"

namespace kestrel::explorer {
namespace {

class MemoryCheckList : public CheckList {
 public:
  int count() const override { return static_cast<int>(items.size()); }
  int selected() const override { return selection; }
  bool checked(int item) const override { return items.at(item).second; }
  void setChecked(int item, bool on) override { items.at(item).second = on; }
  void clear() override {
    items.clear();
    selection = -1;
  }
  int append(const std::string& text) override {
    items.emplace_back(text, false);
    return count() - 1;
  }

  std::string texts() const {
    std::string out;
    for (const auto& [text, on] : items)
      out += (on ? "+" : "-") + text + " ";
    return out;
  }

  std::vector<std::pair<std::string, bool>> items;
  int selection = -1;
};

// Block 7 with records 1 (marked, 3 bytes) and 2 (unmarked, empty); block 9 without records;
// block 4 with record 0. Block marks start as given.
struct Explorer {
  explicit Explorer(bool blockMarks = true) {
    const std::size_t seven = doc.model.addBlock(7, blockMarks);
    doc.model.addRecord(seven, 1, true, {0x0A, 0x10, 0xB0});
    doc.model.addRecord(seven, 2, false, {});
    doc.model.addBlock(9, blockMarks);
    doc.model.addRecord(doc.model.addBlock(4, blockMarks), 0, false, {0x4F});
    explorer.open();
  }
  void select(int block) {
    blocks.selection = block;
    explorer.selectBlock();
  }
  std::string marks() const {
    std::string out;
    for (std::size_t i = 0; i < doc.model.blockCount(); ++i) {
      out += doc.model.blockMarks[i] ? "B" : "b";
      const Block block = doc.model.block(i);
      for (std::size_t j = 0; j < block.recordCount(); ++j)
        out += block.recordMark(j) ? "R" : "r";
      out += ' ';
    }
    return out;
  }

  Document doc;
  MemoryCheckList blocks;
  MemoryCheckList records;
  ResultTable grid = makeByteGrid();
  BlockExplorer explorer{doc, blocks, records, grid};
};

TEST(BlockExplorer, OpensWithEveryBlockCheckedAndTheGridColumnsNumbered) {
  Explorer e(false);
  EXPECT_EQ(e.blocks.texts(), "+7 +9 +4 ");
  EXPECT_EQ(e.blocks.selection, -1);
  EXPECT_EQ(e.records.count(), 0);
  ASSERT_EQ(e.grid.columnCount(), 402u);
  EXPECT_EQ(e.grid.columnCaption(0), "NN");
  EXPECT_EQ(e.grid.columnWidth(0), 50);
  EXPECT_EQ(e.grid.columnCaption(401), "401");
  EXPECT_EQ(e.grid.columnWidth(401), 25);
  EXPECT_EQ(e.grid.hint(), "Данные"_cp);
  // Opening changes no mark: the marks take the boxes' states on the next selection.
  EXPECT_EQ(e.marks(), "bRr b br ");
  e.select(0);
  EXPECT_EQ(e.marks(), "BRr b br ");
  EXPECT_EQ(e.records.texts(), "+1 -2 ");
}

TEST(BlockExplorer, MarkingFollowsTheListsStepByStep) {
  Explorer e;
  e.select(0);
  EXPECT_TRUE(e.grid.rows().empty()) << "selecting a block leaves the grid as it was";

  // Unchecking the selected block unmarks it and all its records; the record list stays empty
  // until the block is selected again, which shows the new marks.
  e.blocks.setChecked(0, false);
  e.explorer.toggleBlockMark();
  EXPECT_EQ(e.records.count(), 0);
  EXPECT_EQ(e.marks(), "brr B Br ");
  e.explorer.selectBlock();
  EXPECT_EQ(e.records.texts(), "-1 -2 ");
  e.blocks.setChecked(0, true);
  e.explorer.toggleBlockMark();
  e.explorer.selectBlock();
  EXPECT_EQ(e.records.texts(), "+1 +2 ");
  EXPECT_EQ(e.marks(), "BRR B Br ");

  // Record clicks: the records take their boxes, the block follows whether any is checked.
  e.records.setChecked(0, false);
  e.records.setChecked(1, false);
  e.explorer.showRecords();
  EXPECT_EQ(e.marks(), "brr B Br ");
  EXPECT_EQ(e.blocks.texts(), "-7 +9 +4 ");
  EXPECT_TRUE(e.doc.savePmEnabled()) << "other blocks are still checked";
  e.records.setChecked(1, true);
  e.explorer.showRecords();
  EXPECT_EQ(e.marks(), "BrR B Br ");

  // A block without records: the grid empties and the block is unmarked and unchecked.
  e.select(1);
  e.explorer.showRecords();
  EXPECT_TRUE(e.grid.rows().empty());
  EXPECT_EQ(e.marks(), "BrR b Br ");
  EXPECT_EQ(e.blocks.texts(), "+7 -9 +4 ");

  // The last checked block unmarked by its records disables the PM writer, while an unchecked
  // block keeps its mark until it is selected again.
  e.blocks.setChecked(0, false);
  e.select(2);
  e.explorer.showRecords();
  EXPECT_EQ(e.marks(), "BrR b br ");
  EXPECT_FALSE(e.doc.savePmEnabled());

  // With no block selected a record-list click only sets the command's state.
  e.blocks.setChecked(2, true);
  e.blocks.selection = -1;
  e.explorer.showRecords();
  EXPECT_EQ(e.marks(), "BrR b br ");
  EXPECT_TRUE(e.doc.savePmEnabled());

  e.explorer.setAllMarks(false);
  EXPECT_EQ(e.marks(), "brr b br ");
  EXPECT_EQ(e.blocks.texts(), "-7 -9 -4 ");
  EXPECT_FALSE(e.doc.savePmEnabled());
  e.explorer.setAllMarks(true);
  EXPECT_EQ(e.marks(), "BRR B BR ");
  EXPECT_EQ(e.blocks.texts(), "+7 +9 +4 ");
  EXPECT_TRUE(e.doc.savePmEnabled());
}

TEST(BlockExplorer, AModelWithoutBlocksChangesNothing) {
  Document doc;
  MemoryCheckList blocks, records;
  ResultTable grid = makeByteGrid();
  BlockExplorer explorer(doc, blocks, records, grid);
  explorer.open();
  EXPECT_EQ(blocks.count(), 0);
  explorer.selectBlock();
  EXPECT_FALSE(doc.savePmEnabled());
  doc.setSavePmEnabled(true);
  explorer.showRecords();
  EXPECT_FALSE(doc.savePmEnabled());
  explorer.setAllMarks(true);
  EXPECT_FALSE(doc.savePmEnabled());
}

TEST(BlockExplorer, TheGridShowsEachRecordThreeWaysCutAt401Bytes) {
  Explorer e;
  e.select(0);
  e.explorer.showRecords();
  ASSERT_EQ(e.grid.rowCount(), 6u);
  for (std::size_t r = 0; r < 3; ++r)
    EXPECT_EQ(e.grid.row(r).caption(), "1");
  EXPECT_EQ(test::subItemsOf(e.grid.row(0)), (std::vector<std::string>{"A", "10", "B0"}));
  EXPECT_EQ(test::subItemsOf(e.grid.row(1)), (std::vector<std::string>{"\x0A", "\x10", "\xB0"}));
  EXPECT_EQ(test::subItemsOf(e.grid.row(2)),
            (std::vector<std::string>{"\xBA", std::string("А"_cp), "\x60"}));
  for (std::size_t r = 3; r < 6; ++r) {
    EXPECT_EQ(e.grid.row(r).caption(), "2");
    EXPECT_EQ(e.grid.row(r).subItemCount(), 0u) << "a record of no bytes gives bare captions";
  }

  ResultTable grid = makeByteGrid();
  std::vector<std::uint8_t> big;
  for (int k = 0; k < 500; ++k)
    big.push_back(static_cast<std::uint8_t>(k));
  addRecordRows(grid, 3, Record{big});
  for (std::size_t r = 0; r < 3; ++r)
    EXPECT_EQ(grid.row(r).subItemCount(), 401u);
  EXPECT_EQ(grid.row(0).subItem(400), "90");
  EXPECT_EQ(grid.row(0).subItem(0), "0");
  EXPECT_EQ(grid.row(2).subItem(0x4F), "я"_cp);
}

TEST(RawSections, ListsASectionAndDecodesTheClickedValue) {
  Document doc;
  const std::string text = "[Info]\r\nA=0A41C0\r\nB=0A41C\r\nC=4G\r\nD=\r\n";
  openDocument(doc, FileKind::Pm,
               ReaderInput::bytes("dump.pm", std::vector<std::uint8_t>(text.begin(), text.end())));
  EXPECT_EQ(sectionLines(doc, "info"),
            (std::vector<std::string>{"A=0A41C0", "B=0A41C", "C=4G", "D="}));
  EXPECT_TRUE(sectionLines(doc, "none").empty());

  const std::vector<std::string> expected{"-\xF1\x70", "-A\xC0"};
  showValueOfLine(doc, "Info", "A=0A41C0");
  EXPECT_EQ(doc.memo, expected);
  showValueOfLine(doc, "Info", "b=ignored");  // the odd last digit is ignored
  EXPECT_EQ(doc.memo, (std::vector<std::string>{"-\xF1", "-A"}));
  showValueOfLine(doc, "Info", "D");
  EXPECT_EQ(doc.memo, (std::vector<std::string>{"", ""}));

  // A pair that is not hexadecimal, a key the section lacks ("NO") and a list without
  // selection are errors that leave the memo as it was.
  doc.memo = {"kept"};
  for (const auto& [section, line] : std::vector<std::pair<Selection, Selection>>{
           {"Info", "C=4G"}, {"Info", "Z=00"}, {std::nullopt, "A=0A"}, {"Info", std::nullopt}}) {
    EXPECT_THROW(showValueOfLine(doc, section, line), FormatError);
    EXPECT_EQ(doc.memo, std::vector<std::string>{"kept"});
  }
  EXPECT_THROW(sectionLines(doc, std::nullopt), FormatError);
}

}  // namespace
}  // namespace kestrel::explorer
