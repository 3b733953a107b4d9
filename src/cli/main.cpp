#include <iostream>

#include "cli/Cli.h"
#include "core/TemporaryFiles.h"

int main(int argc, char** argv) {
  // An interrupted run leaves no half-written temporary file or folder behind.
  kestrel::removeTemporaryFilesOnSignals();
  kestrel::cli::endQuietlyWhenTheReaderGoes();
  std::vector<std::string> args(argv + 1, argv + argc);
  return kestrel::cli::run(args, std::cout, std::cerr);
}
