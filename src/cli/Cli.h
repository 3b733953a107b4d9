#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace kestrel::cli {

// Runs kestrel-cli with the arguments after the program name. Returns the exit status:
// 0 the command ran to its end, 1 an error reached the general error report, 2 a usage error.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// A reader that closes the pipe (`kestrel-cli show | head`) ends the program quietly by SIGPIPE,
// as it ends cat, also when the program was started with that signal ignored: the signal's
// default action is restored.
void endQuietlyWhenTheReaderGoes();

}  // namespace kestrel::cli
