#include "open/OpenDocument.h"
#include "readers/gdfs/GdfsReader.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <stop_token>

#include "core/Cp1251.h"
#include "core/Errors.h"
#include "support/GdfsBuilder.h"
#include "support/ModelShape.h"
#include "support/TempDir.h"

namespace kestrel::gdfs {
namespace {

using test::Bytes;
using test::GdfsBuilder;

class Recorder : public DocumentView {
 public:
  void showMessage(std::string_view text) override { messages.emplace_back(text); }
  std::vector<std::string> messages;
};

struct Read {
  test::TempDir dir;
  Recorder view;
  Document doc;
  bool ok = false;
};

std::unique_ptr<Read> readAs(const std::string& fileName, const std::string& bytes) {
  auto r = std::make_unique<Read>();
  r->doc.setView(&r->view);
  r->ok = openDocument(r->doc, FileKind::Gdfs, {r->dir.write(fileName, bytes)});
  return r;
}

using Shape = test::ModelShape;
using test::shapeOf;

const Bytes kLong(10050, 0xAB);

GdfsBuilder mixedRecords() {
  return GdfsBuilder()
      .record(14, 2, {0x31, 0x00})
      .record(8, 52, {0x41})
      .record(200, 7, {0xFF, 0x00, 0x10})
      .record(13, 187, {})
      .record(8, 52, {0x42})
      .record(0, 255, kLong)
      .record(14, 1, {0x0D, 0x0A});
}

const Shape kMixedShape = {
    {0, {{255, kLong}}},
    {8, {{52, {0x41}}, {52, {0x42}}}},
    {13, {{187, {}}}},
    {14, {{2, {0x31, 0x00}}, {1, {0x0D, 0x0A}}}},
    {200, {{7, {0xFF, 0x00, 0x10}}}},
};

TEST(GdfsReader, EveryFormGivesBlocksInAscendingNumberAndRecordsInFileOrder) {
  for (const std::string& ending : GdfsBuilder::endings()) {
    const auto r = readAs("dump" + ending, mixedRecords().form(ending));
    ASSERT_TRUE(r->ok) << ending;
    EXPECT_TRUE(r->view.messages.empty()) << ending;
    // Duplicates stay, a record of no bytes still creates its block, block numbers above 100
    // and text-form records above 10001 bytes are kept whole.
    EXPECT_EQ(shapeOf(r->doc.model), kMixedShape) << ending;
    const bool marked = ending == ".bin";
    for (std::size_t g = 0; g < r->doc.model.blockCount(); ++g) {
      EXPECT_TRUE(r->doc.model.blockMarks[g]) << ending;
      const Block block = r->doc.model.block(g);
      for (std::size_t i = 0; i < block.recordCount(); ++i)
        EXPECT_EQ(block.recordMark(i), marked) << ending;
    }
  }
}

// A dump of many records hears a stop while it is read, in every form: the read ends with
// Cancelled long before its last record.
TEST(GdfsReader, AStopEndsTheReadOfManyRecords) {
  GdfsBuilder many;
  for (int k = 0; k < 20000; ++k)
    many.record(20, k % 256, {0x41});
  std::stop_source stop;
  stop.request_stop();
  for (const std::string& ending : GdfsBuilder::endings()) {
    const std::string text = many.form(ending);
    const auto image = std::make_shared<HeldBytes>(Bytes(text.begin(), text.end()));
    BlockModel stopped;
    EXPECT_THROW(readImage(stopped, image, formOfName("dump" + ending), stop.get_token()),
                 Cancelled)
        << ending;
    EXPECT_EQ(stopped.recordCount(), 0u) << ending;
    BlockModel whole;
    readImage(whole, image, formOfName("dump" + ending));
    EXPECT_EQ(whole.recordCount(), 20000u) << ending;
  }
}

TEST(GdfsReader, TextFormsReadLowerCaseDigits) {
  const GdfsBuilder lower = GdfsBuilder()
                                .lowerCaseDigits()
                                .record(0xAB, 0xC1, {0xDE, 0xAD, 0xBE, 0xEF})
                                .record(0x0E, 0xF9, {0xFF})
                                .record(0x14, 0x1B, {0x0C});
  const auto gdfs = readAs("dump.gdfs", lower.gdfs());
  EXPECT_EQ(shapeOf(gdfs->doc.model), (Shape{{0x0E, {{0xF9, {0xFF}}}},
                                             {0x14, {{0x1B, {0x0C}}}},
                                             {0xAB, {{0xC1, {0xDE, 0xAD, 0xBE, 0xEF}}}}}));
  // A .gdf key whose fourth character is a lower-case letter is no record line.
  const auto gdf = readAs("dump.gdf", lower.gdf());
  EXPECT_EQ(shapeOf(gdf->doc.model),
            (Shape{{0x0E, {{0xF9, {0xFF}}}}, {0xAB, {{0xC1, {0xDE, 0xAD, 0xBE, 0xEF}}}}}));
  EXPECT_TRUE(gdfs->ok && gdf->ok && gdfs->view.messages.empty() && gdf->view.messages.empty());
}

TEST(GdfsReader, NameDecidesTheFormWithLetterCase) {
  struct Case {
    const char* name;
    std::string fileName;
    std::string bytes;
    std::size_t blocks;
  };
  const GdfsBuilder one = GdfsBuilder().record(20, 1, {7});
  const std::vector<Case> cases = {
      {"upper-case BIN", "DUMP.BIN", one.bin(), 0},
      {"upper-case Gdfs", "dump.Gdfs", one.gdfs(), 0},
      {"ending after the form", "dump.bin.bak", one.bin(), 0},
      {"no ending", "dump", one.bin(), 0},
      {".gdf without [VE", "dump.gdf", "[XX]\r\n" + one.gdf().substr(9), 0},
      {".gdf shorter than [VE", "dump.gdf", "[V", 0},
      {".bin of the file header alone", "dump.bin", std::string("\1\0\0\0", 4), 0},
      {".bin of 2 bytes", "dump.bin", "ab", 0},
      {"gdfs text named .gdf", "dump.gdf", one.gdfs(), 0},
      {".gdf", "dump.gdf", one.gdf(), 1},
  };
  for (const Case& c : cases) {
    const auto r = readAs(c.fileName, c.bytes);
    EXPECT_TRUE(r->ok) << c.name;
    EXPECT_TRUE(r->view.messages.empty()) << c.name;
    EXPECT_EQ(r->doc.model.blockCount(), c.blocks) << c.name;
  }
}

std::string bin(const std::vector<Bytes>& entries) {
  std::string out(4, '\0');
  for (const Bytes& e : entries)
    out.append(e.begin(), e.end());
  return out;
}

TEST(GdfsReader, FailuresKeepWhatWasFilledBefore) {
  struct Case {
    const char* name;
    std::string fileName;
    std::string bytes;
    Shape shape;
  };
  const Bytes entry20 = {0, 1, 20, 2, 0, 0, 0, 0xAA, 0xBB};
  const Bytes entry21 = {0, 2, 21, 0, 0, 0, 0};
  const std::vector<Case> cases = {
      {".bin negative length first", "d.bin", bin({{0, 1, 20, 0xFF, 0xFF, 0xFF, 0xFF}}), {}},
      // The counting pass meets the negative length, before any block exists.
      {".bin negative length later", "d.bin", bin({entry20, {0, 1, 20, 0, 0, 0, 0x80}}), {}},
      {".bin payload past the end",
       "d.bin",
       bin({entry20, entry21, {0, 3, 21, 3, 0, 0, 0, 1, 2}}),
       {{20, {{1, {0xAA, 0xBB}}}}, {21, {{2, {}}}}}},
      {".bin header past the end",
       "d.bin",
       bin({entry20, {0, 3, 21}}),
       {{20, {{1, {0xAA, 0xBB}}}}}},
      // A cut entry of a block number met nowhere else creates no block.
      {".bin payload length near the 32-bit limit",
       "d.bin",
       bin({entry20, {0, 3, 99, 0xFF, 0xFF, 0xFF, 0x7F, 1}}),
       {{20, {{1, {0xAA, 0xBB}}}}}},
      {".gdfs bad data digit",
       "d.gdfs",
       "Gdfs=0000:1401:4142\r\nGdfs=0000:1402:41G2\r\n",
       {{20, {{1, {0x41, 0x42}}}}}},
      {".gdfs bad record digit",
       "d.gdfs",
       "Gdfs=0000:1401:41\r\nGdfs=0000:150x:41\r\n",
       {{20, {{1, {0x41}}}}, {21, {}}}},
      {".gdfs bad block digit", "d.gdfs", "Gdfs=0000:1401:41\r\nGdfs=0000:1x01:41\r\n", {}},
      {".gdfs odd digit count before CR", "d.gdfs", "Gdfs=0000:1401:414\r\n", {{20, {}}}},
      // Only a lone hexadecimal digit at the end of the file is an incomplete pair.
      {".gdfs last line ending in a lone LF",
       "d.gdfs",
       "Gdfs=0000:1401:41\r\nGdfs=0000:1402:42\n",
       {{20, {{1, {0x41}}}}}},
      {".gdf last line ending in a lone LF", "d.gdf", "[VE]\r\n1401= 41 \n", {{20, {}}}},
      // A record line whose fourth key character lies in 0x3A..0x40 is a record line with a
      // record number that is not hexadecimal.
      {".gdf colon as fourth key character",
       "d.gdf",
       "[VE]\r\n1401= 41 \r\n140:= 42 \r\n",
       {{20, {{1, {0x41}}}}}},
      {".gdf last pair without separator before CR",
       "d.gdf",
       "[VE]\r\n1401= 41 42\r\n1402= 43 \r\n",
       {{20, {}}}},
      {"missing file", "", "", {}},
  };
  for (const Case& c : cases) {
    auto r = std::make_unique<Read>();
    r->doc.setView(&r->view);
    const std::string path =
        c.fileName.empty() ? r->dir.file("absent.bin") : r->dir.write(c.fileName, c.bytes);
    r->ok = openDocument(r->doc, FileKind::Gdfs, {path});
    EXPECT_FALSE(r->ok) << c.name;
    EXPECT_EQ(r->view.messages,
              std::vector<std::string>{std::string("Неизвестный формат файла"_cp)})
        << c.name;
    EXPECT_EQ(shapeOf(r->doc.model), c.shape) << c.name;
  }
}

TEST(GdfsReader, IncompleteTextEndsAddNothing) {
  struct Case {
    const char* name;
    std::string fileName;
    std::string bytes;
    Shape shape;
  };
  const std::vector<Case> cases = {
      {".gdfs data to the end of the file",
       "d.gdfs",
       "Gdfs=0000:1401:414243",
       {{20, {{1, {0x41, 0x42, 0x43}}}}}},
      {".gdfs last lone digit", "d.gdfs", "Gdfs=0000:1401:41424", {{20, {{1, {0x41, 0x42}}}}}},
      {".gdfs tag without record digits",
       "d.gdfs",
       "Gdfs=0000:1401:41\r\nGdfs=0000:15",
       {{20, {{1, {0x41}}}}}},
      {".gdfs tag with digits and no data", "d.gdfs", "Gdfs=0000:1501", {{21, {{1, {}}}}}},
      {".gdfs tag at the very end", "d.gdfs", "Gdfs=", {}},
      {".gdf last lone digit", "d.gdf", "[VE]\r\n1401= 41 4", {{20, {{1, {0x41}}}}}},
      {".gdf lower-case fourth key character",
       "d.gdf",
       "[VE]\r\n140a= 41 \r\n1401= 42 \r\n",
       {{20, {{1, {0x42}}}}}},
      {".gdf line without separator at the end of file",
       "d.gdf",
       "[VE]\r\n1401= 4142",
       {{20, {{1, {0x41}}}}}},
      {".gdf key at the start of the file", "d.gdf", "[VE=\r\n", {}},
      // A CR that stands where a separator belongs does not end the record.
      {".gdf CR under a separator",
       "d.gdf",
       "[VE]\r\n1401= 41\r42\r43 \r\n1402= 44 \r\n",
       {{20, {{1, {0x41, 0x42, 0x43}}, {2, {0x44}}}}}},
  };
  for (const Case& c : cases) {
    const auto r = readAs(c.fileName, c.bytes);
    EXPECT_TRUE(r->ok) << c.name;
    EXPECT_TRUE(r->view.messages.empty()) << c.name;
    EXPECT_EQ(shapeOf(r->doc.model), c.shape) << c.name;
  }
}

TEST(GdfsReader, OpeningDecodesAfterAFailureAndEnablesTheDataCommands) {
  test::TempDir dir;
  Recorder view;
  Document doc;
  doc.setView(&view);
  doc.setDataCommandsEnabled(false);
  doc.phonebook.setColumnWidth(kPbEmail, 50);
  doc.information.addRow("stale", 1);
  const Bytes call = test::gdfs_bytes::call(1, 0, {});
  // The call is read, then the cut entry fails the load.
  openDocument(doc, FileKind::Gdfs,
               {dir.write("d.bin", bin({{0, 1, 30, static_cast<std::uint8_t>(call.size()), 0, 0, 0},
                                        call,
                                        {0, 2, 30, 9, 0, 0, 0, 1}}))});
  EXPECT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(doc.calls.rowCount(), 1u);
  EXPECT_EQ(doc.phonebook.columnWidth(kPbEmail), 0);
  ASSERT_EQ(doc.information.rowCount(), 3u);
  EXPECT_EQ(doc.information.cell(0, 0), "Записная книжка"_cp);
  EXPECT_EQ(doc.information.cell(1, 1), "Есть"_cp);
  EXPECT_TRUE(doc.saveEnabled());
  EXPECT_TRUE(doc.exportToExcelEnabled());
}

// A second dump opened into the same document replaces the first: no doubled blocks or rows.
TEST(GdfsReader, ASecondLoadReplacesTheFirst) {
  test::TempDir dir;
  const GdfsBuilder demo = test::demoDump();
  for (const std::string& ending : GdfsBuilder::endings()) {
    const std::string file = dir.write("demo" + ending, demo.form(ending));
    Document once;
    openDocument(once, FileKind::Gdfs, {file});
    Document twice;
    openDocument(twice, FileKind::Gdfs, {file});
    openDocument(twice, FileKind::Gdfs, {file});
    EXPECT_EQ(shapeOf(twice.model), shapeOf(once.model)) << ending;
    EXPECT_EQ(twice.information.rowCount(), once.information.rowCount()) << ending;
    EXPECT_EQ(twice.phonebook.rowCount(), once.phonebook.rowCount()) << ending;
    EXPECT_EQ(twice.calls.rowCount(), once.calls.rowCount()) << ending;
    EXPECT_EQ(twice.calendar.rowCount(), once.calendar.rowCount()) << ending;
  }
}

// Every cut of the demo dump in each form, and random damage to it, either reads or fails with
// a format error, within the file's bytes (the sanitizer build checks that), and leaves a
// model of ascending block numbers with arrays in step.
TEST(GdfsReader, CutAndDamagedFilesStayWithinTheirBytes) {
  const GdfsBuilder demo = test::demoDump();
  std::mt19937 random(11);
  const Form forms[] = {Form::Bin, Form::Gdfs, Form::Gdf};
  for (std::size_t f = 0; f < 3; ++f) {
    const std::string text = demo.form(GdfsBuilder::endings()[f]);
    const Bytes whole(text.begin(), text.end());
    std::vector<Bytes> inputs;
    for (std::size_t n = 0; n <= whole.size(); ++n)
      inputs.emplace_back(whole.begin(), whole.begin() + static_cast<long>(n));
    for (int k = 0; k < 300; ++k) {
      Bytes damaged = whole;
      for (int d = 0; d < 3; ++d)
        damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random());
      inputs.push_back(std::move(damaged));
    }
    std::uint8_t seen = 0;
    for (const Bytes& input : inputs) {
      BlockModel model;
      try {
        readImage(model, std::make_shared<HeldBytes>(input), forms[f]);
      } catch (const FormatError&) {
      }
      ASSERT_EQ(model.blockNumbers.size(), model.blockMarks.size());
      std::size_t records = 0;
      for (std::size_t g = 0; g < model.blockCount(); ++g) {
        if (g > 0) {
          ASSERT_LT(model.blockNumbers[g - 1], model.blockNumbers[g]);
        }
        const Block block = model.block(g);
        records += block.recordCount();
        // Every record's bytes are read where they lie, in the image or decoded from it.
        for (std::size_t i = 0; i < block.recordCount(); ++i) {
          const Record record = block.record(i);
          EXPECT_LE(record.bytes.size(), input.size());
          for (const std::uint8_t b : record.bytes)
            seen ^= b;
        }
      }
      ASSERT_EQ(records, model.recordCount());
    }
    RecordProperty("seen", seen);
  }
}

}  // namespace
}  // namespace kestrel::gdfs
