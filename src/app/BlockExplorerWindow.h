#pragma once
// The block explorer: one document's blocks, the records of the selected block with their save
// marks, and a grid of the block's bytes. The rules live in the explorer layer; this window
// only shows them.

#include <QListWidget>
#include <memory>

#include "ChildWindow.h"
#include "core/ResultTable.h"
#include "explorer/BlockExplorer.h"

class QTableView;

namespace kestrel::app {

class DocumentWindow;
class FrameServices;
class ResultTableModel;

// The row of a list's selected item, or -1 when no item is selected.
int selectedRow(const QListWidget& list);

// A list widget as the explorer's check list. Changes made through it are not taken for the
// user's: they raise none of the handlers.
class ListWidgetCheckList : public explorer::CheckList {
 public:
  explicit ListWidgetCheckList(QListWidget& list) : list_(list) {}
  int count() const override { return list_.count(); }
  int selected() const override;
  bool checked(int item) const override;
  void setChecked(int item, bool on) override;
  void clear() override;
  int append(const std::string& text) override;

  // True while the program itself changes the list.
  bool changing() const { return changing_; }

 private:
  QListWidget& list_;
  bool changing_ = false;
};

class BlockExplorerWindow : public ChildWindow {
  Q_OBJECT
 public:
  BlockExplorerWindow(DocumentWindow& document, FrameServices& frame, QWidget* parent = nullptr);
  ~BlockExplorerWindow() override;

  DocumentWindow& documentWindow() const { return document_; }
  // ChildWindow: the open commands but EEPROM and vCard, the export, and printing disabled.
  Capabilities capabilities() const override;

  // The widgets, for tests.
  QListWidget* blockList() const { return blockList_; }
  QListWidget* recordList() const { return recordList_; }
  QTableView* grid() const { return gridView_; }
  const ResultTable& gridTable() const { return grid_; }

 public slots:
  void selectBlock();
  void toggleBlockMark();
  // The record list was clicked, or one of its check boxes toggled: the grid shows the block.
  void showRecord();
  // The block list's popup commands "Убрать все" and "Выбрать все".
  void unmarkAll();
  void markAll();
  // "Экспорт в Excel": the grid as the sheet "Данные".
  void exportToSpreadsheet() override;

 private:
  DocumentWindow& document_;
  FrameServices& frame_;
  QListWidget* blockList_ = nullptr;
  QListWidget* recordList_ = nullptr;
  QTableView* gridView_ = nullptr;
  ResultTable grid_;
  ResultTableModel* gridModel_ = nullptr;
  std::unique_ptr<ListWidgetCheckList> blocks_;
  std::unique_ptr<ListWidgetCheckList> records_;
  std::unique_ptr<explorer::BlockExplorer> explorer_;
};

}  // namespace kestrel::app
