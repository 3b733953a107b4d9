#include "open/OpenDocument.h"
#include "readers/eeprom/EepromReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/Errors.h"
#include "support/ModelShape.h"
#include "support/TempDir.h"

namespace kestrel::eeprom {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes imageBytes(ByteView image) {
  return {image.span().begin(), image.span().end()};
}
using Shape = test::ModelShape;
using test::shapeOf;

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes text(std::string_view s) {
  return {s.begin(), s.end()};
}

// The four bytes before a marker: block number, an unread byte, the length low byte first.
Bytes header(std::uint8_t block, std::uint16_t length) {
  return {block, 0xEE, static_cast<std::uint8_t>(length & 0xFF),
          static_cast<std::uint8_t>(length >> 8)};
}

// A whole record: header, marker and payload, the length counting marker and payload.
Bytes record(std::uint8_t block, const Bytes& payload, std::string_view marker = "4321") {
  return header(block, static_cast<std::uint16_t>(4 + payload.size())) + text(marker) + payload;
}

// Six Cyrillic letters "Привет" as big-endian UCS-2, and their windows-1251 codes.
const Bytes kPrivet = {0x04, 0x1F, 0x04, 0x40, 0x04, 0x38, 0x04, 0x32, 0x04, 0x35, 0x04, 0x42};
const std::string kPrivetCp = "\xCF\xF0\xE8\xE2\xE5\xF2";

struct Case {
  const char* name;
  Bytes image;
  Shape shape;
  std::vector<std::string> memoAdded;
};

Case manyRecordsInOneBlock() {
  Case c{"MoreThan255RecordsInOneBlock", {}, {{5, {}}}, {}};
  for (int k = 0; k < 256; ++k) {
    const Bytes payload = {static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(k >> 8)};
    c.image = c.image + record(5, payload);
    c.shape[0].second.push_back({k, text("4321") + payload});
  }
  return c;
}

std::vector<Case> cases() {
  const Bytes inner = record(2, {}, "1234");
  return {
      {"EmptyImage", {}, {}, {}},
      {"BlocksAscendRecordsKeepImageOrder",
       record(7, {0xA1}) + record(2, {0xB2}) + record(7, {0xC3}),
       {{2, {{0, text("4321") + Bytes{0xB2}}}},
        {7, {{0, text("4321") + Bytes{0xA1}}, {1, text("4321") + Bytes{0xC3}}}}},
       {}},
      {"Marker1234CountsLike4321",
       record(9, {0x01}, "1234") + record(9, {0x02}),
       {{9, {{0, text("1234") + Bytes{0x01}}, {1, text("4321") + Bytes{0x02}}}}},
       {}},
      {"LengthZeroGivesNoBytes", header(3, 0) + text("4321"), {{3, {{0, {}}}}}, {}},
      {"LengthShorterThanMarkerCutsIt", header(3, 2) + text("4321"), {{3, {{0, text("43")}}}}, {}},
      // The inner header is part of the outer record and still names the inner block.
      {"MarkerInsideRecordMakesAnotherRecord",
       record(1, inner + Bytes{0x55}),
       {{1, {{0, text("4321") + inner + Bytes{0x55}}}}, {2, {{0, text("1234")}}}},
       {}},
      {"MarkerBeforePosition4IsNotSeen", Bytes{0, 0, 0} + text("4321"), {}, {}},
      {"MarkerCutByTheEndIsNotSeen", header(1, 4) + text("432"), {}, {}},
      {"RecordCutByTheEndKeepsWhatIsThere",
       header(4, 1000) + text("4321") + Bytes{0x10, 0x20},
       {{4, {{0, text("4321") + Bytes{0x10, 0x20}}}}},
       {}},
      {"LengthIsLowByteFirst",
       header(6, 0x0105) + text("4321") + Bytes(0x0105 - 4, 0x77) + Bytes{0x99},
       {{6, {{0, text("4321") + Bytes(0x0105 - 4, 0x77)}}}},
       {}},
      manyRecordsInOneBlock(),
      {"SixCyrillicLettersMakeAMemoLine", Bytes{0, 0} + kPrivet, {}, {kPrivetCp}},
      {"FiveLettersAreTooShort", Bytes{0, 0} + Bytes(kPrivet.begin(), kPrivet.end() - 2), {}, {}},
      // Skipping up to the end of the previous run (0 at first) loses the first letter.
      {"RunAtPosition0IsNotFound", kPrivet, {}, {}},
      {"ZeroPairsContinueALatinRun",
       Bytes{0xFF, 0x00, 'A', 0x00, 'B', 0x00, 0x00, 0x00, 0x00, 0x00, 'C', 0x00, 'D'},
       {},
       {std::string("AB\0\0CD", 6)}},
      // The low byte wraps: 0x41 + 176 is 0xF1.
      {"ChangedHighByteEndsTheRun",
       Bytes{0, 0} + kPrivet + Bytes{0x01, 0x41, 0x01, 0x41, 0x01},
       {},
       {kPrivetCp}},
      // The high byte is compared with the pair just before, not with the run's first one.
      {"HighByteAfterAZeroPairEndsTheRun",
       Bytes{0, 0} + Bytes(kPrivet.begin(), kPrivet.begin() + 6) + Bytes{0x00, 'A'} +
           Bytes(kPrivet.begin() + 6, kPrivet.end()),
       {},
       {}},
      // Block number 0 is a zero high byte that carries the run on into the record's header,
      // up to the length byte.
      {"RunsAndRecordsTogether",
       Bytes{0, 0} + kPrivet + record(0, {0x00, 0x00}) + Bytes{0, 0} + kPrivet,
       {{0, {{0, text("4321") + Bytes{0x00, 0x00}}}}},
       {kPrivetCp + "\xEE", kPrivetCp}},
  };
}

void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name;
}

