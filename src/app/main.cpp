#include <QApplication>

#include "Dialogs.h"
#include "MainWindow.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  kestrel::app::nameApplication();

  kestrel::app::QtFileDialogs files;
  kestrel::app::QtMessageBoxes messages;
  kestrel::app::MainWindow frame(kestrel::app::AppServices{&files, &messages});
  frame.show();
  return app.exec();
}
