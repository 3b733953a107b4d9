#pragma once
// Printing a list of text lines as one print job on a plain-text printer device.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel::output {

inline constexpr std::string_view kPrintError = "Error Printing text.";

// A printer that takes text line by line, as the program's platform layer provides it.
class PlainTextPrinter {
 public:
  virtual ~PlainTextPrinter() = default;
  // Starts the job and its first page, with the position at the top-left corner of the
  // printable area. Throws IoError.
  virtual void open() = 0;
  // Puts the text at the current position and moves to the start of the next line. Throws
  // IoError.
  virtual void writeLine(std::string_view cp1251Line) = 0;
  // Ends the last page and the job. Throws IoError.
  virtual void close() = 0;
};

// Prints the lines, each once and in order, as one job. An IoError of the printer ends the
// writing; the job is closed all the same and showError gets kPrintError. Any other exception
// goes on to the caller once the job is closed.
void printLines(const std::vector<std::string>& lines, PlainTextPrinter& printer,
                const std::function<void(std::string_view)>& showError);

}  // namespace kestrel::output
