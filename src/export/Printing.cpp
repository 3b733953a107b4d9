#include "Printing.h"

#include "core/Errors.h"

namespace kestrel::output {

void printLines(const std::vector<std::string>& lines, PlainTextPrinter& printer,
                const std::function<void(std::string_view)>& showError) {
  try {
    printer.open();
  } catch (const IoError&) {
    // A job that never started has nothing to close.
    showError(kPrintError);
    return;
  }
  bool failed = false;
  try {
    for (const std::string& line : lines)
      printer.writeLine(line);
  } catch (const IoError&) {
    failed = true;
  } catch (...) {
    // The failure that stopped the writing is the one the caller hears of.
    try {
      printer.close();
    } catch (...) {
    }
    throw;
  }
  try {
    printer.close();
  } catch (const IoError&) {
    failed = true;
  }
  if (failed) showError(kPrintError);
}

}  // namespace kestrel::output
