#include "cli/PrintableLine.h"

#include <cstdint>

#include "core/Ascii.h"
#include "core/Cp1251.h"

namespace kestrel::cli {

namespace {

void appendHex(std::string& out, std::uint8_t b) {
  out += "\\x";
  out += kHexDigits[b >> 4];
  out += kHexDigits[b & 0x0F];
}

// The length of the valid UTF-8 character at i, or 0 when the byte there starts none.
std::size_t characterLength(std::string_view text, std::size_t i) {
  const auto at = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
  const std::uint8_t b = at(i);
  std::size_t n = 0;
  std::uint32_t lowest = 0;
  std::uint32_t c = 0;
  if (b >= 0xC2 && b <= 0xDF) {
    n = 2, lowest = 0x80, c = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    n = 3, lowest = 0x800, c = b & 0x0F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    n = 4, lowest = 0x10000, c = b & 0x07;
  } else {
    return 0;
  }
  if (i + n > text.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    if ((at(i + k) & 0xC0) != 0x80) return 0;
    c = (c << 6) | (at(i + k) & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are no characters.
  if (c < lowest || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return 0;
  return n;
}

}  // namespace

std::string printableLine(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<std::uint8_t>(text[i]);
    if (b < 0x80) {
      if (b == '\n')
        out += "\\n";
      else if (b == '\t')
        out += "\\t";
      else if (b == '\r')
        out += "\\r";
      else if (b < 0x20 || b == 0x7F)
        appendHex(out, b);
      else
        out += static_cast<char>(b);
      ++i;
    } else if (utf8ControlLength(text, i) == 2) {
      // A C1 control is valid UTF-8, yet a terminal runs it (U+009B starts a command).
      out += "\\u00";
      const auto low = static_cast<std::uint8_t>(text[i + 1]);
      out += kHexDigits[low >> 4];
      out += kHexDigits[low & 0x0F];
      i += 2;
    } else if (const std::size_t n = characterLength(text, i); n > 0) {
      out.append(text.substr(i, n));
      i += n;
    } else {
      appendHex(out, b);
      ++i;
    }
  }
  return out;
}

}  // namespace kestrel::cli
