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
    : pageWidth_(pageWidth), pageHeight_(pageHeight), metrics_(metrics), pages_(1) {
  characterWidths_.fill(-1);
}

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

int PageLayout::characterWidth(char c) const {
  int& width = characterWidths_[static_cast<unsigned char>(c)];
  if (width < 0) width = metrics_.textWidth(std::string_view(&c, 1));
  return width;
}

std::size_t PageLayout::fittingLength(std::string_view text, int room) const {
  // Measuring the whole rest of the text for every line would make a long cell cost the square
  // of its length. The widths of single characters, each measured once, tell about where the
  // line ends; the text itself is then measured only up to there. Kerning may make the text a
  // little narrower or wider than its characters, so the end found is checked and moved.
  std::size_t guess = 0;
  for (int width = 0; guess < text.size(); ++guess) {
    width += characterWidth(text[guess]);
    if (width > room) break;
  }
  const auto fits = [&](std::size_t length) {
    return length == 0 || metrics_.textWidth(text.substr(0, length)) <= room;
  };
  // Widths grow with the length: every length up to `fitting` fits, none from `tooLong` on.
  std::size_t fitting = 0;
  std::size_t tooLong = text.size() + 1;
  if (fits(guess)) {
    fitting = guess;
    for (std::size_t step = 1; fitting < text.size(); step *= 2) {
      const std::size_t next = std::min(fitting + step, text.size());
      if (!fits(next)) {
        tooLong = next;
        break;
      }
      fitting = next;
    }
  } else {
    tooLong = guess;
    for (std::size_t step = 1;; step *= 2) {
      const std::size_t next = tooLong > step ? tooLong - step : 0;
      if (fits(next)) {
        fitting = next;
        break;
      }
      tooLong = next;
    }
  }
  // The last length that fits lies between the two, found by halving.
  while (tooLong - fitting > 1) {
    const std::size_t middle = fitting + (tooLong - fitting) / 2;
    if (fits(middle)) {
      fitting = middle;
    } else {
      tooLong = middle;
    }
  }
  return fitting;
}

std::vector<Page> layOutPages(const std::vector<std::string>& lines, int pageWidth, int pageHeight,
                              const TextMetrics& metrics) {
  PageLayout layout(pageWidth, pageHeight, metrics);
  for (const std::string& line : lines)
    layout.writeLine(line);
  return layout.pages();
}

}  // namespace kestrel::output
