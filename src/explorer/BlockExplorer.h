#pragma once
// The block explorer's rules: which blocks and records are marked for the PM writer, what the
// two check lists show and what the byte grid holds. A window supplies the lists; the rules run
// just as well over lists kept in memory.

#include <string>

#include "core/Cp1251.h"
#include "core/Document.h"
#include "core/ResultTable.h"

namespace kestrel::explorer {

// A list of texts with a check box each and at most one selected item.
class CheckList {
 public:
  virtual ~CheckList() = default;
  virtual int count() const = 0;
  // The selected item's index, or -1 when none is selected.
  virtual int selected() const = 0;
  virtual bool checked(int item) const = 0;
  virtual void setChecked(int item, bool on) = 0;
  virtual void clear() = 0;
  // Appends an unchecked item and returns its index.
  virtual int append(const std::string& text) = 0;
};

// The grid's columns: "NN" for the record number, then one per byte position "1" to "401".
inline constexpr int kGridByteColumns = 401;
inline constexpr std::string_view kGridHint = "Данные"_cp;

// An empty byte grid: its hint names the spreadsheet sheet it is exported to.
ResultTable makeByteGrid();

// The three grid rows of one record, each captioned with its number: the bytes in hexadecimal,
// the bytes as windows-1251 characters, and shifted by 176 so that the low bytes of UCS-2
// Cyrillic letters read as letters. At most the first 401 bytes are shown.
void addRecordRows(ResultTable& grid, int number, const Record& record);

// One explorer on a document: its block list, record list and byte grid. The marks it sets
// live in the document's block model and outlast the explorer.
class BlockExplorer {
 public:
  BlockExplorer(Document& doc, CheckList& blocks, CheckList& records, ResultTable& grid);

  // Lists every block of the model, each checked whatever its mark; nothing is selected.
  void open();
  // A block was selected: its mark follows its check box and the record list shows its records
  // with their marks. The grid keeps what it showed.
  void selectBlock();
  // The selected block's check box was toggled: the block and all its records take its state.
  // The record list stays empty until the block is selected again.
  void toggleBlockMark();
  // The record list was clicked (also after a record's check box was toggled): the grid shows
  // every record of the selected block, the records take their check boxes' states, and the
  // block is marked exactly when one of its records is.
  void showRecords();
  // "Убрать все" (false) and "Выбрать все" (true): every block and record of the model.
  void setAllMarks(bool on);

  Document& document() const { return doc_; }

 private:
  // The PM writer's command is enabled exactly when a block is checked.
  void updateSaveCommand();

  Document& doc_;
  CheckList& blocks_;
  CheckList& records_;
  ResultTable& grid_;
};

}  // namespace kestrel::explorer
