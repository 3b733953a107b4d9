#include "core/Ascii.h"

namespace kestrel {

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
