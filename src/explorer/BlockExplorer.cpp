#include "explorer/BlockExplorer.h"

#include <algorithm>

#include "core/Ascii.h"
#include "core/Cp1251.h"

namespace kestrel::explorer {

namespace {

constexpr int kNumberColumnWidth = 50;
constexpr int kByteColumnWidth = 25;
constexpr int kShift = 176;

// A block index of the model, or -1 for a list position the model does not hold.
int modelBlock(const BlockModel& model, int item) {
  return item >= 0 && item <= model.lastBlock() ? item : -1;
}

std::string hexWithoutLeadingZero(std::uint8_t byte) {
  std::string out;
  if (byte >= 0x10) out += kHexDigits[byte >> 4];
  out += kHexDigits[byte & 0x0F];
  return out;
}

}  // namespace

ResultTable makeByteGrid() {
  std::vector<ResultTable::Column> columns;
  columns.reserve(kGridByteColumns + 1);
  columns.push_back({"NN", kNumberColumnWidth});
  for (int c = 1; c <= kGridByteColumns; ++c)
    columns.push_back({std::to_string(c), kByteColumnWidth});
  return ResultTable(std::string(kGridHint), std::move(columns));
}

void addRecordRows(ResultTable& grid, int number, const Record& record) {
  const std::size_t shown = std::min<std::size_t>(record.bytes.size(), kGridByteColumns);
  const std::string caption = std::to_string(number);
  // One row after another, so that each is complete before the next is added.
  ResultTable::Row& hex = grid.addRow(caption, 0);
  for (std::size_t k = 0; k < shown; ++k)
    hex.addSubItem(hexWithoutLeadingZero(record.bytes[k]));
  ResultTable::Row& plain = grid.addRow(caption, 0);
  for (std::size_t k = 0; k < shown; ++k)
    plain.addSubItem(std::string(1, static_cast<char>(record.bytes[k])));
  ResultTable::Row& shifted = grid.addRow(caption, 0);
  for (std::size_t k = 0; k < shown; ++k)
    shifted.addSubItem(std::string(1, static_cast<char>((record.bytes[k] + kShift) % 256)));
}

BlockExplorer::BlockExplorer(Document& doc, CheckList& blocks, CheckList& records,
                             ResultTable& grid)
    : doc_(doc), blocks_(blocks), records_(records), grid_(grid) {}

void BlockExplorer::open() {
  blocks_.clear();
  records_.clear();
  for (const int number : doc_.model.blockNumbers)
    blocks_.setChecked(blocks_.append(std::to_string(number)), true);
}

void BlockExplorer::selectBlock() {
  records_.clear();
  BlockModel& model = doc_.model;
  const int i = modelBlock(model, blocks_.selected());
  if (i >= 0) {
    model.blockMarks[i] = blocks_.checked(i);
    const Block block = model.block(i);
    for (std::size_t j = 0; j < block.recordCount(); ++j)
      records_.setChecked(records_.append(std::to_string(block.recordNumber(j))),
                          block.recordMark(j));
  }
  updateSaveCommand();
}

void BlockExplorer::toggleBlockMark() {
  records_.clear();
  BlockModel& model = doc_.model;
  const int i = modelBlock(model, blocks_.selected());
  if (i < 0) return;
  const bool on = blocks_.checked(i);
  model.blockMarks[i] = on;
  model.setRecordMarks(i, on);
}

void BlockExplorer::showRecords() {
  BlockModel& model = doc_.model;
  const int i = modelBlock(model, blocks_.selected());
  if (i >= 0) {
    const Block block = model.block(i);
    // The list shows the selected block's records; positions beyond them are not the model's.
    const int shown = std::min(records_.count(), block.lastRecord() + 1);
    grid_.clear();
    for (int j = 0; j < shown; ++j)
      addRecordRows(grid_, block.recordNumber(j), block.record(j));
    bool any = false;
    for (int j = 0; j < shown; ++j) {
      const bool mark = records_.checked(j);
      model.setRecordMark(i, j, mark);
      any = any || mark;
    }
    model.blockMarks[i] = any;
    blocks_.setChecked(i, any);
  }
  updateSaveCommand();
}

void BlockExplorer::setAllMarks(bool on) {
  BlockModel& model = doc_.model;
  const int count = std::min(blocks_.count(), model.lastBlock() + 1);
  for (int i = 0; i < count; ++i) {
    model.setRecordMarks(i, on);
    blocks_.setChecked(i, on);
    model.blockMarks[i] = on;
  }
  for (int j = 0; j < records_.count(); ++j)
    records_.setChecked(j, on);
  updateSaveCommand();
}

void BlockExplorer::updateSaveCommand() {
  bool any = false;
  for (int i = 0; i < blocks_.count() && !any; ++i)
    any = blocks_.checked(i);
  doc_.setSavePmEnabled(any);
}

}  // namespace kestrel::explorer
