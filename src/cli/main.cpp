#include <iostream>

#include "cli/Cli.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return kestrel::cli::run(args, std::cout, std::cerr);
}
