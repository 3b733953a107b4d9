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

ResultTable::Row& addCallRow(DocumentData& doc, CallStatus status, std::string_view number,
                             std::string_view date) {
  auto& row = addTableRow(doc.calls, std::to_string(doc.calls.rowCount()), {"", number, "", date});
  if (status != CallStatus::kNone) setCallStatus(row, status, CallWording::kCall);
  return row;
}

ResultTable::Row& addCalendarRow(DocumentData& doc, CalendarKind kind, std::string_view date) {
  auto& row =
      addTableRow(doc.calendar, std::to_string(doc.calendar.rowCount()), {date, "", "x", ""});
  if (kind != CalendarKind::kNone) setCalendarKind(row, kind);
  return row;
}

}  // namespace kestrel::test
