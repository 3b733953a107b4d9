// The searches that take eight bytes at a time, at the edges of those words: hits in the first
// and last byte of a word, a word's tail of fewer than eight bytes, a start inside a word, and
// bytes that differ from the searched ones only in their top bit.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Ascii.h"
#include "core/Cp1251.h"

namespace kestrel {
namespace {

constexpr std::size_t npos = std::string_view::npos;

// `length` bytes of filler with the given characters placed.
std::string textOf(std::size_t length, std::vector<std::pair<std::size_t, char>> placed,
                   char filler = 'x') {
  std::string text(length, filler);
  for (const auto& [at, c] : placed)
    text[at] = c;
  return text;
}

static_assert(findEither("ab\ncd", '\r', '\n') == 2);  // the byte-wise form, at compile time

TEST(WordSearch, FindEitherAtTheEdgesOfEachWord) {
  struct Case {
    std::string text;
    std::size_t from;
    std::size_t want;
  };
  // Bytes a top bit away from the searched ones.
  const char nearLf = static_cast<char>('\n' | 0x80);
  const char nearCr = static_cast<char>('\r' | 0x80);
  const std::vector<Case> cases = {
      {textOf(24, {{0, '\n'}}), 0, 0},
      {textOf(24, {{7, '\r'}}), 0, 7},
      {textOf(24, {{8, '\n'}}), 0, 8},
      {textOf(24, {{15, '\r'}}), 0, 15},
      {textOf(24, {{23, '\n'}}), 0, 23},             // the last byte of the last whole word
      {textOf(21, {{20, '\r'}}), 0, 20},             // the last byte, in a tail of five
      {textOf(7, {{6, '\n'}}), 0, 6},                // shorter than a word
      {textOf(24, {}), 0, npos},                     // none
      {"", 0, npos},                                 //
      {textOf(24, {{7, '\r'}, {8, '\n'}}), 0, 7},    // one each side of a word's end
      {textOf(24, {{7, '\r'}, {8, '\n'}}), 8, 8},    // the first no longer counted
      {textOf(24, {{3, '\n'}, {16, '\r'}}), 4, 16},  // a start inside a word
      {textOf(24, {{9, '\n'}}), 9, 9},               // a start on the hit
      {textOf(24, {{23, '\n'}}), 24, npos},          // a start at the end
      {textOf(24, {{23, '\n'}}), 30, npos},          // and past it
      {textOf(24, {{7, nearLf}, {8, nearCr}, {17, '\n'}}), 0, 17},
      {textOf(24, {{5, '\0'}, {14, '\n'}}, '\x7F'), 0, 14},
      {textOf(24, {{5, '\0'}, {14, '\n'}}, '\xFF'), 0, 14},
  };
  for (const Case& c : cases) {
    // Every alignment of the text against the machine's words.
    for (std::size_t shift = 0; shift < 8; ++shift) {
      const std::string buffer = std::string(shift, '\n') + c.text;
      const std::string_view text = std::string_view(buffer).substr(shift);
      EXPECT_EQ(findEither(text, '\r', '\n', c.from), c.want)
          << "text " << testing::PrintToString(c.text) << " from " << c.from << " shift " << shift;
      EXPECT_EQ(findEither(text, '\n', '\n', c.from), text.find('\n', c.from));
    }
  }
  // The searched bytes themselves at the ends of the byte range.
  EXPECT_EQ(findEither(textOf(16, {{9, '\xFF'}}), '\0', '\xFF'), 9u);
  EXPECT_EQ(findEither(textOf(16, {{12, '\0'}}), '\0', '\xFF'), 12u);
}

// zeroBytes marks exactly the zero bytes, also next to bytes whose sums would carry into them.
TEST(WordSearch, ZeroBytesMarksExactlyTheZeroBytes) {
  for (const std::uint64_t x : {0x0000000000000000ULL, 0xFFFFFFFFFFFFFFFFULL, 0x8000000000000080ULL,
                                0x0100010001000100ULL, 0x80FF0001007F8000ULL, 0x0000000000000001ULL,
                                0x0101010101010101ULL, 0x7F7F7F7F7F7F7F7FULL}) {
    std::uint64_t want = 0;
    for (int byte = 0; byte < 8; ++byte) {
      if (((x >> (8 * byte)) & 0xFF) == 0) want |= 0x80ULL << (8 * byte);
    }
    EXPECT_EQ(zeroBytes(x), want) << std::hex << x;
  }
}

// EitherSearch finds what findEither finds, from starts that only move forward.
TEST(WordSearch, EitherSearchFollowsFindEither) {
  const std::string text = textOf(33, {{0, '\n'}, {7, '\r'}, {8, '\n'}, {15, '\r'}, {32, '\n'}});
  EitherSearch search(text, '\r', '\n');
  for (std::size_t from = 0; from <= text.size() + 1; ++from) {
    const std::size_t want = findEither(text, '\r', '\n', from);
    EXPECT_EQ(search.next(from), want == npos ? text.size() : want) << from;
  }
}

// The ASCII words are copied whole; the first byte that is no ASCII ends a word wherever it lies.
TEST(WordSearch, Utf8ToCp1251AroundTheAsciiWords) {
  const std::string de = "\xD0\x94";  // Д, one byte in windows-1251
  for (const std::size_t at : {0, 6, 7, 8, 15, 16, 22}) {
    std::string text = textOf(24, {});
    text.replace(at, 2, de);
    std::string want = textOf(23, {{at, '\xC4'}});
    EXPECT_TRUE(fromUtf8InPlace(text)) << at;
    EXPECT_EQ(text, want) << at;
    // A lone lead byte at the same place is no UTF-8.
    std::string broken = textOf(24, {{at, '\xD0'}});
    EXPECT_FALSE(fromUtf8InPlace(broken)) << at;
  }
  std::string cut = textOf(24, {{23, '\xD0'}});  // a character cut short by the end
  EXPECT_FALSE(fromUtf8InPlace(cut));
}

// Every windows-1251 character, written as UTF-8 in runs between ASCII words of every length,
// comes back as its byte: the runs of Cyrillic letters taken two bytes at a time and the other
// characters taken one by one give the same bytes.
TEST(WordSearch, Utf8ToCp1251OfEveryCharacterInRuns) {
  std::string all;
  for (int b = 1; b < 256; ++b) {
    if (cp1251::fromCodePoint(cp1251::toCodePoint(static_cast<std::uint8_t>(b))) == b)
      all += static_cast<char>(b);
  }
  ASSERT_GT(all.size(), 250u);
  for (std::size_t run = 1; run <= 9; ++run) {
    for (std::size_t ascii = 0; ascii <= 9; ++ascii) {
      std::string want;
      for (std::size_t at = 0; at < all.size(); at += run)
        want += all.substr(at, run) + std::string(ascii, 'a' + static_cast<char>(ascii));
      std::string text = toUtf8(want);
      EXPECT_TRUE(fromUtf8InPlace(text)) << run << " " << ascii;
      EXPECT_EQ(text, want) << run << " " << ascii;
    }
  }
}

// Every character at every place of lines of many lengths, in the groups of sixteen pairs and in
// the rest: the bytes and the count decoded before the first pair that is not two digits are
// those of the digits' values one by one.
TEST(WordSearch, HexPairsDecodeAsDigitByDigit) {
  const std::string digits = "0123456789abcdefABCDEF";
  for (std::size_t pairs = 0; pairs <= 40; ++pairs) {
    std::string line;
    for (std::size_t k = 0; k < 2 * pairs; ++k)
      line += digits[(k * 7 + pairs) % digits.size()];
    for (std::size_t at = 0; at <= line.size(); ++at) {
      for (int c = 0; c < 256; ++c) {
        if (at == line.size() && c > 0) break;  // the line as it is, once
        std::string text = line;
        if (at < text.size()) text[at] = static_cast<char>(c);
        std::vector<std::uint8_t> expected;
        for (std::size_t k = 0; k < pairs; ++k) {
          const int high = hexDigitValue(text[2 * k]);
          const int low = hexDigitValue(text[2 * k + 1]);
          if (high < 0 || low < 0) break;
          expected.push_back(static_cast<std::uint8_t>(high * 16 + low));
        }
        std::vector<std::uint8_t> bytes(pairs, 0xEE);
        const std::size_t decoded =
            decodeHexPairs(reinterpret_cast<const std::uint8_t*>(text.data()), bytes);
        ASSERT_EQ(decoded, expected.size()) << pairs << " " << at << " " << c;
        bytes.resize(decoded);
        ASSERT_EQ(bytes, expected) << pairs << " " << at << " " << c;
      }
    }
  }
}

}  // namespace
}  // namespace kestrel
