// Opening GDFS dumps: the frame's command and the document window's load.

#include <QFile>

#include "MainForm.h"
#include "ReadForm.h"
#include "readers/gdfs/GdfsReader.h"

namespace kestrel::app {

void TMainForm::GDFS1Click() {
  const QStringList files = ask(OpenGDFS);
  if (files.isEmpty()) return;
  guarded(this, [&] { createDocument(files.front())->Button5Click(files.front()); });
}

void TReadForm::Button5Click(const QString& fileName) {
  try {
    gdfs::Button5Click(doc_, QFile::encodeName(fileName).toStdString());
  } catch (...) {
    // A failure of decoding reaches the general error report; the rows decoded before it show.
    refresh();
    throw;
  }
  refresh();
}

}  // namespace kestrel::app
