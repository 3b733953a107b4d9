#include "ReadForm.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "MainForm.h"
#include "ResultTableModel.h"
#include "Text.h"
#include "readers/pm/PmLoader.h"

namespace kestrel::app {

namespace {
constexpr int kStatusPanelWidth = 500;
constexpr int kProgressLeft = 150;
constexpr int kProgressTop = 2;
// While a load runs the status bar is repainted at most this often, so that thousands of
// blocks do not cost thousands of repaints.
constexpr int kRepaintIntervalMs = 40;
}  // namespace

TReadForm::TReadForm(TMainForm& frame, const AppServices& services, QWidget* parent)
    : QWidget(parent), frame_(frame), services_(services) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(qs(doc_.caption));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  buildTabs();
  buildStatusBar();
  layout->addWidget(tabs_, 1);
  layout->addWidget(statusBar_);
  buildMenus();
  doc_.setView(this);
  lastRepaint_.start();
  refresh();
}

TReadForm::~TReadForm() {
  doc_.setView(nullptr);
}

QTableView* TReadForm::addTablePage(ResultTable& table, const QString& caption) {
  auto* model = new ResultTableModel(table, this);
  auto* view = new QTableView;
  view->setModel(model);
  view->setShowGrid(true);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->verticalHeader()->hide();
  view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
  view->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  view->setToolTip(qs(table.hint()));
  view->setWordWrap(false);
  tabs_->addTab(view, caption);
  views_ << view;
  models_ << model;
  return view;
}

void TReadForm::buildTabs() {
  tabs_ = new QTabWidget;
  addTablePage(doc_.ListView1, QStringLiteral("Информация"));
  addTablePage(doc_.SMS, QStringLiteral("SMS"));
  tabs_->setTabVisible(1, false);
  addTablePage(doc_.Book1, QStringLiteral("Зап. Книжка"));
  addTablePage(doc_.Book, QStringLiteral("Вызовы"));
  addTablePage(doc_.ListView3, QStringLiteral("Календарь"));

  // The raw-section page: the block list along the left edge and the record views.
  auto* raw = new QWidget;
  auto* rawLayout = new QHBoxLayout(raw);
  ListBox1_ = new QListWidget;
  ListBox1_->setObjectName(QStringLiteral("ListBox1"));
  ListBox1_->setFixedWidth(41);
  auto* ListBox2 = new QListWidget;
  ListBox2->setObjectName(QStringLiteral("ListBox2"));
  auto* Memo1 = new QPlainTextEdit;
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setReadOnly(true);
  rawLayout->addWidget(ListBox1_);
  rawLayout->addWidget(ListBox2);
  rawLayout->addWidget(Memo1, 1);
  const int rawIndex = tabs_->addTab(raw, QStringLiteral("TabSheet4"));
  tabs_->setTabVisible(rawIndex, false);

  // The PM writer's button lives, never shown, on the information page.
  savePm_ = new QPushButton(QStringLiteral("Сохранение PM"), views_.front());
  savePm_->hide();
  tabs_->setCurrentIndex(0);
}

void TReadForm::buildStatusBar() {
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

void TReadForm::placeProgressBar() {
  progressBar_->setGeometry(kProgressLeft, kProgressTop, kStatusPanelWidth - kProgressLeft,
                            std::max(1, statusBar_->height() - 2));
}

bool TReadForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == statusBar_ && event->type() == QEvent::Resize) placeProgressBar();
  return QWidget::eventFilter(watched, event);
}

