#pragma once

#include <cstdint>
#include <deque>
#include <memory>
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

  // A row's sub-items live in one of two forms. The row being filled keeps one text per
  // sub-item, so cells may be set and appended to in any order at the cost of their length.
  // Once a later row is added, the table packs it: every sub-item one after another in one
  // block behind their end offsets, which costs a fraction of the memory of separate texts on
  // tables of hundreds of thousands of rows. Changing a packed row unpacks it first.
  class Row {
   public:
    std::string caption;

    Row() = default;
    Row(const Row& other);
    Row& operator=(const Row& other);
    Row(Row&&) noexcept = default;
    Row& operator=(Row&&) noexcept = default;
    ~Row() = default;

    void setCaption(std::string text) { caption = std::move(text); }
    std::size_t subItemCount() const;
    // Sub-item k, or an empty text when the row holds fewer. The view stays valid until the
    // row is changed or packed.
    std::string_view subItem(std::size_t k) const;
    void addSubItem(std::string_view text);
    // Replaces sub-item k; a row holding fewer sub-items is first filled up with empty ones.
    void setSubItem(std::size_t k, std::string_view text);
    // Appends to sub-item k in place (filling up like setSubItem), so a cell built of many
    // pieces costs no more than its length.
    void appendToSubItem(std::size_t k, std::string_view piece);
    // Sub-item k as a text to write into directly (filling up like setSubItem), for decoders
    // that build a cell in place. The reference stays valid until the row is packed.
    std::string& subItemText(std::size_t k);

   private:
    friend class ResultTable;
    using Texts = std::vector<std::string>;

    // Packs the sub-items and hands their emptied texts to `spare`, whose capacity the next
    // row reuses.
    void pack(std::unique_ptr<Texts>& spare);
    Texts& unpack();
    std::size_t offsetAt(std::size_t k) const;
    std::size_t packedSize() const;

    // The sub-items of a row being filled; none once packed.
    std::unique_ptr<Texts> open_;
    // The end offset of each sub-item (2 bytes each, or 4 when the texts are longer than
    // 65535 bytes), then the texts.
    std::unique_ptr<char[]> packed_;
    std::uint32_t packedCount_ = 0;
    bool wideOffsets_ = false;
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
  std::string_view cell(std::size_t r, std::size_t c) const;

 private:
  std::string hint_;
  std::vector<Column> columns_;
  std::vector<Column> initialColumns_;
  std::deque<Row> rows_;
  // The emptied texts of the row packed last, for the next row; a copy of the table starts
  // without them.
  struct Spare {
    std::unique_ptr<Row::Texts> texts;
    Spare() = default;
    Spare(const Spare&) {}
    Spare& operator=(const Spare&) { return *this; }
    Spare(Spare&&) noexcept = default;
    Spare& operator=(Spare&&) noexcept = default;
    ~Spare() = default;
  };
  Spare spare_;
  bool visible_ = true;
};

}  // namespace kestrel
