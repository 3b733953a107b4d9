// The main window's command "Открыть VCF": every chosen vCard file into one new document.

#include <string>
#include <vector>

#include "DocumentWindow.h"
#include "FileNames.h"
#include "MainWindow.h"
#include "readers/vcard/VcardReader.h"

namespace kestrel::app {

void MainWindow::openVcf() {
  const QStringList files = ask(openVcfDialog);
  if (files.isEmpty()) return;
  guarded(this, [&] {
    DocumentWindow* form = createDocument(files.front());
    std::vector<std::string> names;
    for (const QString& file : files)
      names.push_back(systemFileName(file));
    // The import fails silently; "Сохранить" stays disabled unless every file was read.
    vcard::readVcardFiles(form->document(), names);
  });
}

}  // namespace kestrel::app
