#pragma once
// What the windows inside the frame use of it: the dialogs and the spreadsheet the whole run
// shares, the general error report, and a place for a new window.

#include <QSize>
#include <functional>

class QMdiSubWindow;
class QWidget;

namespace kestrel::output {
class XlsxSpreadsheet;
}

namespace kestrel::app {

struct AppServices;
class ChildWindow;
class PrintSectionsDialog;
class SaveSectionsDialog;

class FrameServices {
 public:
  virtual ~FrameServices() = default;

  virtual const AppServices& services() const = 0;
  // The save command's section dialog, one for the whole run.
  virtual SaveSectionsDialog& saveSectionsDialog() const = 0;
  // The print command's section dialog, one for the whole run.
  virtual PrintSectionsDialog& printSectionsDialog() const = 0;
  // The spreadsheet application of the whole run: each export starts it anew.
  virtual output::XlsxSpreadsheet& spreadsheet() const = 0;
  // Runs a command; a failure reaches the general error report instead of ending the program.
  virtual void runReportingErrors(QWidget* parent, const std::function<void()>& command) = 0;
  // Shows a window of the frame that is not a document (an explorer) at its own size.
  virtual QMdiSubWindow* addChildWindow(ChildWindow* window, QSize size) = 0;
};

}  // namespace kestrel::app
