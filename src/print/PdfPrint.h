#pragma once
// Printing into a PDF file, for callers that include no Qt header themselves.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QGuiApplication;

namespace kestrel::print {

// Prints the lines into an A4 PDF with the same layout, font and margins as on paper. The file is
// written completely or not at all: nothing when the printing failed (showError has been told),
// and an IoError with the file's name when it cannot be written. Needs a QGuiApplication.
void printLinesToPdf(const std::vector<std::string>& lines, const std::string& pdfPath,
                     const std::function<void(std::string_view)>& showError);

// The QGuiApplication a program without windows needs for the fonts of printing, while it
// lives; nothing when the process has one already. Qt draws off screen unless QT_QPA_PLATFORM
// says otherwise, and Qt's own notes (a missing runtime folder, fonts) are silenced, since they
// are no message of the program.
class HeadlessGui {
 public:
  HeadlessGui();
  ~HeadlessGui();
  HeadlessGui(const HeadlessGui&) = delete;
  HeadlessGui& operator=(const HeadlessGui&) = delete;

 private:
  std::unique_ptr<QGuiApplication> application_;
};

}  // namespace kestrel::print
