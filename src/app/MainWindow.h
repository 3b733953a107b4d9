#pragma once
// The frame of the multi-document interface: the open commands, the menus and their actions,
// and the arrangement of the document windows. The menus show what the active window offers.

#include <QList>
#include <QMainWindow>
#include <QSize>
#include <functional>
#include <memory>

#include "ChildWindow.h"
#include "Dialogs.h"
#include "FrameServices.h"
#include "RecentFiles.h"
#include "export/XlsxSpreadsheet.h"
#include "open/FileKind.h"

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QDragEnterEvent;
class QDropEvent;
class QMenu;

namespace kestrel::app {

class DocumentWindow;
class FindAllPanel;
class SaveSectionsDialog;
class PrintSectionsDialog;
class WindowSettings;

class MainWindow : public QMainWindow, public FrameServices {
  Q_OBJECT
 public:
  // An open dialog's settings: its filter and the file it proposes.
  struct OpenDialog {
    QString filter;
    QString fileName;
    bool multiple = false;
  };
  // The open dialog of a kind, as the registry of kinds gives its filter.
  static OpenDialog openDialogOf(FileKind kind);
  enum class TileMode { Horizontal, Vertical };

  explicit MainWindow(const AppServices& services, QWidget* parent = nullptr);
  ~MainWindow() override;

  QMdiArea* mdiArea() const { return mdiArea_; }
  QList<DocumentWindow*> documents() const;
  DocumentWindow* activeDocument() const;
  // The window whose commands the menus run: the active one, or none.
  ChildWindow* activeChild() const;

  // FrameServices
  const AppServices& services() const override { return services_; }
  SaveSectionsDialog& saveSectionsDialog() const override { return *saveSectionsDialog_; }
  PrintSectionsDialog& printSectionsDialog() const override { return *printSectionsDialog_; }
  output::XlsxSpreadsheet& spreadsheet() const override { return *spreadsheet_; }
  void runReportingErrors(QWidget* parent, const std::function<void()>& command) override;
  QMdiSubWindow* addChildWindow(ChildWindow* window, QSize size) override;

  OpenDialog openPmDialog = openDialogOf(FileKind::Pm);
  OpenDialog openGdfsDialog = openDialogOf(FileKind::Gdfs);
  OpenDialog openEepromDialog = openDialogOf(FileKind::Eeprom);
  OpenDialog openVcfDialog = openDialogOf(FileKind::Vcf);

  TileMode tileMode() const { return tileMode_; }
  void setTileMode(TileMode mode) { tileMode_ = mode; }
  // Arranges the document windows side by side (vertical) or one above another (horizontal).
  void tile();
  void cascade();

  // Opens files as the open command of their kind does once they are chosen: a PM dump, a GDFS
  // dump or an EEPROM image in a new document window, any number of vCard files together in
  // one. The window reads them on a thread of its own; once it has read them, each file goes to
  // the top of the recent files.
  void openFiles(FileKind kind, const QStringList& files);
  // Files named on the command line or dropped onto the window, relative names taken from the
  // current folder: each kind told by the name's ending, all vCard files together in one
  // document; a file of no known kind is named in a warning.
  void openByName(const QStringList& names);
  const RecentFiles& recentFiles() const { return *recentFiles_; }
  // Every file of the folder whose kind its name tells, as openByName opens them: a document per
  // dump, all vCard files together in one. Subfolders and files of no known kind are skipped and
  // told in one message; many documents are opened only once the user agrees.
  void openFolder(const QString& folder);

  // Brings a document window to the front, restored if it was minimized.
  void showDocument(DocumentWindow* window);
  // The panel of "Найти во всех документах".
  FindAllPanel* findAllPanel() const { return findAllPanel_; }

