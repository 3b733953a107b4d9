// The main window's command "Открыть EEPROM".

#include <QFile>

#include "DocumentWindow.h"
#include "MainWindow.h"
#include "readers/eeprom/EepromReader.h"

namespace kestrel::app {

void MainWindow::openEeprom() {
  const QStringList files = ask(openEepromDialog);
  if (files.isEmpty()) return;
  guarded(this, [&] {
    DocumentWindow* form = createDocument(files.front());
    form->showSectionsPage();
    eeprom::loadDump(form->document(), QFile::encodeName(files.front()).toStdString());
  });
}

}  // namespace kestrel::app
