#include "core/Ascii.h"

namespace kestrel {

std::string hexText(std::span<const std::uint8_t> bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (const std::uint8_t b : bytes) {
    out += kHexDigits[b >> 4];
    out += kHexDigits[b & 0x0F];
  }
  return out;
}

std::string asciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    c = asciiLower(c);
  return out;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  }
  return true;
}

std::string twoDigits(int value) {
  return (value >= 0 && value < 10 ? "0" : "") + std::to_string(value);
}

}  // namespace kestrel
