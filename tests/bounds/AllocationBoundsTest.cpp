// Length fields inside a file never size an allocation beyond what the file holds: every
// allocation of this test program is counted, and loading a file may at its peak hold at most
// a fixed multiple of the file's size.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "core/Document.h"
#include "open/OpenDocument.h"
#include "readers/vcard/VcardReader.h"
#include "support/DemoDump.h"
#include "support/GdfsBuilder.h"
#include "support/PmBuilder.h"
#include "support/TempDir.h"

namespace {

// Bytes held by operator new right now, and the most held since the last reset.
std::atomic<std::size_t> gLive{0};
std::atomic<std::size_t> gPeak{0};

// Each block carries its size in front, so that delete knows what it gives back.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* allocate(std::size_t size) {
  void* block = std::malloc(size + kHeader);
  if (!block) throw std::bad_alloc();
  *static_cast<std::size_t*>(block) = size;
  const std::size_t live = gLive += size;
  std::size_t peak = gPeak.load();
  while (live > peak && !gPeak.compare_exchange_weak(peak, live)) {
  }
  return static_cast<char*>(block) + kHeader;
}

void release(void* p) noexcept {
  if (!p) return;
  void* block = static_cast<char*>(p) - kHeader;
  gLive -= *static_cast<std::size_t*>(block);
  std::free(block);
}

}  // namespace

void* operator new(std::size_t size) {
  return allocate(size);
}
void* operator new[](std::size_t size) {
  return allocate(size);
}
void operator delete(void* p) noexcept {
  release(p);
}
void operator delete[](void* p) noexcept {
  release(p);
}
void operator delete(void* p, std::size_t) noexcept {
  release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  release(p);
}

namespace kestrel {
namespace {

// What loading any file may hold at its peak: this many times the file's size, plus a slack
// for the tables' fixed parts.
constexpr std::size_t kTimesFile = 8;
constexpr std::size_t kSlack = 1 << 20;

std::size_t peakOf(const std::function<void()>& work) {
  const std::size_t before = gLive.load();
  gPeak = before;
  work();
  return gPeak.load() - before;
}

struct Case {
  std::string name;
  std::string ending;  // of the file name, which chooses the reader
  std::string bytes;
};

void load(Document& doc, const Case& c, const std::string& file) {
  if (c.ending == ".pm")
    openDocument(doc, FileKind::Pm, {file});
  else if (c.ending == ".img")
    openDocument(doc, FileKind::Eeprom, {file});
  else if (c.ending == ".vcf")
    openDocument(doc, FileKind::Vcf, {file});
  else
    openDocument(doc, FileKind::Gdfs, {file});
}

// Loads each case and holds its peak to the promise; each must have read something.
void expectWithinThePromise(const std::vector<Case>& cases) {
  test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = dir.write("input" + c.ending, c.bytes);
    Document doc;
    const std::size_t peak = peakOf([&] { load(doc, c, file); });
    EXPECT_LE(peak, kTimesFile * c.bytes.size() + kSlack) << "file of " << c.bytes.size();
    EXPECT_GT(doc.model.blockCount() + doc.phonebook.rowCount(), 0u) << "something was read";
  }
}

TEST(AllocationBounds, LengthFieldsNeverSizeAllocationsBeyondTheFile) {
  // A .bin entry claiming a payload of 2 GB, after one sound entry.
  const std::string bin = std::string(4, '\0') +
                          std::string("\x00\x01\x14\x02\x00\x00\x00\xAA\xBB", 9) +
                          std::string("\x00\x02\x14\xFF\xFF\xFF\x7F\x01\x02", 9);
  // An EEPROM record claiming 65 535 bytes from its marker, at the end of the image.
  const std::string eeprom = std::string(4, '\0') + std::string("\x07\x00\xFF\xFF", 4) + "4321ab";
  // A contact whose only field claims 255 bytes of name where the record ends.
  const std::string pm = test::PmBuilder().block(58).record(0, {1, 0xFF, 0, 7, 0, 0x41}).text();
  // A card with one 50 MB note.
  const std::string vcard =
      "BEGIN:VCARD\r\nNOTE:" + std::string(50 << 20, 'n') + "\r\nEND:VCARD\r\n";
  const test::GdfsBuilder gdfs = test::demoDump();
  const std::vector<Case> cases = {
      {".bin payload of 2 GB", ".bin", bin},
      {"EEPROM record of 65535 bytes at the end", ".img", eeprom},
      {"PM field longer than its record", ".pm", pm},
      {"vCard line of 50 MB", ".vcf", vcard},
      {"demo PM dump", ".pm", test::demoPmText()},
      {"demo .bin", ".bin", gdfs.form(".bin")},
      {"demo .gdfs", ".gdfs", gdfs.form(".gdfs")},
      {"demo .gdf", ".gdf", gdfs.form(".gdf")},
  };
  expectWithinThePromise(cases);
}

// Files of many small records: every record, block and cell the readers keep counts against
// the same promise as the file's own bytes.
TEST(AllocationBounds, SmallRecordsKeepThePromise) {
  constexpr std::size_t kSize = 2 << 20;
  const auto repeated = [](std::string_view head, std::string_view unit) {
    std::string text(head);
    while (text.size() < kSize)
      text += unit;
    return text;
  };
  // One .bin call record of overlapping number fields, each claiming 255 digit bytes.
  std::string call = repeated("", std::string("\xFF\x00\x01\x20", 4));
  call[0] = 10;
  const std::size_t payload = call.size();
  const std::string bin =
      std::string(4, '\0') + std::string("\x00\x01\x14", 3) +
      std::string{static_cast<char>(payload & 0xFF), static_cast<char>((payload >> 8) & 0xFF),
                  static_cast<char>((payload >> 16) & 0xFF), static_cast<char>(payload >> 24)} +
      call;
  std::string distinctBlocks;
  for (int number = 1; distinctBlocks.size() < kSize; ++number)
    distinctBlocks.append("[").append(std::to_string(number)).append("]\r\n");
  const std::vector<Case> cases = {
      {"PM block of empty records", ".pm", repeated("[1]\r\n", "0=\r\n")},
      {"PM block of one-byte contacts", ".pm", repeated("[58]\r\n", "0=00\r\n")},
      {"PM of distinct empty blocks", ".pm", distinctBlocks},
      {"PM of one empty block repeated", ".pm", repeated("[1]\r\n", "[1]\r\n")},
      {"EEPROM of markers alone", ".img",
       repeated("", std::string("\x01\x00\xFF\xFF"
                                "4321",
                                8))},
      {".bin call record of overlapping numbers", ".bin", bin},
  };
  expectWithinThePromise(cases);
}

}  // namespace
}  // namespace kestrel
