#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Cp1251.h"
#include "readers/vcard/VcardReader.h"

namespace kestrel::vcard {
namespace {

struct KindCase {
  const char* name;
  std::string line;
  int kind;
};

class Kinds : public testing::TestWithParam<KindCase> {};

TEST_P(Kinds, FollowThePropertyName) {
  EXPECT_EQ(propertyKind(GetParam().line), GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Kinds,
    testing::Values(KindCase{"Note", "NOTE;X:x", kVcfNote},
                    KindCase{"Phone", "TEL;CELL:1", kVcfPhone},
                    KindCase{"Address", "ADR;X:;;a", kVcfAddress},
                    KindCase{"Email", "EMAIL;INTERNET:a@b", kVcfEmail},
                    KindCase{"Begin", "BEGIN:VCARD", kVcfBegin},
                    KindCase{"Version", "VERSION:2.1", kVcfVersion},
                    KindCase{"WithoutParameters", "TEL:123", kVcfPhone},
                    KindCase{"LowerCase", "tel;type=cell:123", kVcfPhone},
                    KindCase{"Grouped", "item1.EMAIL;type=INTERNET:a@b", kVcfEmail},
                    KindCase{"BirthdayWithParameters", "BDAY;VALUE=date:1980-03-05", kVcfBirthday},
                    KindCase{"End", "END:VCARD", kVcfOther},
                    KindCase{"UnknownProperty", "X-TEL;A:1", kVcfOther},
                    KindCase{"LongerName", "NICKNAME:x", kVcfOther},
                    KindCase{"NoSeparator", "TEL", kVcfOther}, KindCase{"Empty", "", kVcfOther},
                    KindCase{"ColonOnly", ":x", kVcfOther}),
    [](const auto& info) { return std::string(info.param.name); });

struct ValueCase {
  const char* name;
  std::string line;
  std::string value;
};

class Values : public testing::TestWithParam<ValueCase> {};

TEST_P(Values, AreDecodedToWindows1251) {
  EXPECT_EQ(propertyValue(GetParam().line), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Values,
    testing::Values(
        ValueCase{"SemicolonsBecomeSpaces", "ADR;X:;;Street;City", "  Street City"},
        ValueCase{"NameComponents", "N;CHARSET=UTF-8;ENCODING=8BIT:Doe;John;;;", "Doe John   "},
        ValueCase{"NoColon", "TEL;CELL", ""},
        ValueCase{"EverythingAfterTheFirstColon", "URL:http://x", "http://x"},
        ValueCase{"Utf8Cyrillic", "N;CHARSET=UTF-8:\xD0\xAF", std::string("Я"_cp)},
        ValueCase{"1251KeepsTheBytes", "NOTE;CHARSET=windows-1251:\xDF\xF9", "\xDF\xF9"},
        ValueCase{"1251AnywhereInTheParameters", "NOTE;CHARSET=cp1251:\xDF", "\xDF"},
        ValueCase{"1251BytesWithout1251AreMalformed", "NOTE;ENCODING=8BIT:\xDF\xF9", ""},
        ValueCase{"TruncatedUtf8", "N;X:ab\xD0", ""},
        ValueCase{"LatinAccentsLoseTheirMarks",
                  "N;X:Jos\xC3\xA9 Pe\xC3\xB1"
                  "a",
                  "Jose Pena"},
        ValueCase{"CyrillicWithAccent", "N;X:\xD0\x80", std::string("Е"_cp)},
        ValueCase{"LetterWithoutDecomposition", "N;X:\xC3\x98", "?"},
        ValueCase{"Ligature", "N;X:\xEF\xAC\x81", "f"},
        ValueCase{"MathematicalLetter", "N;X:\xF0\x9D\x90\x80", "A"},
        ValueCase{"OneCharacterPerCodePoint", "N;X:\xE4\xB8\xAD\xF0\x9F\x98\x80", "??"},
        ValueCase{"QuotedPrintable", "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=D0=AF=3Db",
                  std::string("Я=b"_cp)},
        ValueCase{"BareQuotedPrintableAnyCase", "NOTE;quoted-printable:a=0D=0ab", "a\r\nb"},
        ValueCase{"EncodedSemicolonStays", "N;ENCODING=QUOTED-PRINTABLE:a=3Bb;c", "a;b c"},
        ValueCase{"QuotedPrintableThen1251",
                  "NOTE;CHARSET=windows-1251;ENCODING=QUOTED-PRINTABLE:=DF", "\xDF"},
        ValueCase{"BrokenEscapeStays", "NOTE;ENCODING=QUOTED-PRINTABLE:a=G1=", "a=G1="},
        ValueCase{"PlainValueKeepsEquals", "NOTE:a=3D", "a=3D"},
        // Escapes are undone before everything else.
        ValueCase{"EscapedCommaAndBackslash", "NOTE:a\\,b\\\\c", "a,b\\c"},
        ValueCase{"EscapedSemicolonStaysInN", "N:Doe\\;Jr;John", "Doe;Jr John"},
        ValueCase{"EscapedSemicolonStaysInAdr", "ADR:;;Main St\\; 5;Town", "  Main St; 5 Town"},
        ValueCase{"LineBreaksEitherCase", "NOTE:a\\nb\\Nc", "a\r\nb\r\nc"},
        ValueCase{"EscapeAtTheEnd", "NOTE:a\\,", "a,"},
        ValueCase{"LoneTrailingBackslash", "NOTE:a\\", "a\\"},
        ValueCase{"OtherEscapeStays", "NOTE:C\\:\\x", "C\\:\\x"},
        ValueCase{"EncodedBackslashIsNoEscape", "NOTE;ENCODING=QUOTED-PRINTABLE:a=5C,b\\,c",
                  "a\\,b,c"},
        // Values in other code pages come out in windows-1251, characters it lacks by the same
        // rule as for UTF-8.
        ValueCase{"UsAscii", "N;CHARSET=US-ASCII:Bob", "Bob"},
        ValueCase{"UsAsciiHighByte", "N;CHARSET=US-ASCII:B\xF6", ""},
        ValueCase{"Latin1", "N;CHARSET=ISO-8859-1:Jos\xE9", "Jose"},
        ValueCase{"Latin2", "N;CHARSET=ISO-8859-2:\xB9", "s"},
        ValueCase{"Latin3", "N;CHARSET=ISO-8859-3:\xE6", "c"},
        ValueCase{"Latin4", "N;CHARSET=ISO-8859-4:\xE8", "c"},
        ValueCase{"Cyrillic8859", "N;CHARSET=ISO-8859-5:\xCF\xE0\xD8", std::string("Яри"_cp)},
        ValueCase{"Arabic8859", "N;CHARSET=ISO-8859-6:\xC7", "?"},
        ValueCase{"Greek8859", "N;CHARSET=ISO-8859-7:\xE1", "?"},
        ValueCase{"Hebrew8859", "N;CHARSET=ISO-8859-8:\xE0", "?"},
        ValueCase{"Turkish8859", "N;CHARSET=ISO-8859-9:\xE7", "c"},
        ValueCase{"Nordic8859", "N;CHARSET=ISO-8859-10:\xE8", "c"},
        ValueCase{"Thai8859", "N;CHARSET=ISO-8859-11:\xA1", "?"},
        ValueCase{"Baltic8859", "N;CHARSET=ISO-8859-13:\xF0", "s"},
        ValueCase{"Celtic8859", "N;CHARSET=ISO-8859-14:\xE9", "e"},
        ValueCase{"EuroIn8859_15", "N;CHARSET=ISO-8859-15:\xA4", "\x88"},
        ValueCase{"Romanian8859", "N;CHARSET=ISO-8859-16:\xBA", "s"},
        ValueCase{"Koi8r", "N;CHARSET=KOI8-R:\xF0\xD2\xC9\xD7\xC5\xD4", std::string("Привет"_cp)},
        ValueCase{"Koi8rQuotedAndLowerCase", "N;CHARSET=\"koi8-r\":\xF0\xD2\xC9",
                  std::string("При"_cp)},
        ValueCase{"Koi8rQuotedPrintable", "N;CHARSET=KOI8-R;ENCODING=QUOTED-PRINTABLE:=F0=D2=C9",
                  std::string("При"_cp)},
        ValueCase{"Koi8u", "N;CHARSET=KOI8-U:\xA4", "\xBA"},
        ValueCase{"Cp866", "N;CHARSET=CP866:\x8F\xE0\xA8", std::string("При"_cp)},
        ValueCase{"Ibm866", "N;CHARSET=IBM866:\x8F\xE0\xA8", std::string("При"_cp)},
        ValueCase{"Windows1250", "N;CHARSET=WINDOWS-1250:\x9A", "s"},
        ValueCase{"Windows1252", "N;CHARSET=windows-1252:\xE9", "e"},
        ValueCase{"Windows1253", "N;CHARSET=WINDOWS-1253:\xE1", "?"},
        ValueCase{"Windows1254", "N;CHARSET=WINDOWS-1254:\xE7", "c"},
        ValueCase{"Windows1255", "N;CHARSET=WINDOWS-1255:\xE0", "?"},
        ValueCase{"Windows1256", "N;CHARSET=WINDOWS-1256:\xC7", "?"},
        ValueCase{"Windows1257", "N;CHARSET=WINDOWS-1257:\xF0", "s"},
        ValueCase{"Windows1258", "N;CHARSET=WINDOWS-1258:\xE9", "e"},
        ValueCase{"UnknownCharsetIsUtf8", "N;CHARSET=X-UNKNOWN:\xD0\xAF", std::string("Я"_cp)},
        ValueCase{"ByteWithoutACharacter", "N;CHARSET=ISO-8859-3:\xA5", ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct LinesCase {
  const char* name;
  std::string bytes;
  std::vector<std::string> lines;
};

class LogicalLines : public testing::TestWithParam<LinesCase> {};

TEST_P(LogicalLines, JoinFoldsAndSoftBreaks) {
  EXPECT_EQ(vcardLogicalLines(GetParam().bytes), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, LogicalLines,
    testing::Values(
        LinesCase{"AnyLineEnd", "a\rb\nc\r\nd", {"a", "b", "c", "d"}},
        LinesCase{"EmptyLinesStay", "a\n\nb\n", {"a", "", "b"}},
        LinesCase{"NulEndsTheText", std::string("a\nb\0c\nd", 7), {"a", "b"}},
        LinesCase{"FoldedWithSpaceAndTab", "NOTE:ab\r\n cd\r\n\tef\r\nX:1", {"NOTE:abcdef", "X:1"}},
        LinesCase{"FoldedName", "TE\n L:1", {"TEL:1"}},
        LinesCase{"LeadingBlankOfTheFirstLine", " a\nb", {" a", "b"}},
        LinesCase{"SoftBreak",
                  "N;ENCODING=QUOTED-PRINTABLE:a=\r\nb=\r\nc\r\nTEL:1",
                  {"N;ENCODING=QUOTED-PRINTABLE:ab"
                   "c",
                   "TEL:1"}},
        LinesCase{"SoftBreakBeforeAnEmptyLine",
                  "N;QUOTED-PRINTABLE:a=\n\nTEL:1",
                  {"N;QUOTED-PRINTABLE:a", "TEL:1"}},
        LinesCase{"SoftBreakKeepsTheNextLineWhole",
                  "N;QUOTED-PRINTABLE:a=\n b",
                  {"N;QUOTED-PRINTABLE:a b"}},
        LinesCase{"EqualsAtTheEndOfAPlainValue", "NOTE:a=\nTEL:1", {"NOTE:a=", "TEL:1"}},
        LinesCase{"EqualsInTheParameterPart", "NOTE;X=\nTEL:1", {"NOTE;X=", "TEL:1"}},
        LinesCase{"SoftBreakAtTheEnd", "N;QUOTED-PRINTABLE:a=", {"N;QUOTED-PRINTABLE:a="}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrel::vcard
