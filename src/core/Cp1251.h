#pragma once
// Text conversions. Inside the program every text is a std::string of windows-1251 bytes;
// this module is the only place that converts to and from Unicode.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

namespace cp1251 {

// Unicode code points of the windows-1251 bytes 0x80..0xBF; 0x98 has no character and maps to
// U+0098. Bytes below 0x80 are ASCII; 0xC0..0xFF are U+0410..U+044F.
inline constexpr std::array<char16_t, 64> kHighTable = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

constexpr char32_t toCodePoint(std::uint8_t byte) {
  if (byte < 0x80) return byte;
  if (byte >= 0xC0) return 0x0410 + (byte - 0xC0);
  return kHighTable[byte - 0x80];
}

// The windows-1251 byte of a code point, or nothing when the code page lacks it.
constexpr std::optional<std::uint8_t> fromCodePoint(char32_t cp) {
  if (cp < 0x80) return static_cast<std::uint8_t>(cp);
  if (cp >= 0x0410 && cp <= 0x044F) return static_cast<std::uint8_t>(cp - 0x0410 + 0xC0);
  for (std::size_t i = 0; i < kHighTable.size(); ++i) {
    if (kHighTable[i] == cp) return static_cast<std::uint8_t>(0x80 + i);
  }
  return std::nullopt;
}

// Decodes one UTF-8 sequence at `pos`; advances `pos`. Nothing for a malformed sequence
// (overlong forms, surrogates and values past U+10FFFF included).
constexpr std::optional<char32_t> nextUtf8(std::string_view s, std::size_t& pos) {
  const auto b0 = static_cast<std::uint8_t>(s[pos]);
  if (b0 < 0x80) {
    ++pos;
    return b0;
  }
  int extra = 0;
  char32_t cp = 0;
  char32_t min = 0;
  if ((b0 & 0xE0) == 0xC0) {
    extra = 1, cp = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2, cp = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3, cp = b0 & 0x07, min = 0x10000;
  } else {
    return std::nullopt;
  }
  if (pos + extra >= s.size()) return std::nullopt;
  for (int k = 1; k <= extra; ++k) {
    const auto b = static_cast<std::uint8_t>(s[pos + k]);
    if ((b & 0xC0) != 0x80) return std::nullopt;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
  pos += extra + 1;
  return cp;
}

}  // namespace cp1251

// Unicode's control characters: C0 (U+0000 to U+001F), DEL and C1 (U+0080 to U+009F). A
// terminal acts on them instead of showing them, and vCard, iCalendar and HTML cannot carry
// them. In windows-1251 text only the byte 0x98 stands for a C1 control.
constexpr bool isControl(char32_t cp) {
  return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F);
}

// The length in bytes of the control character that begins at `at` of UTF-8 text: 1 for C0
// and DEL, 2 for C1 (C2 80 to C2 9F), 0 for any other character or a byte that starts none.
constexpr std::size_t utf8ControlLength(std::string_view utf8, std::size_t at) {
  const auto b = static_cast<std::uint8_t>(utf8[at]);
  if (b < 0x20 || b == 0x7F) return 1;
  if (b == 0xC2 && at + 1 < utf8.size() && (static_cast<std::uint8_t>(utf8[at + 1]) & 0xE0) == 0x80)
    return 2;
  return 0;
}

// windows-1251 → UTF-8. Every byte has a character (0x98 becomes U+0098).
std::string toUtf8(std::string_view cp1251Text);

// UTF-8 → windows-1251; nothing when the input is not well-formed UTF-8. A character the code
// page lacks becomes the first character of its compatibility decomposition when the code page
// has that one (é → e), otherwise "?"; one output character per code point.
std::optional<std::string> fromUtf8(std::string_view utf8Text);
// The same conversion over the text itself; false, the text left unspecified, when it is not
// well-formed UTF-8.
bool fromUtf8InPlace(std::string& text);

// For a code point the code page lacks: the first character of its compatibility
// decomposition when windows-1251 has that one (é → e, Ѐ → Е, ﬁ → f), otherwise '?'.
char fallbackFor(char32_t cp);

// A UTF-8 string literal converted to windows-1251 at compile time: "Загрузка"_cp.
// A character that windows-1251 lacks makes the program ill-formed.
template <std::size_t N>
struct Utf8Literal {
  char chars[N]{};
  consteval Utf8Literal(const char (&s)[N]) {
    for (std::size_t i = 0; i < N; ++i)
      chars[i] = s[i];
  }
  constexpr std::string_view view() const { return {chars, N - 1}; }
};

namespace detail {
template <Utf8Literal L>
consteval std::size_t cp1251Length() {
  std::size_t n = 0;
  std::size_t pos = 0;
  const auto s = L.view();
  while (pos < s.size()) {
    if (!cp1251::nextUtf8(s, pos)) throw "malformed UTF-8 in a literal";
    ++n;
  }
  return n;
}

template <Utf8Literal L>
struct Cp1251Literal {
  static constexpr std::size_t size = cp1251Length<L>();
  static constexpr std::array<char, size + 1> value = [] {
    std::array<char, size + 1> out{};
    std::size_t pos = 0;
    const auto s = L.view();
    for (std::size_t i = 0; i < size; ++i) {
      const auto cp = cp1251::nextUtf8(s, pos);
      const auto byte = cp1251::fromCodePoint(*cp);
      if (!byte) throw "character missing from windows-1251";
      out[i] = static_cast<char>(*byte);
    }
    return out;
  }();
};
}  // namespace detail

inline namespace literals {
template <Utf8Literal L>
consteval std::string_view operator""_cp() {
  return {detail::Cp1251Literal<L>::value.data(), detail::Cp1251Literal<L>::size};
}
}  // namespace literals

}  // namespace kestrel
