#pragma once
// What the iCalendar file and the vCard 3.0 file share: TEXT values escaped, content lines
// folded at 75 octets, and identifiers that stay the same from one export to the next.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace kestrel::output {

// A TEXT value (UTF-8) with "\", ";", "," and line breaks escaped and the control characters
// other than TAB left out.
std::string escapedText(std::string_view utf8);

// A content line cut into pieces of at most 75 octets, never inside a UTF-8 character; every
// piece after the first begins with the space that marks a continuation.
void forEachFoldedPiece(std::string_view line, const std::function<void(std::string_view)>& piece);

// Identifiers made from what a row holds: the same content gives the same identifier in every
// export, and the second and later of equal contents in one file get identifiers of their own.
class StableIds {
 public:
  // 32 hexadecimal digits.
  std::string next(const std::string& content);

 private:
  std::unordered_map<std::string, std::size_t> seen_;
};

}  // namespace kestrel::output
