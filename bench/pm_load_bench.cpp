// Generates a large PM dump and times its load: kestrel pm_load_bench [megabytes] [file].
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "core/Document.h"
#include "readers/pm/PmLoader.h"

int main(int argc, char** argv) {
  const long megabytes = argc > 1 ? std::stol(argv[1]) : 100;
  const std::string path = argc > 2 ? argv[2] : "/tmp/kestrel-bench.pm";
  {
    std::ofstream out(path, std::ios::binary);
    long written = 0;
    int block = 0;
    const std::string value(120, 'A');
    while (written < megabytes * 1024 * 1024) {
      std::string text = "[" + std::to_string(1000 + block++) + "]\r\n";
      for (int r = 0; r < 200; ++r)
        text += std::to_string(r) + "=" + value + "\r\n";
      out << text;
      written += static_cast<long>(text.size());
    }
  }
  kestrel::Document doc;
  const auto start = std::chrono::steady_clock::now();
  const bool ok = kestrel::pm::loadDump(doc, path);
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  std::printf("%s: %ld MB, %zu blocks, %zu records, loaded in %.0f ms\n", ok ? "ok" : "FAILED",
              megabytes, doc.model.blockCount(), doc.model.recordCount(), ms);
  std::remove(path.c_str());
  return ok ? 0 : 1;
}
