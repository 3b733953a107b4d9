#include "FoundCells.h"

#include <QApplication>
#include <QPainter>
#include <QPoint>
#include <QTextLayout>
#include <algorithm>
#include <utility>

#include "DocumentWindow.h"
#include "Text.h"

namespace kestrel::app {

namespace {

// A long cell (a note, a calendar text) is shown around its match: this much before it, and
// this much in all.
constexpr qsizetype kShownBefore = 40;
constexpr qsizetype kShownAfter = 200;

// The cell's text on one line: line breaks and tabs made spaces.
QString oneLine(std::string_view cp1251Text) {
  QString text = toQString(cp1251Text);
  for (QChar& c : text) {
    if (c.unicode() < 0x20) c = QLatin1Char(' ');
  }
  return text;
}

}  // namespace

QString shownTableCaption(ShownTable table) {
  switch (table) {
    case ShownTable::Information:
      return QStringLiteral("Информация");
    case ShownTable::Phonebook:
      return QStringLiteral("Зап. Книжка");
    case ShownTable::Calls:
      return QStringLiteral("Вызовы");
    case ShownTable::Calendar:
      return QStringLiteral("Календарь");
  }
  return {};
}

void FoundCellsModel::clear() {
  beginResetModel();
  for (const QMetaObject::Connection& connection : connections_)
    disconnect(connection);
  connections_.clear();
  sources_.clear();
  cells_.clear();
  unread_.clear();
  searched_ = 0;
  endResetModel();
}

void FoundCellsModel::search(const QList<DocumentWindow*>& documents, std::string_view text) {
  clear();
  beginResetModel();
  searched_ = static_cast<std::size_t>(documents.size());
  for (DocumentWindow* window : documents) {
    if (window->isReading()) {
      unread_.emplace_back(window);
      // The summary follows it: still being read, read since, or gone.
      connections_.push_back(
          connect(window, &DocumentWindow::readingFinished, this, &FoundCellsModel::countsChanged));
      connections_.push_back(
          connect(window, &QObject::destroyed, this, &FoundCellsModel::countsChanged));
      continue;
    }
    Source source{window, window, cells_.size(), 0, 0};
    forEachCellMatch(window->document(), text, [&](const CellMatch& match) {
      ++source.found;
      if (cells_.size() >= kMaxShown) return;
      cells_.push_back(match);
      ++source.shown;
    });
    if (source.found == 0) continue;
    sources_.push_back(source);
    // A closed window's cells go; so do those of a window whose tables change, since their rows
    // no longer say where they are.
    const QObject* key = window;
    connections_.push_back(
        connect(window, &QObject::destroyed, this, [this, key] { forget(key); }));
    connections_.push_back(
        connect(window, &DocumentWindow::tablesChanging, this, [this, key] { forget(key); }));
  }
  endResetModel();
}

void FoundCellsModel::forget(const QObject* window) {
  const auto source = std::ranges::find(sources_, window, &Source::key);
  if (source == sources_.end()) return;
  const std::size_t first = source->first;
  const std::size_t shown = source->shown;
  if (shown > 0) beginRemoveRows({}, static_cast<int>(first), static_cast<int>(first + shown - 1));
  const auto from = static_cast<std::ptrdiff_t>(first);
  cells_.erase(cells_.begin() + from, cells_.begin() + from + static_cast<std::ptrdiff_t>(shown));
  for (auto later = source + 1; later != sources_.end(); ++later)
    later->first -= shown;
  sources_.erase(source);
  if (shown > 0) endRemoveRows();
  emit countsChanged();
}

std::size_t FoundCellsModel::foundCount() const {
  std::size_t found = 0;
  for (const Source& source : sources_)
    found += source.found;
  return found;
}

std::size_t FoundCellsModel::documentCount() const {
  return sources_.size();
}

std::size_t FoundCellsModel::stillReadingCount() const {
  return static_cast<std::size_t>(std::ranges::count_if(
      unread_, [](const QPointer<DocumentWindow>& w) { return w && w->isReading(); }));
}

std::size_t FoundCellsModel::readSinceCount() const {
  return static_cast<std::size_t>(std::ranges::count_if(
      unread_, [](const QPointer<DocumentWindow>& w) { return w && !w->isReading(); }));
}

const FoundCellsModel::Source* FoundCellsModel::sourceOf(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= cells_.size()) return nullptr;
  // The last source whose cells begin at or before the row: sources lie in the list in order,
  // and only those past the list's end hold none of its cells.
  const auto after =
      std::ranges::upper_bound(sources_, static_cast<std::size_t>(row), {}, &Source::first);
  return &*(after - 1);
}

