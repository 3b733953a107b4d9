#include "core/ResultTable.h"

namespace kestrel {

namespace {
const std::string kEmpty;
}

const std::string& ResultTable::Row::subItem(std::size_t k) const {
  return k < subItems.size() ? subItems[k] : kEmpty;
}

void ResultTable::Row::setSubItem(std::size_t k, std::string text) {
  if (k >= subItems.size()) subItems.resize(k + 1);
  subItems[k] = std::move(text);
}

void ResultTable::Row::appendToSubItem(std::size_t k, std::string_view piece) {
  if (k >= subItems.size()) subItems.resize(k + 1);
  subItems[k] += piece;
}

ResultTable::ResultTable(std::string_view hint, std::vector<Column> columns, bool visible)
    : hint_(hint), columns_(columns), initialColumns_(std::move(columns)), visible_(visible) {}

void ResultTable::reset() {
  rows_.clear();
  columns_ = initialColumns_;
}

void ResultTable::hideColumnsFrom(std::size_t first) {
  for (std::size_t c = first; c < columns_.size(); ++c)
    columns_[c].width = 0;
}

ResultTable::Row& ResultTable::addRow() {
  return rows_.emplace_back();
}

ResultTable::Row& ResultTable::addRow(std::string caption, std::size_t subItemCount) {
  Row& r = rows_.emplace_back();
  r.caption = std::move(caption);
  r.subItems.resize(subItemCount);
  return r;
}

const std::string& ResultTable::cell(std::size_t r, std::size_t c) const {
  const Row& row = rows_.at(r);
  return c == 0 ? row.caption : row.subItem(c - 1);
}

}  // namespace kestrel
