#include "ResultTableModel.h"

#include <QTableView>

#include "Text.h"

namespace kestrel::app {

ResultTableModel::ResultTableModel(const ResultTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {}

int ResultTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(table_.rowCount());
}

int ResultTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(table_.columnCount());
}

QVariant ResultTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
  if (static_cast<std::size_t>(index.row()) >= table_.rowCount()) return {};
  return toQString(
      table_.cell(static_cast<std::size_t>(index.row()), static_cast<std::size_t>(index.column())));
}

QVariant ResultTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section < 0 || static_cast<std::size_t>(section) >= table_.columnCount()) return {};
  return toQString(table_.columnCaption(static_cast<std::size_t>(section)));
}

void ResultTableModel::beginTableChange() {
  beginResetModel();
}

void ResultTableModel::endTableChange() {
  endResetModel();
}

void ResultTableModel::applyWidths(QTableView& view) const {
  for (std::size_t c = 0; c < table_.columnCount(); ++c) {
    const int width = table_.columnWidth(c);
    const int column = static_cast<int>(c);
    view.setColumnHidden(column, width == 0);
    if (width > 0) view.setColumnWidth(column, width);
  }
}

}  // namespace kestrel::app
