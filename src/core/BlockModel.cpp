#include "core/BlockModel.h"

namespace kestrel {

std::size_t BlockModel::recordCount() const {
  std::size_t n = 0;
  for (const auto& b : blocks)
    n += b.records.size();
  return n;
}

std::size_t BlockModel::addBlock(int number, bool mark) {
  blockNumbers.push_back(number);
  blockMarks.push_back(mark);
  blocks.emplace_back();
  return blocks.size() - 1;
}

std::size_t BlockModel::addRecord(std::size_t block, int number, bool mark,
                                  std::vector<std::uint8_t> bytes) {
  Block& b = blocks.at(block);
  b.recordNumbers.push_back(number);
  b.recordMarks.push_back(mark);
  b.records.push_back(Record{std::move(bytes)});
  return b.records.size() - 1;
}

void BlockModel::clear() {
  blockNumbers.clear();
  blockMarks.clear();
  blocks.clear();
}

}  // namespace kestrel
