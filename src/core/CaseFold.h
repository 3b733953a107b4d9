#pragma once
// Letter case set aside, for windows-1251 text: what sorting and searching compare.

#include <array>
#include <cstdint>

#include "core/Cp1251.h"

namespace kestrel {

// The character a windows-1251 byte stands for with its letter case folded, as Unicode folds it.
constexpr char32_t foldedCodePoint(std::uint8_t byte) {
  const char32_t c = cp1251::toCodePoint(byte);
  if (c >= U'A' && c <= U'Z') return c + 0x20;
  if (c >= 0x0410 && c <= 0x042F) return c + 0x20;  // А..Я
  if (c >= 0x0400 && c <= 0x040F) return c + 0x50;  // Ё, Ђ, Є, І, Ї, Ј, Љ, Њ, Ћ, Ќ, Ў, Џ
  if (c == 0x0490) return 0x0491;                   // Ґ
  if (c == 0x00B5) return 0x03BC;                   // µ folds to the Greek letter
  return c;
}

// Each byte's folded character as a windows-1251 byte again: "Ё" and "ё" both give "ё". A byte
// whose folded character the code page lacks (µ) stays itself.
inline constexpr std::array<std::uint8_t, 256> kFoldedBytes = [] {
  std::array<std::uint8_t, 256> bytes{};
  for (std::size_t b = 0; b < bytes.size(); ++b) {
    const auto folded = cp1251::fromCodePoint(foldedCodePoint(static_cast<std::uint8_t>(b)));
    bytes[b] = folded.value_or(static_cast<std::uint8_t>(b));
  }
  return bytes;
}();

constexpr char foldedByte(char c) {
  return static_cast<char>(kFoldedBytes[static_cast<std::uint8_t>(c)]);
}

}  // namespace kestrel
