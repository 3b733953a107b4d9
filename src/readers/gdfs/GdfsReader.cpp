#include "readers/gdfs/GdfsReader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <string_view>

#include "core/Ascii.h"
#include "core/Errors.h"
#include "readers/gdfs/GdfsDecoder.h"

namespace kestrel::gdfs {

namespace {

constexpr std::uint8_t kCr = 0x0D;
constexpr std::uint8_t kLf = 0x0A;

// The byte written as two hexadecimal digits at `at`, either case. A position outside the
// image holds no digit.
std::uint8_t hexPair(ByteView image, std::ptrdiff_t at) {
  const int high = hexDigitValue(image.at(at));
  const int low = hexDigitValue(image.at(at + 1));
  if (high < 0 || low < 0 || !image.has(at) || !image.has(at + 1))
    throw FormatError("not a hexadecimal digit pair");
  return static_cast<std::uint8_t>(high * 16 + low);
}

bool bytesAre(ByteView image, std::ptrdiff_t at, std::string_view text) {
  const auto s = image.slice(at, static_cast<std::ptrdiff_t>(text.size()));
  return s.size() == text.size() && std::equal(s.begin(), s.end(), text.begin());
}

// The scheme the three forms share: a counting pass tells which block numbers occur, the
// blocks are created in ascending number, and a filling pass appends every record, in file
// order, to the block of its number. Every block number a byte can hold has its counter. The
// records stay in the held image, as their bytes or their digit pairs: none is copied.
// A dump may hold a million records: a stop asked for is heard every so many of them.
constexpr std::size_t kRecordsBetweenStopChecks = 4096;

class TwoPass {
 public:
  TwoPass(BlockModel& model, BlockModel::Held held, bool recordMarks, const std::stop_token& stop)
      : model_(model), held_(held), recordMarks_(recordMarks), stop_(stop) {
    index_.fill(-1);
  }

  void count(std::uint8_t block) {
    ++counters_[block];
    passed();
  }

  // Creates the blocks, with room for the records counted.
  void allocate() {
    std::size_t records = 0;
    std::size_t blocks = 0;
    for (const std::size_t n : counters_) {
      records += n;
      blocks += n > 0 ? 1 : 0;
    }
    model_.reserve(blocks, records);
    for (std::size_t number = 0; number < counters_.size(); ++number) {
      if (counters_[number] > 0) {
        // The filling pass appends at most the counted records.
        const std::size_t index =
            model_.addBlock(static_cast<int>(number), true, counters_[number]);
        index_[number] = static_cast<std::ptrdiff_t>(index);
      }
    }
  }

  // Appends the record of `size` bytes that lies from `at` on in the held image.
  void append(std::uint8_t block, std::uint8_t record, std::ptrdiff_t at, std::size_t size) {
    // The filling pass meets only records the counting pass has counted.
    if (index_[block] < 0) throw FormatError("record of an uncounted block");
    model_.addHeldRecord(static_cast<std::size_t>(index_[block]), record, recordMarks_,
                         static_cast<std::size_t>(at), size, held_);
    passed();
  }

 private:
  void passed() {
    if (++passed_ % kRecordsBetweenStopChecks == 0 && stop_.stop_requested()) throw Cancelled();
  }

