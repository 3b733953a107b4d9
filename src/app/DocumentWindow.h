#pragma once
// The document window: one per opened file. It owns its document and mirrors it: the tables in
// tab pages, the status text and progress bar, and which of its commands the frame's menus
// offer.

#include <QElapsedTimer>
#include <QList>
#include <QPointer>
#include <cstddef>
#include <memory>
#include <thread>
#include <vector>

#include "ChildWindow.h"
#include "Dialogs.h"
#include "core/CellSearch.h"
#include "core/Document.h"
#include "open/FileKind.h"

class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTableView;
class QPlainTextEdit;

namespace kestrel::app {

class BlockExplorerWindow;
class DocumentReading;
class ResultTableModel;
class FrameServices;
class OverviewPage;
class WindowSettings;

class DocumentWindow : public ChildWindow, public DocumentView {
  Q_OBJECT
 public:
  DocumentWindow(FrameServices& frame, const AppServices& services, QWidget* parent = nullptr);
  ~DocumentWindow() override;

  Document& document() { return doc_; }
  const Document& document() const { return doc_; }

  // Sets the caption of the document and of its window.
  void setCaption(const QString& caption);

  // Starts reading files of a kind into this document on a thread of its own, showing the
  // raw-section page for the kinds that have one. Meanwhile the window shows the reader's status
  // and progress and offers none of its commands; Escape or closing the window cancels the read.
  // readingFinished tells when the document holds what was read.
  void open(FileKind kind, const QStringList& files);
  void open(FileKind kind, std::vector<ReaderInput> files);
  bool isReading() const { return reading_ != nullptr; }
  // Stops a running read and waits for its thread: nothing of what it read is kept or told.
  void cancelReading();

  // ChildWindow: every command but the PM writer's, which waits for blocks; save and export
  // wait for something to write.
  Capabilities capabilities() const override;
  // "Сохранить": the section dialog, the save dialog, then the files of the chosen format.
  void save() override;
  // "Экспорт в Excel": every shown, filled table into a new workbook of the spreadsheet
  // application, which then shows it.
  void exportToSpreadsheet() override;
  // "Печать": the section dialog, the print dialog, then the report on the printer or in the
  // PDF file chosen there.
  void print() override;
  // "Сведения о файле": the name, size, time and digests of the files the document was read
  // from.
  void showFileInfo() override;
  // "Обозреватель блоков".
  void exploreBlocks() override { openBlockExplorer(); }
  // "Сохранение PM": the marked blocks and records written as a PM dump, to a name the user
  // chooses.
  void savePm() override;
  // "Подогнать столбцы": the shown columns of the shown page's table as wide as their texts.
  void fitColumns() override;

  // A new block explorer on this document, which becomes its explorer.
  BlockExplorerWindow* openBlockExplorer();
  // The newest explorer still open, or none once that one is closed.
  BlockExplorerWindow* explorer() const;
  // Shows the raw-section page, for documents read from a PM dump or an EEPROM image.
  void showSectionsPage();
  // Clicks on the raw-section page: the lines of the selected section, and the decoded value of
  // the selected line.
  void showSectionLines();
  void showValueOfLine();

  // The widgets, for the frame and for tests.
  QTabWidget* tabs() const { return tabs_; }
  QTableView* view(const ResultTable& table) const;
  // The filter field above a table's view (phonebook, calls, calendar), or none.
  QLineEdit* filterField(const ResultTable& table) const;
  // Ctrl+F: the filter field of the page shown, ready for typing.
  void focusFilter();
  QStatusBar* statusBar() const { return statusBar_; }
  QLabel* statusPanel() const { return statusPanel_; }
  QProgressBar* progressBar() const { return progressBar_; }
  QListWidget* sectionNameList() const { return sectionNames_; }
  QPushButton* savePmButton() const { return savePm_; }
  QListWidget* sectionLines() const { return sectionLines_; }
  QPlainTextEdit* decodedText() const { return decodedText_; }
  int sectionsPageIndex() const { return sectionsPage_; }
  OverviewPage* overviewPage() const { return overview_; }
  int overviewPageIndex() const { return overviewPage_; }

