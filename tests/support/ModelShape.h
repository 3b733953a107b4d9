#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "core/BlockModel.h"

namespace kestrel::test {

// A record's bytes as a vector, for comparisons.
inline std::vector<std::uint8_t> bytesOf(const Record& record) {
  return {record.bytes.begin(), record.bytes.end()};
}

// A block model as (block number, [(record number, bytes)]), for whole-model comparisons.
using ModelShape =
    std::vector<std::pair<int, std::vector<std::pair<int, std::vector<std::uint8_t>>>>>;

inline ModelShape shapeOf(const BlockModel& m) {
  ModelShape s;
  for (std::size_t g = 0; g < m.blockCount(); ++g) {
    s.push_back({m.blockNumbers[g], {}});
    const Block block = m.block(g);
    for (std::size_t i = 0; i < block.recordCount(); ++i)
      s.back().second.push_back({block.recordNumber(i), bytesOf(block.record(i))});
  }
  return s;
}

}  // namespace kestrel::test
