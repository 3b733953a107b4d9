#include "core/Cp1251.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "core/Bytes.h"
#include "core/ColumnLetters.h"

namespace kestrel {
namespace {

TEST(Cp1251, LiteralsAreConvertedAtCompileTime) {
  constexpr std::string_view text = "Ёж ё №1"_cp;
  EXPECT_EQ(text, std::string_view("\xA8\xE6 \xB8 \xB9"
                                   "1"));
  static_assert("Нет"_cp.size() == 3);
}

TEST(Cp1251, EveryByteRoundTripsThroughUtf8) {
  std::string all;
  for (int b = 0; b < 256; ++b)
    all += static_cast<char>(b);
  const std::string utf8 = toUtf8(all);
  const auto back = fromUtf8(utf8);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(*back, all);
  // 0x98 has no character in windows-1251 and travels as U+0098.
  EXPECT_EQ(toUtf8("\x98"), "\xC2\x98");
}

// Texts of Russian words of every length, among other letters and damaged characters, convert
// as their characters do one by one: eight letters at a time where eight stand together.
TEST(Cp1251, LongTextsConvertAsTheirCharactersDo) {
  std::vector<std::string> pieces = {
      "a", " ", "\xD0\x81", "\xD1\x91", "\xC3\xA9", "\xF0\x9F\x98\x80", "\xD0\x8F", "\xD1\x90"};
  for (char32_t letter = U'\u0410'; letter <= U'\u044F'; ++letter)
    pieces.push_back(toUtf8(std::string(1, static_cast<char>(letter - 0x410 + 0xC0))));
  std::mt19937 random(3);
  for (int k = 0; k < 3000; ++k) {
    std::string text;
    std::string expected;
    bool valid = true;
    const int count = static_cast<int>(random() % 60);
    for (int i = 0; i < count; ++i) {
      // Mostly letters А to я, in runs; now and then something else, or a lone lead byte.
      if (random() % 40 == 0) {
        text += "\xD0x";
        valid = false;
        continue;
      }
      const std::string& piece =
          random() % 4 == 0 ? pieces[random() % 8] : pieces[8 + random() % 64];
      text += piece;
      expected += fromUtf8(piece).value();
    }
    const auto converted = fromUtf8(text);
    ASSERT_EQ(converted.has_value(), valid) << text;
    if (valid) {
      ASSERT_EQ(*converted, expected) << text;
    }
  }
}

TEST(Cp1251, MalformedUtf8GivesNothing) {
  for (const char* bad : {"\xC3", "\xE2\x82", "\xC0\xAF", "\xED\xA0\x80", "\xFF", "a\x80"}) {
    EXPECT_FALSE(fromUtf8(bad).has_value()) << bad;
  }
}

TEST(Cp1251, MissingCharactersBecomeACloseLetterOrQuestionMark) {
  EXPECT_EQ(fromUtf8("caf\xC3\xA9 Espa\xC3\xB1"
                     "a"),
            "cafe Espana");                        // é ñ
  EXPECT_EQ(fromUtf8("\xC5\x81\xC3\x9F"), "??");   // Ł ß
  EXPECT_EQ(fromUtf8("\xF0\x9F\x98\x80!"), "?!");  // an emoji is one character
  EXPECT_EQ(fromUtf8("\xEF\xBC\xA1"), "A");        // full-width A
}

TEST(ColumnLetters, NamesColumnsLikeASpreadsheet) {
  const auto letters = makeColumnLetters(416);
  EXPECT_EQ(letters[1], "A");
  EXPECT_EQ(letters[26], "Z");
  EXPECT_EQ(letters[27], "AA");
  EXPECT_EQ(letters[52], "AZ");
  EXPECT_EQ(letters[53], "BA");
  EXPECT_EQ(letters[312], "KZ");
  EXPECT_EQ(letters[416], "OZ");
  const auto three = makeColumnLetters(18279);
  EXPECT_EQ(three[702], "ZZ");
  EXPECT_EQ(three[703], "AAA");
  EXPECT_EQ(three[728], "AAZ");
  EXPECT_EQ(three[18278], "ZZZ");
  EXPECT_EQ(three[18279], "AAAA");
}

// Any start and count, however far outside, give only bytes that are there.
TEST(ByteView, SliceStaysInsideForEveryStartAndCount) {
  const std::vector<std::uint8_t> bytes = {1, 2, 3, 4, 5, 6, 7, 8};
  const ByteView view(bytes);
  constexpr std::ptrdiff_t kMax = PTRDIFF_MAX;
  constexpr std::ptrdiff_t kMin = PTRDIFF_MIN;
  const std::vector<std::tuple<std::ptrdiff_t, std::ptrdiff_t, std::vector<std::uint8_t>>> cases = {
      {5, kMax, {6, 7, 8}}, {kMax, kMax, {}},  {kMin, kMax, {}}, {-2, 4, {1, 2}},
      {-2, 2, {}},          {kMin, 5, {}},     {0, kMin, {}},    {7, 1, {8}},
      {8, 1, {}},           {-1, kMax, bytes}, {3, 0, {}},       {2, 3, {3, 4, 5}}};
  for (const auto& [start, count, expected] : cases) {
    const auto s = view.slice(start, count);
    EXPECT_EQ(std::vector<std::uint8_t>(s.begin(), s.end()), expected) << start << ", " << count;
  }
}

}  // namespace
}  // namespace kestrel
