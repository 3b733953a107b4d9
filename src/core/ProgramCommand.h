#pragma once
// Registered commands of the desktop: the command line a desktop keeps for a kind of file, and
// what the About box starts from it. Texts are bytes in the system's file-name encoding;
// only ASCII characters are looked at, so any ASCII-compatible encoding passes through whole.

#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// The command line of a desktop entry (a .desktop file): its Exec key in the [Desktop Entry]
// group, with the escapes of the entry's string values undone. Empty when the entry has none.
std::string execOfDesktopEntry(std::string_view entry);

// The program and its arguments that an Exec command line starts to open `address`, read as the
// desktop entry format quotes it: arguments parted by blanks, double quotes around an argument
// with blanks, \" \` \$ \\ inside them; %u %U %f %F become the address, %% a percent sign, and
// every other field code drops out (an argument made of nothing else with it). A line with no
// %u %U %f %F gets the address as its last argument. Empty when the line is not a complete
// command (a quote left open) or names no program of its own.
std::vector<std::string> commandArguments(std::string_view exec, std::string_view address);

// The desktop entries a mimeapps.list names as default applications of a MIME type, in its
// order of preference; none when the list does not name the type.
std::vector<std::string> defaultApplicationsOf(std::string_view mimeAppsList,
                                               std::string_view mimeType);

}  // namespace kestrel
