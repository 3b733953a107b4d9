#include "core/CellSearch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Cp1251.h"

namespace kestrel {
namespace {

// A row of UTF-8 texts: its caption, then its sub-items.
void addRow(ResultTable& table, const std::vector<std::string>& cells) {
  ResultTable::Row& row = table.addRow(*fromUtf8(cells.front()), 0);
  for (std::size_t k = 1; k < cells.size(); ++k)
    row.addSubItem(*fromUtf8(cells[k]));
}

// A small document: numbers written in several ways, Cyrillic names in either case, service
// codes.
void fill(DocumentData& doc) {
  addRow(doc.information, {"Model", "Kestrel K1"});
  addRow(doc.phonebook,
         {"0", "Иванов Иван ", "+79161234567 84951234567 ", "ООО Ромашка", "", "", "", "", ""});
  addRow(doc.phonebook,
         {"1", "Петрова Анна", "8 (903) 123-45-67", "", "", "", "", "", "звонить после 18"});
  addRow(doc.phonebook, {"2", "Фёдор Ёлкин", "1234 5678"});
  addRow(doc.calls, {"77", "Исходящие", "89161234567", "Иванов Иван"});
  addRow(doc.calls, {"78", "Входящие", "*100#"});
  addRow(doc.calls, {"79", "Входящие", "*1000#"});
  addRow(doc.calls, {"80", "Пропущеные", "100"});
  addRow(doc.calendar, {"0", "12.04.1975", "День рождения", "Иванов Иван", "ИВАНОВ зовёт"});
}

// "table row/column «what matched»", the match cut out of its cell.
std::vector<std::string> hitsOf(const DocumentData& doc, const std::string& utf8Text) {
  std::vector<std::string> hits;
  for (const CellMatch& m : findInDocument(doc, *fromUtf8(utf8Text))) {
    const std::string_view cell = shownTable(doc, m.table).cell(m.row, m.column);
    hits.push_back(std::string(shownTableName(m.table)) + " " + std::to_string(m.row) + "/" +
                   std::to_string(m.column) + " «" + toUtf8(cell.substr(m.offset, m.length)) + "»");
  }
  return hits;
}

TEST(CellSearch, FindsEveryMatchingCellInTabOrder) {
  struct Case {
    const char* text;
    std::vector<std::string> hits;
  };
  using H = std::vector<std::string>;
  const std::vector<Case> cases = {
      // One line written two ways finds both, in a cell of several numbers too.
      {"+7 916 123-45-67", H{"phonebook 0/2 «+79161234567»", "calls 0/2 «89161234567»"}},
      {"+7 (495) 123-45-67", H{"phonebook 0/2 «84951234567»"}},
      // A number written in groups in the cell.
      {"89031234567", H{"phonebook 1/2 «8 (903) 123-45-67»"}},
      // A number as it is written inside a cell, though no line of its own.
      {"4567", H{"phonebook 0/2 «4567»", "calls 0/2 «4567»"}},
      // A service code is its own line: it finds only itself.
      {"*100#", H{"calls 1/2 «*100#»"}},
      {"#", H{"calls 1/2 «#»", "calls 2/2 «#»"}},
      // Cyrillic in another case, in several columns and tables.
      {"иванов", H{"phonebook 0/1 «Иванов»", "calls 0/3 «Иванов»", "calendar 0/3 «Иванов»",
                   "calendar 0/4 «ИВАНОВ»"}},
      {"ёЛКИН", H{"phonebook 2/1 «Ёлкин»"}},
      {"ромашка", H{"phonebook 0/3 «Ромашка»"}},
      {"ЗОВЁТ", H{"calendar 0/4 «зовёт»"}},
      {"зовет", H{}},  // е and ё stay two letters
      // Latin letters, the information's caption column included; blanks around are no part.
      {"  KESTREL ", H{"information 0/1 «Kestrel»"}},
      {"model", H{"information 0/0 «Model»"}},
      // The running number of a row is not searched.
      {"77", H{}},
      {"12.04.1975", H{"calendar 0/1 «12.04.1975»"}},
      {"после 18", H{"phonebook 1/8 «после 18»"}},
      {"   ", H{}},
      {"", H{}},
  };
  DocumentData doc;
  fill(doc);
  for (const Case& c : cases)
    EXPECT_EQ(hitsOf(doc, c.text), c.hits) << c.text;
}

}  // namespace
}  // namespace kestrel