void TReadForm::buildMenus() {
  fileMenu_ = new QMenu(QStringLiteral("Файл"), this);
  QAction* openPm = fileMenu_->addAction(QStringLiteral("Открыть PM"));
  connect(openPm, &QAction::triggered, &frame_, &TMainForm::PMKA1Click);
  QAction* openGdfs = fileMenu_->addAction(QStringLiteral("Открыть GDFS"));
  openGdfs->setObjectName(QStringLiteral("GDFS1"));
  connect(openGdfs, &QAction::triggered, &frame_, &TMainForm::GDFS1Click);
  QAction* openEeprom = fileMenu_->addAction(QStringLiteral("Открыть EEPROM"));
  openEeprom->setObjectName(QStringLiteral("EEPROM1"));
  openEeprom->setEnabled(false);
  QAction* openVcf = fileMenu_->addAction(QStringLiteral("Открыть VCF"));
  openVcf->setObjectName(QStringLiteral("VCF1"));
  connect(openVcf, &QAction::triggered, &frame_, &TMainForm::VCF1Click);
  fileMenu_->addSeparator();
  exportToExcel_ = fileMenu_->addAction(QStringLiteral("Экспорт в Excel"));
  save_ = fileMenu_->addAction(QStringLiteral("Сохранить"));
  save_->setShortcut(QKeySequence::Save);
  connect(save_, &QAction::triggered, this, &TReadForm::N12Click);
  print_ = fileMenu_->addAction(QStringLiteral("Печать"));
  print_->setShortcut(QKeySequence::Print);
  fileMenu_->addSeparator();
  // The document's exit stands in the frame's place in the merged menu, so it does the same.
  QAction* exit = fileMenu_->addAction(QStringLiteral("Выход"));
  exit->setShortcut(QKeySequence::Quit);
  connect(exit, &QAction::triggered, &frame_, &TMainForm::N3Click);

  viewMenu_ = new QMenu(QStringLiteral("Вид"), this);
  connect(viewMenu_->addAction(QStringLiteral("Горизонтальный")), &QAction::triggered, this,
          [this] {
            frame_.setTileMode(TMainForm::TileMode::Horizontal);
            frame_.Tile();
          });
  connect(viewMenu_->addAction(QStringLiteral("Вертикальный")), &QAction::triggered, this, [this] {
    frame_.setTileMode(TMainForm::TileMode::Vertical);
    frame_.Tile();
  });
  connect(viewMenu_->addAction(QStringLiteral("Каскад")), &QAction::triggered, &frame_,
          &TMainForm::Cascade);

  editMenu_ = new QMenu(QStringLiteral("Редактирование"), this);
  editMenu_->menuAction()->setVisible(false);
}

QList<TReadForm::GroupMenu> TReadForm::menus() const {
  return {{0, fileMenu_}, {0, viewMenu_}, {4, editMenu_}};
}

QTableView* TReadForm::view(const ResultTable& table) const {
  for (int i = 0; i < models_.size(); ++i) {
    if (&models_[i]->table() == &table) return views_[i];
  }
  return nullptr;
}

void TReadForm::setCaption(const QString& caption) {
  doc_.caption = cp(caption);
  setWindowTitle(caption);
}

bool TReadForm::Button1Click(const QString& fileName) {
  const bool ok = pm::Button1Click(doc_, QFile::encodeName(fileName).toStdString());
  refresh();
  return ok;
}

void TReadForm::refresh() {
  for (int i = 0; i < models_.size(); ++i) {
    models_[i]->refresh();
    models_[i]->applyWidths(*views_[i]);
  }
  commandsChanged();
  blockListChanged();
  statusPanel_->setText(qs(doc_.status()));
  progressBar_->setMaximum(std::max(doc_.progressMaximum(), 1));
  progressBar_->setValue(doc_.progressPosition());
}

void TReadForm::statusChanged(std::string_view text) {
  statusPanel_->setText(qs(text));
  if (text.empty() || lastRepaint_.elapsed() >= kRepaintIntervalMs) {
    statusBar_->repaint();
    lastRepaint_.restart();
  }
}

void TReadForm::progressMaximumChanged(int maximum) {
  progressBar_->setMaximum(std::max(maximum, 1));
}

void TReadForm::progressPositionChanged(int position) {
  progressBar_->setValue(position);
}

void TReadForm::commandsChanged() {
  exportToExcel_->setEnabled(doc_.exportToExcelEnabled());
  save_->setEnabled(doc_.saveEnabled());
  savePm_->setEnabled(doc_.savePmEnabled());
}

void TReadForm::blockListChanged() {
  ListBox1_->clear();
  for (const auto& line : doc_.blockList())
    ListBox1_->addItem(qs(line));
}

void TReadForm::showMessage(std::string_view text) {
  services_.messages->information(this, qs(text));
}

}  // namespace kestrel::app