  // A cell of a table shown: its tab brought up and its row selected and scrolled to, the
  // filter cleared when it hides the row.
  void showCell(ShownTable table, std::size_t row, std::size_t column);

  // The calls of one line of the overview in the calls page, which is shown: its filter field
  // shows the number and the page the line's rows, however each row writes the number.
  void showCallsOfLine(std::size_t line);

  // DocumentView
  void statusChanged(std::string_view text) override;
  void progressMaximumChanged(int maximum) override;
  void progressPositionChanged(int position) override;
  void commandsChanged() override;
  void tablesAboutToChange() override;
  void tablesChanged() override;
  void pmSectionsChanged() override;
  void showMessage(std::string_view text) override;
  void showFileError(const IoError& cause, std::string_view readFailureMessage) override;

 signals:
  // The files are read (not after a cancelled read): `read` is true when every file was read.
  // The reader's messages have been shown and the commands are as it left them.
  void readingFinished(bool read);
  // The overview page shows the document's tables as they now are.
  void overviewBuilt();
  // The tables are about to change: rows kept by number no longer name the same cells.
  void tablesChanging();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildTabs();
  void buildStatusBar();
  // A tab page with the table's view; a filtered page has a filter field above the view.
  QTableView* addTablePage(ResultTable& table, const QString& caption, bool filtered = false);
  void placeProgressBar();
  // Shows the document's status, progress and command states as they stand.
  void showState();
  // The tables' own widths, with those the user gave the columns set over them.
  void applyWidths();
  // The widths the user gives the columns (by the header or by fitting them) are kept per table
  // in the settings section of the window's placement and come back with it; a column its table
  // hides stays hidden.
  void keepColumnWidths();
  void takeUserWidths(int table);
  void showMemo();
  // Takes over what the reader read, once it is done.
  void finishReading();
  // While a read runs, the pages, the commands and the search are off and Escape cancels.
  void showReading(bool reading);
  // The overview page, shown while the document has calls or calendar rows, is built anew on a
  // thread of its own; the tables are not changed until it is done.
  void buildOverviewPage();
  void rebuildOverview();
  void waitForOverview();

  FrameServices& frame_;
  AppServices services_;
  Document doc_;

  QTabWidget* tabs_ = nullptr;
  QList<QTableView*> views_;
  QList<ResultTableModel*> models_;
  // Per table, the widths of its columns the user set; empty while the user set none.
  QList<QList<int>> userWidths_;
  // Set while the program itself sizes the columns.
  bool settingWidths_ = false;
  QStatusBar* statusBar_ = nullptr;
  QLabel* statusPanel_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
  QListWidget* sectionNames_ = nullptr;
  QListWidget* sectionLines_ = nullptr;
  // The texts of the section lines as the file holds them.
  std::vector<std::string> sectionLineTexts_;
  QPlainTextEdit* decodedText_ = nullptr;
  int sectionsPage_ = -1;
  QPushButton* savePm_ = nullptr;
  QPointer<BlockExplorerWindow> explorer_;
  // The sub-windows of every explorer opened on this document: they close with it.
  QList<QPointer<QWidget>> explorerSubWindows_;
  QElapsedTimer lastRepaint_;
  // The read running, a child of this window; none once it is done.
  DocumentReading* reading_ = nullptr;
  QAction* cancelReading_ = nullptr;
  QAction* find_ = nullptr;
  OverviewPage* overview_ = nullptr;
  int overviewPage_ = -1;
  // Tells a finished build whether it is still the newest one.
  int overviewGeneration_ = 0;
  std::jthread overviewBuilding_;

  // The placement every document window shares between runs.
  std::unique_ptr<WindowSettings> settings_;
};

}  // namespace kestrel::app
