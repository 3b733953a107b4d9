#include <QApplication>

#include "Dialogs.h"
#include "MainWindow.h"
#include "ProgramIcon.h"
#include "core/TemporaryFiles.h"

int main(int argc, char** argv) {
  // An export cut short by a signal leaves no temporary file or folder behind.
  kestrel::removeTemporaryFilesOnSignals();
  QApplication app(argc, argv);
  kestrel::app::nameApplication();
  kestrel::app::installQtTranslations();

  kestrel::app::QtFileDialogs files;
  kestrel::app::QtMessageBoxes messages;
  kestrel::app::QtModalDialogs dialogs;
  kestrel::app::QtDesktop desktop;
  kestrel::app::QtPrintDialogs printing;
  kestrel::app::showProgramIcon();
  kestrel::app::MainWindow frame(
      kestrel::app::AppServices{&files, &messages, &dialogs, &desktop, &printing});
  frame.show();
  // Files named on the command line open as if dropped onto the window.
  frame.openByName(QApplication::arguments().mid(1));
  return app.exec();
}
