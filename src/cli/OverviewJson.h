#pragma once
// The JSON that `overview` prints: the aggregates of the document's call log and calendar.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/Document.h"
#include "core/Overview.h"

namespace kestrel::cli {

// The overview as one line of JSON ended by a line break, flushed; texts in UTF-8. Throws
// OutputError when the output fails.
void writeOverviewJson(std::ostream& out, const DocumentData& doc, const Overview& overview,
                       std::string_view caption, const std::vector<std::string>& messages);

}  // namespace kestrel::cli
