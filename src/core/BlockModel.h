#pragma once
// The block model that every dump reader fills: blocks of numbered records of bytes, each with
// a save mark. The parallel arrays are kept in step by addBlock and addRecord alone.

#include <cstdint>
#include <vector>

#include "core/Bytes.h"

namespace kestrel {

struct Record {
  std::vector<std::uint8_t> bytes;
  int length() const { return static_cast<int>(bytes.size()); }
  ByteView view() const { return ByteView(bytes); }
};

struct Block {
  std::vector<int> recordNumbers;
  std::vector<bool> recordMarks;
  std::vector<Record> records;
  int lastRecord() const { return static_cast<int>(records.size()) - 1; }
};

struct BlockModel {
  std::vector<int> blockNumbers;
  std::vector<bool> blockMarks;
  std::vector<Block> blocks;

  int lastBlock() const { return static_cast<int>(blocks.size()) - 1; }
  std::size_t blockCount() const { return blocks.size(); }
  std::size_t recordCount() const;

  // Appends a block and returns its index.
  std::size_t addBlock(int number, bool mark);
  // Appends a record to block `block` and returns its index within the block.
  std::size_t addRecord(std::size_t block, int number, bool mark, std::vector<std::uint8_t> bytes);
  void clear();
};

}  // namespace kestrel
