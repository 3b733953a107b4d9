// The widths of the document window's table columns: each table starts with its own (which the
// exports and the hidden columns go by); the user widens them by the header or fits them to
// their texts, and those widths come back with the window's placement.

#include <QHeaderView>
#include <QScopedValueRollback>
#include <QStringList>
#include <QTabWidget>
#include <QTableView>

#include "DocumentWindow.h"
#include "ResultTableModel.h"
#include "WindowPlacementQt.h"

namespace kestrel::app {

namespace {

// The settings keys of the tables' widths, in the order of their pages.
constexpr const char* kWidthKeys[] = {"ColWidths_Information", "ColWidths_Phonebook",
                                      "ColWidths_Calls", "ColWidths_Calendar"};

// "120,0,75": the width of every column in turn.
std::string widthsText(const QList<int>& widths) {
  QStringList parts;
  for (int width : widths)
    parts << QString::number(width);
  return parts.join(QLatin1Char(',')).toStdString();
}

// A number that is missing or no width leaves that column as its table has it.
QList<int> readWidths(const std::string& text) {
  QList<int> widths;
  for (const QString& part : QString::fromStdString(text).split(QLatin1Char(','))) {
    bool number = false;
    const int width = part.trimmed().toInt(&number);
    widths << (number && width > 0 ? width : 0);
  }
  return widths;
}

}  // namespace

void DocumentWindow::keepColumnWidths() {
  userWidths_.resize(views_.size());
  for (int i = 0; i < views_.size() && i < static_cast<int>(std::size(kWidthKeys)); ++i) {
    // A drag of a header edge or a double click on it.
    connect(views_[i]->horizontalHeader(), &QHeaderView::sectionResized, this, [this, i] {
      if (!settingWidths_) takeUserWidths(i);
    });
    settings_->placement().keepText(
        kWidthKeys[i], [this, i] { return widthsText(userWidths_[i]); },
        [this, i](const std::string& text) {
          userWidths_[i] = text.empty() ? QList<int>() : readWidths(text);
          applyWidths();
        });
  }
}

void DocumentWindow::takeUserWidths(int table) {
  const QTableView& view = *views_[table];
  QList<int> widths;
  for (int c = 0; c < view.model()->columnCount(); ++c)
    widths << (view.isColumnHidden(c) ? 0 : view.columnWidth(c));
  userWidths_[table] = widths;
}

void DocumentWindow::applyWidths() {
  const QScopedValueRollback<bool> setting(settingWidths_, true);
  for (int i = 0; i < models_.size(); ++i) {
    QTableView& view = *views_[i];
    models_[i]->applyWidths(view);
    const QList<int>& widths = userWidths_.value(i);
    for (int c = 0; c < widths.size() && c < view.model()->columnCount(); ++c) {
      if (widths[c] > 0 && !view.isColumnHidden(c)) view.setColumnWidth(c, widths[c]);
    }
  }
}

void DocumentWindow::fitColumns() {
  // A page is the table's view, or holds it under its filter field.
  QWidget* page = tabs_->currentWidget();
  auto* shown = qobject_cast<QTableView*>(page);
  if (shown == nullptr && page != nullptr) shown = page->findChild<QTableView*>();
  const int table = static_cast<int>(views_.indexOf(shown));
  if (table < 0) return;
  QTableView& view = *views_[table];
  {
    const QScopedValueRollback<bool> setting(settingWidths_, true);
    for (int c = 0; c < view.model()->columnCount(); ++c) {
      if (!view.isColumnHidden(c)) view.resizeColumnToContents(c);
    }
  }
  takeUserWidths(table);
}

}  // namespace kestrel::app
