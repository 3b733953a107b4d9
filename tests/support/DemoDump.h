#pragma once
// The demo PM dump of samples/demo.pm: phone information, contacts with Cyrillic and Latin
// names, numbers and caller groups, calls of all three kinds, notes and birthdays.

#include <string>

namespace kestrel::test {

// The text of the demo dump, CR LF lines.
std::string demoPmText();

}  // namespace kestrel::test
