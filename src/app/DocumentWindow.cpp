#include "DocumentWindow.h"
#include "FileInfoDialog.h"
#include "FileNames.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "DocumentReading.h"
#include "FoundCells.h"
#include "FrameServices.h"
#include "ResultTableModel.h"
#include "TableFilterModel.h"
#include "Text.h"
#include "WindowPlacementQt.h"

namespace kestrel::app {

namespace {
constexpr int kStatusPanelWidth = 500;
constexpr int kProgressLeft = 150;
constexpr int kProgressTop = 2;
// While a load runs the status bar is repainted at most this often, so that thousands of
// blocks do not cost thousands of repaints.
constexpr int kRepaintIntervalMs = 40;
constexpr int kSectionListWidth = 60;
}  // namespace

DocumentWindow::DocumentWindow(FrameServices& frame, const AppServices& services, QWidget* parent)
    : ChildWindow(parent), frame_(frame), services_(services) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(toQString(doc_.caption));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  buildTabs();
  buildStatusBar();
  layout->addWidget(tabs_, 1);
  layout->addWidget(statusBar_);
  doc_.setView(this);
  lastRepaint_.start();
  applyWidths();
  showState();
  settings_ =
      std::make_unique<WindowSettings>(WindowPlacement::documentWindow(), services_.messages);
  keepColumnWidths();
}

DocumentWindow::~DocumentWindow() {
  // A read still running is cancelled, and an overview being built finished: their threads are
  // waited for before anything goes.
  delete std::exchange(reading_, nullptr);
  waitForOverview();
  // The explorers show this document's model: they go with it.
  for (const QPointer<QWidget>& subWindow : explorerSubWindows_)
    delete subWindow.data();
  // Destroyed with the main window, this window never closed: its sub-window may be going
  // already, so it is written as it was last seen.
  settings_->saveAsLastSeen();
  doc_.setView(nullptr);
  // The views and their models refer to the document's tables: they go first.
  delete tabs_;
  tabs_ = nullptr;
  qDeleteAll(models_);
  models_.clear();
  views_.clear();
}

void DocumentWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // What the user sees and places is the sub-window around this one.
  QWidget* subWindow = qobject_cast<QMdiSubWindow*>(parentWidget());
  settings_->restore(subWindow != nullptr ? subWindow : this);
}

void DocumentWindow::closeEvent(QCloseEvent* event) {
  cancelReading();
  QWidget::closeEvent(event);
  if (event->isAccepted()) settings_->save();
}

QTableView* DocumentWindow::addTablePage(ResultTable& table, const QString& caption,
                                         bool filtered) {
  auto* model = new ResultTableModel(table, this);
  auto* view = new QTableView;
  // The view's own order and filter; it goes with the view, before the model.
  auto* shown = new TableFilterModel(*model, view);
  view->setModel(shown);
  view->setShowGrid(true);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->verticalHeader()->hide();
  view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
  QHeaderView* header = view->horizontalHeader();
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  // Rows come in the table's order until a header is clicked; a third click restores it.
  header->setSortIndicator(-1, Qt::AscendingOrder);
  header->setSortIndicatorClearable(true);
  view->setSortingEnabled(true);
  view->setToolTip(toQString(table.hint()));
  view->setWordWrap(false);

  auto* copy = new QAction(view);
  copy->setShortcut(QKeySequence::Copy);
  copy->setShortcutContext(Qt::WidgetShortcut);
  connect(copy, &QAction::triggered, view,
          [view] { QGuiApplication::clipboard()->setText(selectedRowsText(*view)); });
  view->addAction(copy);

  QWidget* page = view;
  if (filtered) {
    page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    auto* filter = new QLineEdit;
    filter->setObjectName(QStringLiteral("filter"));
    filter->setPlaceholderText(QStringLiteral("Фильтр (Ctrl+F)"));
    filter->setClearButtonEnabled(true);
    connect(filter, &QLineEdit::textChanged, shown, &TableFilterModel::setFilterText);
    // Escape clears the filter; in an empty field it goes back to the table.
    auto* clear = new QAction(filter);
    clear->setShortcut(Qt::Key_Escape);
    clear->setShortcutContext(Qt::WidgetShortcut);
    connect(clear, &QAction::triggered, filter, [filter, view] {
      if (filter->text().isEmpty())
        view->setFocus(Qt::ShortcutFocusReason);
      else
        filter->clear();
    });
    filter->addAction(clear);
    layout->addWidget(filter);
    layout->addWidget(view, 1);
  }
  tabs_->addTab(page, caption);
  views_ << view;
  models_ << model;
  return view;
}