  BlockModel& model_;
  BlockModel::Held held_;
  bool recordMarks_;
  const std::stop_token& stop_;
  std::size_t passed_ = 0;
  std::array<std::size_t, 256> counters_{};
  std::array<std::ptrdiff_t, 256> index_{};
};

// .bin: a 4-byte file header, then entries of a 7-byte header (unused byte, record number,
// block number, signed 32-bit little-endian payload length) and the payload.
constexpr std::ptrdiff_t kBinFileHeader = 4;
constexpr std::ptrdiff_t kBinEntryHeader = 7;

struct BinEntry {
  std::ptrdiff_t payloadLength = 0;
  bool whole = false;  // header and payload lie inside the file
};

BinEntry binEntryAt(ByteView image, std::ptrdiff_t p) {
  BinEntry e;
  if (image.size() - p < kBinEntryHeader) return e;
  std::uint32_t n = 0;
  for (int k = 3; k >= 0; --k)
    n = (n << 8) | image.at(p + 3 + k);
  e.payloadLength = static_cast<std::int32_t>(n);
  // The scan never moves backward.
  if (e.payloadLength < 0) throw FormatError("negative payload length");
  e.whole = e.payloadLength <= image.size() - p - kBinEntryHeader;
  return e;
}

void readBin(ByteView image, TwoPass& passes) {
  // A cut last entry ends the counting quietly, so that it creates no block of its own; the
  // filling pass reports it once the entries before it are in.
  for (std::ptrdiff_t p = kBinFileHeader; p < image.size();) {
    const BinEntry e = binEntryAt(image, p);
    if (!e.whole) break;
    passes.count(image.at(p + 2));
    p += kBinEntryHeader + e.payloadLength;
  }
  passes.allocate();
  for (std::ptrdiff_t p = kBinFileHeader; p < image.size();) {
    const BinEntry e = binEntryAt(image, p);
    if (!e.whole) throw FormatError("entry runs past the end of the file");
    passes.append(image.at(p + 2), image.at(p + 1), p + kBinEntryHeader,
                  static_cast<std::size_t>(e.payloadLength));
    p += kBinEntryHeader + e.payloadLength;
  }
}

// The first position at or after `from` that holds `c`, or the image's size.
std::ptrdiff_t nextByte(ByteView image, std::ptrdiff_t from, std::uint8_t c) {
  if (from >= image.size()) return image.size();
  const std::uint8_t* base = image.span().data();
  const void* hit = std::memchr(base + from, c, static_cast<std::size_t>(image.size() - from));
  return hit != nullptr ? static_cast<const std::uint8_t*>(hit) - base : image.size();
}

// Checks the hexadecimal record bytes of a text-form line from q on, up to the first CR or the
// end of the file, and counts them into `pairs`; `step` is 2 for bare digit pairs and 3 for
// pairs with a separator. A last lone hexadecimal digit at the end of the file is left out; any
// other last lone character is a pair that is no digit pair. Returns where the scan stopped.
std::ptrdiff_t checkHexRun(ByteView image, std::ptrdiff_t q, std::ptrdiff_t step,
                           std::size_t& pairs) {
  const std::ptrdiff_t n = image.size();
  const std::uint8_t* p = image.span().data();
  const std::ptrdiff_t lineEnd = nextByte(image, q, kCr);
  const HexPairs values;
  pairs = 0;
  // Pairs that lie wholly before the CR (or the end of the file) first.
  if (step == 2 && q + 1 < lineEnd) {
    const std::size_t whole = static_cast<std::size_t>(lineEnd - q) / 2;
    if (!hexPairsValid(p + q, whole)) throw FormatError("not a hexadecimal digit pair");
    pairs = whole;
    q += 2 * static_cast<std::ptrdiff_t>(whole);
  }
  for (; q + 1 < lineEnd; q += step, ++pairs) {
    if (values.value(p[q], p[q + 1]) < 0) throw FormatError("not a hexadecimal digit pair");
  }
  // Then what is left: a lone character before the CR or the end, or a run that goes on past a
  // CR under a separator.
  for (; q < n && p[q] != kCr; q += step, ++pairs) {
    if (q + 1 >= n) {
      if (hexDigitValue(p[q]) >= 0) break;
      throw FormatError("not a hexadecimal digit pair");
    }
    if (values.value(p[q], p[q + 1]) < 0) throw FormatError("not a hexadecimal digit pair");
  }
  return q;
}

// .gdfs: a record wherever "Gdfs=" stands, with the block digits at +10, the record digits at
// +12 and the bytes from +15. A tag whose block and record digits do not fit in the file is no
// record.
constexpr std::string_view kGdfsTag = "Gdfs=";

bool gdfsTagAt(ByteView image, std::ptrdiff_t j) {
  return j + 14 <= image.size() && bytesAre(image, j, kGdfsTag);
}

void readGdfs(ByteView image, TwoPass& passes) {
  const std::uint8_t first = static_cast<std::uint8_t>(kGdfsTag.front());
  for (std::ptrdiff_t j = nextByte(image, 0, first); j < image.size();
       j = nextByte(image, j + 1, first)) {
    if (gdfsTagAt(image, j)) passes.count(hexPair(image, j + 10));
  }
  passes.allocate();
  for (std::ptrdiff_t j = nextByte(image, 0, first); j < image.size();
       j = nextByte(image, j + 1, first)) {
    if (!gdfsTagAt(image, j)) continue;
    const std::uint8_t block = hexPair(image, j + 10);
    const std::uint8_t record = hexPair(image, j + 12);
    std::size_t pairs = 0;
    const std::ptrdiff_t q = checkHexRun(image, j + 15, 2, pairs);
    // A tag at the very end has no bytes, and their place is the end.
    passes.append(block, record, std::min(j + 15, image.size()), pairs);
    j = std::max(j, q);
  }
}

// .gdf: a record line is "BBRR=" right after an LF, its fourth key character being one of
// 0x30..0x46; the bytes from two places after the "=" are digit pairs each followed by a
// separator.
bool gdfLineAt(ByteView image, std::ptrdiff_t i) {
  const std::uint8_t last = image.at(i - 1);
  return i >= 5 && image.at(i) == '=' && image.at(i - 5) == kLf && last >= 0x30 && last <= 0x46;
}

void readGdf(ByteView image, TwoPass& passes) {
  for (std::ptrdiff_t i = nextByte(image, 0, '='); i < image.size();
       i = nextByte(image, i + 1, '=')) {
    if (gdfLineAt(image, i)) passes.count(hexPair(image, i - 4));
  }
  passes.allocate();
  for (std::ptrdiff_t i = nextByte(image, 0, '='); i < image.size();
       i = nextByte(image, i + 1, '=')) {
    if (!gdfLineAt(image, i)) continue;
    const std::uint8_t block = hexPair(image, i - 4);
    const std::uint8_t record = hexPair(image, i - 2);
    std::size_t pairs = 0;
    const std::ptrdiff_t q = checkHexRun(image, i + 2, 3, pairs);
    passes.append(block, record, std::min(i + 2, image.size()), pairs);
    i = std::max(i, q);
  }
}

}  // namespace

Form formOfName(std::string_view fileName) {
  if (endsWith(fileName, ".bin")) return Form::Bin;
  if (endsWith(fileName, ".gdfs")) return Form::Gdfs;
  if (endsWith(fileName, ".gdf")) return Form::Gdf;
  return Form::None;
}

Form formOf(std::string_view fileName, ByteView image) {
  const Form form = formOfName(fileName);
  if (form == Form::Gdf && !bytesAre(image, 0, "[VE")) return Form::None;
  return form;
}

void readImage(BlockModel& model, std::shared_ptr<const HeldBytes> held, Form form,
               const std::stop_token& stop) {
  if (form == Form::None) return;
  const ByteView image = held->span();
  model.holdImage(std::move(held));
  switch (form) {
    case Form::Bin: {
      TwoPass passes(model, BlockModel::Held::Bytes, true, stop);
      readBin(image, passes);
      return;
    }
    case Form::Gdfs: {
      TwoPass passes(model, BlockModel::Held::Pairs, false, stop);
      readGdfs(image, passes);
      return;
    }
    case Form::Gdf: {
      TwoPass passes(model, BlockModel::Held::SeparatedPairs, false, stop);
      readGdf(image, passes);
      return;
    }
    case Form::None:
      return;
  }
}

bool readDump(DocumentData& doc, ReaderInput& input) {
  try {
    // The document keeps the file's bytes: its records stay in them.
    std::shared_ptr<const HeldBytes> image = input.readAllToKeep();
    const Form form = formOf(input.name(), image->span());
    readImage(doc.model, std::move(image), form, input.stop());
    input.throwIfStopped();
  } catch (const FormatError&) {
    decodeContents(doc);
    throw;
  } catch (const IoError&) {
    decodeContents(doc);
    throw;
  }
  decodeContents(doc);
  return true;
}

}  // namespace kestrel::gdfs
