#include <gtest/gtest.h>

#include "core/Cp1251.h"
#include "readers/gdfs/GdfsReader.h"
#include "support/GdfsBuilder.h"
#include "support/TempDir.h"

namespace kestrel::gdfs {
namespace {

std::string samplePath(const std::string& ending) {
  return std::string(KESTREL_SOURCE_DIR) + "/samples/demo" + ending;
}

std::vector<std::vector<std::string>> cells(const ResultTable& t) {
  std::vector<std::vector<std::string>> out;
  for (const auto& row : t.rows()) {
    out.push_back({row.caption});
    out.back().insert(out.back().end(), row.subItems.begin(), row.subItems.end());
  }
  return out;
}

// The committed samples are what the generator writes (bench/make_gdfs_demo), and every form
// opens to the same tables.
TEST(DemoSamples, AreTheGeneratorsOutputAndOpenAlike) {
  const test::GdfsBuilder demo = test::demoDump();
  Document first;
  for (const std::string& ending : test::GdfsBuilder::endings()) {
    EXPECT_EQ(test::readFile(samplePath(ending)), demo.form(ending)) << ending;
    Document doc;
    Button5Click(doc, samplePath(ending));
    EXPECT_EQ(doc.model.recordCount(), demo.records().size()) << ending;
    if (ending == ".bin") {
      Button5Click(first, samplePath(ending));
      ASSERT_EQ(first.Book1.rowCount(), 2u);
      EXPECT_EQ(first.Book1.cell(0, Document::kPbName), " Иван Петров"_cp);
      EXPECT_EQ(first.Book.rowCount(), 3u);
      EXPECT_EQ(first.ListView3.rowCount(), 3u);
      EXPECT_EQ(first.ListView1.rowCount(), 8u);
      continue;
    }
    for (std::size_t t = 0; t < doc.shownTables().size(); ++t) {
      EXPECT_EQ(cells(*doc.shownTables()[t]), cells(*first.shownTables()[t])) << ending;
      EXPECT_EQ(doc.shownTables()[t]->columns().size(), first.shownTables()[t]->columns().size());
      for (std::size_t c = 0; c < doc.shownTables()[t]->columnCount(); ++c) {
        EXPECT_EQ(doc.shownTables()[t]->columnWidth(c), first.shownTables()[t]->columnWidth(c))
            << ending;
      }
    }
  }
}

}  // namespace
}  // namespace kestrel::gdfs
