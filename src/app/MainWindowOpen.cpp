// The main window's open commands, the files named on the command line or dropped onto the
// window, and the list of files opened last.

#include <sys/stat.h>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QUrl>
#include <string>
#include <vector>

#include "DocumentWindow.h"
#include "FileNames.h"
#include "MainWindow.h"
#include "RecentFiles.h"

namespace kestrel::app {

namespace {

// The local files among dropped URLs.
QStringList localFiles(const QMimeData* data) {
  QStringList files;
  if (data == nullptr || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) files << url.toLocalFile();
  }
  return files;
}

}  // namespace

MainWindow::OpenDialog MainWindow::openDialogOf(FileKind kind) {
  const FileKindEntry& entry = fileKindEntry(kind);
  return {QString::fromLatin1(entry.dialogCaption) + QLatin1Char('|') +
              QString::fromLatin1(entry.dialogFilter),
          {},
          entry.multipleFiles};
}

void MainWindow::openPm() {
  openFiles(FileKind::Pm, ask(openPmDialog));
}

void MainWindow::openGdfs() {
  openFiles(FileKind::Gdfs, ask(openGdfsDialog));
}

void MainWindow::openEeprom() {
  openFiles(FileKind::Eeprom, ask(openEepromDialog));
}

void MainWindow::openVcf() {
  openFiles(FileKind::Vcf, ask(openVcfDialog));
}

void MainWindow::openFiles(FileKind kind, const QStringList& files) {
  if (files.isEmpty()) return;
  DocumentWindow* window = createDocument(files.front());
  // Remembered once read, not when the read is cancelled.
  connect(window, &DocumentWindow::readingFinished, this,
          [this, kind, files] { rememberOpened(kind, files); });
  runReportingErrors(this, [&] { window->open(kind, files); });
}

void MainWindow::rememberOpened(FileKind kind, const QStringList& files) {
  // Remembered newest first: the first chosen file ends up at the top.
  for (auto file = files.crbegin(); file != files.crend(); ++file)
    recentFiles_->add(kind, systemFileName(*file));
  if (!recentFiles_->lastError().isEmpty())
    services_.messages->warning(this, recentFiles_->lastError());
}

void MainWindow::openByName(const QStringList& names) {
  QStringList vcards;
  for (const QString& name : names) {
    // Made absolute, as the open dialog gives names: the caption, the recent files and the
    // dialogs' last names keep naming the file from any folder.
    const QString file = QFileInfo(name).absoluteFilePath();
    const auto kind = fileKindOfName(systemFileName(file));
    if (!kind) {
      services_.messages->warning(
          this, QStringLiteral("Тип файла не распознан по его имени: %1").arg(file));
    } else if (*kind == FileKind::Vcf) {
      vcards << file;
    } else {
      openFiles(*kind, {file});
      // The open dialog of the kind proposes it next, as if chosen there.
      if (*kind == FileKind::Pm) openPmDialog.fileName = file;
      if (*kind == FileKind::Gdfs) openGdfsDialog.fileName = file;
    }
  }
  // Several vCard files make one document, as when chosen together.
  openFiles(FileKind::Vcf, vcards);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!localFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QStringList files = localFiles(event->mimeData());
  if (files.isEmpty()) return;
  event->acceptProposedAction();
  openByName(files);
}

void MainWindow::addRecentFilesMenu(QMenu* fileMenu) {
  recentFilesMenu_ = fileMenu->addMenu(QStringLiteral("Последние файлы"));
  recentFilesMenu_->setObjectName(QStringLiteral("recentFiles"));
  // Filled as it opens and as another window becomes active, so that it shows the list as it
  // stands.
  connect(recentFilesMenu_, &QMenu::aboutToShow, this,
          [this] { fillRecentFilesMenu(recentFilesMenu_); });
}

void MainWindow::fillRecentFilesMenu(QMenu* menu) {
  menu->clear();
  int number = 0;
  for (const RecentFiles::Entry& entry : recentFiles_->entries()) {
    const QString name = QFile::decodeName(QByteArray::fromStdString(entry.fileName));
    QAction* action = menu->addAction(QStringLiteral("&%1 %2").arg(++number).arg(name));
    connect(action, &QAction::triggered, this, [this, entry] { openRecentFile(entry); });
  }
  menu->setEnabled(!recentFiles_->entries().empty());
}

void MainWindow::openRecentFile(const RecentFiles::Entry& entry) {
  const QString name = QFile::decodeName(QByteArray::fromStdString(entry.fileName));
  struct stat info;
  if (::stat(entry.fileName.c_str(), &info) != 0) {
    services_.messages->information(this, QStringLiteral("Файл не найден: %1").arg(name));
    recentFiles_->remove(entry.fileName);
    return;
  }
  openFiles(entry.kind, {name});
}

}  // namespace kestrel::app
