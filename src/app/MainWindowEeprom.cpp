// The main window's command "Открыть EEPROM".

#include "DocumentWindow.h"
#include "FileNames.h"
#include "MainWindow.h"
#include "readers/eeprom/EepromReader.h"

namespace kestrel::app {

void MainWindow::openEeprom() {
  const QStringList files = ask(openEepromDialog);
  if (files.isEmpty()) return;
  guarded(this, [&] {
    DocumentWindow* form = createDocument(files.front());
    form->showSectionsPage();
    eeprom::loadDump(form->document(), systemFileName(files.front()));
  });
}

}  // namespace kestrel::app