QLineEdit* DocumentWindow::filterField(const ResultTable& table) const {
  QTableView* shown = view(table);
  if (shown == nullptr || shown->parentWidget() == nullptr) return nullptr;
  return shown->parentWidget()->findChild<QLineEdit*>(QStringLiteral("filter"),
                                                      Qt::FindDirectChildrenOnly);
}

void DocumentWindow::focusFilter() {
  if (QWidget* page = tabs_->currentWidget()) {
    if (auto* filter =
            page->findChild<QLineEdit*>(QStringLiteral("filter"), Qt::FindDirectChildrenOnly)) {
      filter->setFocus(Qt::ShortcutFocusReason);
      filter->selectAll();
    }
  }
}

void DocumentWindow::buildTabs() {
  tabs_ = new QTabWidget;
  // The tables in tab order, each under its caption; all but the information have a filter.
  const std::vector<ResultTable*> tables = doc_.shownTables();
  for (std::size_t t = 0; t < kShownTableCount; ++t) {
    const auto table = static_cast<ShownTable>(t);
    addTablePage(*tables[t], shownTableCaption(table), table != ShownTable::Information);
  }
  find_ = new QAction(this);
  find_->setShortcut(QKeySequence::Find);
  find_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  connect(find_, &QAction::triggered, this, &DocumentWindow::focusFilter);
  addAction(find_);
  // Escape cancels a read. It is there only while one runs, so that it never stands in the way
  // of the filter fields' own Escape.
  cancelReading_ = new QAction(this);
  cancelReading_->setShortcut(Qt::Key_Escape);
  cancelReading_->setShortcutContext(Qt::WindowShortcut);
  connect(cancelReading_, &QAction::triggered, this, [this] {
    // What the user sees is the sub-window around this one: it closes, and this with it.
    QWidget* subWindow = qobject_cast<QMdiSubWindow*>(parentWidget());
    (subWindow != nullptr ? subWindow : this)->close();
  });

  // The raw-section page: the section names along the left edge, the lines of the selected
  // section, and the text of the selected line's value. Shown for the dumps that have sections.
  auto* raw = new QWidget;
  auto* rawLayout = new QHBoxLayout(raw);
  sectionNames_ = new QListWidget;
  sectionNames_->setObjectName(QStringLiteral("sectionNames"));
  sectionNames_->setFixedWidth(kSectionListWidth);
  sectionLines_ = new QListWidget;
  sectionLines_->setObjectName(QStringLiteral("sectionLines"));
  decodedText_ = new QPlainTextEdit;
  decodedText_->setObjectName(QStringLiteral("decodedText"));
  decodedText_->setReadOnly(true);
  rawLayout->addWidget(sectionNames_);
  rawLayout->addWidget(sectionLines_);
  rawLayout->addWidget(decodedText_, 1);
  sectionsPage_ = tabs_->addTab(raw, QStringLiteral("Секции"));
  tabs_->setTabVisible(sectionsPage_, false);
  connect(sectionNames_, &QListWidget::itemClicked, this, &DocumentWindow::showSectionLines);
  connect(sectionLines_, &QListWidget::itemClicked, this, &DocumentWindow::showValueOfLine);
  buildOverviewPage();

  // The PM writer's button lives, never shown, on the information page.
  savePm_ = new QPushButton(QStringLiteral("Сохранение PM"), views_.front());
  savePm_->hide();
  connect(savePm_, &QPushButton::clicked, this, &DocumentWindow::savePm);
  tabs_->setCurrentIndex(0);
}

