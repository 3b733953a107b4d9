#include "explorer/PmWriter.h"

#include <functional>
#include <string_view>

#include "core/Ascii.h"
#include "core/Cp1251.h"
#include "core/Errors.h"
#include "core/FileIo.h"

namespace kestrel::explorer {

namespace {

// Hands the lines of block g (its header, then its marked records) to `line`, without line ends.
void blockLines(const BlockModel& model, std::size_t g,
                const std::function<void(std::string_view)>& line) {
  std::string text = '[' + std::to_string(model.blockNumbers[g]) + ']';
  line(text);
  const Block block = model.block(g);
  for (std::size_t i = 0; i < block.recordCount(); ++i) {
    if (!block.recordMark(i)) continue;
    text.assign(std::to_string(block.recordNumber(i))).append(1, '=');
    appendHexText(text, block.record(i).bytes);
    line(text);
  }
}

}  // namespace

std::string pmDumpText(const BlockModel& model) {
  std::string out;
  for (std::size_t g = 0; g < model.blockCount(); ++g) {
    if (!model.blockMarks[g]) continue;
    blockLines(model, g, [&](std::string_view line) { out.append(line).append("\r\n"); });
  }
  return out;
}

std::string pmDumpName(const std::string& chosenName) {
  return nameWithEnding(chosenName, ".pm");
}

void writePmDump(const Document& doc, const std::string& chosenName, const Progress& progress) {
  const BlockModel& model = doc.model;
  // Records still in the source file's pages are read from them again: where the file changed
  // under the document, or a page of it could not be read, they are no longer those shown.
  if (model.imageChanged())
    throw IoError(doc.sourceFiles.empty() ? pmDumpName(chosenName) : doc.sourceFiles.front(),
                  "the file changed or could not be read after it was opened; open it again");
  progress.setMaximum(model.lastBlock());
  // Block by block into the file: the dump of a large model is never held whole in memory.
  writeWholeFileFrom(
      pmDumpName(chosenName),
      [&](FileSink& file) {
        const std::function<void(std::string_view)> line = [&](std::string_view text) {
          file.write(text);
          file.write("\r\n");
        };
        for (std::size_t g = 0; g < model.blockCount(); ++g) {
          // The position in the model, not the block's number: every block is named, marked or
          // not.
          progress.setStatus(std::string("Сохранение блока "_cp) + std::to_string(g));
          if (model.blockMarks[g]) blockLines(model, g, line);
          progress.setPosition(static_cast<int>(g));
        }
      },
      doc.sourceFiles);
  progress.setStatus("");
  progress.setPosition(0);
}

}  // namespace kestrel::explorer
