#include "readers/pm/PmLoader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <functional>
#include <memory>
#include <span>
#include <unordered_map>
#include <utility>

#include "core/Ascii.h"
#include "core/Cp1251.h"
#include "core/Errors.h"
#include "core/FileIo.h"
#include "core/IniReader.h"
#include "core/Kinds.h"
#include "readers/pm/PmDecoder.h"

namespace kestrel::pm {

namespace {

[[noreturn]] void notHexadecimal() {
  throw FormatError("not a hexadecimal digit");
}

inline std::uint8_t hexPair(std::uint8_t high, std::uint8_t low) {
  const int h = hexDigitValue(high);
  const int l = hexDigitValue(low);
  if ((h | l) < 0) notHexadecimal();
  return static_cast<std::uint8_t>(h * 16 + l);
}

// A section name or record key as a decimal integer.
int parseDecimal(std::string_view text) {
  std::string_view digits = text;
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  int value = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) {
    throw FormatError("not a decimal integer: " + std::string(text));
  }
  return value;
}

// Hexadecimal digit pairs to text; bytes 0x00..0x0A are dropped, a last lone digit ignored.
std::string hexToText(std::string_view hex) {
  std::string out;
  out.reserve(hex.size() / 2);
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    const std::uint8_t b =
        hexPair(static_cast<std::uint8_t>(hex[i]), static_cast<std::uint8_t>(hex[i + 1]));
    if (b > 0x0A) out += static_cast<char>(b);
  }
  return out;
}

constexpr std::size_t kRecordsBetweenStopChecks = 1024;

// The walk over the file's bytes that finds each block header and reads the record lines after
// it, in file order.
class RecordScanner {
 public:
  explicit RecordScanner(std::span<const std::uint8_t> image) : image_(image) {}

  // Moves past the next header "[name]" at or after the scan position and the line break
  // after it.
  void findBlockHeader(std::string_view name) {
    const std::string pattern = "[" + std::string(name) + "]";
    const auto from = image_.begin() + static_cast<std::ptrdiff_t>(pos_);
    const auto it = std::search(from, image_.end(),
                                std::boyer_moore_horspool_searcher(pattern.begin(), pattern.end()));
    if (it == image_.end()) throw FormatError("block header not found: " + pattern);
    const std::size_t p = static_cast<std::size_t>(it - image_.begin());
    pos_ = std::min(p + pattern.size() + 2, image_.size());
  }

  // Reads the record line at the scan position ("key=hexdigits") into a new record of block
  // `block` with the given number, and moves to the next line. The record stays in the image as
  // its digits, which the model holds.
  void readRecordLine(BlockModel& model, std::size_t block, int recordNumber,
                      std::string_view key) {
    const std::size_t size = image_.size();
    std::size_t pos = pos_;
    std::size_t valueStart = 0;
    bool found = false;
    if (lineStartsWithKey(key)) {
      // The usual line: its key comes first, and the value runs to the first CR.
      found = true;
      valueStart = pos_ + key.size() + 1;
      const auto* cr = static_cast<const std::uint8_t*>(
          std::memchr(image_.data() + valueStart, '\r', size - valueStart));
      pos = cr != nullptr ? static_cast<std::size_t>(cr - image_.data()) : size;
    }
    // Otherwise walk the line: look for "key=" until it is found, and stop at the first CR.
    while (pos < size && image_[pos] != '\r') {
      if (!found && image_[pos] == static_cast<std::uint8_t>(key.empty() ? '=' : key.front()) &&
          size - pos >= key.size() + 1 &&
          std::equal(key.begin(), key.end(), image_.begin() + static_cast<std::ptrdiff_t>(pos)) &&
          image_[pos + key.size()] == '=') {
        found = true;
        valueStart = pos + key.size() + 1;
        pos = valueStart;
        continue;
      }
      ++pos;
    }
    if (!found) throw FormatError("record not found: " + std::string(key));

    const std::size_t n = pos - valueStart;
    // A line ended by CR: every pair that starts before the CR is a byte, so an odd digit count
    // reads the CR as a digit, which is a format error. The last line without a line break: a
    // lone last digit leaves its byte 0, as the pair it starts runs past the end of the image.
    const bool lastLine = pos == size;
    if (!lastLine && n % 2 != 0) throw FormatError("odd number of digits on a record line");
    if (!hexPairsValid(image_.data() + valueStart, n / 2)) notHexadecimal();
    model.addHeldRecord(block, recordNumber, true, valueStart, (n + 1) / 2,
                        BlockModel::Held::Pairs);
    pos_ = lastLine ? size : std::min(pos + 2, size);
  }

 private:
  bool lineStartsWithKey(std::string_view key) const {
    const std::size_t size = image_.size();
    return size - pos_ > key.size() &&
           std::equal(key.begin(), key.end(), image_.begin() + static_cast<std::ptrdiff_t>(pos_)) &&
           image_[pos_ + key.size()] == '=';
  }

  std::span<const std::uint8_t> image_;
  std::size_t pos_ = 0;
};

// Adds one information row from the value of key in section; false (and no row) when the value
// is empty or absent. With cutStart > 0, keeps cutLength characters from cutStart (1-based).
bool addInfoItem(DocumentData& doc, std::string_view section, std::string_view key,
                 InformationCaption caption, int cutLength, int cutStart) {
  std::string value = doc.pmSections.index()->value(section, key);
  if (value.empty()) return false;
  value.resize(value.size() >= 2 ? value.size() - 2 : 0);
  std::string text = hexToText(value);
  if (cutStart > 0) {
    const std::size_t start = static_cast<std::size_t>(cutStart - 1);
    text = start < text.size() ? text.substr(start, static_cast<std::size_t>(cutLength)) : "";
  }
  addInformationRow(doc.information, caption, std::move(text));
  return true;
}

