#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// A report-style table: an ordered list of rows under an ordered list of columns. Column 0 is
// the row's caption; sub-item k is the cell under column k + 1. Width 0 hides a column. Beside
// its texts a row keeps a kind: one byte that says what the row means (a missed call, a
// birthday), in the enum of its table (core/Kinds.h), so that no reader of the table has to
// recognise a display text.
// Rows are only appended (and all cleared); a row reference stays valid until clear().
class ResultTable {
 public:
  struct Column {
    std::string caption;
    int width = 0;
  };

  // A row lives in one of two forms. The row being filled keeps its caption and one text per
  // sub-item, so cells may be set and appended to in any order at the cost of their length.
  // Once a later row is added, the table packs it into its own store of rows: the caption and
  // the sub-items up to the last one that is not empty, one after another behind their end
  // offsets and the kind, in blocks of the table shared by many rows. A table of millions of short
  // rows then costs little more than their texts. Changing a packed row unpacks it first.
  class Row {
   public:
    Row() = default;
    Row(const Row& other);
    Row& operator=(const Row& other);
    Row(Row&& other) noexcept : form_(other.form_) { other.form_ = 0; }
    Row& operator=(Row&& other) noexcept;
    ~Row();

    // The view stays valid until the row is changed or packed.
    std::string_view caption() const;
    void setCaption(std::string_view text);
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

    // The same by column number: column 0 is the caption, column c > 0 sub-item c - 1.
    std::string_view cell(std::size_t column) const;
    void setCell(std::size_t column, std::string_view text);
    void appendToCell(std::size_t column, std::string_view piece);
    std::string& cellText(std::size_t column);

    // The row's kind in its table's enum; 0 (the enum's kNone) until one is set.
    std::uint8_t kind() const;
    void setKind(std::uint8_t kind);
    template <typename Kind>
    Kind kindAs() const {
      return static_cast<Kind>(kind());
    }
    template <typename Kind>
    void setKindOf(Kind k) {
      setKind(static_cast<std::uint8_t>(k));
    }

   private:
    friend class ResultTable;
    struct Open {
      std::string caption;
      std::vector<std::string> texts;
      std::uint8_t kind = 0;
    };

    // The row's form in one word, so that a packed row costs a pointer: 0 for a row of no
    // caption, no sub-items and kind 0, the address of its packed bytes in the table's store
    // (always even), or the address of its open form with the lowest bit set.
    Open* open() const;
    const unsigned char* packed() const;
    Open& unpack();
    void release() noexcept;

    std::uintptr_t form_ = 0;
  };

  ResultTable(std::string_view hint, std::vector<Column> columns, bool visible = true);
  // A copy packs its rows into a store of its own.
  ResultTable(const ResultTable& other);
  ResultTable& operator=(const ResultTable& other);
  ResultTable(ResultTable&&) noexcept = default;
  ResultTable& operator=(ResultTable&&) noexcept = default;
  ~ResultTable() = default;
  // Exchanges everything with the other table, rows and columns alike, without copying a row:
  // rows, and views of their texts, stay valid in the table that now holds them.
  void swap(ResultTable& other) noexcept;

  const std::string& hint() const { return hint_; }
  bool visible() const { return visible_; }

  void clear();
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
  std::string_view cell(std::size_t r, std::size_t c) const { return rows_.at(r).cell(c); }

 private:
  // Packs row r into the store and keeps its emptied open form for the next row.
  void pack(Row& r);
  // Room for n bytes in the store, at an even address.
  unsigned char* storeRoom(std::size_t n);

  std::string hint_;
  std::vector<Column> columns_;
  std::vector<Column> initialColumns_;
  std::deque<Row> rows_;
  // The store of packed rows: blocks that never move, filled one after another.
  std::vector<std::unique_ptr<unsigned char[]>> store_;
  std::size_t storeUsed_ = 0;
  std::size_t storeSize_ = 0;
  // The emptied open form of the row packed last, for the next row.
  std::unique_ptr<Row::Open> spare_;
  bool visible_ = true;
};

}  // namespace kestrel
