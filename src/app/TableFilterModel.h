#pragma once
// What a document table's view shows of its model: the rows sorted by a clicked column and
// narrowed by a filter text. The core table keeps its own order, so the exports, printing and
// the spreadsheet are not affected.

#include <QSortFilterProxyModel>
#include <optional>
#include <vector>

#include "core/CellOrder.h"
#include "core/ResultTable.h"

class QTableView;

namespace kestrel::app {

class ResultTableModel;

class TableFilterModel : public QSortFilterProxyModel {
  Q_OBJECT
 public:
  TableFilterModel(ResultTableModel& source, QObject* parent = nullptr);

  // Shows only the rows with the text in any shown cell, letter case aside (Cyrillic
  // included); an empty text shows every row.
  void setFilterText(const QString& text);
  // Shows only the given rows of the table, the filter text becoming `text`: rows that one
  // search text would not find together (a number written differently in different rows). The
  // rows stay while the filter text does; another text filters by text again.
  void setRowFilter(const QString& text, std::vector<std::size_t> rows);
  bool hasRowFilter() const { return rowFilter_.has_value(); }

 protected:
  bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
  // The column's cells in their order (core/CellOrder.h): dates by date, other texts
  // alphabetically with numbers by their value, so that row 10 follows row 9.
  bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

 private:
  static constexpr std::size_t kNoColumn = static_cast<std::size_t>(-1);

  const ResultTable& table_;
  QString text_;
  // The rows shown under the row filter, sorted.
  std::optional<std::vector<std::size_t>> rowFilter_;
  // The order of the column last sorted, judged from all its cells once the table has changed.
  mutable std::size_t orderColumn_ = kNoColumn;
  mutable CellOrder order_ = CellOrder::Text;
};

// The selected rows of a table view as the view shows them: the shown cells of each row joined
// by tabs, rows by line breaks, a tab or line break inside a cell made a space.
QString selectedRowsText(const QTableView& view);

}  // namespace kestrel::app
