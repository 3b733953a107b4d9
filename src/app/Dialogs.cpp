#include "Dialogs.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPrintDialog>
#include <QProcess>
#include <QStandardPaths>
#include <QTranslator>
#include <QUrl>

#include "core/ProgramCommand.h"

namespace kestrel::app {

void nameApplication() {
  QApplication::setApplicationName(QStringLiteral("Kestrel"));
}

bool installQtTranslations() {
  // Lives as long as the application; a second call finds it already there.
  static QTranslator* translator = nullptr;
  if (translator != nullptr) return true;
  auto* loaded = new QTranslator(QCoreApplication::instance());
  if (!loaded->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                    QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
      !QCoreApplication::installTranslator(loaded)) {
    delete loaded;
    return false;
  }
  translator = loaded;
  return true;
}

bool MessageBoxes::confirmReplace(QWidget* parent, const QString& fileName) {
  return question(parent, QStringLiteral("Файл «%1» уже существует.\nЗаменить его?").arg(fileName));
}

QString qtFilter(const QString& filter) {
  if (filter.isEmpty()) return {};
  const QStringList parts = filter.split('|');
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(';', ' ');
    // A caption that names its pattern already ("iCalendar (*.ics)") shows it once.
    const QString named = QStringLiteral("(%1)").arg(patterns);
    entries << (parts[i].endsWith(named) ? parts[i] : QStringLiteral("%1 %2").arg(parts[i], named));
  }
  return entries.join(QStringLiteral(";;"));
}

QStringList QtFileDialogs::getOpenFileNames(QWidget* parent, const OpenRequest& request) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(request.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::ReadOnly, false);
  if (!request.filter.isEmpty()) dialog.setNameFilter(qtFilter(request.filter));
  if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles();
}

std::optional<FileDialogs::SaveAnswer> QtFileDialogs::getSaveFileName(QWidget* parent,
                                                                      const SaveRequest& request) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  const QStringList filters = qtFilter(request.filter).split(QStringLiteral(";;"));
  dialog.setNameFilters(filters);
  if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  // A file type the list does not hold says nothing of the format: no guess, it is a cancel.
  const auto index = filters.indexOf(dialog.selectedNameFilter());
  if (index < 0) return std::nullopt;
  return SaveAnswer{dialog.selectedFiles().front(), static_cast<int>(index) + 1};
}

QString QtFileDialogs::getExistingDirectory(QWidget* parent, const QString& folder) {
  return QFileDialog::getExistingDirectory(parent, QStringLiteral("Открыть папку"), folder);
}

void QtMessageBoxes::information(QWidget* parent, const QString& text) {
  QMessageBox::information(parent, QApplication::applicationName(), text);
}

namespace {

// The desktop entries named as the default application of a MIME type, most preferred first.
QStringList defaultApplicationEntries(const QString& mimeType) {
  QProcess query;
  query.start(QStringLiteral("xdg-mime"),
              {QStringLiteral("query"), QStringLiteral("default"), mimeType});
  if (query.waitForFinished(3000) && query.exitStatus() == QProcess::NormalExit &&
      query.exitCode() == 0) {
    const QString id = QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
    if (!id.isEmpty()) return {id};
  }
  // No xdg-utils on this desktop: the lists it would have read, in its order.
  QStringList lists = QStandardPaths::locateAll(QStandardPaths::GenericConfigLocation,
                                                QStringLiteral("mimeapps.list"));
  lists << QStandardPaths::locateAll(QStandardPaths::GenericDataLocation,
                                     QStringLiteral("applications/mimeapps.list"));
  QStringList ids;
  const std::string type = mimeType.toStdString();
  for (const QString& list : lists) {
    QFile file(list);
    if (!file.open(QIODevice::ReadOnly)) continue;
    for (const std::string& id : defaultApplicationsOf(file.readAll().toStdString(), type))
      ids << QString::fromStdString(id);
  }
  return ids;
}

// The paths of those entries that are installed, in the same order.
QStringList installedDefaultApplications(const QString& mimeType) {
  QStringList paths;
  for (const QString& id : defaultApplicationEntries(mimeType)) {
    const QString path = QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                                QStringLiteral("applications/") + id);
    if (!path.isEmpty()) paths << path;
  }
  return paths;
}

}  // namespace

bool QtDesktop::canOpen(const QString& path) {
  return !installedDefaultApplications(QMimeDatabase().mimeTypeForFile(path).name()).isEmpty();
}

bool QtDesktop::openFile(const QString& path) {
  // Qt hands every file to xdg-open and reports success once it has started; for a type no
  // application is registered for, xdg-open then falls back to a browser, a text one in a
  // terminal that is never shown among them, or to nothing. The user would see nothing at all.
  return canOpen(path) && QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

QString QtDesktop::htmlHandlerCommand() {
  for (const QString& path : installedDefaultApplications(QStringLiteral("text/html"))) {
    QFile entry(path);
    if (!entry.open(QIODevice::ReadOnly)) continue;
    const std::string command = execOfDesktopEntry(entry.readAll().toStdString());
    if (!command.empty()) return QFile::decodeName(command.c_str());
  }
  return {};
}

bool QtDesktop::startProgram(const QString& program, const QStringList& arguments) {
  return !program.isEmpty() && QProcess::startDetached(program, arguments);
}

bool QtModalDialogs::run(QDialog& dialog) {
  return dialog.exec() == QDialog::Accepted;
}

bool QtPrintDialogs::askPrinter(QWidget* parent, QPrinter& printer) {
  QPrintDialog dialog(&printer, parent);
  return dialog.exec() == QDialog::Accepted;
}

bool QtMessageBoxes::question(QWidget* parent, const QString& text) {
  return QMessageBox::question(parent, QApplication::applicationName(), text,
                               QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

void QtMessageBoxes::warning(QWidget* parent, const QString& text) {
  QMessageBox::warning(parent, QApplication::applicationName(), text);
}

void QtMessageBoxes::error(QWidget* parent, const QString& text) {
  QMessageBox::critical(parent, QApplication::applicationName(), text);
}

}  // namespace kestrel::app
