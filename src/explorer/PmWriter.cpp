#include "explorer/PmWriter.h"

#include "core/Ascii.h"
#include "core/Cp1251.h"
#include "core/FileIo.h"

namespace kestrel::pm {

namespace {

void appendBlock(std::string& out, const BlockModel& model, std::size_t g) {
  out += '[' + std::to_string(model.blockNumbers[g]) + "]\r\n";
  const Block& block = model.blocks[g];
  for (std::size_t i = 0; i < block.records.size(); ++i) {
    if (!block.recordMarks[i]) continue;
    out += std::to_string(block.recordNumbers[i]) + '=';
    out += hexText(block.records[i].bytes);
    out += "\r\n";
  }
}

}  // namespace

std::string dumpText(const BlockModel& model) {
  std::string out;
  for (std::size_t g = 0; g < model.blocks.size(); ++g) {
    if (model.blockMarks[g]) appendBlock(out, model, g);
  }
  return out;
}

void writeDump(Document& doc, const std::string& chosenName) {
  const BlockModel& model = doc.model;
  doc.setProgressMaximum(model.lastBlock());
  std::string text;
  for (std::size_t g = 0; g < model.blocks.size(); ++g) {
    // The position in the model, not the block's number: every block is named, marked or not.
    doc.setStatus(std::string("Сохранение блока "_cp) + std::to_string(g));
    if (model.blockMarks[g]) appendBlock(text, model, g);
    doc.setProgressPosition(static_cast<int>(g));
  }
  writeWholeFile(chosenName + ".pm", text, doc.sourceFiles);
  doc.setStatus("");
  doc.setProgressPosition(0);
}

}  // namespace kestrel::pm
