#include "PrintLayout.h"

#include <algorithm>

namespace kestrel::output {

namespace {

constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';
constexpr char kFormFeed = '\f';
constexpr char kTab = '\t';
constexpr int kTabStopCharacters = 8;
// The gap a line of text keeps to the next one.
constexpr int kLineGap = 2;

}  // namespace

PageLayout::PageLayout(int pageWidth, int pageHeight, const TextMetrics& metrics)
    : pageWidth_(pageWidth), pageHeight_(pageHeight), metrics_(metrics), pages_(1) {}

void PageLayout::writeLine(std::string_view line) {
  beginLine();
  // CR drops out of the text around it, so "ab\rcd" stays one piece of text.
  std::string text;
  for (const char c : line) {
    if (c == kCarriageReturn) continue;
    if (c != kLineFeed && c != kFormFeed && c != kTab) {
      text += c;
      continue;
    }
    placeText(text);
    text.clear();
    if (c == kLineFeed) newLine();
    if (c == kFormFeed) newPage();
    if (c == kTab) tab();
  }
  placeText(text);
  newLine();
}

void PageLayout::placeText(std::string_view text) {
  while (!text.empty()) {
    beginLine();
    std::size_t length = fittingLength(text, pageWidth_ - x_);
    if (length == text.size()) {
      pages_.back().texts.push_back({x_, y_, std::string(text)});
      x_ += metrics_.textWidth(text);
      tallest_ = std::max(tallest_, metrics_.characterHeight());
      return;
    }
    if (length == 0 && x_ > 0) {
      newLine();
      continue;
    }
    // A character wider than the whole page still takes a line of its own, so every line
    // moves the text on.
    length = std::max<std::size_t>(length, 1);
    pages_.back().texts.push_back({x_, y_, std::string(text.substr(0, length))});
    tallest_ = std::max(tallest_, metrics_.characterHeight());
    text.remove_prefix(length);
    newLine();
  }
}

void PageLayout::tab() {
  beginLine();
  const int step = kTabStopCharacters * std::max(metrics_.averageCharacterWidth(), 1);
  const int stop = (x_ / step + 1) * step;
  if (stop > pageWidth_) {
    newLine();
  } else {
    x_ = stop;
  }
}

void PageLayout::newLine() {
  beginLine();
  const int height = tallest_ > 0 ? tallest_ + kLineGap : metrics_.characterHeight();
  x_ = 0;
  y_ += height;
  tallest_ = 0;
  breakPending_ = y_ > pageHeight_ - 2 * height;
}

void PageLayout::newPage() {
  pages_.emplace_back();
  x_ = 0;
  y_ = 0;
  tallest_ = 0;
  breakPending_ = false;
}

void PageLayout::beginLine() {
  if (breakPending_) newPage();
}

std::size_t PageLayout::fittingLength(std::string_view text, int room) const {
  if (metrics_.textWidth(text) <= room) return text.size();
  // Widths grow with the length, so the last length that fits is found by halving.
  std::size_t fits = 0;
  std::size_t tooLong = text.size();
  while (tooLong - fits > 1) {
    const std::size_t middle = fits + (tooLong - fits) / 2;
    if (metrics_.textWidth(text.substr(0, middle)) <= room) {
      fits = middle;
    } else {
      tooLong = middle;
    }
  }
  return fits;
}

std::vector<Page> layOutPages(const std::vector<std::string>& lines, int pageWidth, int pageHeight,
                              const TextMetrics& metrics) {
  PageLayout layout(pageWidth, pageHeight, metrics);
  for (const std::string& line : lines)
    layout.writeLine(line);
  return layout.pages();
}

}  // namespace kestrel::output
