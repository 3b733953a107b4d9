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
}

void TableFilterModel::setFilterText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  invalidateRowsFilter();
}

bool TableFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
  if (text_.isEmpty()) return true;
  const auto row = static_cast<std::size_t>(sourceRow);
  if (row >= table_.rowCount()) return false;
  for (std::size_t c = 0; c < table_.columnCount(); ++c) {
    if (table_.columnWidth(c) > 0 &&
        toQString(table_.cell(row, c)).contains(text_, Qt::CaseInsensitive))
      return true;
  }
  return false;
}

namespace {

// The place of a character in the order: letter case aside, and ё right after е as the Russian
// alphabet has it.
int orderOf(QChar c) {
  const char16_t folded = c.toCaseFolded().unicode();
  if (folded == u'ё') return 2 * u'е' + 1;
  return 2 * folded;
}

bool isDigit(QChar c) {
  return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Compares two texts character by character, a run of digits by the number it writes.
int compareTexts(const QString& a, const QString& b) {
  qsizetype i = 0;
  qsizetype j = 0;
  while (i < a.size() && j < b.size()) {
    if (isDigit(a[i]) && isDigit(b[j])) {
      while (i < a.size() && a[i] == QLatin1Char('0'))
        ++i;
      while (j < b.size() && b[j] == QLatin1Char('0'))
        ++j;
      qsizetype endA = i;
      qsizetype endB = j;
      while (endA < a.size() && isDigit(a[endA]))
        ++endA;
      while (endB < b.size() && isDigit(b[endB]))
        ++endB;
      // More digits is a larger number; as many digits compare digit by digit.
      if (endA - i != endB - j) return endA - i < endB - j ? -1 : 1;
      const int digits = QStringView(a).mid(i, endA - i).compare(QStringView(b).mid(j, endB - j));
      if (digits != 0) return digits;
      i = endA;
      j = endB;
      continue;
    }
    const int x = orderOf(a[i]);
    const int y = orderOf(b[j]);
    if (x != y) return x < y ? -1 : 1;
    ++i;
    ++j;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

}  // namespace

bool TableFilterModel::lessThan(const QModelIndex& left, const QModelIndex& right) const {
  return compareTexts(left.data().toString(), right.data().toString()) < 0;
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
