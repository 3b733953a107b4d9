#include "explorer/PmWriter.h"
#include "open/OpenDocument.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "core/Cp1251.h"
#include "core/Errors.h"
#include "support/DemoDump.h"
#include "support/GdfsBuilder.h"
#include "support/ModelShape.h"
#include "support/TempDir.h"

namespace kestrel::explorer {
namespace {

using Shape = test::ModelShape;
using test::shapeOf;

// Only marked blocks, each with its marked records, in model order; nothing else is written.
TEST(PmWriter, WritesTheMarkedBlocksAndRecordsExactly) {
  BlockModel m;
  const std::size_t four = m.addBlock(4, true);
  m.addRecord(four, 3, true, {0x0A, 0xFF, 0x00});
  m.addRecord(four, 5, false, {0x01});
  m.addRecord(four, 7, true, {});
  const std::size_t hidden = m.addBlock(9, false);
  m.addRecord(hidden, 1, true, {0x05});
  const std::size_t bare = m.addBlock(-2, true);
  m.addRecord(bare, 0, false, {0xAB});
  m.addBlock(314, true);
  EXPECT_EQ(pmDumpText(m), "[4]\r\n3=0AFF00\r\n7=\r\n[-2]\r\n[314]\r\n");

  // No marked block: an empty file.
  for (std::size_t g = 0; g < m.blockMarks.size(); ++g)
    m.blockMarks[g] = false;
  EXPECT_EQ(pmDumpText(m), "");
}

// The name always gets ".pm"; the status names every block's position; the written dump reads
// back to the same model, whichever reader filled it.
TEST(PmWriter, WritesNameDotPmAndReadsBackToTheSameModel) {
  test::TempDir dir;
  const std::string demo = dir.write("demo.txt", test::demoPmText());
  Document doc;
  ASSERT_TRUE(openDocument(doc, FileKind::Pm, {demo}));
  std::vector<std::string> statuses;
  int maximum = -1;
  const Progress progress{[&](std::string_view text) { statuses.emplace_back(text); },
                          [&](int value) { maximum = value; },
                          {}};
  writePmDump(doc, dir.file("copy"), progress);
  writePmDump(doc, dir.file("again.pm"), progress);
  ASSERT_EQ(statuses.size(), 2 * (doc.model.blockCount() + 1));
  EXPECT_EQ(statuses[1], "Сохранение блока 1"_cp);
  EXPECT_EQ(statuses[doc.model.blockCount()], "");
  EXPECT_EQ(maximum, doc.model.lastBlock());
  // A name that ends with ".pm" in any letter case gets no second one.
  EXPECT_EQ(test::readFile(dir.file("again.pm")), test::readFile(dir.file("copy.pm")));
  EXPECT_EQ(pmDumpName("/a/b.PM"), "/a/b.PM");
  EXPECT_EQ(pmDumpName("/a/b.pm.txt"), "/a/b.pm.txt.pm");
  EXPECT_EQ(test::readFile(dir.file("copy.pm")), pmDumpText(doc.model));
  Document copy;
  ASSERT_TRUE(openDocument(copy, FileKind::Pm, {dir.file("copy.pm")}));
  EXPECT_EQ(shapeOf(copy.model), shapeOf(doc.model));

  // A GDFS dump of the binary form has every mark set: its PM form holds all of it.
  Document gdfsDoc;
  openDocument(gdfsDoc, FileKind::Gdfs, {dir.write("demo.bin", test::demoDump().bin())});
  ASSERT_GT(gdfsDoc.model.recordCount(), 0u);
  writePmDump(gdfsDoc, dir.file("gdfs"), {});
  Document fromGdfs;
  ASSERT_TRUE(openDocument(fromGdfs, FileKind::Pm, {dir.file("gdfs.pm")}));
  EXPECT_EQ(shapeOf(fromGdfs.model), shapeOf(gdfsDoc.model));
}

// Choosing the name of the dump itself would destroy what is being examined.
TEST(PmWriter, NeverReplacesTheDumpItWasReadFrom) {
  test::TempDir dir;
  const std::string dump = dir.write("dump.pm", test::demoPmText());
  Document doc;
  ASSERT_TRUE(openDocument(doc, FileKind::Pm, {dump}));
  EXPECT_THROW(writePmDump(doc, dir.file("dump"), {}), IoError);
  EXPECT_EQ(test::readFile(dump), test::demoPmText());
}

// Records kept in the source file's pages are read from them again when written: once the file
// may have changed under the document, the dump is refused and nothing is written.
TEST(PmWriter, RefusesRecordsWhoseSourceChangedAfterTheyWereRead) {
  class Watched : public HeldBytes {
   public:
    using HeldBytes::HeldBytes;
    bool changed() const override { return changedNow; }
    bool changedNow = false;
  };
  test::TempDir dir;
  const std::string text = "[4]\r\n3=0A0B\r\n";
  const auto held = std::make_shared<Watched>(std::vector<std::uint8_t>(text.begin(), text.end()));
  Document doc;
  doc.model.holdImage(held);
  doc.model.addHeldRecord(doc.model.addBlock(4, true), 3, true, 7, 2, BlockModel::Held::Pairs);
  writePmDump(doc, dir.file("before"), {});
  EXPECT_EQ(test::readFile(dir.file("before.pm")), text);
  held->changedNow = true;
  EXPECT_THROW(writePmDump(doc, dir.file("after"), {}), IoError);
  EXPECT_FALSE(std::filesystem::exists(dir.file("after.pm")));
}

}  // namespace
}  // namespace kestrel::explorer
