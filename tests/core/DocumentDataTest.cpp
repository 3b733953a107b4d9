#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/Document.h"

namespace kestrel {
namespace {

// Data read elsewhere is taken over whole and at once: every member changes sides, and the rows,
// their texts, the file image, its index and the blocks stay where they lie, now held by the
// other side.
TEST(DocumentData, SwapExchangesEveryMemberWithoutCopying) {
  DocumentData read;
  read.caption = "read";
  for (ResultTable* table : read.shownTables()) {
    for (int r = 0; r < 3; ++r)
      table->addRow(table->hint() + std::to_string(r), 1).setSubItem(0, "cell" + std::to_string(r));
    table->setColumnWidth(1, 77);
  }
  read.sourceFiles = {"a.pm"};
  read.sourceDigests = {SourceDigest{"sha", "md5", 4, 1}};
  const std::string text = "[4]\r\n3=41\r\n";
  read.pmSections.load(
      std::make_shared<const HeldBytes>(std::vector<std::uint8_t>(text.begin(), text.end())));
  read.model.addRecord(read.model.addBlock(4, true), 3, true, {0x41});
  read.memo = {"memo"};
  // Row 0 is packed into its table's store by now, row 2 is still open.
  const char* packedCell = read.phonebook.cell(0, 1).data();
  const char* openCell = read.phonebook.cell(2, 1).data();
  const IniReader* index = read.pmSections.index();
  const std::uint8_t* recordBytes = read.model.block(0).record(0).bytes.data();

  DocumentData shown;
  shown.caption = "shown";
  shown.swapData(read);

  EXPECT_EQ(shown.caption, "read");
  EXPECT_EQ(read.caption, "shown");
  for (ResultTable* table : shown.shownTables()) {
    ASSERT_EQ(table->rowCount(), 3u) << table->hint();
    EXPECT_EQ(table->cell(1, 1), "cell1") << table->hint();
    EXPECT_EQ(table->columnWidth(1), 77) << table->hint();
  }
  for (ResultTable* table : read.shownTables())
    EXPECT_EQ(table->rowCount(), 0u) << table->hint();
  EXPECT_EQ(shown.phonebook.cell(0, 1).data(), packedCell);
  EXPECT_EQ(shown.phonebook.cell(2, 1).data(), openCell);
  // The other side has the columns of a new document: only the running number shows.
  EXPECT_EQ(read.phonebook.columnWidth(1), 0);
  EXPECT_EQ(shown.sourceFiles, std::vector<std::string>{"a.pm"});
  EXPECT_TRUE(read.sourceFiles.empty());
  ASSERT_EQ(shown.sourceDigests.size(), 1u);
  EXPECT_EQ(shown.sourceDigests[0].sha256, "sha");
  EXPECT_TRUE(read.sourceDigests.empty());
  EXPECT_EQ(shown.pmSections.index(), index);
  EXPECT_EQ(shown.pmSections.sectionNames(), std::vector<std::string>{"4"});
  EXPECT_EQ(read.pmSections.index(), nullptr);
  EXPECT_EQ(shown.model.block(0).record(0).bytes.data(), recordBytes);
  EXPECT_EQ(read.model.blockCount(), 0u);
  EXPECT_EQ(shown.memo, std::vector<std::string>{"memo"});
  EXPECT_TRUE(read.memo.empty());

  // The tables taken over go on as their own: a new row packs the open one where it belongs.
  shown.phonebook.addRow("more", 1);
  EXPECT_EQ(shown.phonebook.cell(2, 1), "cell2");
  EXPECT_EQ(shown.phonebook.cell(0, 1), "cell0");
}

}  // namespace
}  // namespace kestrel
