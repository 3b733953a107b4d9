#pragma once

#include <QAbstractTableModel>

#include "core/ResultTable.h"

class QTableView;

namespace kestrel::app {

// A Qt model over one core table: cells are converted for display only when the view asks, so a
// table of 100 000 rows opens as fast as one of 10.
class ResultTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit ResultTableModel(const ResultTable& table, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // The core table is about to change, and has changed (rows added or cleared, widths set):
  // the views show it anew after the second call.
  void beginTableChange();
  void endTableChange();
  // Gives the view's columns the table's widths; width 0 hides a column.
  void applyWidths(QTableView& view) const;

  const ResultTable& table() const { return table_; }

 private:
  const ResultTable& table_;
};

}  // namespace kestrel::app
