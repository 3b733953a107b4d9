#pragma once
// The cells a search over every open document found, as the results list shows them: the
// document, the table, the row number, the column and the cell's text with the match marked.
// The list follows the documents: a document that closes or whose tables change takes its
// results with it.

#include <QAbstractTableModel>
#include <QPointer>
#include <QStyledItemDelegate>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/CellSearch.h"

namespace kestrel::app {

class DocumentWindow;

class FoundCellsModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { DocumentColumn, TableColumn, RowColumn, ColumnColumn, TextColumn, ColumnCount };
  // On the text column: where the match lies in the shown text, as a QPoint of its start and
  // length.
  static constexpr int kMatchRole = Qt::UserRole + 1;
  // The list keeps at most this many cells; the rest are counted.
  static constexpr std::size_t kMaxShown = 100'000;

  using QAbstractTableModel::QAbstractTableModel;

  // Replaces the results with a search of `text` (windows-1251) over the documents in turn.
  // Documents being read are not searched; they are counted.
  void search(const QList<DocumentWindow*>& documents, std::string_view text);
  void clear();

  // What the last search found and what is left of it.
  std::size_t foundCount() const;
  std::size_t documentCount() const;
  // How many documents there were to search, read or not.
  std::size_t searchedCount() const { return searched_; }
  // The documents that were being read and so not searched: those still being read, and those
  // read since, which a new search would take.
  std::size_t stillReadingCount() const;
  std::size_t readSinceCount() const;

  // The found cell of a row of the list, and the document it lies in (none once that closed).
  DocumentWindow* document(int row) const;
  const CellMatch* match(int row) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 signals:
  // Cells left the list with their document, or a document that was not searched was read or
  // closed since.
  void countsChanged();

 private:
  struct Source {
    const QObject* key = nullptr;  // the window, compared only: it may be going
    QPointer<DocumentWindow> window;
    std::size_t first = 0;  // its first cell in cells_
    std::size_t shown = 0;  // how many of its cells the list holds
    std::size_t found = 0;  // how many it holds
  };

  void forget(const QObject* window);
  const Source* sourceOf(int row) const;

  std::vector<Source> sources_;
  std::vector<CellMatch> cells_;
  std::vector<QPointer<DocumentWindow>> unread_;
  std::size_t searched_ = 0;
  std::vector<QMetaObject::Connection> connections_;
};

// Paints the text column with its match marked: bold on a highlight of its own, readable on a
// selected row as on any other.
class MatchDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
};

// The caption of a table's tab page.
QString shownTableCaption(ShownTable table);

}  // namespace kestrel::app
