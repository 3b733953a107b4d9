// Writes the demo PM dump: make-demo-pm [FILE] (default samples/demo.pm).

#include <fstream>
#include <iostream>

#include "support/DemoDump.h"

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : "samples/demo.pm";
  const std::string text = kestrel::test::demoPmText();
  std::ofstream out(path, std::ios::binary);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  if (!out) {
    std::cerr << "make-demo-pm: cannot write " << path << "\n";
    return 1;
  }
  return 0;
}
