#include "MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <exception>

#include "AboutDialog.h"
#include "DocumentWindow.h"
#include "FindAllPanel.h"
#include "FoundCells.h"
#include "PrintSectionsDialog.h"
#include "SaveSectionsDialog.h"
#include "WindowPlacementQt.h"

namespace kestrel::app {

MainWindow::MainWindow(const AppServices& services, QWidget* parent)
    : QMainWindow(parent), services_(services) {
  setWindowTitle(QStringLiteral("Kestrel v1.6 :)"));
  setGeometry(293, 203, 701, 566);

  mdiArea_ = new QMdiArea(this);
  mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(mdiArea_);
  setAcceptDrops(true);
  recentFiles_ = std::make_unique<RecentFiles>();
  recentFiles_->load();
  connect(mdiArea_, &QMdiArea::subWindowActivated, this, &MainWindow::updateMenus);

  buildMenus();

  saveSectionsDialog_ = new SaveSectionsDialog(this);
  printSectionsDialog_ = new PrintSectionsDialog(this);

  spreadsheet_ = std::make_unique<output::XlsxSpreadsheet>(
      [this](output::XlsxSpreadsheet& book) { return showWorkbook(book); });

  updateMenus();

  // Each open dialog proposes the file last chosen in it, in this run or the last.
  settings_ = std::make_unique<WindowSettings>(WindowPlacement::mainWindow(), services_.messages);
  for (auto [key, dialog] : {std::pair{"OpenPM_FileName", &openPmDialog},
                             std::pair{"OpenGDFS_FileName", &openGdfsDialog}}) {
    settings_->placement().keepText(
        key, [dialog] { return QFile::encodeName(dialog->fileName).toStdString(); },
        [dialog](const std::string& name) {
          dialog->fileName = QFile::decodeName(QByteArray::fromStdString(name));
        });
  }
}

MainWindow::~MainWindow() {
  // The search results follow the documents, which go after this: they let go of them first.
  findAllPanel_->model().clear();
  // A frame destroyed without having closed keeps its placement all the same.
  settings_->save();
  // The windows go with the frame; the menus need not follow them any more.
  disconnect(mdiArea_, nullptr, this, nullptr);
  for (QMdiSubWindow* sub : mdiArea_->subWindowList())
    disconnect(sub->widget(), nullptr, this, nullptr);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Exit closes every document window; nothing is asked.
  mdiArea_->closeAllSubWindows();
  QMainWindow::closeEvent(event);
  // The documents have written theirs; the frame's own goes last.
  if (event->isAccepted()) settings_->save();
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  settings_->restore(this);
}

QList<DocumentWindow*> MainWindow::documents() const {
  QList<DocumentWindow*> out;
  for (QMdiSubWindow* sub : mdiArea_->subWindowList()) {
    if (auto* document = qobject_cast<DocumentWindow*>(sub->widget())) out << document;
  }
  return out;
}

DocumentWindow* MainWindow::activeDocument() const {
  QMdiSubWindow* sub = mdiArea_->activeSubWindow();
  return sub ? qobject_cast<DocumentWindow*>(sub->widget()) : nullptr;
}

ChildWindow* MainWindow::activeChild() const {
  QMdiSubWindow* sub = mdiArea_->activeSubWindow();
  return sub ? qobject_cast<ChildWindow*>(sub->widget()) : nullptr;
}

void MainWindow::buildMenus() {
  // Each menu of the bar opens with Alt and the first letter of its caption.
  fileMenu_ = new QMenu(QStringLiteral("&Файл"), this);
  QAction* openPm = fileMenu_->addAction(QStringLiteral("Открыть PM"));
  openPm->setShortcut(QKeySequence::Open);
  connect(openPm, &QAction::triggered, this, &MainWindow::openPm);
  QAction* openGdfs = fileMenu_->addAction(QStringLiteral("Открыть GDFS"));
  openGdfs->setObjectName(QStringLiteral("openGdfs"));
  connect(openGdfs, &QAction::triggered, this, &MainWindow::openGdfs);
  openEeprom_ = fileMenu_->addAction(QStringLiteral("Открыть EEPROM"));
  openEeprom_->setObjectName(QStringLiteral("openEeprom"));
  connect(openEeprom_, &QAction::triggered, this, &MainWindow::openEeprom);
  openVcf_ = fileMenu_->addAction(QStringLiteral("Открыть VCF"));
  openVcf_->setObjectName(QStringLiteral("openVcf"));
  connect(openVcf_, &QAction::triggered, this, &MainWindow::openVcf);
  openFolder_ = fileMenu_->addAction(QStringLiteral("Открыть папку…"));
  openFolder_->setObjectName(QStringLiteral("openFolder"));
  connect(openFolder_, &QAction::triggered, this, qOverload<>(&MainWindow::openFolder));
  addRecentFilesMenu(fileMenu_);
  // A panel of the frame, under the document windows, shown by its command.
  findAllPanel_ = new FindAllPanel(*this);
  addDockWidget(Qt::BottomDockWidgetArea, findAllPanel_);
  findAllPanel_->hide();
  findAll_ = fileMenu_->addAction(QStringLiteral("Найти во всех документах"));
  findAll_->setObjectName(QStringLiteral("findAll"));
  findAll_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
  // The shortcut works in every window of the frame, a document's table included.
  findAll_->setShortcutContext(Qt::ApplicationShortcut);
  connect(findAll_, &QAction::triggered, findAllPanel_, &FindAllPanel::start);
  fileMenu_->addSeparator();
  exportToExcel_ = addChildCommand(fileMenu_, QStringLiteral("Экспорт в Excel"),
                                   &ChildWindow::exportToSpreadsheet);
  exportToExcel_->setObjectName(QStringLiteral("exportToExcel"));
  save_ = addChildCommand(fileMenu_, QStringLiteral("Сохранить"), &ChildWindow::save);
  save_->setShortcut(QKeySequence::Save);
  print_ = addChildCommand(fileMenu_, QStringLiteral("Печать"), &ChildWindow::print);
  fileInfo_ =
      addChildCommand(fileMenu_, QStringLiteral("Сведения о файле"), &ChildWindow::showFileInfo);
  exitSeparator_ = fileMenu_->addSeparator();
  QAction* exit = fileMenu_->addAction(QStringLiteral("Выход"));
  exit->setShortcut(QKeySequence::Quit);
  connect(exit, &QAction::triggered, this, &MainWindow::quit);

  viewMenu_ = new QMenu(QStringLiteral("&Вид"), this);
  connect(viewMenu_->addAction(QStringLiteral("Горизонтальный")), &QAction::triggered, this,
          [this] {
            setTileMode(TileMode::Horizontal);
            tile();
          });
  connect(viewMenu_->addAction(QStringLiteral("Вертикальный")), &QAction::triggered, this, [this] {
    setTileMode(TileMode::Vertical);
    tile();
  });
  connect(viewMenu_->addAction(QStringLiteral("Каскад")), &QAction::triggered, this,
          &MainWindow::cascade);
  fitColumns_ =
      addChildCommand(viewMenu_, QStringLiteral("Подогнать столбцы"), &ChildWindow::fitColumns);

  settingsMenu_ = new QMenu(QStringLiteral("&Настройки"), this);
  settingsMenu_->setEnabled(false);

  editMenu_ = new QMenu(QStringLiteral("&Редактирование"), this);
  openExplorer_ = addChildCommand(editMenu_, QStringLiteral("Обозреватель блоков"),
                                  &ChildWindow::exploreBlocks);
  savePm_ = addChildCommand(editMenu_, QStringLiteral("Сохранение PM"), &ChildWindow::savePm);

  about_ = new QAction(QStringLiteral("&About"), this);
  connect(about_, &QAction::triggered, this, &MainWindow::about);

  for (QMenu* menu : {fileMenu_, viewMenu_, settingsMenu_, editMenu_})
    menuBar()->addMenu(menu);
  menuBar()->addAction(about_);
}

QAction* MainWindow::addChildCommand(QMenu* menu, const QString& text,
                                     void (ChildWindow::*command)()) {
  QAction* action = menu->addAction(text);
  connect(action, &QAction::triggered, this, [this, command] {
    if (ChildWindow* child = activeChild()) (child->*command)();
  });
  return action;
}

namespace {
void showCommand(QAction* action, CommandState state) {
  action->setVisible(state != CommandState::Hidden);
  action->setEnabled(state == CommandState::Enabled);
}
}  // namespace

void MainWindow::updateMenus() {
  const ChildWindow* child = activeChild();
  const Capabilities offered = child != nullptr ? child->capabilities() : Capabilities{};
  showCommand(openEeprom_, offered.openEeprom);
  showCommand(openVcf_, offered.openVcf);
  showCommand(exportToExcel_, offered.exportToExcel);
  showCommand(save_, offered.save);
  showCommand(print_, offered.print);
  // Printing that cannot run offers no shortcut either.
  print_->setShortcut(offered.print == CommandState::Enabled ? QKeySequence(QKeySequence::Print)
                                                             : QKeySequence());
  showCommand(fileInfo_, offered.fileInfo);
  exitSeparator_->setVisible(exportToExcel_->isVisible() || save_->isVisible() ||
                             print_->isVisible() || fileInfo_->isVisible());
  showCommand(openExplorer_, offered.blockExplorer);
  showCommand(savePm_, offered.savePm);
  showCommand(fitColumns_, offered.fitColumns);
  viewMenu_->menuAction()->setVisible(child != nullptr);
  editMenu_->menuAction()->setVisible(openExplorer_->isVisible() || savePm_->isVisible());
  fillRecentFilesMenu(recentFilesMenu_);
}

QStringList MainWindow::ask(OpenDialog& dialog) {
  const QStringList files = services_.files->getOpenFileNames(
      this, FileDialogs::OpenRequest{dialog.filter, dialog.fileName, dialog.multiple});
  if (!files.isEmpty()) dialog.fileName = files.front().trimmed();
  return files;
}

QMdiSubWindow* MainWindow::addSubWindow(ChildWindow* window) {
  QMdiSubWindow* sub = mdiArea_->addSubWindow(window);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  connect(window, &ChildWindow::capabilitiesChanged, this, [this, window] {
    if (window == activeChild()) updateMenus();
  });
  // The window's commands leave the menus with it.
  connect(window, &QObject::destroyed, this, &MainWindow::updateMenus, Qt::QueuedConnection);
  return sub;
}

DocumentWindow* MainWindow::createDocument(const QString& caption) {
  auto* window = new DocumentWindow(*this, services_);
  QMdiSubWindow* sub = addSubWindow(window);
  window->setCaption(caption);
  sub->show();
  placeAfterLastDocument(sub);
  mdiArea_->setActiveSubWindow(sub);
  return window;
}

void MainWindow::placeAfterLastDocument(QMdiSubWindow* sub) {
  if (sub->isMaximized() || sub->isMinimized()) return;
  const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList(QMdiArea::CreationOrder);
  for (auto last = windows.rbegin(); last != windows.rend(); ++last) {
    if (*last == sub || qobject_cast<DocumentWindow*>((*last)->widget()) == nullptr ||
        !(*last)->isVisible() || (*last)->isMinimized() || (*last)->isMaximized())
      continue;
    // One title bar down and right, as the cascade command steps.
    const int step = sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub);
    const WindowPoint at =
        cascadePosition(toWindowRect((*last)->geometry()), sub->width(), sub->height(),
                        toWindowRect(mdiArea_->viewport()->rect()), step);
    sub->move(at.x, at.y);
    return;
  }
}