  // The commands the menus run on the active window.
  QAction* exportToExcelAction() const { return exportToExcel_; }
  QAction* saveAction() const { return save_; }
  QAction* printAction() const { return print_; }
  QAction* fileInfoAction() const { return fileInfo_; }
  QAction* openExplorerAction() const { return openExplorer_; }
  QAction* savePmAction() const { return savePm_; }
  QAction* fitColumnsAction() const { return fitColumns_; }
  QAction* findAllAction() const { return findAll_; }
  QAction* openFolderAction() const { return openFolder_; }
  QMenu* editMenu() const { return editMenu_; }

 public slots:
  void openPm();
  // "Открыть GDFS": a GDFS dump in a new document window.
  void openGdfs();
  // "Открыть VCF": one or more vCard files in one new document window.
  void openVcf();
  // "Открыть EEPROM": a raw EEPROM image in a new document window.
  void openEeprom();
  // "Открыть папку…": a folder chosen in the folder dialog, opened as openFolder does.
  void openFolder();
  void quit();
  // "About": the credits box, shown modally.
  void about();
  // Shows and enables the menus' commands as the active window offers them.
  void updateMenus();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void buildMenus();
  // Asks with the dialog; the chosen files, or none when the user cancelled.
  QStringList ask(OpenDialog& dialog);
  // Puts the window into a sub-window of its own that closes for good.
  QMdiSubWindow* addSubWindow(ChildWindow* window);
  // A new document window owned by the frame, captioned and shown.
  DocumentWindow* createDocument(const QString& caption);
  // A new document window stands down and right of the last one opened that is still open, so
  // that none hides another; the first comes where the stored placement puts it.
  void placeAfterLastDocument(QMdiSubWindow* sub);
  // An action of the menus that runs a command of the active window.
  QAction* addChildCommand(QMenu* menu, const QString& text, void (ChildWindow::*command)());
  // Adds the submenu of the files opened last to the "Файл" menu.
  void addRecentFilesMenu(QMenu* fileMenu);
  void fillRecentFilesMenu(QMenu* menu);
  // Opens a file of the recent list; a file that is gone is told and leaves the list.
  void openRecentFile(const RecentFiles::Entry& entry);
  // Puts files that were read at the top of the recent files.
  void rememberOpened(FileKind kind, const QStringList& files);
  // Shows an exported workbook: opened with the desktop's application for it, or, where there
  // is none, saved where the user chooses. True when it was opened or saved.
  bool showWorkbook(output::XlsxSpreadsheet& book);

  AppServices services_;
  QMdiArea* mdiArea_ = nullptr;
  TileMode tileMode_ = TileMode::Horizontal;

  QMenu* fileMenu_ = nullptr;
  QMenu* viewMenu_ = nullptr;
  QMenu* settingsMenu_ = nullptr;
  QMenu* editMenu_ = nullptr;
  QMenu* recentFilesMenu_ = nullptr;
  QAction* openEeprom_ = nullptr;
  QAction* openVcf_ = nullptr;
  QAction* exportToExcel_ = nullptr;
  QAction* save_ = nullptr;
  QAction* print_ = nullptr;
  QAction* fileInfo_ = nullptr;
  // Parts the document commands from the exit; hidden with them.
  QAction* exitSeparator_ = nullptr;
  QAction* openExplorer_ = nullptr;
  QAction* savePm_ = nullptr;
  QAction* fitColumns_ = nullptr;
  QAction* findAll_ = nullptr;
  QAction* openFolder_ = nullptr;
  QAction* about_ = nullptr;
  FindAllPanel* findAllPanel_ = nullptr;
  // The folder the folder dialog proposes: the one last opened.
  QString lastFolder_;

  SaveSectionsDialog* saveSectionsDialog_ = nullptr;
  PrintSectionsDialog* printSectionsDialog_ = nullptr;
  std::unique_ptr<output::XlsxSpreadsheet> spreadsheet_;
  // The placement and the open dialogs' files, kept between runs.
  std::unique_ptr<WindowSettings> settings_;
  std::unique_ptr<RecentFiles> recentFiles_;
};

}  // namespace kestrel::app