DocumentWindow* FoundCellsModel::document(int row) const {
  const Source* source = sourceOf(row);
  return source != nullptr ? source->window.data() : nullptr;
}

const CellMatch* FoundCellsModel::match(int row) const {
  return sourceOf(row) != nullptr ? &cells_[static_cast<std::size_t>(row)] : nullptr;
}

int FoundCellsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(cells_.size());
}

int FoundCellsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QVariant FoundCellsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case DocumentColumn:
      return QStringLiteral("Документ");
    case TableColumn:
      return QStringLiteral("Таблица");
    case RowColumn:
      return QStringLiteral("Строка");
    case ColumnColumn:
      return QStringLiteral("Столбец");
    case TextColumn:
      return QStringLiteral("Текст");
    default:
      return {};
  }
}

QVariant FoundCellsModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != kMatchRole) return {};
  const DocumentWindow* window = document(index.row());
  const CellMatch* found = match(index.row());
  if (window == nullptr || found == nullptr) return {};
  const ResultTable& table = shownTable(window->document(), found->table);
  if (found->row >= table.rowCount() || found->column >= table.columnCount()) return {};
  const int column = index.column();
  if (role == kMatchRole && column != TextColumn) return {};
  switch (column) {
    case DocumentColumn:
      return toQString(window->document().caption);
    case TableColumn:
      return shownTableCaption(found->table);
    case RowColumn:
      return QString::number(found->row + 1);
    case ColumnColumn:
      return toQString(table.columnCaption(found->column));
    case TextColumn:
      break;
    default:
      return {};
  }
  const std::string_view cell = table.cell(found->row, found->column);
  if (role == Qt::ToolTipRole) return toQString(cell);
  const std::size_t offset = std::min(found->offset, cell.size());
  const std::size_t length = std::min(found->length, cell.size() - offset);
  QString before = oneLine(cell.substr(0, offset));
  const QString marked = oneLine(cell.substr(offset, length));
  QString after = oneLine(cell.substr(offset + length));
  if (before.size() > kShownBefore) before = QStringLiteral("…") + before.right(kShownBefore);
  if (after.size() > kShownAfter) after = after.left(kShownAfter) + QStringLiteral("…");
  if (role == kMatchRole)
    return QPoint(static_cast<int>(before.size()), static_cast<int>(marked.size()));
  return before + marked + after;
}

void MatchDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const {
  const QVariant span = index.data(FoundCellsModel::kMatchRole);
  if (!span.isValid()) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  QStyleOptionViewItem item(option);
  initStyleOption(&item, index);
  const QString text = std::exchange(item.text, QString());
  QStyle* style = item.widget != nullptr ? item.widget->style() : QApplication::style();
  // The row's background, selection and focus as any cell has them; then the text.
  style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);
  const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &item, item.widget);
  const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, item.widget) + 1;

  QTextCharFormat mark;
  mark.setFontWeight(QFont::Bold);
  mark.setBackground(QColor(255, 220, 80));
  mark.setForeground(Qt::black);
  const QPoint at = span.toPoint();
  QTextLayout layout(text, item.font);
  layout.setFormats({QTextLayout::FormatRange{at.x(), at.y(), mark}});
  layout.beginLayout();
  QTextLine line = layout.createLine();
  line.setLineWidth(1e6);
  layout.endLayout();

  painter->save();
  painter->setClipRect(area);
  const bool selected = (item.state & QStyle::State_Selected) != 0;
  painter->setPen(item.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
  const qreal top = area.top() + (area.height() - line.height()) / 2;
  layout.draw(painter, QPointF(area.left() + margin, top));
  painter->restore();
}

}  // namespace kestrel::app
