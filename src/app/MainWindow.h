#pragma once
// The frame of the multi-document interface: the open commands, the merged menu bar, and the
// arrangement of the document windows.

#include <QList>
#include <QMainWindow>
#include <QSize>
#include <functional>
#include <memory>

#include "Dialogs.h"
#include "RecentFiles.h"
#include "export/XlsxSpreadsheet.h"
#include "readers/kind/FileKind.h"

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QDragEnterEvent;
class QDropEvent;
class QMenu;

namespace kestrel::app {

class DocumentWindow;
class SaveSectionsDialog;
class PrintSectionsDialog;
class WindowSettings;

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  // An open dialog's settings: its filter and the file it proposes.
  struct OpenDialog {
    QString filter;
    QString fileName;
    bool multiple = false;
  };
  enum class TileMode { Horizontal, Vertical };

  explicit MainWindow(const AppServices& services, QWidget* parent = nullptr);
  ~MainWindow() override;

  QMdiArea* mdiArea() const { return mdiArea_; }
  QList<DocumentWindow*> documents() const;
  DocumentWindow* activeDocument() const;
  const AppServices& services() const { return services_; }
  // The save command's section dialog, one for the whole run.
  SaveSectionsDialog& saveSectionsDialog() const { return *saveSectionsDialog_; }
  // The spreadsheet application of the whole run: each export starts it anew.
  output::XlsxSpreadsheet& spreadsheet() const { return *spreadsheet_; }
  // The print command's section dialog, one for the whole run.
  PrintSectionsDialog& printSectionsDialog() const { return *printSectionsDialog_; }

  OpenDialog openPmDialog{QStringLiteral("PM|*.pm*"), {}, false};
  OpenDialog openGdfsDialog{QStringLiteral("GDFS|*.bin*;*.gdfs*;*.gdf*"), {}, false};
  // An EEPROM image has no ending of its own: any file may be one.
  OpenDialog openEepromDialog{QStringLiteral("EEPROM|*"), {}, false};
  OpenDialog openVcfDialog{QStringLiteral("VCF|*.vcf*"), {}, true};

  TileMode tileMode() const { return tileMode_; }
  void setTileMode(TileMode mode) { tileMode_ = mode; }
  // Arranges the document windows side by side (vertical) or one above another (horizontal).
  void tile();
  void cascade();

  // The "Вид" menu of a child window: the arrangements of the frame's windows.
  QMenu* makeArrangeMenu(QWidget* owner);
  // Shows a window of the frame that is not a document (an explorer) at its own size.
  QMdiSubWindow* addChildWindow(QWidget* window, QSize size);

  // Runs a command; a failure reaches the general error report instead of ending the program.
  void guarded(QWidget* parent, const std::function<void()>& command);

  // Opens files as the open command of their kind does once they are chosen: a PM dump, a GDFS
  // dump or an EEPROM image in a new document window, any number of vCard files together in
  // one. Each file goes to the top of the recent files.
  void openFiles(FileKind kind, const QStringList& files);
  // Files named on the command line or dropped onto the window: each kind told by the name's
  // ending, all vCard files together in one document; a file of no known kind is named in a
  // warning.
  void openByName(const QStringList& files);
  // Adds the submenu of the files opened last to a "Файл" menu.
  void addRecentFilesMenu(QMenu* fileMenu);
  const RecentFiles& recentFiles() const { return *recentFiles_; }

 public slots:
  void openPm();
  // "Открыть GDFS": a GDFS dump in a new document window.
  void openGdfs();
  // "Открыть VCF": one or more vCard files in one new document window.
  void openVcf();
  // "Открыть EEPROM": a raw EEPROM image in a new document window.
  void openEeprom();
  void quit();
  // "About": the credits box, shown modally.
  void about();
  // Shows the frame's menus merged with the active document's, ordered by group number.
  void rebuildMenuBar();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  struct GroupEntry {
    int group;
    QAction* action;
  };
  // Asks with the dialog; the chosen files, or none when the user cancelled.
  QStringList ask(OpenDialog& dialog);
  // Puts the window into a sub-window of its own that closes for good.
  QMdiSubWindow* addSubWindow(QWidget* window);
  // A new document window owned by the frame, captioned and shown.
  DocumentWindow* createDocument(const QString& caption);
  void fillRecentFilesMenu(QMenu* menu);
  // Opens a file of the recent list; a file that is gone is told and leaves the list.
  void openRecentFile(const RecentFiles::Entry& entry);

  AppServices services_;
  QMdiArea* mdiArea_ = nullptr;
  TileMode tileMode_ = TileMode::Horizontal;
  QList<GroupEntry> ownMenus_;
  QMenu* fileMenu_ = nullptr;
  QMenu* settingsMenu_ = nullptr;
  QAction* about_ = nullptr;
  SaveSectionsDialog* saveSectionsDialog_ = nullptr;
  PrintSectionsDialog* printSectionsDialog_ = nullptr;
  std::unique_ptr<output::XlsxSpreadsheet> spreadsheet_;
  // The placement and the open dialogs' files, kept between runs.
  std::unique_ptr<WindowSettings> settings_;
  std::unique_ptr<RecentFiles> recentFiles_;
};

}  // namespace kestrel::app
