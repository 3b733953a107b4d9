#pragma once

#include <string>
#include <string_view>

namespace kestrel::cli {

// The text as one printable UTF-8 line: line breaks, tabs and other control characters are
// written as "\n", "\t", "\r" or "\xNN", the C1 controls U+0080 to U+009F as "\u0080" to
// "\u009F", and every byte that is not part of a valid UTF-8 character as "\xNN", so that a
// file name can neither split a message nor garble the terminal.
std::string printableLine(std::string_view text);

}  // namespace kestrel::cli
