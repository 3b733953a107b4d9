#include "export/PrintLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "core/Errors.h"
#include "export/Printing.h"

namespace kestrel::output {
namespace {

using Lines = std::vector<std::string>;

// Every character 10 wide but "W", which is 30; characters 20 high. A line of text is 22 high,
// a line without text 20; tab stops lie every 80.
class FixedMetrics : public TextMetrics {
 public:
  int characterHeight() const override { return 20; }
  int textWidth(std::string_view text) const override {
    int width = 0;
    for (const char c : text)
      width += c == 'W' ? 30 : 10;
    return width;
  }
  int averageCharacterWidth() const override { return 10; }
};

// The pages as "x,y text" pieces joined by "; ", pages parted by " | ".
std::string placed(const std::vector<Page>& pages) {
  std::string out;
  for (const Page& page : pages) {
    if (&page != &pages.front()) out += " | ";
    for (const PlacedText& t : page.texts) {
      if (&t != &page.texts.front()) out += "; ";
      out += std::to_string(t.x) + "," + std::to_string(t.y) + " " + t.text;
    }
  }
  return out;
}

struct LayoutCase {
  const char* name;
  int width;
  int height;
  Lines lines;
  const char* pages;
};

class PageLayoutTest : public testing::TestWithParam<LayoutCase> {};

TEST_P(PageLayoutTest, PlacesTheTexts) {
  const LayoutCase& c = GetParam();
  EXPECT_EQ(placed(layOutPages(c.lines, c.width, c.height, FixedMetrics())), c.pages);
}

// Height 100: after a text line the next one may begin at a top of 100 - 2 * 22 = 56 at most,
// after an empty line at 100 - 2 * 20 = 60.
INSTANTIATE_TEST_SUITE_P(
    PrintLayout, PageLayoutTest,
    testing::Values(
        LayoutCase{"EmptyLinesOneCharHigh", 100, 999, {"a", "", "", "b"}, "0,0 a; 0,62 b"},
        LayoutCase{"BreaksMidWord",
                   100,
                   999,
                   {"abcdefghijklmnopqrstuvw", "x"},
                   "0,0 abcdefghij; 0,22 klmnopqrst; 0,44 uvw; 0,66 x"},
        LayoutCase{"BreaksAtLastFit", 50, 999, {"aWbWWc"}, "0,0 aWb; 0,22 W; 0,44 Wc"},
        LayoutCase{"WideCharAlone", 20, 999, {"WaW"}, "0,0 W; 0,22 a; 0,44 W"},
        LayoutCase{"NewPageForALowLine",
                   100,
                   100,
                   {"1", "2", "3", "4", "5"},
                   "0,0 1; 0,22 2; 0,44 3 | 0,0 4; 0,22 5"},
        // The end of "x" calls for a new page, but no line follows to begin it.
        LayoutCase{"LimitAfterEmptyLine", 100, 100, {"", "", "", "x"}, "0,60 x"},
        LayoutCase{"LimitAfterTextLine", 100, 100, {"a", "", "", "x"}, "0,0 a | 0,0 x"},
        LayoutCase{"TabToNextStop",
                   200,
                   999,
                   {"ab\tc", "\tx", "abcdefgh\ty\tz"},
                   "0,0 ab; 80,0 c; 80,22 x; 0,44 abcdefgh; 160,44 y; 0,66 z"},
        LayoutCase{"TabPastTheEdge", 100, 999, {"abcdefgh\tz"}, "0,0 abcdefgh; 0,22 z"},
        // A stop on the right edge itself is still on the line.
        LayoutCase{"TabToTheEdge", 80, 999, {"a\t", "b\tc"}, "0,0 a; 0,22 b; 0,44 c"},
        LayoutCase{"TabIsNoText", 100, 999, {"\t", "b"}, "0,20 b"},
        LayoutCase{
            "FormFeed", 100, 999, {"a\fb", "c", "\f", "d"}, "0,0 a | 0,0 b; 0,22 c | 0,20 d"},
        LayoutCase{"CarriageReturnIgnored", 100, 999, {"ab\rcd\r"}, "0,0 abcd"},
        LayoutCase{
            "LineFeedInALine", 100, 999, {"Note: first\r\nx"}, "0,0 Note: firs; 0,22 t; 0,44 x"}),
    [](const testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

// Every character 10 wide, but the pair "AV" kerned 4 closer and an "f" at the end of a text
// reaching 5 further: a text is not as wide as its characters. Counts the characters measured.
class KernedMetrics : public TextMetrics {
 public:
  mutable std::size_t measured = 0;

  int characterHeight() const override { return 20; }
  int textWidth(std::string_view text) const override {
    measured += text.size();
    int width = 10 * static_cast<int>(text.size());
    for (std::size_t i = 1; i < text.size(); ++i) {
      if (text[i - 1] == 'A' && text[i] == 'V') width -= 4;
    }
    if (text.ends_with('f')) width += 5;
    return width;
  }
  int averageCharacterWidth() const override { return 10; }
};

TEST(PrintLayout, ALongTextBreaksWhereItsOwnWidthSaysAndIsMeasuredInLinearTime) {
  const struct {
    std::string text;
    std::size_t lineLength;  // of every line but the last
  } cases[] = {
      // Twelve kerned characters fit into 100 where ten would by their own widths.
      {[] {
         std::string text;
         for (int i = 0; i < 10000; ++i)
           text += "AV";
         return text;
       }(),
       12},
      // The overhang of the last "f" leaves room for nine only.
      {std::string(20000, 'f'), 9},
  };
  for (const auto& c : cases) {
    KernedMetrics metrics;
    const std::vector<Page> pages = layOutPages({c.text}, 100, 1 << 30, metrics);
    ASSERT_EQ(pages.size(), 1u);
    const auto& texts = pages[0].texts;
    std::string joined;
    for (std::size_t i = 0; i < texts.size(); ++i) {
      if (i + 1 < texts.size()) {
        EXPECT_EQ(texts[i].text.size(), c.lineLength) << i;
      }
      joined += texts[i].text;
    }
    EXPECT_EQ(joined, c.text);
    // Each line's text measured a few times (more where its characters alone mislead), the
    // rest of the text never.
    EXPECT_LE(metrics.measured, 8 * c.text.size()) << c.lineLength;
  }
}

// Records the printer's calls ("open", "write <line>", "close") and fails those named.
class RecordingPrinter : public PlainTextPrinter {
 public:
  Lines failing;
  bool failsWithIo = true;
  Lines calls;

  void open() override { call("open"); }
  void writeLine(std::string_view line) override { call("write " + std::string(line)); }
  void close() override { call("close"); }

 private:
  void call(const std::string& what) {
    calls.push_back(what);
    if (std::find(failing.begin(), failing.end(), what) == failing.end()) return;
    if (failsWithIo) throw IoError("printer", "out of paper");
    throw std::logic_error("broken");
  }
};

TEST(PrintLines, WritesEachLineOnceAndReportsPrinterFailuresAfterClosing) {
  const struct {
    Lines failing;
    Lines lines;
    Lines calls;
    bool errorShown;
    bool otherFailure = false;  // the failing call throws something else than IoError
  } cases[] = {
      {{}, {}, {"open", "close"}, false},
      {{}, {"a", "", "a"}, {"open", "write a", "write ", "write a", "close"}, false},
      {{"write b"}, {"a", "b", "c"}, {"open", "write a", "write b", "close"}, true},
      {{"close"}, {"a"}, {"open", "write a", "close"}, true},
      {{"write b", "close"}, {"b", "c"}, {"open", "write b", "close"}, true},
      // A job that never started is not closed.
      {{"open"}, {"a"}, {"open"}, true},
      // Other failures pass on once the job is closed, and show nothing.
      {{"write b"}, {"a", "b", "c"}, {"open", "write a", "write b", "close"}, false, true},
      {{"open"}, {"a"}, {"open"}, false, true},
  };
  for (const auto& c : cases) {
    RecordingPrinter printer;
    printer.failing = c.failing;
    printer.failsWithIo = !c.otherFailure;
    Lines shown;
    const auto print = [&] {
      printLines(c.lines, printer, [&](std::string_view text) { shown.emplace_back(text); });
    };
    if (c.otherFailure) {
      EXPECT_THROW(print(), std::logic_error);
    } else {
      print();
    }
    EXPECT_EQ(printer.calls, c.calls);
    EXPECT_EQ(shown, c.errorShown ? Lines{"Error Printing text."} : Lines{}) << c.calls.back();
  }
}

}  // namespace
}  // namespace kestrel::output
