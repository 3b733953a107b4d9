#pragma once
// The small ASCII text helpers every reader and writer shares: hexadecimal digits, letter case,
// two-digit numbers and name endings. Letters outside ASCII are left alone.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kestrel {

inline constexpr char kHexDigits[] = "0123456789ABCDEF";

// The value of a hexadecimal digit of either case, or -1 for any other character.
constexpr int hexDigitValue(std::uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}
constexpr int hexDigitValue(char c) {
  return hexDigitValue(static_cast<std::uint8_t>(c));
}

// The bytes as upper-case hexadecimal digit pairs.
std::string hexText(std::span<const std::uint8_t> bytes);

constexpr char asciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
std::string asciiLower(std::string_view text);

// Equal apart from the letter case of ASCII letters.
bool equalsNoCase(std::string_view a, std::string_view b);

// "07" for 7, "12" for 12, "123" for 123.
std::string twoDigits(int value);

// The text without the spaces and tabs at both ends, as INI lines are read.
constexpr std::string_view trimSpacesAndTabs(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
    s.remove_suffix(1);
  return s;
}

// Letter case counts.
constexpr bool endsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

}  // namespace kestrel
