#pragma once
// Where printed text goes on the page: the layout a plain-text printer device follows. Lines
// start at the top-left corner of the printable area, break where the page ends, and the few
// control characters a report may hold move the position as a teleprinter would.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel::output {

// The printer font as the layout measures it, in device units.
class TextMetrics {
 public:
  virtual ~TextMetrics() = default;
  // The height of one line of characters.
  virtual int characterHeight() const = 0;
  // The advance width of a windows-1251 text without control characters.
  virtual int textWidth(std::string_view cp1251Text) const = 0;
  virtual int averageCharacterWidth() const = 0;
};

// A piece of text at its place: x from the left edge, y the top of its line.
struct PlacedText {
  int x = 0;
  int y = 0;
  std::string text;  // windows-1251, no control characters

  bool operator==(const PlacedText&) const = default;
};

struct Page {
  std::vector<PlacedText> texts;

  bool operator==(const Page&) const = default;
};

// Lays out lines one after another. There is always a current page: the first one exists from
// the start, and the last one of pages() is the one being filled. The page break a line end
// calls for is made when the next line begins, so the last line end starts no blank page.
class PageLayout {
 public:
  PageLayout(int pageWidth, int pageHeight, const TextMetrics& metrics);

  // The line's text followed by a line end. LF starts a new line, CR is ignored, FF starts a
  // new page, TAB moves to the next tab stop.
  void writeLine(std::string_view cp1251Line);

  const std::vector<Page>& pages() const { return pages_; }

 private:
  void placeText(std::string_view text);
  void tab();
  void newLine();
  void newPage();
  // Makes the page break the last line end called for.
  void beginLine();
  // The longest start of text no wider than room (the whole text when it fits).
  std::size_t fittingLength(std::string_view text, int room) const;
  // The width of one character alone, measured once.
  int characterWidth(char c) const;

  int pageWidth_;
  int pageHeight_;
  const TextMetrics& metrics_;
  std::vector<Page> pages_;
  int x_ = 0;
  int y_ = 0;
  int tallest_ = 0;  // of the texts on the current line; 0 while it holds none
  bool breakPending_ = false;
  mutable std::array<int, 256> characterWidths_;  // by byte; -1 until measured
};

// The pages of a whole list of lines.
std::vector<Page> layOutPages(const std::vector<std::string>& lines, int pageWidth, int pageHeight,
                              const TextMetrics& metrics);

}  // namespace kestrel::output
