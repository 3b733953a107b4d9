// How the frame shows a workbook that "Экспорт в Excel" made, for a document window or an
// explorer alike.

#include <QFile>

#include "FileNames.h"
#include "MainWindow.h"
#include "core/FileIo.h"
#include "export/ExportFormats.h"
#include "export/XlsxSpreadsheet.h"

namespace kestrel::app {

namespace {
constexpr auto kWorkbookFilter = "Книга Excel|*.xlsx";
constexpr auto kWorkbookName = "Книга1.xlsx";
constexpr auto kNoApplication =
    "Нет программы, которая открывает книги Excel (файлы .xlsx). Выберите, куда сохранить "
    "книгу, чтобы открыть её позже.";
}  // namespace

bool MainWindow::showWorkbook(output::XlsxSpreadsheet& book) {
  // The way this desktop shows any file of its type: written as "Книга1.xlsx" into a new
  // temporary folder, which goes when the program ends, and opened with the registered
  // application.
  bool staged = false;
  bool opened = false;
  runReportingErrors(this, [&] {
    const QString path = QFile::decodeName(book.writeToNewTemporaryFolder().c_str());
    staged = true;
    opened = services_.desktop != nullptr && services_.desktop->openFile(path);
  });
  if (opened) return true;
  // A copy that could not be written has been reported; a missing application is told here.
  // Either way the workbook is kept where the user says.
  if (staged) services_.messages->information(this, QString::fromUtf8(kNoApplication));
  const auto answer = services_.files->getSaveFileName(
      this, FileDialogs::SaveRequest{QString::fromUtf8(kWorkbookFilter),
                                     QString::fromUtf8(kWorkbookName)});
  if (!answer) return false;
  // The dialog sees the name before its ending: whether a file is replaced is asked here.
  const std::string target = nameWithEnding(systemFileName(answer->fileName), ".xlsx");
  if (fileNameIsTaken(target) && !services_.messages->confirmReplace(
                                     this, QFile::decodeName(QByteArray::fromStdString(target))))
    return false;
  bool saved = false;
  runReportingErrors(this, [&] {
    book.writeWorkbook(target);
    saved = true;
  });
  return saved;
}

}  // namespace kestrel::app
