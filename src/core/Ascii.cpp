#include "core/Ascii.h"

#include <memory>

namespace kestrel {

const std::array<std::int16_t, 65536>& HexPairs::table() {
  static const auto values = [] {
    auto t = std::make_unique<std::array<std::int16_t, 65536>>();
    for (int high = 0; high < 256; ++high) {
      for (int low = 0; low < 256; ++low) {
        const int h = hexDigitValue(static_cast<std::uint8_t>(high));
        const int l = hexDigitValue(static_cast<std::uint8_t>(low));
        (*t)[static_cast<std::size_t>(high << 8 | low)] =
            static_cast<std::int16_t>((h | l) < 0 ? -1 : h * 16 + l);
      }
    }
    return t;
  }();
  return *values;
}

std::size_t EitherSearch::Found::next(std::string_view text, std::size_t from) {
  if (at == static_cast<std::size_t>(-1) || at < from) {
    const std::size_t hit = from < text.size() ? text.find(c, from) : std::string_view::npos;
    at = hit == std::string_view::npos ? text.size() : hit;
  }
  return at;
}

std::string hexText(std::span<const std::uint8_t> bytes) {
  std::string out;
  appendHexText(out, bytes);
  return out;
}

void appendHexText(std::string& out, std::span<const std::uint8_t> bytes) {
  out.reserve(out.size() + bytes.size() * 2);
  for (const std::uint8_t b : bytes) {
    out += kHexDigits[b >> 4];
    out += kHexDigits[b & 0x0F];
  }
}

std::string asciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    c = asciiLower(c);
  return out;
}

std::string twoDigits(int value) {
  return (value >= 0 && value < 10 ? "0" : "") + std::to_string(value);
}

}  // namespace kestrel