void DocumentWindow::buildStatusBar() {
  statusBar_ = new QStatusBar;
  statusBar_->setSizeGripEnabled(false);
  statusPanel_ = new QLabel;
  statusPanel_->setFixedWidth(kStatusPanelWidth);
  statusBar_->addWidget(statusPanel_);
  progressBar_ = new QProgressBar(statusBar_);
  progressBar_->setTextVisible(false);
  progressBar_->setRange(0, 100);
  progressBar_->setValue(0);
  statusBar_->installEventFilter(this);
  placeProgressBar();
}

void DocumentWindow::placeProgressBar() {
  progressBar_->setGeometry(kProgressLeft, kProgressTop, kStatusPanelWidth - kProgressLeft,
                            std::max(1, statusBar_->height() - 2));
}

bool DocumentWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == statusBar_ && event->type() == QEvent::Resize) placeProgressBar();
  return QWidget::eventFilter(watched, event);
}

QTableView* DocumentWindow::view(const ResultTable& table) const {
  for (int i = 0; i < models_.size(); ++i) {
    if (&models_[i]->table() == &table) return views_[i];
  }
  return nullptr;
}

void DocumentWindow::setCaption(const QString& caption) {
  doc_.caption = fromQString(caption);
  setWindowTitle(caption);
}

void DocumentWindow::open(FileKind kind, const QStringList& files) {
  std::vector<ReaderInput> inputs;
  for (const QString& file : files)
    inputs.push_back(ReaderInput::file(systemFileName(file)));
  open(kind, std::move(inputs));
}

void DocumentWindow::open(FileKind kind, std::vector<ReaderInput> files) {
  cancelReading();
  if (fileKindEntry(kind).sectionsPage) showSectionsPage();
  reading_ = new DocumentReading(
      kind, std::move(files), doc_, [this] { finishReading(); }, this);
  showReading(true);
}

void DocumentWindow::cancelReading() {
  if (reading_ == nullptr) return;
  delete std::exchange(reading_, nullptr);
  showReading(false);
}

void DocumentWindow::finishReading() {
  DocumentReading* reading = std::exchange(reading_, nullptr);
  showReading(false);
  bool read = false;
  frame_.runReportingErrors(this, [&] { read = reading->handOver(doc_); });
  // This runs in an event of the reading's own: it goes once that is done.
  reading->deleteLater();
  // What an image read into no table (an EEPROM image) holds shows on the raw-section page: the
  // window opens there rather than on an empty first page.
  const bool tablesEmpty = std::ranges::all_of(
      models_, [](const ResultTableModel* model) { return model->table().rowCount() == 0; });
  if (tabs_->isTabVisible(sectionsPage_) && tablesEmpty) tabs_->setCurrentIndex(sectionsPage_);
  emit readingFinished(read);
}

void DocumentWindow::showReading(bool reading) {
  tabs_->setEnabled(!reading);
  find_->setEnabled(!reading);
  // With the pages off, the window itself holds the focus, so that Escape reaches it; once read,
  // the focus goes on to the pages.
  setFocusPolicy(reading ? Qt::StrongFocus : Qt::NoFocus);
  if (reading) {
    addAction(cancelReading_);
    setFocus(Qt::OtherFocusReason);
  } else {
    removeAction(cancelReading_);
    if (hasFocus()) focusNextChild();
  }
  commandsChanged();
}

