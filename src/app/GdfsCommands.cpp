// Opening GDFS dumps: the frame's command and the document window's load.

#include "DocumentWindow.h"
#include "FileNames.h"
#include "MainWindow.h"
#include "readers/gdfs/GdfsReader.h"

namespace kestrel::app {

void MainWindow::openGdfs() {
  const QStringList files = ask(openGdfsDialog);
  if (files.isEmpty()) return;
  guarded(this, [&] { createDocument(files.front())->loadGdfs(files.front()); });
}

void DocumentWindow::loadGdfs(const QString& fileName) {
  // A failure of decoding reaches the general error report; the rows decoded before it show.
  gdfs::loadDump(doc_, systemFileName(fileName));
}

}  // namespace kestrel::app
