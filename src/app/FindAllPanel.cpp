#include "FindAllPanel.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "DocumentWindow.h"
#include "FoundCells.h"
#include "MainWindow.h"
#include "Text.h"

namespace kestrel::app {

namespace {
QString counted(std::size_t n) {
  return QLocale(QLocale::Russian).toString(static_cast<qulonglong>(n));
}
}  // namespace

FindAllPanel::FindAllPanel(MainWindow& frame)
    : QDockWidget(QStringLiteral("Найти во всех документах"), &frame), frame_(frame) {
  setObjectName(QStringLiteral("findAll"));
  setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea);
  auto* body = new QWidget;
  auto* layout = new QVBoxLayout(body);
  layout->setContentsMargins(4, 4, 4, 4);
  auto* row = new QHBoxLayout;
  field_ = new QLineEdit;
  field_->setObjectName(QStringLiteral("findAllText"));
  field_->setPlaceholderText(QStringLiteral("Номер или текст"));
  field_->setClearButtonEnabled(true);
  auto* find = new QPushButton(QStringLiteral("Найти"));
  row->addWidget(field_, 1);
  row->addWidget(find);
  summary_ = new QLabel;
  summary_->setObjectName(QStringLiteral("findAllSummary"));
  row->addWidget(summary_);
  layout->addLayout(row);

  model_ = new FoundCellsModel(this);
  results_ = new QTableView;
  results_->setObjectName(QStringLiteral("findAllResults"));
  results_->setModel(model_);
  results_->setItemDelegateForColumn(FoundCellsModel::TextColumn, new MatchDelegate(results_));
  results_->setSelectionBehavior(QAbstractItemView::SelectRows);
  results_->setSelectionMode(QAbstractItemView::SingleSelection);
  results_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  results_->setWordWrap(false);
  // A document's caption is its file's path: the file's name at its end stays in sight.
  results_->setTextElideMode(Qt::ElideMiddle);
  results_->verticalHeader()->hide();
  results_->verticalHeader()->setDefaultSectionSize(results_->fontMetrics().height() + 6);
  QHeaderView* header = results_->horizontalHeader();
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  header->setStretchLastSection(true);
  for (auto [column, width] :
       {std::pair{FoundCellsModel::DocumentColumn, 220},
        std::pair{FoundCellsModel::TableColumn, 100}, std::pair{FoundCellsModel::RowColumn, 60},
        std::pair{FoundCellsModel::ColumnColumn, 120}})
    results_->setColumnWidth(column, width);
  layout->addWidget(results_, 1);
  setWidget(body);

  connect(field_, &QLineEdit::returnPressed, this, &FindAllPanel::search);
  connect(find, &QPushButton::clicked, this, &FindAllPanel::search);
  // A double click, or Enter on the current result.
  connect(results_, &QAbstractItemView::activated, this,
          [this](const QModelIndex& index) { showFound(index.row()); });
  // Told once the document that went or was read is done with, never from inside its
  // destruction.
  connect(model_, &FoundCellsModel::countsChanged, this, &FindAllPanel::showSummary,
          Qt::QueuedConnection);
}

void FindAllPanel::start() {
  show();
  raise();
  field_->setFocus(Qt::ShortcutFocusReason);
  field_->selectAll();
}

void FindAllPanel::search() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  model_->search(frame_.documents(), fromQString(field_->text()));
  QApplication::restoreOverrideCursor();
  searched_ = true;
  showSummary();
  if (model_->rowCount() > 0) results_->scrollToTop();
}

void FindAllPanel::showSummary() {
  if (!searched_) return;
  const std::size_t found = model_->foundCount();
  QString text = found > 0 ? QStringLiteral("Найдено ячеек: %1, документов: %2")
                                 .arg(counted(found), counted(model_->documentCount()))
                 : model_->searchedCount() == 0 ? QStringLiteral("Нет открытых документов")
                                                : QStringLiteral("Ничего не найдено");
  if (found > static_cast<std::size_t>(model_->rowCount()))
    text += QStringLiteral(" (показаны первые %1)").arg(counted(model_->rowCount()));
  if (const std::size_t reading = model_->stillReadingCount(); reading > 0)
    text += QStringLiteral("; ещё читаются и не просмотрены: %1").arg(reading);
  if (const std::size_t read = model_->readSinceCount(); read > 0)
    text += QStringLiteral("; прочитаны после поиска: %1, найдите снова").arg(read);
  summary_->setText(text);
}

void FindAllPanel::showFound(int row) {
  DocumentWindow* window = model_->document(row);
  const CellMatch* found = model_->match(row);
  if (window == nullptr || found == nullptr) return;
  frame_.showDocument(window);
  window->showCell(found->table, found->row, found->column);
}

}  // namespace kestrel::app
