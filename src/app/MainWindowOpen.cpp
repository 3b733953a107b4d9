// The main window's open commands, the files named on the command line or dropped onto the
// window, and the list of files opened last.

#include <sys/stat.h>

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QUrl>
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "DocumentWindow.h"
#include "FileNames.h"
#include "MainWindow.h"
#include "RecentFiles.h"
#include "Text.h"
#include "core/CellOrder.h"

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

// A folder of this many documents is opened only once the user agrees.
constexpr qsizetype kDocumentsWithoutAsking = 16;
// The summary of skipped files names this many; the rest are counted.
constexpr qsizetype kSkippedNamed = 20;

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

void MainWindow::openFolder() {
  QString start = lastFolder_;
  if (start.isEmpty() && !openPmDialog.fileName.isEmpty())
    start = QFileInfo(openPmDialog.fileName).absolutePath();
  const QString folder = services_.files->getExistingDirectory(this, start);
  if (folder.isEmpty()) return;
  lastFolder_ = folder;
  openFolder(folder);
}

void MainWindow::openFolder(const QString& folder) {
  const QDir dir(folder);
  QFileInfoList entries = dir.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
  // In the order the tables sort names: letter case aside, "dump2" before "dump10".
  std::ranges::stable_sort(entries, [](const QFileInfo& a, const QFileInfo& b) {
    return compareCells(fromQString(a.fileName()), fromQString(b.fileName()), CellOrder::Text) < 0;
  });

  std::vector<std::pair<FileKind, QString>> dumps;
  QStringList vcards;
  QStringList skipped;
  for (const QFileInfo& entry : entries) {
    const QString file = entry.absoluteFilePath();
    const auto kind = fileKindOfName(systemFileName(file));
    QString reason;
    if (entry.isDir())
      reason = QStringLiteral("папка");
    else if (!entry.isFile())
      reason = QStringLiteral("не обычный файл");
    else if (!kind)
      reason = QStringLiteral("тип не распознан по имени");
    else if (!entry.isReadable())
      reason = QStringLiteral("нет прав на чтение");
    if (!reason.isEmpty()) {
      skipped << QStringLiteral("%1 — %2").arg(entry.fileName(), reason);
    } else if (*kind == FileKind::Vcf) {
      vcards << file;
    } else {
      dumps.emplace_back(*kind, file);
    }
  }

  QString skippedText;
  if (!skipped.isEmpty()) {
    skippedText = QStringLiteral("Пропущено: %1\n").arg(skipped.size()) +
                  skipped.mid(0, kSkippedNamed).join(QLatin1Char('\n'));
    if (skipped.size() > kSkippedNamed)
      skippedText += QStringLiteral("\n… и ещё %1").arg(skipped.size() - kSkippedNamed);
  }
  const qsizetype documents = static_cast<qsizetype>(dumps.size()) + (vcards.isEmpty() ? 0 : 1);
  const QString shownFolder = QDir::toNativeSeparators(dir.absolutePath());
  if (documents == 0) {
    QString text = QStringLiteral("В папке «%1» нет файлов, тип которых распознаётся по имени.")
                       .arg(shownFolder);
    if (!skippedText.isEmpty()) text += QStringLiteral("\n\n") + skippedText;
    services_.messages->information(this, text);
    return;
  }
  if (documents > kDocumentsWithoutAsking &&
      !services_.messages->question(
          this,
          QStringLiteral("Открыть документов: %1 из папки «%2»?").arg(documents).arg(shownFolder)))
    return;
  for (const auto& [kind, file] : dumps)
    openFiles(kind, {file});
  openFiles(FileKind::Vcf, vcards);
  if (!skippedText.isEmpty())
    services_.messages->information(this,
                                    QStringLiteral("Из папки «%1» открыто документов: %2.\n\n%3")
                                        .arg(shownFolder)
                                        .arg(documents)
                                        .arg(skippedText));
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