class EepromImage : public testing::TestWithParam<Case> {};

TEST_P(EepromImage, GivesBlocksAndMemo) {
  const Case& c = GetParam();
  Document doc;
  openDocument(doc, FileKind::Eeprom, ReaderInput::bytes("image", imageBytes(c.image)));
  EXPECT_EQ(shapeOf(doc.model), c.shape);
  for (std::size_t g = 0; g < doc.model.blockCount(); ++g) {
    EXPECT_TRUE(doc.model.blockMarks[g]);
    const Block block = doc.model.block(g);
    for (std::size_t i = 0; i < block.recordCount(); ++i)
      EXPECT_FALSE(block.recordMark(i));
  }
  EXPECT_EQ(doc.memo, c.memoAdded);
}

INSTANTIATE_TEST_SUITE_P(Rules, EepromImage, testing::ValuesIn(cases()),
                         [](const auto& info) { return std::string(info.param.name); });

class Recorder : public DocumentView {
 public:
  void showMessage(std::string_view text) override { messages.emplace_back(text); }
  void showFileError(const IoError& e, std::string_view) override {
    fileErrors.push_back(e.fileName());
  }
  void commandsChanged() override { ++commandChanges; }
  void tablesAboutToChange() override { ++updates; }
  std::vector<std::string> messages;
  std::vector<std::string> fileErrors;
  int commandChanges = 0;
  int updates = 0;
};

TEST(EepromDump, LoadReplacesTheModelAppendsToTheMemoAndLeavesCommandsAlone) {
  test::TempDir dir;
  Recorder view;
  Document doc;
  doc.setView(&view);
  openDocument(doc, FileKind::Eeprom,
               ReaderInput::bytes("image", imageBytes(record(8, {0x01}) + Bytes{0, 0} + kPrivet)));
  const Bytes second = record(3, {0x02});
  const std::string name = dir.write("eeprom.bin", std::string(second.begin(), second.end()));
  openDocument(doc, FileKind::Eeprom, {name});

  EXPECT_EQ(doc.sourceFiles, std::vector<std::string>{name});
  EXPECT_EQ(shapeOf(doc.model), (Shape{{3, {{0, text("4321") + Bytes{0x02}}}}}));
  EXPECT_EQ(doc.memo, (std::vector<std::string>{kPrivetCp}));
  EXPECT_TRUE(doc.information.rows().empty());
  EXPECT_EQ(view.updates, 2);
  EXPECT_EQ(view.commandChanges, 0);
  EXPECT_TRUE(view.messages.empty());
  EXPECT_TRUE(view.fileErrors.empty());
}

