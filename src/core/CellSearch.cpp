#include "core/CellSearch.h"

#include <array>

#include "core/Ascii.h"
#include "core/CaseFold.h"
#include "core/PhoneLines.h"

namespace kestrel {

namespace {

// Whether the text is written as a phone number: digits laid out as numbers are, a service
// code's "*" and "#" included.
bool isWrittenAsNumber(std::string_view text) {
  bool digit = false;
  for (const char c : text) {
    if (c >= '0' && c <= '9') {
      digit = true;
      continue;
    }
    if (!isBlankByte(c) && c != '+' && c != '*' && c != '#' && c != '-' && c != '.' && c != '(' &&
        c != ')')
      return false;
  }
  return digit;
}

bool hasDigit(std::string_view text) {
  for (const char c : text)
    if (c >= '0' && c <= '9') return true;
  return false;
}

constexpr std::array<ShownTable, kShownTableCount> kTables = {
    ShownTable::Information, ShownTable::Phonebook, ShownTable::Calls, ShownTable::Calendar};

}  // namespace

std::string_view shownTableName(ShownTable table) {
  switch (table) {
    case ShownTable::Information:
      return "information";
    case ShownTable::Phonebook:
      return "phonebook";
    case ShownTable::Calls:
      return "calls";
    case ShownTable::Calendar:
      return "calendar";
  }
  return {};
}

const ResultTable& shownTable(const DocumentData& doc, ShownTable table) {
  switch (table) {
    case ShownTable::Phonebook:
      return doc.phonebook;
    case ShownTable::Calls:
      return doc.calls;
    case ShownTable::Calendar:
      return doc.calendar;
    case ShownTable::Information:
      break;
  }
  return doc.information;
}

CellQuery::CellQuery(std::string_view text) {
  const std::string_view core = trimBlanks(text);
  folded_.reserve(core.size());
  for (const char c : core)
    folded_ += foldedByte(c);
  if (isWrittenAsNumber(core)) lineKey_ = phoneLineKey(core);
}

bool CellQuery::findText(std::string_view cell, std::size_t& offset) const {
  const std::size_t length = folded_.size();
  if (cell.size() < length) return false;
  const char first = folded_.front();
  const std::string_view rest = std::string_view(folded_).substr(1);
  for (std::size_t i = 0; i + length <= cell.size(); ++i) {
    if (foldedByte(cell[i]) != first) continue;
    std::size_t k = 0;
    while (k < rest.size() && foldedByte(cell[i + 1 + k]) == rest[k])
      ++k;
    if (k == rest.size()) {
      offset = i;
      return true;
    }
  }
  return false;
}

bool CellQuery::find(std::string_view cell, std::size_t& offset, std::size_t& length) const {
  if (folded_.empty()) return false;
  if (isNumber() && hasDigit(cell)) {
    std::size_t at = 0;
    for (std::string_view number = nextPhonebookNumber(cell, at); !number.empty();
         number = nextPhonebookNumber(cell, at)) {
      phoneLineKeyInto(number, key_);
      if (key_ == lineKey_) {
        offset = static_cast<std::size_t>(number.data() - cell.data());
        length = number.size();
        return true;
      }
    }
  }
  if (!findText(cell, offset)) return false;
  length = folded_.size();
  return true;
}

void forEachCellMatch(const DocumentData& doc, std::string_view text,
                      const std::function<void(const CellMatch&)>& hit) {
  const CellQuery query(text);
  if (query.empty()) return;
  for (const ShownTable which : kTables) {
    const ResultTable& table = shownTable(doc, which);
    // The first column of the other tables holds the running number, which is no data.
    const std::size_t firstColumn = which == ShownTable::Information ? 0 : 1;
    const std::size_t columns = table.columnCount();
    std::size_t r = 0;
    for (const ResultTable::Row& row : table.rows()) {
      for (std::size_t c = firstColumn; c < columns; ++c) {
        const std::string_view cell = row.cell(c);
        CellMatch match{which, r, c, 0, 0};
        if (!cell.empty() && query.find(cell, match.offset, match.length)) hit(match);
      }
      ++r;
    }
  }
}

std::vector<CellMatch> findInDocument(const DocumentData& doc, std::string_view text) {
  std::vector<CellMatch> matches;
  forEachCellMatch(doc, text, [&](const CellMatch& m) { matches.push_back(m); });
  return matches;
}

}  // namespace kestrel
