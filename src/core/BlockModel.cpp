#include "core/BlockModel.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <utility>

#include "core/Ascii.h"

namespace kestrel {

Record::Record(const std::uint8_t* digits, std::size_t available, std::size_t size,
               std::size_t step) {
  std::uint8_t* room = ownRoom(size);
  // The last pair needs its two digits, not the separator after it.
  const std::size_t whole = std::min(size, (available + step - 2) / step);
  std::size_t decoded = 0;
  if (step == 2) {
    decoded = decodeHexPairs(digits, std::span(room, whole));
  } else {
    const HexPairs pairs;
    for (; decoded < whole; ++decoded) {
      const int value = pairs.value(digits[step * decoded], digits[step * decoded + 1]);
      if (value < 0) break;
      room[decoded] = static_cast<std::uint8_t>(value);
    }
  }
  std::fill(room + decoded, room + size, std::uint8_t{0});
}

Record& Record::operator=(const Record& other) {
  if (this == &other) return *this;
  if (!other.owned_) {
    owned_ = false;
    bytes = other.bytes;
    return *this;
  }
  const std::span<const std::uint8_t> from = other.bytes;
  std::uint8_t* room = ownRoom(from.size());
  if (!from.empty()) std::memcpy(room, from.data(), from.size());
  return *this;
}

std::uint8_t* Record::ownRoom(std::size_t size) {
  owned_ = true;
  std::uint8_t* room = inline_.data();
  if (size > inline_.size()) {
    heap_.resize(size);
    room = heap_.data();
  }
  bytes = std::span<const std::uint8_t>(room, size);
  return room;
}

Record Block::record(std::size_t i) const {
  const std::size_t place = first_ + i;
  const std::size_t start = model_->starts_[place];
  const std::size_t length = model_->lengths_[place];
  const std::size_t layout = start >> BlockModel::kLayoutShift;
  if (layout == 0) return Record(std::span(model_->pool_).subspan(start, length));
  const HeldBytes& image = *model_->image_;
  const std::size_t at = std::min(start & BlockModel::kOffsetBits, image.size());
  const auto held = static_cast<BlockModel::Held>(layout - 1);
  // Bytes were checked when the record was added to lie inside the image.
  if (held == BlockModel::Held::Bytes)
    return Record(image.span().subspan(at, std::min(length, image.size() - at)));
  return Record(image.data() + at, image.size() - at, length,
                held == BlockModel::Held::Pairs ? 2 : 3);
}

int Block::recordNumber(std::size_t i) const {
  return model_->numbers_[first_ + i];
}

bool Block::recordMark(std::size_t i) const {
  return model_->marks_[first_ + i];
}

Block BlockModel::block(std::size_t g) const {
  return Block(*this, firstPlaces_.at(g), counts_[g]);
}

void BlockModel::reserve(std::size_t blocks, std::size_t records, std::size_t bytes) {
  blockNumbers.reserve(blockNumbers.size() + blocks);
  blockMarks.reserve(blockMarks.size() + blocks);
  firstPlaces_.reserve(firstPlaces_.size() + blocks);
  counts_.reserve(counts_.size() + blocks);
  starts_.reserve(starts_.size() + records);
  lengths_.reserve(lengths_.size() + records);
  numbers_.reserve(numbers_.size() + records);
  marks_.reserve(marks_.size() + records);
  pool_.reserve(pool_.size() + bytes);
}

std::size_t BlockModel::addBlock(int number, bool mark, std::size_t records) {
  blockNumbers.push_back(number);
  blockMarks.push_back(mark);
  firstPlaces_.push_back(starts_.size());
  counts_.push_back(0);
  const std::size_t g = blockNumbers.size() - 1;
  if (records > 0) {
    addPlaces(records);
    room_[g] = records;
    endBlock_ = kNoBlock;
  } else {
    endBlock_ = g;
  }
  return g;
}

void BlockModel::addPlaces(std::size_t n) {
  const std::size_t size = starts_.size() + n;
  starts_.resize(size);
  lengths_.resize(size);
  numbers_.resize(size);
  marks_.resize(size);
}

void BlockModel::moveToEnd(std::size_t g) {
  const std::size_t from = firstPlaces_[g];
  const std::size_t n = counts_[g];
  const std::size_t to = starts_.size();
  // Room for as many again, so that a block filled in turn with others moves a few times only.
  const std::size_t room = std::max<std::size_t>(2 * n, 4);
  addPlaces(room);
  for (std::size_t k = 0; k < n; ++k) {
    starts_[to + k] = starts_[from + k];
    lengths_[to + k] = lengths_[from + k];
    numbers_[to + k] = numbers_[from + k];
    marks_[to + k] = marks_[from + k];
  }
  firstPlaces_[g] = to;
  room_[g] = room;
  endBlock_ = kNoBlock;
}

std::size_t BlockModel::addRecord(std::size_t block, int number, bool mark,
                                  std::span<const std::uint8_t> bytes) {
  const std::span<std::uint8_t> to = addRecordBytes(block, number, mark, bytes.size());
  if (!bytes.empty()) std::memcpy(to.data(), bytes.data(), bytes.size());
  return counts_[block] - 1;
}

void BlockModel::addPlace(std::size_t block, int number, bool mark, std::size_t start,
                          std::size_t size) {
  const std::size_t count = counts_.at(block);
  if (count == std::numeric_limits<std::uint32_t>::max() ||
      size > std::numeric_limits<std::uint32_t>::max())
    throw std::length_error("more records or record bytes than a block can hold");
  if (block == endBlock_) {
    addPlaces(1);
  } else {
    const auto room = room_.find(block);
    if (room == room_.end() || count >= room->second) moveToEnd(block);
  }
  const std::size_t place = firstPlaces_[block] + count;
  starts_[place] = start;
  lengths_[place] = static_cast<std::uint32_t>(size);
  numbers_[place] = number;
  marks_[place] = mark;
  counts_[block] = static_cast<std::uint32_t>(count + 1);
  ++records_;
}

std::span<std::uint8_t> BlockModel::addRecordBytes(std::size_t block, int number, bool mark,
                                                   std::size_t size) {
  const std::size_t start = pool_.size();
  addPlace(block, number, mark, start, size);
  pool_.resize(start + size);
  return std::span(pool_).subspan(start, size);
}

void BlockModel::holdImage(std::shared_ptr<const HeldBytes> image) {
  image_ = std::move(image);
}

std::size_t BlockModel::addHeldRecord(std::size_t block, int number, bool mark, std::size_t at,
                                      std::size_t size, Held held) {
  if (image_ == nullptr || at > image_->size() ||
      (held == Held::Bytes && size > image_->size() - at))
    throw std::out_of_range("a record lies outside the held image");
  const std::size_t layout = static_cast<std::size_t>(held) + 1;
  addPlace(block, number, mark, at | (layout << kLayoutShift), size);
  return counts_[block] - 1;
}

void BlockModel::setRecordMark(std::size_t block, std::size_t i, bool mark) {
  marks_[firstPlaces_.at(block) + i] = mark;
}

void BlockModel::setRecordMarks(std::size_t block, bool mark) {
  const auto first = marks_.begin() + static_cast<std::ptrdiff_t>(firstPlaces_.at(block));
  std::fill(first, first + counts_[block], mark);
}

void BlockModel::clear() {
  *this = BlockModel();
}

}  // namespace kestrel
