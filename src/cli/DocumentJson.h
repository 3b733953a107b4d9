#pragma once
// The JSON that `show` prints, written to the output as it is made: a document of any size
// costs only a buffer of bounded size on top of itself.

#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/Document.h"

namespace kestrel::cli {

// The output stopped taking bytes (a full disk, a closed pipe); what() is the system's reason.
class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The whole document as one line of JSON ended by a line break, flushed. Texts are converted to
// UTF-8; the caption is the path as given, where bytes that are not UTF-8 become U+FFFD. Throws
// OutputError as soon as the output fails.
void writeDocumentJson(std::ostream& out, const Document& doc, std::string_view caption,
                       const std::vector<std::string>& messages);
// Only the caption, messages, commands and counts, for quick triage of large dumps.
void writeSummaryJson(std::ostream& out, const Document& doc, std::string_view caption,
                      const std::vector<std::string>& messages);

}  // namespace kestrel::cli
