#pragma once
// Finding a text in a document's shown tables: every cell that holds it, in tab order, row by
// row, column by column.
//
// A text written as a phone number (digits with "+", "*", "#", blanks, dashes, dots and
// brackets) finds a cell holding a number of the same line (core/PhoneLines.h), so
// "+7 916 123-45-67" finds "89161234567", and a phonebook cell of several numbers when one of
// them is that line; it also finds itself written inside a cell as it is, so "4567" finds
// "89161234567". Any other text is found as a part of a cell, letter case aside (Latin and
// Cyrillic alike). The running number in the first column of the phonebook, the call log and
// the calendar is not searched: the row's place says it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Document.h"

namespace kestrel {

// The shown tables in tab order, by the names the program's JSON gives them.
enum class ShownTable : std::uint8_t { Information, Phonebook, Calls, Calendar };
inline constexpr std::size_t kShownTableCount = 4;
std::string_view shownTableName(ShownTable table);
const ResultTable& shownTable(const DocumentData& doc, ShownTable table);

struct CellMatch {
  ShownTable table = ShownTable::Information;
  std::size_t row = 0;     // the row's index in its table, from 0
  std::size_t column = 0;  // 0 is the row's caption, c > 0 its sub-item c - 1
  // Where the match lies in the cell's text: the number of the same line, or the text itself.
  std::size_t offset = 0;
  std::size_t length = 0;
};

// A text to look for (windows-1251), prepared once for many cells.
class CellQuery {
 public:
  explicit CellQuery(std::string_view text);
  // Nothing is found for a text of blanks only.
  bool empty() const { return folded_.empty(); }
  bool isNumber() const { return !lineKey_.empty(); }
  // Where the cell holds the text: true, with offset and length set, or false.
  bool find(std::string_view cell, std::size_t& offset, std::size_t& length) const;

 private:
  bool findText(std::string_view cell, std::size_t& offset) const;

  std::string folded_;       // the text, blanks around it left out, letter case folded
  std::string lineKey_;      // the phone line it writes; empty for a text that is no number
  mutable std::string key_;  // room for the keys of a cell's numbers
};

// Hands every matching cell of the document to `hit`, in tab order; no match when the text is
// blanks only.
void forEachCellMatch(const DocumentData& doc, std::string_view text,
                      const std::function<void(const CellMatch&)>& hit);
// The same gathered in a list.
std::vector<CellMatch> findInDocument(const DocumentData& doc, std::string_view text);

}  // namespace kestrel
