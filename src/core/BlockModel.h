#pragma once
// The block model that every dump reader fills: blocks of numbered records of bytes, each with
// a save mark. The arrays behind it are kept in step by addBlock and the record adders alone.
//
// A dump may hold millions of records of a byte or two, or millions of blocks of none, so
// nothing is allocated per block or per record: the bytes of every record lie one after another
// in one pool, and a record is its place there, its length, number and mark in arrays of the
// whole model. The records of a block take consecutive places. Records are usually appended
// block by block; a block that is added to after a later block was started moves its records
// behind the others (with room to grow), and a reader that knows how many records each block
// will get reserves their places when it adds the block.

#include <cstdint>
#include <initializer_list>
#include <span>
#include <unordered_map>
#include <vector>

#include "core/Bytes.h"

namespace kestrel {

// A record's bytes, seen in the model: valid until the model is next changed.
struct Record {
  std::span<const std::uint8_t> bytes;
  int length() const { return static_cast<int>(bytes.size()); }
  ByteView view() const { return ByteView(bytes); }
};

class BlockModel;

// One block's records, seen in the model: valid until the model is next changed.
class Block {
 public:
  std::size_t recordCount() const { return count_; }
  int lastRecord() const { return static_cast<int>(count_) - 1; }
  Record record(std::size_t i) const;
  int recordNumber(std::size_t i) const;
  bool recordMark(std::size_t i) const;

 private:
  friend class BlockModel;
  Block(const BlockModel& model, std::size_t first, std::size_t count)
      : model_(&model), first_(first), count_(count) {}

  const BlockModel* model_;
  std::size_t first_;
  std::size_t count_;
};

class BlockModel {
 public:
  std::vector<int> blockNumbers;
  std::vector<bool> blockMarks;

  int lastBlock() const { return static_cast<int>(blockNumbers.size()) - 1; }
  std::size_t blockCount() const { return blockNumbers.size(); }
  std::size_t recordCount() const { return records_; }
  Block block(std::size_t g) const;

  // Room for this many more blocks, records and record bytes, so that a reader that knows them
  // allocates each array once.
  void reserve(std::size_t blocks, std::size_t records, std::size_t bytes = 0);
  // Appends a block and returns its index; `records` places are kept for the records it will
  // get.
  std::size_t addBlock(int number, bool mark, std::size_t records = 0);
  // Appends a record to block `block` and returns its index within the block. The bytes must
  // not lie in the model itself.
  std::size_t addRecord(std::size_t block, int number, bool mark,
                        std::span<const std::uint8_t> bytes);
  std::size_t addRecord(std::size_t block, int number, bool mark,
                        std::initializer_list<std::uint8_t> bytes) {
    return addRecord(block, number, mark, std::span(bytes.begin(), bytes.size()));
  }
  // Appends a record of `size` bytes to block `block` and has fill(std::span<std::uint8_t>)
  // write them in place, as a reader that decodes them does; returns the record's index within
  // the block. When fill throws, the record is taken back and the exception goes on.
  template <typename Fill>
  std::size_t addRecordFilled(std::size_t block, int number, bool mark, std::size_t size,
                              Fill fill) {
    const std::span<std::uint8_t> bytes = addRecordBytes(block, number, mark, size);
    try {
      fill(bytes);
    } catch (...) {
      removeLastRecord(block);
      throw;
    }
    return counts_[block] - 1;
  }
  void setRecordMark(std::size_t block, std::size_t i, bool mark);
  // Sets the marks of every record of the block.
  void setRecordMarks(std::size_t block, bool mark);
  void clear();

 private:
  friend class Block;
  static constexpr std::size_t kNoBlock = static_cast<std::size_t>(-1);

  // Appends a record of `size` zero bytes and returns them: valid until the model is next
  // changed.
  std::span<std::uint8_t> addRecordBytes(std::size_t block, int number, bool mark,
                                         std::size_t size);
  // Takes back the record addRecordBytes added last, to block `block`.
  void removeLastRecord(std::size_t block);
  // Appends n unused places.
  void addPlaces(std::size_t n);
  // Moves the records of block g behind all others, with room for as many again.
  void moveToEnd(std::size_t g);

  // Per block: its first place and its number of records, and the places it may fill beyond
  // them (the block at the end of the places grows without limit).
  std::vector<std::size_t> firstPlaces_;
  std::vector<std::uint32_t> counts_;
  std::unordered_map<std::size_t, std::size_t> room_;
  std::size_t endBlock_ = kNoBlock;
  std::size_t records_ = 0;
  // Per place: where its bytes start in the pool, how many, the record's number and mark.
  std::vector<std::size_t> starts_;
  std::vector<std::uint32_t> lengths_;
  std::vector<int> numbers_;
  std::vector<bool> marks_;
  std::vector<std::uint8_t> pool_;
};

}  // namespace kestrel
