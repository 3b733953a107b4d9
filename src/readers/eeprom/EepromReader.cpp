#include "readers/eeprom/EepromReader.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/Ascii.h"
#include "core/Errors.h"

namespace kestrel::eeprom {

namespace {

// A record is found by its marker; the block number stands 4 bytes before it and the record's
// length, low byte first and counted from the marker's first byte, 2 bytes before it.
constexpr std::ptrdiff_t kMarkerSize = 4;
constexpr std::ptrdiff_t kBlockOffset = -4;
constexpr std::ptrdiff_t kLengthOffset = -2;

// A marker counts only where it and the four bytes before it lie inside the image.
bool markerAt(ByteView image, std::ptrdiff_t i) {
  if (i < kMarkerSize || image.size() - i < kMarkerSize) return false;
  const std::uint8_t b0 = image.at(i);
  const std::uint8_t b1 = image.at(i + 1);
  const std::uint8_t b2 = image.at(i + 2);
  const std::uint8_t b3 = image.at(i + 3);
  return (b0 == '4' && b1 == '3' && b2 == '2' && b3 == '1') ||
         (b0 == '1' && b1 == '2' && b2 == '3' && b3 == '4');
}

// Texts are big-endian two-byte characters: a run starts with two characters of the same high
// byte whose first low byte differs from it, and goes on while each high byte is 0 or the same
// as the one before. Returns the position after the run and appends its characters to `text`.
std::ptrdiff_t collectRun(ByteView image, std::ptrdiff_t i, std::string& text) {
  const std::ptrdiff_t n = image.size();
  std::ptrdiff_t j = i;
  while (j + 1 < n) {
    const std::uint8_t high = image.at(j);
    const std::uint8_t low = image.at(j + 1);
    // A non-zero high byte takes the low bytes 0x10..0x4F of the Cyrillic letters U+0410..U+044F
    // to their windows-1251 codes 0xC0..0xFF; the rest wrap around the same way.
    text.push_back(static_cast<char>(high != 0 ? static_cast<std::uint8_t>(low + 176) : low));
    j += 2;
    const std::uint8_t next = image.at(j);
    if (j < n && next != 0 && next != image.at(j - 2)) break;
  }
  return j;
}

// The places where a marker may start: its first character, "4" or "1".
class MarkerStarts {
 public:
  explicit MarkerStarts(ByteView image)
      : search_(std::string_view(reinterpret_cast<const char*>(image.span().data()),
                                 image.span().size()),
                '4', '1') {}
  std::ptrdiff_t next(std::ptrdiff_t from) {
    return static_cast<std::ptrdiff_t>(search_.next(static_cast<std::size_t>(from)));
  }

 private:
  EitherSearch search_;
};

constexpr std::size_t kShortestMemoText = 6;

// For the eight positions from p on (ten bytes are read): the top bit of byte k is set when
// position k starts a run, its byte coming again two places on but not one place on.
std::uint64_t runStarts(const std::uint8_t* p) {
  std::uint64_t at0 = 0;
  std::uint64_t at1 = 0;
  std::uint64_t at2 = 0;
  std::memcpy(&at0, p, 8);
  std::memcpy(&at1, p + 1, 8);
  std::memcpy(&at2, p + 2, 8);
  return zeroBytes(at0 ^ at2) & ~zeroBytes(at0 ^ at1);
}

void readImage(DocumentData& doc, std::shared_ptr<const HeldBytes> held) {
  const ByteView image = held->span();
  const std::ptrdiff_t n = image.size();
  doc.model.holdImage(std::move(held));

  // Records per block number; wide enough that no block loses a record. They are counted in
  // the same pass that finds the texts.
  std::array<std::size_t, 256> counts{};
  const auto countMarker = [&](std::ptrdiff_t i) {
    if (markerAt(image, i)) ++counts[image.at(i + kBlockOffset)];
  };
  // A run starts where a byte comes again after one other byte. Positions inside the previous
  // run start no run of their own, which keeps the scan linear. Eight positions are tested at a
  // time, for a run and for a marker's first character; the few that pass are then taken one
  // by one.
  const std::uint8_t* raw = image.span().data();
  std::ptrdiff_t runEnd = 0;
  std::string text;
  const auto takeRun = [&](std::ptrdiff_t i) {
    if (i <= runEnd) return;
    text.clear();
    runEnd = collectRun(image, i, text);
    if (text.size() >= kShortestMemoText) doc.memo.push_back(text);
  };
  std::ptrdiff_t i = 1;
  // The bytes of a word are numbered from its low end.
  constexpr bool kWordTest = std::endian::native == std::endian::little;
  constexpr std::uint64_t kFours = 0x3434343434343434ULL;  // "4" in every byte
  constexpr std::uint64_t kOnes = 0x3131313131313131ULL;   // "1" in every byte
  for (; kWordTest && n - i >= 10; i += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, raw + i, 8);
    for (std::uint64_t firsts = zeroBytes(word ^ kFours) | zeroBytes(word ^ kOnes); firsts != 0;
         firsts &= firsts - 1)
      countMarker(i + std::countr_zero(firsts) / 8);
    for (std::uint64_t starts = runStarts(raw + i); starts != 0; starts &= starts - 1)
      takeRun(i + std::countr_zero(starts) / 8);
  }
  for (; i < n; ++i) {
    countMarker(i);
    if (i + 2 < n && raw[i] == raw[i + 2] && raw[i] != raw[i + 1]) takeRun(i);
  }

  std::array<std::size_t, 256> blockIndex{};
  for (std::size_t number = 0; number < counts.size(); ++number) {
    if (counts[number] == 0) continue;
    blockIndex[number] = doc.model.addBlock(static_cast<int>(number), true, counts[number]);
  }

  // Records overlap wherever a marker lies inside another record, so an image of nothing but
  // markers would offer thousands of times its own size in records. The records stop, silently
  // like every failure of this reader, once their bytes come to three times the image (and half
  // a megabyte for small ones). They stay in the held image, so the limit no longer guards
  // memory, but it still decides which records a damaged image offers.
  const std::size_t budget = 3 * static_cast<std::size_t>(n) + (std::size_t{1} << 19);
  std::size_t counted = 0;
  MarkerStarts filling(image);
  for (std::ptrdiff_t j = filling.next(0); j < n; j = filling.next(j + 1)) {
    if (!markerAt(image, j)) continue;
    const std::ptrdiff_t length =
        image.at(j + kLengthOffset) | (image.at(j + kLengthOffset + 1) << 8);
    // A length past the end of the image keeps only the bytes that are there.
    const std::size_t size = image.slice(j, length).size();
    if (size > budget - counted) break;
    counted += size;
    const std::size_t index = blockIndex[image.at(j + kBlockOffset)];
    const auto number = static_cast<int>(doc.model.block(index).recordCount());
    doc.model.addHeldRecord(index, number, false, static_cast<std::size_t>(j), size,
                            BlockModel::Held::Bytes);
  }
}

}  // namespace

bool readDump(DocumentData& doc, ReaderInput& input) {
  // The document keeps the file's bytes: its records stay in them.
  readImage(doc, input.readAllToKeep());
  return false;
}

}  // namespace kestrel::eeprom
