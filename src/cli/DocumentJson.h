#pragma once
// The JSON that `show` prints, written to the output as it is made: a document of any size
// costs only a buffer of bounded size on top of itself.

#include <cstddef>
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

// A cell that `find` found, as one line of JSON: {"file", "table", "row", "column", "text"} with
// the file's path as given, the table's name as `show` keys it, the row's index in its table
// from 0, the column's caption and the cell's whole text. Throws OutputError.
void writeFoundCellJson(std::ostream& out, std::string_view file, std::string_view table,
                        std::size_t row, std::string_view columnCaption, std::string_view cellText);

}  // namespace kestrel::cli
