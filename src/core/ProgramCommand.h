#pragma once
// Registered commands of the desktop: the command line a desktop keeps for a kind of file, and
// the program the About box starts from it. Texts are bytes in the system's file-name encoding;
// only ASCII characters are looked at, so any ASCII-compatible encoding passes through whole.

#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// The program path of a registered command: what lies between its first and second double
// quote. A command with no double quote, or with only one, names no program (empty); the rest
// of the command (options, placeholders) is not part of the program.
std::string programOfCommand(std::string_view command);

// The command line of a desktop entry (a .desktop file): its Exec key in the [Desktop Entry]
// group, with the program (the first argument, unescaped by the entry's quoting rules) put in
// double quotes and the remaining arguments left as written. Empty when the entry has no Exec.
std::string commandOfDesktopEntry(std::string_view entry);

// The desktop entries a mimeapps.list names as default applications of a MIME type, in its
// order of preference; none when the list does not name the type.
std::vector<std::string> defaultApplicationsOf(std::string_view mimeAppsList,
                                               std::string_view mimeType);

}  // namespace kestrel
