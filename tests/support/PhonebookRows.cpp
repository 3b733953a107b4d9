#include "support/PhonebookRows.h"

namespace kestrel::test {

ResultTable::Row& addPhonebookRow(Document& doc,
                                  std::initializer_list<std::pair<int, std::string_view>> cells) {
  ResultTable::Row& row = doc.phonebook.addRow(std::to_string(doc.phonebook.rowCount() + 1), 13);
  for (const auto& [column, text] : cells) {
    row.setSubItem(static_cast<std::size_t>(column) - 1, std::string(text));
    doc.phonebook.setColumnWidth(static_cast<std::size_t>(column), 100);
  }
  return row;
}

ResultTable::Row& addTableRow(ResultTable& table, std::string caption,
                              std::initializer_list<std::string_view> cells) {
  ResultTable::Row& row = table.addRow(std::move(caption), table.columnCount() - 1);
  std::size_t k = 0;
  for (const std::string_view text : cells)
    row.setSubItem(k++, std::string(text));
  return row;
}

std::vector<std::string> subItemsOf(const ResultTable::Row& row) {
  std::vector<std::string> texts;
  for (std::size_t k = 0; k < row.subItemCount(); ++k)
    texts.emplace_back(row.subItem(k));
  return texts;
}

}  // namespace kestrel::test
