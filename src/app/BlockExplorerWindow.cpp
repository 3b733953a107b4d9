#include "BlockExplorerWindow.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScopedValueRollback>
#include <QTableView>
#include <QVBoxLayout>

#include "Dialogs.h"
#include "DocumentWindow.h"
#include "FrameServices.h"
#include "ResultTableModel.h"
#include "Text.h"
#include "export/SpreadsheetExport.h"
#include "export/XlsxSpreadsheet.h"

namespace kestrel::app {

namespace {
constexpr int kPanelWidth = 129;
constexpr int kBlockListWidth = 60;
constexpr int kRecordListWidth = 68;
constexpr int kGridFontPixels = 9;
}  // namespace

int selectedRow(const QListWidget& list) {
  const QListWidgetItem* item = list.currentItem();
  return item != nullptr && item->isSelected() ? list.row(item) : -1;
}

int ListWidgetCheckList::selected() const {
  return selectedRow(list_);
}

bool ListWidgetCheckList::checked(int item) const {
  return list_.item(item)->checkState() == Qt::Checked;
}

void ListWidgetCheckList::setChecked(int item, bool on) {
  const QScopedValueRollback guard(changing_, true);
  list_.item(item)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

void ListWidgetCheckList::clear() {
  const QScopedValueRollback guard(changing_, true);
  list_.clear();
}

int ListWidgetCheckList::append(const std::string& text) {
  const QScopedValueRollback guard(changing_, true);
  auto* item = new QListWidgetItem(toQString(text));
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  item->setCheckState(Qt::Unchecked);
  list_.addItem(item);
  return list_.count() - 1;
}

BlockExplorerWindow::BlockExplorerWindow(DocumentWindow& document, FrameServices& frame,
                                         QWidget* parent)
    : ChildWindow(parent), document_(document), frame_(frame), grid_(explorer::makeByteGrid()) {
  setAttribute(Qt::WA_DeleteOnClose);
  // Named after the file its document was read from, so that explorers of several documents
  // are told apart.
  QString title = QStringLiteral("Ковыряем файл");
  if (const auto& files = document.document().sourceFiles; !files.empty())
    title += QStringLiteral(" — ") + QFileInfo(QFile::decodeName(files.front().c_str())).fileName();
  setWindowTitle(title);

  auto* panel = new QWidget;
  panel->setFixedWidth(kPanelWidth);
  auto* panelLayout = new QVBoxLayout(panel);
  panelLayout->setContentsMargins(0, 0, 0, 0);
  panelLayout->setSpacing(0);
  panelLayout->addWidget(new QLabel(QStringLiteral("      Блок          Записи")));
  auto* lists = new QHBoxLayout;
  lists->setSpacing(0);
  blockList_ = new QListWidget;
  blockList_->setObjectName(QStringLiteral("blockList"));
  blockList_->setFixedWidth(kBlockListWidth);
  recordList_ = new QListWidget;
  recordList_->setObjectName(QStringLiteral("recordList"));
  recordList_->setFixedWidth(kRecordListWidth);
  for (QListWidget* list : {blockList_, recordList_})
    list->setSelectionMode(QAbstractItemView::SingleSelection);
  lists->addWidget(blockList_);
  lists->addWidget(recordList_);
  panelLayout->addLayout(lists, 1);

  gridModel_ = new ResultTableModel(grid_, this);
  gridView_ = new QTableView;
  gridView_->setObjectName(QStringLiteral("byteGrid"));
  gridView_->setModel(gridModel_);
  gridView_->setShowGrid(true);
  gridView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  gridView_->verticalHeader()->hide();
  gridView_->setWordWrap(false);
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(kGridFontPixels);
  gridView_->setFont(font);
  gridView_->verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 4);
  gridView_->setToolTip(toQString(grid_.hint()));
  // A byte column is narrower than the style's smallest section.
  gridView_->horizontalHeader()->setMinimumSectionSize(1);
  gridModel_->applyWidths(*gridView_);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(panel);
  layout->addWidget(gridView_, 1);

  blocks_ = std::make_unique<ListWidgetCheckList>(*blockList_);
  records_ = std::make_unique<ListWidgetCheckList>(*recordList_);
  explorer_ =
      std::make_unique<explorer::BlockExplorer>(document_.document(), *blocks_, *records_, grid_);
  explorer_->open();

  // A mouse click on a check box toggles it and then clicks the item, so the toggle's rule runs
  // first and the selection's rule follows. The toggled item is the selected one: the rules act
  // on the selection, so a box toggled elsewhere first selects its item.
  connect(blockList_, &QListWidget::currentRowChanged, this, [this] {
    if (!blocks_->changing()) selectBlock();
  });
  connect(blockList_, &QListWidget::itemClicked, this, &BlockExplorerWindow::selectBlock);
  connect(blockList_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    if (blocks_->changing()) return;
    if (!item->isSelected()) blockList_->setCurrentItem(item);
    toggleBlockMark();
  });
  connect(recordList_, &QListWidget::itemClicked, this, &BlockExplorerWindow::showRecord);
  connect(recordList_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    if (records_->changing()) return;
    if (!item->isSelected()) recordList_->setCurrentItem(item);
    showRecord();
  });

  blockList_->setContextMenuPolicy(Qt::ActionsContextMenu);
  QAction* unmark = new QAction(QStringLiteral("Убрать все"), blockList_);
  connect(unmark, &QAction::triggered, this, &BlockExplorerWindow::unmarkAll);
  QAction* mark = new QAction(QStringLiteral("Выбрать все"), blockList_);
  connect(mark, &QAction::triggered, this, &BlockExplorerWindow::markAll);
  blockList_->addActions({unmark, mark});
}

BlockExplorerWindow::~BlockExplorerWindow() {
  // The view refers to the grid: it goes first.
  delete gridView_;
  gridView_ = nullptr;
}

Capabilities BlockExplorerWindow::capabilities() const {
  Capabilities offered;
  offered.openEeprom = CommandState::Disabled;
  offered.openVcf = CommandState::Hidden;
  offered.exportToExcel = CommandState::Enabled;
  offered.print = CommandState::Disabled;
  return offered;
}

void BlockExplorerWindow::selectBlock() {
  explorer_->selectBlock();
}

void BlockExplorerWindow::toggleBlockMark() {
  explorer_->toggleBlockMark();
}

void BlockExplorerWindow::showRecord() {
  // The view hears of the new rows also when filling the grid fails midway.
  struct GridChange {
    explicit GridChange(BlockExplorerWindow& w) : window(w) {
      window.gridModel_->beginTableChange();
    }
    ~GridChange() {
      window.gridModel_->endTableChange();
      window.gridModel_->applyWidths(*window.gridView_);
    }
    BlockExplorerWindow& window;
  } change(*this);
  explorer_->showRecords();
}

void BlockExplorerWindow::unmarkAll() {
  explorer_->setAllMarks(false);
}

void BlockExplorerWindow::markAll() {
  explorer_->setAllMarks(true);
}

void BlockExplorerWindow::exportToSpreadsheet() {
  const ResultTable* tables[] = {&grid_};
  frame_.runReportingErrors(this, [&] {
    output::exportTablesToSpreadsheet(tables, frame_.spreadsheet(), [this](std::string_view text) {
      frame_.services().messages->warning(this, toQString(text));
    });
  });
}

}  // namespace kestrel::app
