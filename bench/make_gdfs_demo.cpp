// Writes the demo GDFS dump in its three forms: demo.bin, demo.gdfs and demo.gdf, into the
// directory given (the samples folder of the source tree when none is given).

#include <fstream>
#include <iostream>
#include <string>

#include "support/GdfsBuilder.h"

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : KESTREL_SOURCE_DIR "/samples";
  const kestrel::test::GdfsBuilder demo = kestrel::test::demoDump();
  for (const std::string& ending : kestrel::test::GdfsBuilder::endings()) {
    const std::string path = dir + "/demo" + ending;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << demo.form(ending);
    if (!out.flush()) {
      std::cerr << "cannot write " << path << '\n';
      return 1;
    }
    std::cout << path << '\n';
  }
  return 0;
}
