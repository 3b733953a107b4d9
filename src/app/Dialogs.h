#pragma once
// The dialogs of the program, each behind a small interface so that tests can answer them.
// The production implementations are the Qt dialogs.

#include <QString>
#include <QStringList>
#include <optional>

class QDialog;
class QPrinter;
class QWidget;

namespace kestrel::app {

// Converts a filter written as "description|pattern;pattern|description|pattern..." into the
// Qt form "description (pattern pattern);;...".
QString qtFilter(const QString& filter);

class FileDialogs {
 public:
  struct OpenRequest {
    QString filter;    // "PM|*.pm*"; empty for no filter
    QString fileName;  // the file the dialog proposes
    bool multiple = false;
  };
  struct SaveRequest {
    QString filter;  // "Text|*.txt|CSV|*.csv|..."
    QString fileName;
  };
  struct SaveAnswer {
    QString fileName;
    int filterIndex = 1;  // 1-based entry of the filter list
  };

  virtual ~FileDialogs() = default;
  // The chosen files in the dialog's order; empty when the user cancelled.
  virtual QStringList getOpenFileNames(QWidget* parent, const OpenRequest& request) = 0;
  // The chosen name and file-type entry; nothing when the user cancelled. No overwrite prompt
  // and no default extension.
  virtual std::optional<SaveAnswer> getSaveFileName(QWidget* parent,
                                                    const SaveRequest& request) = 0;
  // A folder chosen among the existing ones, starting at `folder`; empty when the user
  // cancelled.
  virtual QString getExistingDirectory(QWidget* parent, const QString& folder) = 0;
};

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // A message box with an OK button.
  virtual void information(QWidget* parent, const QString& text) = 0;
  // A question with the buttons Yes and No, No the default; true for Yes.
  virtual bool question(QWidget* parent, const QString& text) = 0;
  // A warning with an OK button.
  virtual void warning(QWidget* parent, const QString& text) = 0;
  // The application's general error report.
  virtual void error(QWidget* parent, const QString& text) = 0;

  // Asks whether the existing file fileName (the name that will be written) may be replaced.
  bool confirmReplace(QWidget* parent, const QString& fileName);
};

class QtFileDialogs : public FileDialogs {
 public:
  QStringList getOpenFileNames(QWidget* parent, const OpenRequest& request) override;
  std::optional<SaveAnswer> getSaveFileName(QWidget* parent, const SaveRequest& request) override;
  QString getExistingDirectory(QWidget* parent, const QString& folder) override;
};

class QtMessageBoxes : public MessageBoxes {
 public:
  void information(QWidget* parent, const QString& text) override;
  bool question(QWidget* parent, const QString& text) override;
  void warning(QWidget* parent, const QString& text) override;
  void error(QWidget* parent, const QString& text) override;
};

// Names the application: settings paths and message-box titles use the name. No display name
// is set, since the platform would append it to every window title.
void nameApplication();

// Loads Qt's own translations for the Russian the program speaks, so that Qt's dialogs and
// buttons ("Открыть", "Отмена") match its texts. False when the system has none installed.
bool installQtTranslations();

// The program's own modal dialogs (the section dialogs), shown and answered.
class ModalDialogs {
 public:
  virtual ~ModalDialogs() = default;
  // Shows the dialog modally; true when it closed with its OK button.
  virtual bool run(QDialog& dialog) = 0;
};

class QtModalDialogs : public ModalDialogs {
 public:
  bool run(QDialog& dialog) override;
};

// The platform's print dialog: the printer or a PDF file, the copies and the pages.
class PrintDialogs {
 public:
  virtual ~PrintDialogs() = default;
  // Asks where and how to print, starting from the printer's settings; true when the user chose
  // to print, the printer then being set up as chosen.
  virtual bool askPrinter(QWidget* parent, QPrinter& printer) = 0;
};

class QtPrintDialogs : public PrintDialogs {
 public:
  bool askPrinter(QWidget* parent, QPrinter& printer) override;
};

// The desktop around the program: opening a file with the application registered for its type,
// and starting programs.
class Desktop {
 public:
  virtual ~Desktop() = default;
  // False when no application takes the file.
  virtual bool openFile(const QString& path) = 0;
  // The command line registered for HTML pages (the desktop's browser) as the Exec key of a
  // desktop entry gives it, as in `"/usr/bin/browser" --new-window %u`; empty when none is
  // registered. Read afresh on every call.
  virtual QString htmlHandlerCommand() = 0;
  // Starts the program with the arguments as a process of its own, not waited for; false when
  // it could not be started.
  virtual bool startProgram(const QString& program, const QStringList& arguments) = 0;
};

class QtDesktop : public Desktop {
 public:
  // Whether the desktop names an application as the default for the file's type (told by its
  // name and content), and that application is installed. Looked up as htmlHandlerCommand does.
  bool canOpen(const QString& path);
  // False, opening nothing, when canOpen is false.
  bool openFile(const QString& path) override;
  // The default text/html application as `xdg-mime query default text/html` names it, or
  // failing that as the mimeapps.list files name it, looked up among the desktop entries of
  // the XDG data folders.
  QString htmlHandlerCommand() override;
  bool startProgram(const QString& program, const QStringList& arguments) override;
};

// What the windows need from outside: passed to the main window, shared with its documents.
struct AppServices {
  FileDialogs* files = nullptr;
  MessageBoxes* messages = nullptr;
  ModalDialogs* dialogs = nullptr;
  Desktop* desktop = nullptr;
  PrintDialogs* printing = nullptr;
};

}  // namespace kestrel::app
