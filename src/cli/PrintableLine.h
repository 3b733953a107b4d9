#pragma once

#include <string>
#include <string_view>

namespace kestrel::cli {

// The text as one printable UTF-8 line: line breaks, tabs and other control characters are
// written as "\n", "\t", "\r" or "\xNN", and every byte that is not part of a valid UTF-8
// character as "\xNN", so that a file name can neither split a message nor garble the terminal.
std::string printableLine(std::string_view text);

}  // namespace kestrel::cli
