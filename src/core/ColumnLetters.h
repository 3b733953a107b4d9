#pragma once

#include <string>
#include <vector>

namespace kestrel {

// Spreadsheet column names by 1-based column number: "A".."Z", then "AA".."AZ", "BA".. "ZZ",
// then "AAA" and so on. Entry 0 is unused (empty), so the list holds count + 1 texts.
std::vector<std::string> makeColumnLetters(int count);

}  // namespace kestrel
