#include "open/OpenDocument.h"
#include "readers/pm/PmLoader.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/Cp1251.h"
#include "core/IniReader.h"
#include "core/Kinds.h"
#include "support/DemoDump.h"
#include "support/LoadedPm.h"
#include "support/ModelShape.h"
#include "support/PmBuilder.h"
#include "support/TempDir.h"

namespace kestrel::pm {
namespace {

using test::PmBuilder;

std::unique_ptr<test::LoadedPm> load(const std::string& text) {
  return test::loadPmText(text);
}

TEST(PmLoader, ReadsBlocksAndRecordsInFileOrder) {
  const auto l = load(PmBuilder()
                          .block(4)
                          .record(3, {0x31, 0x32, 0x00})
                          .record(4, {0x3A, 0x3B, 0x00})
                          .blankLine()
                          .block(58)
                          .record(0, {0x00})
                          .block(9)
                          .record(0, {0x02})
                          .line("1=")
                          .text());
  ASSERT_TRUE(l->ok);
  const BlockModel& m = l->doc.model;
  ASSERT_EQ(m.lastBlock(), 2);
  EXPECT_EQ(m.blockNumbers, (std::vector<int>{4, 58, 9}));
  ASSERT_EQ(m.block(0).recordCount(), 2u);
  EXPECT_EQ(m.block(0).recordNumber(0), 3);
  EXPECT_EQ(m.block(0).recordNumber(1), 4);
  EXPECT_EQ(test::bytesOf(m.block(0).record(0)), (std::vector<std::uint8_t>{0x31, 0x32, 0x00}));
  EXPECT_EQ(m.block(2).record(1).length(), 0);
  EXPECT_TRUE(m.blockMarks[2] && m.block(2).recordMark(1));
  EXPECT_EQ(l->doc.pmSections.sectionNames(), (std::vector<std::string>{"4", "58", "9"}));
  EXPECT_TRUE(l->messages.empty());
  EXPECT_TRUE(l->doc.saveEnabled());
}

TEST(PmLoader, LastLineWithoutLineBreakIsReadToTheEnd) {
  for (const auto& [value, expected] :
       std::vector<std::pair<std::string, std::vector<std::uint8_t>>>{
           {"7=0A0B0C", {0x0A, 0x0B, 0x0C}}, {"7=0A0B0", {0x0A, 0x0B, 0x00}}, {"7=", {}}}) {
    const auto l = load(PmBuilder().block(9).line(value).noFinalLineBreak().text());
    ASSERT_TRUE(l->ok) << value;
    EXPECT_EQ(test::bytesOf(l->doc.model.block(0).record(0)), expected) << value;
  }
}

// A record is kept as its digits and decoded each time it is seen: every length, around the
// decoder's stretches of sixteen and the room a record carries inline, in either letter case,
// reads back whole, and a copy keeps its bytes after the document is gone.
TEST(PmLoader, RecordsOfEveryLengthReadBackAndTheirCopiesKeepThem) {
  const std::vector<std::size_t> lengths = {0, 1, 15, 16, 17, 33, 239, 240, 241, 1000, 5000};
  PmBuilder builder;
  builder.block(9);
  std::vector<std::vector<std::uint8_t>> expected;
  for (std::size_t k = 0; k < lengths.size(); ++k) {
    std::vector<std::uint8_t> bytes(lengths[k]);
    for (std::size_t i = 0; i < bytes.size(); ++i)
      bytes[i] = static_cast<std::uint8_t>(i * 37 + k * 11);
    builder.record(static_cast<int>(k), bytes);
    expected.push_back(std::move(bytes));
  }
  builder.line(std::to_string(lengths.size()) + "=abCDeF09");
  expected.push_back({0xAB, 0xCD, 0xEF, 0x09});
  auto l = load(builder.text());
  ASSERT_TRUE(l->ok);
  const Block block = l->doc.model.block(0);
  ASSERT_EQ(block.recordCount(), expected.size());
  std::vector<Record> copies;
  for (std::size_t k = 0; k < expected.size(); ++k) {
    EXPECT_EQ(test::bytesOf(block.record(k)), expected[k]) << k;
    copies.push_back(block.record(k));
  }
  l.reset();
  for (std::size_t k = 0; k < expected.size(); ++k)
    EXPECT_EQ(test::bytesOf(copies[k]), expected[k]) << k;
}

TEST(PmLoader, MalformedFilesAreRejectedKeepingWhatWasRead) {
  struct Case {
    const char* name;
    std::string text;
    int blocks;
    int recordsOfLast;
  };
  const std::vector<Case> cases = {
      {"odd digit count", PmBuilder().block(9).record(1, {1}).line("2=ABC").text(), 1, 1},
      {"not hexadecimal", PmBuilder().block(9).line("1=0G").text(), 1, 0},
      {"key not on the line", PmBuilder().block(9).blankLine().line("1=00").text(), 1, 0},
      {"section not a number", PmBuilder().block(9).record(1, {1}).header("x").text(), 1, 1},
      {"key not a number", PmBuilder().block(9).line("k=00").text(), 1, 0},
      {"text after header", PmBuilder().block(9).record(1, {1}).line("[10] x").line("1=00").text(),
       2, 0},
      {"LF line ends", PmBuilder().lineBreak("\n").block(9).record(1, {1}).text(), 1, 0},
      {"CR line ends", PmBuilder().lineBreak("\r").block(9).record(1, {1}).text(), 1, 0},
  };
  for (const Case& c : cases) {
    const auto l = load(c.text);
    EXPECT_FALSE(l->ok) << c.name;
    EXPECT_EQ(l->messages, std::vector<std::string>{std::string("Неверный формат файла"_cp)})
        << c.name;
    EXPECT_FALSE(l->doc.saveEnabled() || l->doc.exportToExcelEnabled() || l->doc.savePmEnabled())
        << c.name;
    ASSERT_EQ(l->doc.model.lastBlock(), c.blocks - 1) << c.name;
    EXPECT_EQ(l->doc.model.block(c.blocks - 1).lastRecord(), c.recordsOfLast - 1) << c.name;
  }
}

TEST(PmLoader, MissingFileIsAFormatMessage) {
  Document doc;
  std::vector<std::string> messages;
  test::MessageRecorder rec(messages);
  doc.setView(&rec);
  EXPECT_FALSE(openDocument(doc, FileKind::Pm, {"/nonexistent/dump.pm"}));
  EXPECT_EQ(messages.size(), 1u);
  EXPECT_EQ(doc.model.lastBlock(), -1);
}

// Only a damaged dump or an unreadable file is the format message; a fault of another kind
// (here one of the view) reaches the caller as it is, and no format message hides it.
TEST(PmLoader, AFaultIsNoFormatMessage) {
  struct FailingView : test::MessageRecorder {
    using MessageRecorder::MessageRecorder;
    void statusChanged(std::string_view) override { throw std::logic_error("view fault"); }
  };
  std::vector<std::string> messages;
  FailingView view(messages);
  Document doc;
  doc.setView(&view);
  const std::string text = PmBuilder().block(4).record(3, {1}).text();
  EXPECT_THROW(
      openDocument(doc, FileKind::Pm, ReaderInput::bytes("dump.pm", {text.begin(), text.end()})),
      std::logic_error);
  EXPECT_TRUE(messages.empty());
}

std::vector<std::pair<std::string, std::string>> infoRows(const Document& doc) {
  std::vector<std::pair<std::string, std::string>> out;
  for (const auto& r : doc.information.rows()) {
    // Every caption comes with its kind.
    EXPECT_EQ(informationCaptionText(r.kindAs<InformationCaption>()), r.caption());
    out.emplace_back(toUtf8(r.caption()), toUtf8(r.subItem(0)));
  }
  return out;
}

TEST(PmLoader, InformationRowsWithFallbacksAndCuts) {
  const auto l = load(PmBuilder()
                          .block(4)
                          .record(3, {'1', '2', '3', '4', 0x00})
                          .record(4, {':', 0x0A, ';', 0x00})
                          .line("9=00")
                          .block(5)
                          .record(0, {'3', '5', '0', '0', '0', '0', '0', '0', '0', '0', '0',
                                      '0', '0', '0', '0', '0', '0', '0', '9', '9', 0x00})
                          .block(308)
                          .record(5, {'L', 0})
                          .block(58)
                          .block(60)
                          .text());
  ASSERT_TRUE(l->ok);
  EXPECT_EQ(infoRows(l->doc),
            (std::vector<std::pair<std::string, std::string>>{{"Production Serial Number", "1234"},
                                                              {"Product Code", ":;"},
                                                              {"HW", ""},
                                                              {"IMEI", "350000000000000000"},
                                                              {"User Lock", "L"},
                                                              {"Записная книжка", "Есть"},
                                                              {"Исходящие звонки", "Нет"},
                                                              {"Пропущенные звонки", "Есть"},
                                                              {"Входящие звонки", "Нет"},
                                                              {"Заметки", "Нет"}}));
  EXPECT_TRUE(l->doc.saveEnabled() && l->doc.exportToExcelEnabled());
}

TEST(PmLoader, LeadingZeroSectionSetsNoPresenceFlag) {
  const auto l = load(PmBuilder().header("058").record(0, {1}).text());
  ASSERT_TRUE(l->ok);
  EXPECT_EQ(l->doc.model.blockNumbers[0], 58);
  EXPECT_EQ(infoRows(l->doc)[0].second, "Нет");
  EXPECT_FALSE(l->doc.saveEnabled() || l->doc.exportToExcelEnabled());
}

TEST(PmLoader, BracketWithoutItsCloseIsNoSectionHeader) {
  // The line is one of the current section's: nothing without "=", a key (here not a number)
  // with it.
  const auto quiet = load(PmBuilder().block(9).record(1, {1}).line("[60\x19").text());
  ASSERT_TRUE(quiet->ok);
  EXPECT_EQ(quiet->doc.pmSections.sectionNames(), std::vector<std::string>{"9"});
  EXPECT_EQ(quiet->doc.model.recordCount(), 1u);
  const auto key = load(PmBuilder().block(9).record(1, {1}).line("[60=01").text());
  EXPECT_FALSE(key->ok);
  EXPECT_EQ(key->doc.pmSections.sectionNames(), std::vector<std::string>{"9"});
}

// A document loaded twice holds the second dump alone: no doubled blocks or rows, and the
// widths of a new document where the second dump has no data.
TEST(PmLoader, ASecondLoadReplacesTheFirst) {
  const std::string small = PmBuilder().block(4).record(3, {'7', 0}).text();
  const std::string demoText = test::demoPmText();
  const std::vector<std::uint8_t> demo(demoText.begin(), demoText.end());
  Document once;
  ASSERT_TRUE(openDocument(once, FileKind::Pm,
                           ReaderInput::bytes("dump.pm", {small.begin(), small.end()})));
  Document twice;
  ASSERT_TRUE(openDocument(twice, FileKind::Pm, ReaderInput::bytes("dump.pm", demo)));
  ASSERT_GT(twice.phonebook.rowCount(), 0u);
  ASSERT_TRUE(openDocument(twice, FileKind::Pm,
                           ReaderInput::bytes("dump.pm", {small.begin(), small.end()})));
  EXPECT_EQ(twice.model.blockNumbers, once.model.blockNumbers);
  EXPECT_EQ(twice.model.recordCount(), once.model.recordCount());
  for (const auto& [a, b] : {std::pair{&once.information, &twice.information},
                             {&once.phonebook, &twice.phonebook},
                             {&once.calls, &twice.calls},
                             {&once.calendar, &twice.calendar}}) {
    EXPECT_EQ(b->rowCount(), a->rowCount()) << a->hint();
    for (std::size_t c = 0; c < a->columnCount(); ++c)
      EXPECT_EQ(b->columnWidth(c), a->columnWidth(c)) << a->hint() << " column " << c;
  }
  EXPECT_EQ(twice.saveEnabled(), once.saveEnabled());
}

TEST(PmLoader, FileWithoutSectionsGivesOnlyPresenceRows) {
  const auto l = load("just some text\r\n");
  ASSERT_TRUE(l->ok);
  EXPECT_EQ(l->doc.information.rowCount(), 5u);
  EXPECT_FALSE(l->doc.saveEnabled());
  EXPECT_TRUE(l->doc.savePmEnabled());
}

}  // namespace
}  // namespace kestrel::pm