void MainWindow::showDocument(DocumentWindow* window) {
  auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget());
  if (sub == nullptr) return;
  if (sub->isMinimized()) sub->showNormal();
  mdiArea_->setActiveSubWindow(sub);
}

QMdiSubWindow* MainWindow::addChildWindow(ChildWindow* window, QSize size) {
  QMdiSubWindow* sub = addSubWindow(window);
  sub->resize(size);
  sub->show();
  mdiArea_->setActiveSubWindow(sub);
  return sub;
}

void MainWindow::runReportingErrors(QWidget* parent, const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& e) {
    services_.messages->error(parent, QString::fromStdString(e.what()));
  }
}

void MainWindow::about() {
  AboutDialog dialog(*services_.desktop, this);
  services_.dialogs->run(dialog);
}

void MainWindow::quit() {
  close();
}

void MainWindow::tile() {
  QList<QMdiSubWindow*> windows;
  for (QMdiSubWindow* sub : mdiArea_->subWindowList()) {
    if (sub->isVisible() && !sub->isMinimized()) windows << sub;
  }
  if (windows.isEmpty()) return;
  const QRect area = mdiArea_->viewport()->rect();
  const int n = static_cast<int>(windows.size());
  for (int i = 0; i < n; ++i) {
    if (windows[i]->isMaximized()) windows[i]->showNormal();
    if (tileMode_ == TileMode::Horizontal) {
      const int top = area.height() * i / n;
      const int bottom = area.height() * (i + 1) / n;
      windows[i]->setGeometry(0, top, area.width(), bottom - top);
    } else {
      const int left = area.width() * i / n;
      const int right = area.width() * (i + 1) / n;
      windows[i]->setGeometry(left, 0, right - left, area.height());
    }
  }
}

void MainWindow::cascade() {
  mdiArea_->cascadeSubWindows();
}

}  // namespace kestrel::app