TEST(EepromDump, UnreadableFileIsToldToTheViewAndLeavesTheDocumentEmpty) {
  test::TempDir dir;
  Recorder view;
  Document doc;
  doc.setView(&view);
  openDocument(doc, FileKind::Eeprom, ReaderInput::bytes("image", imageBytes(record(8, {0x01}))));
  const std::string missing = dir.file("missing.bin");
  openDocument(doc, FileKind::Eeprom, {missing});

  EXPECT_EQ(view.fileErrors, std::vector<std::string>{missing});
  EXPECT_TRUE(view.messages.empty());
  EXPECT_EQ(doc.model.lastBlock(), -1);
  EXPECT_TRUE(doc.memo.empty());
}

// Damaged images, dense in marker and text bytes: whatever they hold, the parallel arrays stay in
// step, every record starts at a marker, and nothing is read outside the image.
TEST(EepromImage, DamagedImagesKeepTheModelConsistent) {
  std::mt19937 rng(20240611);
  const Bytes alphabet = {'4', '3', '2', '1', 0x00, 0x04, 0x1F, 0x40, 0xFF, 0x07};
  const Bytes base = record(7, kPrivet) + record(2, {}, "1234") + Bytes{0, 0} + kPrivet +
                     record(7, text("12344321"));
  for (int round = 0; round < 3000; ++round) {
    Bytes image = base;
    const auto edits = rng() % 12;
    for (unsigned k = 0; k < edits && !image.empty(); ++k)
      image[rng() % image.size()] = rng() % 3 ? alphabet[rng() % alphabet.size()] : rng() & 0xFF;
    image.resize(rng() % (image.size() + 1));
    // An exact-size copy, so that a read past the end lands outside the allocation.
    const auto copy = std::make_unique<std::uint8_t[]>(image.size());
    std::copy(image.begin(), image.end(), copy.get());

    Document doc;
    openDocument(doc, FileKind::Eeprom,
                 ReaderInput::bytes(
                     "image", imageBytes(std::span<const std::uint8_t>(copy.get(), image.size()))));
    const BlockModel& m = doc.model;
    ASSERT_EQ(m.blockMarks.size(), m.blockCount());
    ASSERT_TRUE(std::is_sorted(m.blockNumbers.begin(), m.blockNumbers.end()));
    std::size_t markers = 0;
    for (std::size_t i = 4; i + 4 <= image.size(); ++i) {
      const std::string at(image.begin() + static_cast<std::ptrdiff_t>(i),
                           image.begin() + static_cast<std::ptrdiff_t>(i) + 4);
      markers += at == "4321" || at == "1234";
    }
    EXPECT_EQ(m.recordCount(), markers);
    for (std::size_t g = 0; g < m.blockCount(); ++g) {
      const Block b = m.block(g);
      ASSERT_GT(b.recordCount(), 0u);
      for (std::size_t r = 0; r < b.recordCount(); ++r) {
        EXPECT_EQ(b.recordNumber(r), static_cast<int>(r));
        // A record is cut only by its own length or by the end of the image.
        const Record record = b.record(r);
        const auto bytes = record.bytes;
        const std::string head(bytes.begin(),
                               bytes.begin() + std::min<std::ptrdiff_t>(4, b.record(r).length()));
        EXPECT_TRUE(std::string_view("4321").starts_with(head) ||
                    std::string_view("1234").starts_with(head));
      }
    }
    for (std::size_t l = 1; l < doc.memo.size(); ++l)
      EXPECT_GT(doc.memo[l].size(), 5u);
  }
}

// An image of nothing but overlapping maximal records keeps to a memory budget the image can
// justify instead of asking for thousands of times its size.
TEST(EepromImage, OverlappingRecordsKeepToABudget) {
  std::vector<std::uint8_t> image;
  for (int k = 0; k < (1 << 17); ++k)
    image.insert(image.end(), {0x07, 0x00, 0xFF, 0xFF, '4', '3', '2', '1'});
  Document doc;
  openDocument(doc, FileKind::Eeprom, ReaderInput::bytes("image", imageBytes(ByteView(image))));
  std::size_t bytes = 0;
  const Block block = doc.model.block(0);
  for (std::size_t i = 0; i < block.recordCount(); ++i)
    bytes += block.record(i).bytes.size();
  EXPECT_GT(doc.model.recordCount(), 0u);
  EXPECT_LE(bytes, 16 * image.size() + (1u << 20));
}

}  // namespace
}  // namespace kestrel::eeprom
