#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/Document.h"
#include "core/Kinds.h"

namespace kestrel::test {

// Appends a phonebook row as a reader does: caption = running number, 13 cells, and every
// column that receives a value shown (width 100). Cells are given as {column, text}.
ResultTable::Row& addPhonebookRow(Document& doc,
                                  std::initializer_list<std::pair<int, std::string_view>> cells);

// Appends a row of `table` with the caption and one cell per further column.
ResultTable::Row& addTableRow(ResultTable& table, std::string caption,
                              std::initializer_list<std::string_view> cells);

// Appends a call of the status (none for kNone) with its number and date, numbered by its place.
ResultTable::Row& addCallRow(DocumentData& doc, CallStatus status, std::string_view number,
                             std::string_view date);
// Appends a calendar entry of the kind (none for kNone) with its date and the title "x".
ResultTable::Row& addCalendarRow(DocumentData& doc, CalendarKind kind, std::string_view date);

// Every sub-item of a row, in order.
std::vector<std::string> subItemsOf(const ResultTable::Row& row);

}  // namespace kestrel::test
