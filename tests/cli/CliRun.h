#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"

namespace kestrel::test {

struct CliResult {
  int status;
  std::string out;
  std::string err;
};

inline CliResult runCli(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = cli::run(args, out, err);
  return {status, out.str(), err.str()};
}

}  // namespace kestrel::test
