#include "TableFilterModel.h"

#include <QItemSelectionModel>
#include <QTableView>
#include <algorithm>

#include "ResultTableModel.h"
#include "Text.h"

namespace kestrel::app {

TableFilterModel::TableFilterModel(ResultTableModel& source, QObject* parent)
    : QSortFilterProxyModel(parent), table_(source.table()) {
  setSourceModel(&source);
  // A table read anew may hold other texts in the sorted column, and other rows at the numbers
  // of a row filter: the filter text alone stays.
  connect(&source, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
    orderColumn_ = kNoColumn;
    rowFilter_.reset();
  });
}

void TableFilterModel::setFilterText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  rowFilter_.reset();
  invalidateRowsFilter();
}

void TableFilterModel::setRowFilter(const QString& text, std::vector<std::size_t> rows) {
  std::ranges::sort(rows);
  text_ = text;
  rowFilter_ = std::move(rows);
  invalidateRowsFilter();
}

bool TableFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
  const auto row = static_cast<std::size_t>(sourceRow);
  if (rowFilter_) return std::ranges::binary_search(*rowFilter_, row);
  if (text_.isEmpty()) return true;
  if (row >= table_.rowCount()) return false;
  for (std::size_t c = 0; c < table_.columnCount(); ++c) {
    if (table_.columnWidth(c) > 0 &&
        toQString(table_.cell(row, c)).contains(text_, Qt::CaseInsensitive))
      return true;
  }
  return false;
}

bool TableFilterModel::lessThan(const QModelIndex& left, const QModelIndex& right) const {
  const auto column = static_cast<std::size_t>(left.column());
  if (column != orderColumn_) {
    order_ = cellOrderOf(table_, column);
    orderColumn_ = column;
  }
  const std::string_view a = table_.cell(static_cast<std::size_t>(left.row()), column);
  const std::string_view b = table_.cell(static_cast<std::size_t>(right.row()), column);
  // The view turns the comparison round for a descending sort; comesBefore says what it shows.
  const bool descending = sortOrder() == Qt::DescendingOrder;
  return descending ? comesBefore(b, a, order_, true) : comesBefore(a, b, order_, false);
}

QString selectedRowsText(const QTableView& view) {
  const QAbstractItemModel* model = view.model();
  if (model == nullptr || view.selectionModel() == nullptr) return {};
  QModelIndexList rows = view.selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end(),
            [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  QStringList lines;
  for (const QModelIndex& index : rows) {
    QStringList cells;
    for (int c = 0; c < model->columnCount(); ++c) {
      if (view.isColumnHidden(c)) continue;
      QString text = model->index(index.row(), c).data().toString();
      for (QChar& ch : text) {
        if (ch == QLatin1Char('\t') || ch == QLatin1Char('\r') || ch == QLatin1Char('\n'))
          ch = QLatin1Char(' ');
      }
      cells << text;
    }
    lines << cells.join(QLatin1Char('\t'));
  }
  return lines.join(QLatin1Char('\n'));
}

}  // namespace kestrel::app
