#include "core/Cp1251.h"

namespace kestrel {

namespace {

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// First characters of the compatibility decompositions of U+00A0..U+017F; '?' where the
// decomposition starts with a character windows-1251 lacks or there is none.
constexpr std::string_view kLatinFallback =
    // A0..BF
    " ??????? ?a???? ??23 ??? 1o?113?"
    // C0..FF
    "AAAAAA?CEEEEIIII?NOOOOO?OUUUUY??aaaaaa?ceeeeiiii?nooooo?ouuuuy?y"
    // 100..17F
    "AaAaAaCcCcCcCcDd??EeEeEeEeEeGgGgGgGgHh??IiIiIiIiI?IiJjKk?LlLlLlLl??NnNnNn???OoOoOo??RrRrRr"
    "SsSsSsSsTtTt??UuUuUuUuUuUuWwYyYZzZzZzs";

}  // namespace

char fallbackFor(char32_t cp) {
  if (cp >= 0xA0 && cp <= 0x17F) return kLatinFallback[cp - 0xA0];
  if (cp >= 0xFF01 && cp <= 0xFF5E) return static_cast<char>(cp - 0xFF01 + 0x21);  // full width
  if ((cp >= 0x2000 && cp <= 0x200A) || cp == 0x202F || cp == 0x205F || cp == 0x3000) return ' ';
  if (cp == 0xFB00 || cp == 0xFB01 || cp == 0xFB02 || cp == 0xFB03 || cp == 0xFB04) return 'f';
  if (cp == 0x2024) return '.';
  if (cp == 0x2033 || cp == 0x2036) return '?';
  return '?';
}

std::string toUtf8(std::string_view cp1251Text) {
  std::string out;
  out.reserve(cp1251Text.size() * 2);
  for (const char c : cp1251Text)
    appendUtf8(out, cp1251::toCodePoint(static_cast<std::uint8_t>(c)));
  return out;
}

std::optional<std::string> fromUtf8(std::string_view utf8Text) {
  std::string out;
  out.reserve(utf8Text.size());
  std::size_t pos = 0;
  while (pos < utf8Text.size()) {
    const auto cp = cp1251::nextUtf8(utf8Text, pos);
    if (!cp) return std::nullopt;
    if (const auto byte = cp1251::fromCodePoint(*cp)) {
      out += static_cast<char>(*byte);
    } else {
      out += fallbackFor(*cp);
    }
  }
  return out;
}

}  // namespace kestrel
