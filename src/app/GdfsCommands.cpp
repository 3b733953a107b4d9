// Opening GDFS dumps: the document window's load.

#include "DocumentWindow.h"
#include "FileNames.h"
#include "readers/gdfs/GdfsReader.h"

namespace kestrel::app {

void DocumentWindow::loadGdfs(const QString& fileName) {
  // A failure of decoding reaches the general error report; the rows decoded before it show.
  gdfs::loadDump(doc_, systemFileName(fileName));
}

}  // namespace kestrel::app
