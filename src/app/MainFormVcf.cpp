// The main window's command "Открыть VCF": every chosen vCard file into one new document.

#include <QFile>
#include <string>
#include <vector>

#include "MainForm.h"
#include "ReadForm.h"
#include "readers/vcard/VcardReader.h"

namespace kestrel::app {

void TMainForm::VCF1Click() {
  const QStringList files = ask(OpenVCF);
  if (files.isEmpty()) return;
  guarded(this, [&] {
    TReadForm* form = createDocument(files.front());
    std::vector<std::string> names;
    for (const QString& file : files)
      names.push_back(QFile::encodeName(file).toStdString());
    // The import fails silently; "Сохранить" stays disabled unless every file was read.
    vcard::readVcardFiles(form->document(), names);
    form->refresh();
  });
}

}  // namespace kestrel::app
