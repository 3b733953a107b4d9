#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "core/BlockModel.h"

namespace kestrel::test {

// A block model as (block number, [(record number, bytes)]), for whole-model comparisons.
using ModelShape =
    std::vector<std::pair<int, std::vector<std::pair<int, std::vector<std::uint8_t>>>>>;

inline ModelShape shapeOf(const BlockModel& m) {
  ModelShape s;
  for (std::size_t g = 0; g < m.blocks.size(); ++g) {
    s.push_back({m.blockNumbers[g], {}});
    for (std::size_t i = 0; i < m.blocks[g].records.size(); ++i)
      s.back().second.push_back({m.blocks[g].recordNumbers[i], m.blocks[g].records[i].bytes});
  }
  return s;
}

}  // namespace kestrel::test
