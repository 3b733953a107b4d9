#include "MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>
#include <exception>

#include "AboutDialog.h"
#include "DocumentWindow.h"
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
  connect(mdiArea_, &QMdiArea::subWindowActivated, this, &MainWindow::rebuildMenuBar);

  fileMenu_ = new QMenu(QStringLiteral("Файл"), this);
  QAction* openPm = fileMenu_->addAction(QStringLiteral("Открыть PM"));
  openPm->setShortcut(QKeySequence::Open);
  connect(openPm, &QAction::triggered, this, &MainWindow::openPm);
  QAction* openGdfs = fileMenu_->addAction(QStringLiteral("Открыть GDFS"));
  openGdfs->setObjectName(QStringLiteral("openGdfs"));
  connect(openGdfs, &QAction::triggered, this, &MainWindow::openGdfs);
  QAction* openEeprom = fileMenu_->addAction(QStringLiteral("Открыть EEPROM"));
  openEeprom->setObjectName(QStringLiteral("openEeprom"));
  connect(openEeprom, &QAction::triggered, this, &MainWindow::openEeprom);
  QAction* openVcf = fileMenu_->addAction(QStringLiteral("Открыть VCF"));
  openVcf->setObjectName(QStringLiteral("openVcf"));
  connect(openVcf, &QAction::triggered, this, &MainWindow::openVcf);
  addRecentFilesMenu(fileMenu_);
  fileMenu_->addSeparator();
  QAction* exit = fileMenu_->addAction(QStringLiteral("Выход"));
  exit->setShortcut(QKeySequence::Quit);
  connect(exit, &QAction::triggered, this, &MainWindow::quit);

  settingsMenu_ = new QMenu(QStringLiteral("Настройки"), this);
  settingsMenu_->setEnabled(false);
  about_ = new QAction(QStringLiteral("About"), this);
  connect(about_, &QAction::triggered, this, &MainWindow::about);

  saveSectionsDialog_ = new SaveSectionsDialog(this);
  printSectionsDialog_ = new PrintSectionsDialog(this);

  // The workbook is shown the way this desktop shows any file of its type: written as
  // "Книга1.xlsx" into a new temporary folder and opened with the registered application.
  spreadsheet_ = std::make_unique<output::XlsxSpreadsheet>([this](output::XlsxSpreadsheet& book) {
    return services_.desktop != nullptr &&
           services_.desktop->openFile(QFile::decodeName(book.writeToNewTemporaryFolder().c_str()));
  });

  ownMenus_ = {{0, fileMenu_->menuAction()}, {1, settingsMenu_->menuAction()}, {5, about_}};
  rebuildMenuBar();

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
  // A frame destroyed without having closed keeps its placement all the same.
  settings_->save();
  // The documents go with the frame; the menu bar need not follow them any more.
  disconnect(mdiArea_, nullptr, this, nullptr);
  for (DocumentWindow* doc : documents())
    disconnect(doc, nullptr, this, nullptr);
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
    if (auto* form = qobject_cast<DocumentWindow*>(sub->widget())) out << form;
  }
  return out;
}

DocumentWindow* MainWindow::activeDocument() const {
  QMdiSubWindow* sub = mdiArea_->activeSubWindow();
  return sub ? qobject_cast<DocumentWindow*>(sub->widget()) : nullptr;
}

void MainWindow::rebuildMenuBar() {
  // A group that the active window brings replaces the frame's menus of that group.
  QList<GroupEntry> entries;
  QMdiSubWindow* sub = mdiArea_->activeSubWindow();
  const auto* child = sub != nullptr ? dynamic_cast<const ChildWindow*>(sub->widget()) : nullptr;
  QList<int> docGroups;
  if (child) {
    for (const auto& m : child->menus()) {
      entries.append({m.group, m.menu->menuAction()});
      docGroups << m.group;
    }
  }
  for (const auto& e : ownMenus_) {
    if (!docGroups.contains(e.group)) entries.append(e);
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](const GroupEntry& a, const GroupEntry& b) { return a.group < b.group; });
  menuBar()->clear();
  for (const auto& e : entries)
    menuBar()->addAction(e.action);
}

QStringList MainWindow::ask(OpenDialog& dialog) {
  const QStringList files = services_.files->getOpenFileNames(
      this, FileDialogs::OpenRequest{dialog.filter, dialog.fileName, dialog.multiple});
  if (!files.isEmpty()) dialog.fileName = files.front().trimmed();
  return files;
}

QMdiSubWindow* MainWindow::addSubWindow(QWidget* window) {
  QMdiSubWindow* sub = mdiArea_->addSubWindow(window);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  // The window's menus leave the menu bar with it.
  connect(window, &QObject::destroyed, this, &MainWindow::rebuildMenuBar, Qt::QueuedConnection);
  return sub;
}

DocumentWindow* MainWindow::createDocument(const QString& caption) {
  auto* form = new DocumentWindow(*this, services_);
  QMdiSubWindow* sub = addSubWindow(form);
  form->setCaption(caption);
  sub->show();
  mdiArea_->setActiveSubWindow(sub);
  return form;
}

QMdiSubWindow* MainWindow::addChildWindow(QWidget* window, QSize size) {
  QMdiSubWindow* sub = addSubWindow(window);
  sub->resize(size);
  sub->show();
  mdiArea_->setActiveSubWindow(sub);
  return sub;
}

QMenu* MainWindow::makeArrangeMenu(QWidget* owner) {
  auto* menu = new QMenu(QStringLiteral("Вид"), owner);
  connect(menu->addAction(QStringLiteral("Горизонтальный")), &QAction::triggered, this, [this] {
    setTileMode(TileMode::Horizontal);
    tile();
  });
  connect(menu->addAction(QStringLiteral("Вертикальный")), &QAction::triggered, this, [this] {
    setTileMode(TileMode::Vertical);
    tile();
  });
  connect(menu->addAction(QStringLiteral("Каскад")), &QAction::triggered, this,
          &MainWindow::cascade);
  return menu;
}

void MainWindow::guarded(QWidget* parent, const std::function<void()>& command) {
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