namespace kestrel::pm {
namespace {

// Damaged dumps: every prefix of a valid dump, and bytes flipped at random, must load or be
// rejected without reading outside the file (checked under the sanitizers).
TEST(PmLoader, SurvivesTruncatedAndCorruptedDumps) {
  const std::string text = test::PmBuilder()
                               .block(4)
                               .record(3, {'1', '2', 0})
                               .record(18, {'3', '5', 0})
                               .blankLine()
                               .block(58)
                               .record(0, {0x02, 0x06, 0x00, 0x07, 0x00, 0x49, 0x00, 0x76, 0x00})
                               .block(314)
                               .record(1, {0x01, 0x04, 0x00, 0x07, 0x00, 0x00, 0x41, 0x00})
                               .text();
  const std::vector<std::uint8_t> bytes(text.begin(), text.end());
  // Each input gives a loaded document and no message, or exactly the format message.
  const auto load = [](std::vector<std::uint8_t> image) {
    std::vector<std::string> messages;
    test::MessageRecorder recorder(messages);
    Document doc;
    doc.setView(&recorder);
    const bool ok =
        openDocument(doc, FileKind::Pm, ReaderInput::bytes("dump.pm", std::move(image)));
    const std::vector<std::string> expected =
        ok ? std::vector<std::string>{}
           : std::vector<std::string>{std::string("Неверный формат файла"_cp)};
    EXPECT_EQ(messages, expected);
    if (!ok) {
      EXPECT_FALSE(doc.saveEnabled() || doc.savePmEnabled());
    }
    EXPECT_LE(doc.model.recordCount(), 4u);
    return ok;
  };
  int loaded = 0;
  for (std::size_t n = 0; n <= bytes.size(); ++n)
    loaded += load(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + n));
  EXPECT_GT(loaded, 0);
  std::uint32_t seed = 12345;
  const auto next = [&] { return seed = seed * 1103515245u + 12345u; };
  for (int round = 0; round < 2000; ++round) {
    std::vector<std::uint8_t> damaged = bytes;
    for (int k = 0; k < 3; ++k)
      damaged[next() % damaged.size()] = static_cast<std::uint8_t>(next() >> 8);
    load(damaged);
  }
}

// Sections that repeat a name are read with the keys of the first section of that name; a
// load visits each line of the file a bounded number of times whatever the sections repeat.
TEST(PmLoader, RepeatedSectionNamesCostLinesInProportionToTheFile) {
  constexpr int kRepeats = 3000;
  const auto filler = [](PmBuilder& b, int lines) {
    for (int i = 0; i < lines; ++i)
      b.line(i % 2 == 0 ? "filler" : "");
  };
  struct Shape {
    std::string name;
    std::string text;
    std::size_t blocks;
  };
  std::vector<Shape> shapes;
  {
    PmBuilder b;
    filler(b.block(1).record(0, {0x01}).record(7, {}), kRepeats);
    for (int r = 0; r < kRepeats; ++r)
      b.block(1).record(0, {0x02}).record(7, {});
    shapes.push_back({"keys, then filler", b.text(), kRepeats + 1});
  }
  {
    PmBuilder b;
    filler(b.block(1).record(0, {}), kRepeats);
    filler(b.block(2), kRepeats);
    for (int r = 0; r < kRepeats; ++r)
      b.block(1).record(0, {}).block(2);
    shapes.push_back({"two names in turn", b.text(), 2 * kRepeats + 2});
  }
  {
    PmBuilder b;
    for (int r = 0; r < kRepeats; ++r)
      b.block(1);
    shapes.push_back({"headers alone", b.text(), kRepeats});
  }
  for (const Shape& shape : shapes) {
    SCOPED_TRACE(shape.name);
    const auto l = load(shape.text);
    ASSERT_TRUE(l->ok);
    EXPECT_EQ(l->doc.model.blockCount(), shape.blocks);
    const auto lines =
        static_cast<std::size_t>(std::count(shape.text.begin(), shape.text.end(), '\n'));
    EXPECT_LE(l->doc.pmSections.index()->linesVisited(), 4 * lines);
  }
}

}  // namespace
}  // namespace kestrel::pm
