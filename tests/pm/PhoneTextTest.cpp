#include "readers/pm/PhoneText.h"

#include <gtest/gtest.h>

#include "core/Cp1251.h"
#include "support/PmBuilder.h"

namespace kestrel::pm {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::PmBuilder;

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct TextCase {
  const char* name;
  Bytes record;
  std::ptrdiff_t start;
  std::ptrdiff_t n;
  std::string expected;  // windows-1251
};

TEST(ReadWideText, DecodesBothByteOrdersLatinAndCyrillic) {
  const Bytes ivanovLe = PmBuilder::utf16le(u"Иванов Иван");
  const std::vector<TextCase> cases = {
      {"latin little-endian", PmBuilder::utf16le(u"Iva"), 0, 6, "Iva"},
      {"latin big-endian", PmBuilder::utf16be(u"Iva"), 0, 6, "Iva"},
      {"cyrillic little-endian", ivanovLe, 0, 22, std::string("Иванов Иван"_cp)},
      {"cyrillic big-endian", PmBuilder::utf16be(u"Петрова Анна"), 0, 24,
       std::string("Петрова Анна"_cp)},
      {"whole alphabet", PmBuilder::utf16le(u"АБВЮЯабвюя"), 0, 20, std::string("АБВЮЯабвюя"_cp)},
      {"yo becomes ye", PmBuilder::utf16le(u"Алёна"), 0, 10, std::string("Алена"_cp)},
      {"capital Yo is dropped", PmBuilder::utf16le(u"Ёж"), 0, 4, std::string("ж"_cp)},
      {"inverted exclamation becomes ye", PmBuilder::utf16le(u"a\u00A1b"), 0, 6,
       std::string("a") + '\xE5' + "b"},
      {"control character becomes space", PmBuilder::utf16le(u"a\u001Fb"), 0, 6, "a b"},
      {"low byte 9 or less is skipped", PmBuilder::utf16le(u"a\u0009b"), 0, 6, "ab"},
      {"other high bytes are skipped", PmBuilder::utf16le(u"a\u20ACb"), 0, 6, "ab"},
      {"pipe stays", PmBuilder::utf16le(u"a|b"), 0, 6, "a|b"},
      {"text inside a record", Bytes{0x11, 0x22} + PmBuilder::utf16le(u"Ok"), 2, 4, "Ok"},
      {"little-endian takes the byte before start as low byte", Bytes{'Z', 0x00, 'a', 0x00}, 1, 3,
       "Za"},
      {"big-endian takes the byte before start as high byte", Bytes{0x04, 0x10}, 1, 1,
       std::string("А"_cp)},
      {"zero length", PmBuilder::utf16le(u"Iva"), 0, 0, ""},
      {"negative length", PmBuilder::utf16le(u"Iva"), 0, -3, ""},
      {"text reaching past the end is cut there", PmBuilder::utf16le(u"Iva"), 2, 100, "va"},
      {"cut text takes its byte order from the last byte inside",
       PmBuilder::utf16be(u"Iva") + Bytes{0x00}, 0, 7, "Iva"},
      {"start past the end", PmBuilder::utf16le(u"Iva"), 6, 4, ""},
      {"empty record", Bytes{}, 0, 4, ""},
  };
  for (const TextCase& c : cases) {
    std::string text;
    appendWideText(text, ByteView(c.record), c.start, c.n);
    EXPECT_EQ(text, c.expected) << c.name;
    // Appending into a cell leaves what it held as it was.
    std::string cell = "held ";
    appendWideText(cell, ByteView(c.record), c.start, c.n);
    EXPECT_EQ(cell, "held " + c.expected) << c.name;
  }
}

struct NameCase {
  const char* name;
  Bytes record;
  std::ptrdiff_t start;
  std::ptrdiff_t n;
  std::string expected;  // windows-1251
  bool singleByte;
};

TEST(ReadPhoneText, DecodesSingleAndTwoByteTextAndTrims) {
  const std::vector<NameCase> cases = {
      {"single-byte takes n/2 bytes", Bytes{'F', 'r', 'i', 'e', 'n', 'd', 's', 'X'}, 0, 8, "Frie",
       true},
      {"single-byte odd n rounds down", Bytes{'W', 'o', 'r', 'k', 'X'}, 0, 5, "Wo", true},
      {"single-byte windows-1251 bytes stay", Bytes{0xC4, 0xF0, 0xF3, 0xE7, 0x00, 0x00}, 0, 8,
       std::string("Друз"_cp), true},
      {"single-byte substitutions", Bytes{'a', 0xA1, '|', 'b'}, 0, 8, std::string("a\xE5 b"), true},
      {"single-byte trimmed", Bytes{' ', ' ', 'x', ' ', 0x01}, 0, 10, "x", true},
      {"one byte is single-byte and empty", Bytes{'A', 0x00}, 0, 1, "", true},
      {"two-byte little-endian", PmBuilder::utf16le(u"Семья"), 0, 10, std::string("Семья"_cp),
       false},
      {"two-byte big-endian", PmBuilder::utf16be(u"Work"), 0, 8, "Work", false},
      {"two-byte trimmed both ends", PmBuilder::utf16le(u"  VIP  "), 0, 14, "VIP", false},
      {"two-byte control character kept inside", PmBuilder::utf16le(u"a\u001Fb"), 0, 6,
       "a\x1F"
       "b",
       false},
      {"two-byte pipe becomes space", PmBuilder::utf16le(u"a|b"), 0, 6, "a b", false},
      {"two-byte inverted exclamation", PmBuilder::utf16le(u"\u00A1"), 0, 2, "\xE5", false},
      {"two-byte yo becomes ye", PmBuilder::utf16le(u"ёлка"), 0, 8, std::string("елка"_cp), false},
      {"second byte beyond the record makes two-byte text", Bytes{'A'}, 0, 2, "A", false},
      {"two-byte cut at the record's end", PmBuilder::utf16le(u"Gro"), 0, 40, "Gro", false},
      {"start past the end", Bytes{0x41, 0x00}, 5, 2, "", false},
  };
  for (const NameCase& c : cases) {
    const PhoneText read = readPhoneText(ByteView(c.record), c.start, c.n);
    EXPECT_EQ(read.text, c.expected) << c.name;
    EXPECT_EQ(read.singleByte, c.singleByte) << c.name;
    // Only the appended text is trimmed: the blanks the cell held stay.
    std::string cell = " held ";
    EXPECT_EQ(appendPhoneText(cell, ByteView(c.record), c.start, c.n), c.singleByte) << c.name;
    EXPECT_EQ(cell, " held " + c.expected) << c.name;
  }
}

struct NumberCase {
  const char* name;
  Bytes record;
  std::ptrdiff_t fieldPos;
  std::string expected;
};

TEST(DecodeNumber, UnpacksDigitsBehindTheirCount) {
  // A field: length, length when the first byte is 0, tag 11, unused byte, payload.
  const auto field = [](const Bytes& payload) {
    return Bytes{static_cast<std::uint8_t>(payload.size()), 0x00, 0x0B, 0x00} + payload;
  };
  const std::vector<NumberCase> cases = {
      {"plus and digits", field({0x81, 0x04, 0xF1, 0x23}), 0, "+123"},
      {"zero digit ends the number", field({0x81, 0x03, 0x12, 0x30}), 0, "123"},
      {"length in the second byte", Bytes{0x00, 0x04, 0x0B, 0x00, 0x81, 0x04, 0xF1, 0x23}, 0,
       "+123"},
      {"field inside a record", Bytes{0x01} + field({0x81, 0x04, 0xF1, 0x23}), 1, "+123"},
      {"digit A is 0, B star, C hash", field({0x81, 0x06, 0xBA, 0x1A, 0xC0}), 0, "*010#"},
      {"D and E stand for themselves", field({0x81, 0x02, 0xDE}), 0, "DE"},
      {"eleven digits with a filler", field({0x81, 0x0B, 0x89, 0x16, 0x12, 0x34, 0x56, 0x7F}), 0,
       "89161234567+"},
      {"odd count byte rounds up to even", field({0x81, 0x01, 0x23}), 0, "23"},
      {"bytes below 0x10 give one character each", field({0x81, 0x02, 0x05, 0x05}), 0, "55"},
      {"at most 20 digits",
       field({0x81, 0x16, 0x22, 0x22, 0x22, 0x22, 0x22, 0x22, 0x22, 0x22, 0x22, 0x22, 0x22}), 0,
       "22222222222222222222"},
      {"a digit byte equal to the count so far stops the walk",
       field({0x81, 0x06, 0x12, 0x02, 0x34}), 0, "34"},
      {"last byte zero stops at once", field({0x81, 0x04, 0x12, 0x00}), 0, ""},
      {"no count byte: the whole payload is taken", field({0x12, 0x34}), 0, "1234"},
      {"payload past the end is cut there", Bytes{0x09, 0x00, 0x0B, 0x00, 0x81, 0x04, 0xF1, 0x23},
       0, "+123"},
      {"payload wholly outside", Bytes{0x04, 0x00, 0x0B}, 0, ""},
      {"field position outside", Bytes{0x04}, 7, ""},
  };
  for (const NumberCase& c : cases) {
    std::string number;
    appendNumber(number, ByteView(c.record), c.fieldPos);
    EXPECT_EQ(number, c.expected) << c.name;
    std::string cell = "7 ";
    appendNumber(cell, ByteView(c.record), c.fieldPos);
    EXPECT_EQ(cell, "7 " + c.expected) << c.name;
  }
}

}  // namespace
}  // namespace kestrel::pm
