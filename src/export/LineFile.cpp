#include "export/LineFile.h"

#include "core/FileIo.h"

namespace kestrel::output {

void writeLineFile(const std::string& fileName, std::span<const std::string> sourceFiles,
                   const LineProducer& lines) {
  writeWholeFileFrom(
      fileName,
      [&](FileSink& file) {
        lines([&](std::string_view line) {
          file.write(line);
          file.write("\r\n");
        });
      },
      sourceFiles);
}

}  // namespace kestrel::output
