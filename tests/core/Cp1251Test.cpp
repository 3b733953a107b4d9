#include "core/Cp1251.h"

#include <gtest/gtest.h>

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

TEST(columnLetters, NamesColumnsLikeASpreadsheet) {
  const auto letters = makeColumnLetters(416);
  EXPECT_EQ(letters[1], "A");
  EXPECT_EQ(letters[26], "Z");
  EXPECT_EQ(letters[27], "AA");
  EXPECT_EQ(letters[52], "AZ");
  EXPECT_EQ(letters[53], "BA");
  EXPECT_EQ(letters[312], "KZ");
  EXPECT_EQ(letters[416], "OZ");
}

}  // namespace
}  // namespace kestrel