// The keys a block is read with: those of the first section of its name. A section that
// repeats an earlier name walks that first section again; where the walk passes many more lines
// than keys, the places of its keys are kept, so that every repetition costs its own keys and
// no more.
class BlockKeys {
 public:
  explicit BlockKeys(const IniReader& ini) : ini_(ini) {}

  // Calls read(key) for each key of section `section`, in file order.
  template <typename Read>
  void forEach(std::size_t section, Read read) {
    const std::size_t first = ini_.firstSectionNamed(ini_.sectionName(section));
    if (first != section) {
      auto known = placesAt_.find(first);
      if (known == placesAt_.end()) known = placesAt_.emplace(first, rememberPlaces(first)).first;
      if (known->second != kWalkAgain) {
        const std::size_t at = known->second;
        for (std::size_t k = 0; k < places_[at]; ++k)
          read(ini_.keyAt(places_[at + 1 + k]));
        return;
      }
    }
    IniReader::KeyWalk walk = ini_.keysOf(first);
    while (const auto key = walk.next())
      read(*key);
  }

 private:
  static constexpr std::size_t kWalkAgain = static_cast<std::size_t>(-1);
  // Lines a walk may pass besides its keys before the places of the keys are kept.
  static constexpr std::size_t kCheapLines = 64;

  // Where the places of the keys of section `first` begin in places_, or kWalkAgain when
  // walking the section costs little more than its keys.
  std::size_t rememberPlaces(std::size_t first) {
    const std::size_t linesBefore = ini_.linesVisited();
    std::size_t keys = 0;
    IniReader::KeyWalk counting = ini_.keysOf(first);
    while (counting.next())
      ++keys;
    if (ini_.linesVisited() - linesBefore <= 2 * keys + kCheapLines) return kWalkAgain;
    const std::size_t at = places_.size();
    places_.push_back(keys);
    IniReader::KeyWalk walk = ini_.keysOf(first);
    while (walk.next())
      places_.push_back(walk.lineStart());
    return at;
  }

  const IniReader& ini_;
  // Per first section of a repeated name, where the places of its keys begin in places_ (a
  // count, then the places). Only names that repeat have an entry.
  std::unordered_map<std::size_t, std::size_t> placesAt_;
  std::vector<std::size_t> places_;
};

}  // namespace

bool readDump(DocumentData& doc, ReaderInput& input) {
  const Progress& progress = input.progress();
  std::shared_ptr<const HeldBytes> image = input.readAllToKeep();
  doc.pmSections.load(image);
  doc.model.holdImage(std::move(image));
  const IniReader& ini = *doc.pmSections.index();
  RecordScanner scanner(doc.pmSections.image());

  const std::size_t sections = ini.sectionCount();
  progress.setMaximum(static_cast<int>(sections));
  // Presence flags: phonebook, outgoing, missed, incoming calls, notes. Only the exact name
  // counts ("058" is block 58 but sets no flag).
  constexpr std::array<std::string_view, 5> kFlagBlocks = {"58", "59", "60", "61", "51"};
  std::array<bool, 5> present{};
  BlockKeys blockKeys(ini);
  // Every array of the model is allocated once, at its size: a dump of millions of small
  // sections or records would otherwise hold half as much again in spare room. A section gets
  // the keys of the first section of its name, so the key lines count the records of every dump
  // whose names do not repeat; where they do, the arrays grow as they must.
  doc.model.reserve(sections, ini.keyLineCount());
  std::string status;
  for (std::size_t g = 0; g < sections; ++g) {
    const std::string_view name = ini.sectionName(g);
    status.assign("Загрузка блока "_cp).append(name);
    progress.setStatus(status);
    for (std::size_t f = 0; f < kFlagBlocks.size(); ++f) {
      if (name == kFlagBlocks[f]) present[f] = true;
    }
    const int number = parseDecimal(name);
    scanner.findBlockHeader(name);
    const std::size_t block = doc.model.addBlock(number, true);
    std::size_t read = 0;
    blockKeys.forEach(g, [&](const IniReader::Key& key) {
      scanner.readRecordLine(doc.model, block, parseDecimal(key.name), key.name);
      // One block may hold a hundred thousand records: a stop is heard inside it too.
      if (++read % kRecordsBetweenStopChecks == 0) input.throwIfStopped();
    });
    progress.setPosition(static_cast<int>(g));
  }

  input.throwIfStopped();
  using enum InformationCaption;
  addInfoItem(doc, "4", "3", kProductionSerialNumber, 0, 0);
  addInfoItem(doc, "4", "4", kProductCode, 0, 0);
  addInfoItem(doc, "4", "5", kBasicProductionCode, 0, 0);
  addInfoItem(doc, "4", "6", kModuleCode, 0, 0);
  addInfoItem(doc, "4", "9", kHardware, 0, 0);
  if (!addInfoItem(doc, "4", "18", kImei, 18, 1)) addInfoItem(doc, "5", "0", kImei, 18, 1);
  addInfoItem(doc, "31", "4", kDsp, 0, 0);
  if (!addInfoItem(doc, "35", "0", kUserLock, 0, 0)) addInfoItem(doc, "308", "5", kUserLock, 0, 0);
  constexpr std::array<InformationCaption, 5> kPresenceCaptions = {
      kPhonebookFound, kOutgoingCallsFound, kMissedCallsFound, kIncomingCallsFound, kNotesFound};
  for (std::size_t f = 0; f < kPresenceCaptions.size(); ++f)
    doc.addPresenceRow(kPresenceCaptions[f], present[f]);
  decodeContents(doc);
  return std::find(present.begin(), present.end(), true) != present.end();
}

}  // namespace kestrel::pm
