#pragma once
// The block model that every dump reader fills: blocks of numbered records of bytes, each with
// a save mark. The arrays behind it are kept in step by addBlock and the record adders alone.
//
// A dump may hold millions of records of a byte or two, or millions of blocks of none, so
// nothing is allocated per block or per record: the bytes of every record lie one after another
// in one pool, and a record is its place there, its length, number and mark in arrays of the
// whole model. A reader that holds its file's bytes may keep its records in them instead: as the
// bytes themselves, or as digit pairs (bare or each followed by a separator) that are decoded
// when a record is seen. The records of a block take consecutive places. Records
// are usually appended block by block; a block that is added to after a later block was started
// moves its records behind the others (with room to grow), and a reader that knows how many
// records each block will get reserves their places when it adds the block.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

#include "core/Bytes.h"
#include "core/HeldBytes.h"

namespace kestrel {

// A record's bytes, seen in the model. A record the model keeps as digit pairs of a text is
// decoded when it is seen and carries its bytes with it: they last as long as this Record. The
// bytes of any other record are the model's or its held image's: valid until the model is next
// changed.
class Record {
 public:
  explicit Record(std::span<const std::uint8_t> bytes) : bytes(bytes) {}
  // The record of `size` bytes written as digit pairs from `digits` on, a pair every `step`
  // characters (2, or 3 where a separator follows each pair), of which `available` characters
  // are there; its bytes from the first pair that is not there, or not two hexadecimal digits,
  // on are 0.
  Record(const std::uint8_t* digits, std::size_t available, std::size_t size, std::size_t step = 2);
  Record(const Record& other) { *this = other; }
  Record& operator=(const Record& other);

  std::span<const std::uint8_t> bytes;
  int length() const { return static_cast<int>(bytes.size()); }
  ByteView view() const { return ByteView(bytes); }

 private:
  // Most records of a dump fit here; a longer one takes the heap.
  static constexpr std::size_t kInlineBytes = 240;
  std::uint8_t* ownRoom(std::size_t size);

  bool owned_ = false;
  std::array<std::uint8_t, kInlineBytes> inline_;
  std::vector<std::uint8_t> heap_;
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
  // How a record added by addHeldRecord lies in the held image: as its bytes, as bare digit
  // pairs, or as digit pairs each followed by a separator.
  enum class Held { Bytes, Pairs, SeparatedPairs };
  // Keeps the file image that records added by addHeldRecord are read from.
  void holdImage(std::shared_ptr<const HeldBytes> image);
  // Appends a record of `size` bytes to block `block` that stays in the held image from offset
  // `at` on, laid out as `held` tells (digit pairs are decoded each time the record is seen),
  // and returns its index within the block: a reader that holds its file keeps no second copy
  // of its records. Bytes past the image's end read as 0.
  std::size_t addHeldRecord(std::size_t block, int number, bool mark, std::size_t at,
                            std::size_t size, Held held);
  // Whether the held image may no longer be what the records were read from, so that records
  // seen now may differ from those read.
  bool imageChanged() const { return image_ != nullptr && image_->changed(); }
  void setRecordMark(std::size_t block, std::size_t i, bool mark);
  // Sets the marks of every record of the block.
  void setRecordMarks(std::size_t block, bool mark);
  void clear();

 private:
  friend class Block;
  static constexpr std::size_t kNoBlock = static_cast<std::size_t>(-1);

  // A record's start in its two top bits tells where it lies: in the pool (0), or in the held
  // image as a Held layout plus 1.
  static constexpr int kLayoutShift = 62;
  static constexpr std::size_t kOffsetBits = (std::size_t{1} << kLayoutShift) - 1;

  // Appends a record of `size` zero bytes and returns them: valid until the model is next
  // changed.
  std::span<std::uint8_t> addRecordBytes(std::size_t block, int number, bool mark,
                                         std::size_t size);
  // Takes the next place of block `block` for a record of `size` bytes that starts at `start`.
  void addPlace(std::size_t block, int number, bool mark, std::size_t start, std::size_t size);
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
  // Per place: where its bytes start in the pool (or, with a layout in the top bits, in the
  // held image), how many, the record's number and mark.
  std::vector<std::size_t> starts_;
  std::vector<std::uint32_t> lengths_;
  std::vector<int> numbers_;
  std::vector<bool> marks_;
  std::vector<std::uint8_t> pool_;
  std::shared_ptr<const HeldBytes> image_;
};

}  // namespace kestrel
