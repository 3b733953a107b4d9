#include "ProgramIcon.h"

#include <QApplication>
#include <QDir>

namespace kestrel::app {

QIcon programIcon() {
  QIcon icon;
  for (const QString& file : QDir(QStringLiteral(":/icons")).entryList(QDir::Files))
    icon.addFile(QStringLiteral(":/icons/") + file);
  return icon;
}

void showProgramIcon() {
  QApplication::setWindowIcon(programIcon());
  QGuiApplication::setDesktopFileName(QStringLiteral("kestrel"));
}

}  // namespace kestrel::app
