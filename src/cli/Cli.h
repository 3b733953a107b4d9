#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace kestrel::cli {

// Runs kestrel-cli with the arguments after the program name. Returns the exit status:
// 0 the command ran to its end, 1 an error reached the general error report, 2 a usage error.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kestrel::cli
