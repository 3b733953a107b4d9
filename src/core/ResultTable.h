#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// A report-style table: an ordered list of rows under an ordered list of columns. Column 0 is
// the row's caption; sub-item k is the cell under column k + 1. Width 0 hides a column.
// Rows are only appended (and all cleared); a row reference stays valid until clear().
class ResultTable {
 public:
  struct Column {
    std::string caption;
    int width = 0;
  };
  struct Row {
    std::string caption;
    std::vector<std::string> subItems;

    void setCaption(std::string text) { caption = std::move(text); }
    void addSubItem(std::string text) { subItems.push_back(std::move(text)); }
    // Sub-item k, or an empty text when the row holds fewer.
    const std::string& subItem(std::size_t k) const;
    // Replaces sub-item k; a row holding fewer sub-items is first filled up with empty ones.
    void setSubItem(std::size_t k, std::string text);
    // Appends to sub-item k in place (filling up like setSubItem), so a cell built of many
    // pieces costs no more than its length.
    void appendToSubItem(std::size_t k, std::string_view piece);
  };

  ResultTable(std::string_view hint, std::vector<Column> columns, bool visible = true);

  const std::string& hint() const { return hint_; }
  bool visible() const { return visible_; }

  void clear() { rows_.clear(); }
  // Clears the rows and gives every column back the width it was made with.
  void reset();
  // Appends a row with an empty caption and no sub-items.
  Row& addRow();
  // Appends a row with the caption and `subItemCount` empty sub-items.
  Row& addRow(std::string caption, std::size_t subItemCount);
  std::size_t rowCount() const { return rows_.size(); }
  Row& row(std::size_t i) { return rows_.at(i); }
  const Row& row(std::size_t i) const { return rows_.at(i); }
  const std::deque<Row>& rows() const { return rows_; }

  std::size_t columnCount() const { return columns_.size(); }
  const std::string& columnCaption(std::size_t c) const { return columns_.at(c).caption; }
  int columnWidth(std::size_t c) const { return columns_.at(c).width; }
  void setColumnWidth(std::size_t c, int width) { columns_.at(c).width = width; }
  // Hides every column from `first` on.
  void hideColumnsFrom(std::size_t first);
  const std::vector<Column>& columns() const { return columns_; }

  // The text of a cell: column 0 is the caption, column c > 0 sub-item c - 1.
  const std::string& cell(std::size_t r, std::size_t c) const;

 private:
  std::string hint_;
  std::vector<Column> columns_;
  std::vector<Column> initialColumns_;
  std::deque<Row> rows_;
  bool visible_ = true;
};

}  // namespace kestrel
