// Writes the demo dumps of the samples folder: demo.pm and the GDFS dump in its three forms
// (demo.bin, demo.gdfs, demo.gdf), into the directory given, or the source tree's samples folder.

#include <fstream>
#include <iostream>
#include <string>
#include <string_view>

#include "support/DemoDump.h"
#include "support/GdfsBuilder.h"

namespace {

bool write(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) {
    std::cerr << "make-samples: cannot write " << path << '\n';
    return false;
  }
  std::cout << path << '\n';
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : KESTREL_SOURCE_DIR "/samples";
  bool ok = write(dir + "/demo.pm", kestrel::test::demoPmText());
  const kestrel::test::GdfsBuilder gdfs = kestrel::test::demoDump();
  for (const std::string& ending : kestrel::test::GdfsBuilder::endings()) {
    ok = write(dir + "/demo" + ending, gdfs.form(ending)) && ok;
  }
  return ok ? 0 : 1;
}