void DocumentWindow::showCell(ShownTable table, std::size_t row, std::size_t column) {
  const ResultTable& shown = shownTable(doc_, table);
  QTableView* tableView = view(shown);
  if (tableView == nullptr || row >= shown.rowCount()) return;
  QLineEdit* filter = filterField(shown);
  tabs_->setCurrentWidget(filter != nullptr ? tableView->parentWidget() : tableView);
  auto* order = static_cast<TableFilterModel*>(tableView->model());
  // A hidden column has no cell to stand on: the row's first shown one does.
  int c = static_cast<int>(std::min(column, shown.columnCount() - 1));
  while (c > 0 && tableView->isColumnHidden(c))
    --c;
  const QModelIndex cell = order->sourceModel()->index(static_cast<int>(row), c);
  QModelIndex at = order->mapFromSource(cell);
  if (!at.isValid() && filter != nullptr) {
    filter->clear();
    at = order->mapFromSource(cell);
  }
  if (!at.isValid()) return;
  tableView->selectionModel()->setCurrentIndex(
      at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  tableView->scrollTo(at, QAbstractItemView::PositionAtCenter);
  tableView->setFocus(Qt::OtherFocusReason);
}

void DocumentWindow::showSectionsPage() {
  tabs_->setTabVisible(sectionsPage_, true);
}

void DocumentWindow::tablesAboutToChange() {
  emit tablesChanging();
  waitForOverview();
  for (ResultTableModel* model : models_)
    model->beginTableChange();
}

void DocumentWindow::tablesChanged() {
  for (ResultTableModel* model : models_)
    model->endTableChange();
  applyWidths();
  showMemo();
  rebuildOverview();
}

void DocumentWindow::showMemo() {
  QStringList lines;
  for (const auto& line : doc_.memo)
    lines << toQString(line);
  decodedText_->setPlainText(lines.join(QLatin1Char('\n')));
}

void DocumentWindow::showState() {
  commandsChanged();
  pmSectionsChanged();
  statusPanel_->setText(toQString(doc_.status()));
  progressBar_->setMaximum(std::max(doc_.progressMaximum(), 1));
  progressBar_->setValue(doc_.progressPosition());
}

void DocumentWindow::statusChanged(std::string_view text) {
  statusPanel_->setText(toQString(text));
  if (text.empty() || lastRepaint_.elapsed() >= kRepaintIntervalMs) {
    statusBar_->repaint();
    lastRepaint_.restart();
  }
}

void DocumentWindow::progressMaximumChanged(int maximum) {
  progressBar_->setMaximum(std::max(maximum, 1));
}

void DocumentWindow::progressPositionChanged(int position) {
  progressBar_->setValue(position);
}

Capabilities DocumentWindow::capabilities() const {
  const auto enabledIf = [](bool on) {
    return on ? CommandState::Enabled : CommandState::Disabled;
  };
  // A document being read offers its commands once it is read.
  const bool ready = !isReading();
  Capabilities offered;
  offered.exportToExcel = enabledIf(ready && doc_.exportToExcelEnabled());
  offered.save = enabledIf(ready && doc_.saveEnabled());
  offered.print = enabledIf(ready);
  offered.fileInfo = enabledIf(ready);
  offered.blockExplorer = enabledIf(ready);
  offered.fitColumns = enabledIf(ready);
  offered.savePm = enabledIf(ready && doc_.savePmEnabled());
  return offered;
}

void DocumentWindow::commandsChanged() {
  savePm_->setEnabled(capabilities().savePm == CommandState::Enabled);
  emit capabilitiesChanged();
}

void DocumentWindow::pmSectionsChanged() {
  sectionNames_->clear();
  for (const auto& line : doc_.pmSections.sectionNames())
    sectionNames_->addItem(toQString(line));
}

void DocumentWindow::showMessage(std::string_view text) {
  services_.messages->information(this, toQString(text));
}

void DocumentWindow::showFileError(const IoError& cause, std::string_view /*readFailureMessage*/) {
  // The file name as the system spells it, the reason as the system gives it.
  services_.messages->warning(
      this, QStringLiteral("Не удалось прочитать файл «%1»:\n%2")
                .arg(QFile::decodeName(QByteArray::fromStdString(cause.fileName())),
                     QString::fromLocal8Bit(cause.reason().data(),
                                            static_cast<qsizetype>(cause.reason().size()))));
}

void DocumentWindow::showFileInfo() {
  FileInfoDialog dialog(doc_, this);
  services_.dialogs->run(dialog);
}

}  // namespace kestrel::app
