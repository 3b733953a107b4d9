#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "core/Document.h"

namespace kestrel::cli {

using Json = nlohmann::ordered_json;

// The whole document as the `show` command prints it. Texts are converted to UTF-8.
Json documentJson(const Document& doc, const std::vector<std::string>& messages);
// Only the caption, messages, commands and counts, for quick triage of large dumps.
Json summaryJson(const Document& doc, const std::vector<std::string>& messages);

}  // namespace kestrel::cli
