#include "core/Cp1251.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kestrel {

namespace {

// Takes eight letters А to я written in UTF-8 (the 16 bytes from `in` on, D0 90..BF or
// D1 80..8F each) to their windows-1251 codes C0..FF at `out`; false, writing nothing, when
// the 16 bytes are not eight such letters. `out` may lie before `in`, up to 8 bytes of it.
bool eightCyrillicLetters(const std::uint8_t* in, char* out) {
#if defined(__SSE2__)
  const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
  // Each 16-bit lane holds a lead byte in its low half and the byte after it in its high half.
  const __m128i lead = _mm_and_si128(chunk, _mm_set1_epi16(0xFF));
  const __m128i next = _mm_srli_epi16(chunk, 8);
  const __m128i d0 = _mm_cmpeq_epi16(lead, _mm_set1_epi16(0xD0));
  const __m128i d1 = _mm_cmpeq_epi16(lead, _mm_set1_epi16(0xD1));
  const __m128i inD0 = _mm_and_si128(_mm_cmpgt_epi16(next, _mm_set1_epi16(0x8F)),
                                     _mm_cmplt_epi16(next, _mm_set1_epi16(0xC0)));
  const __m128i inD1 = _mm_and_si128(_mm_cmpgt_epi16(next, _mm_set1_epi16(0x7F)),
                                     _mm_cmplt_epi16(next, _mm_set1_epi16(0x90)));
  const __m128i letters = _mm_or_si128(_mm_and_si128(d0, inD0), _mm_and_si128(d1, inD1));
  if (_mm_movemask_epi8(letters) != 0xFFFF) return false;
  // D0 xx becomes xx + 0x30, D1 xx becomes xx + 0x70.
  const __m128i codes = _mm_sub_epi16(_mm_add_epi16(next, _mm_set1_epi16(0x70)),
                                      _mm_and_si128(d0, _mm_set1_epi16(0x40)));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(codes, codes));
  return true;
#else
  static_cast<void>(in);
  static_cast<void>(out);
  return false;
#endif
}

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

struct Fallback {
  char32_t codePoint;
  std::uint8_t byte;
};

constexpr Fallback kFallbacks[] = {
#include "core/Cp1251Fallback.inc"
};

}  // namespace

char fallbackFor(char32_t cp) {
  const auto it = std::lower_bound(std::begin(kFallbacks), std::end(kFallbacks), cp,
                                   [](const Fallback& f, char32_t c) { return f.codePoint < c; });
  if (it != std::end(kFallbacks) && it->codePoint == cp) return static_cast<char>(it->byte);
  return '?';
}

std::string toUtf8(std::string_view cp1251Text) {
  std::string out;
  out.reserve(cp1251Text.size() * 2);
  for (const char c : cp1251Text)
    appendUtf8(out, cp1251::toCodePoint(static_cast<std::uint8_t>(c)));
  return out;
}

bool fromUtf8InPlace(std::string& text) {
  // Every character takes at least one byte of UTF-8 and gives exactly one byte here, so the
  // result is written over the text as it is read and cut to its length at the end.
  const std::string_view utf8Text(text);
  const auto* in = reinterpret_cast<const std::uint8_t*>(utf8Text.data());
  const std::size_t size = utf8Text.size();
  std::size_t length = 0;
  std::size_t pos = 0;
  while (pos < size) {
    // ASCII stays as it is, taken eight bytes at a time while none has its top bit set. Each
    // word is read before it is written, at or before where it was read.
    while (size - pos >= 8) {
      std::uint64_t word = 0;
      std::memcpy(&word, in + pos, 8);
      if ((word & 0x8080808080808080ULL) != 0) break;
      std::memcpy(text.data() + length, &word, 8);
      length += 8;
      pos += 8;
    }
    // Then one character at a time up to the next ASCII byte, which may start another word.
    // А to я (U+0410..U+044F, D0 90 to D1 8F) take their windows-1251 codes C0..FF directly:
    // D0 90..BF and D1 80..8F.
    while (pos < size) {
      // Russian words go eight letters at a time.
      while ((in[pos] & 0xFE) == 0xD0 && size - pos >= 16 &&
             eightCyrillicLetters(in + pos, text.data() + length)) {
        length += 8;
        pos += 16;
        if (pos == size) break;
      }
      if (pos == size) break;
      const std::uint8_t lead = in[pos];
      if (lead < 0x80) {
        text[length++] = static_cast<char>(lead);
        ++pos;
        break;
      }
      if (pos + 1 < size) {
        const std::uint8_t next = in[pos + 1];
        if (lead == 0xD0 && next >= 0x90 && next <= 0xBF) {
          text[length++] = static_cast<char>(next + (0xC0 - 0x90));
          pos += 2;
          continue;
        }
        if (lead == 0xD1 && next >= 0x80 && next <= 0x8F) {
          text[length++] = static_cast<char>(next + (0xF0 - 0x80));
          pos += 2;
          continue;
        }
      }
      const auto cp = cp1251::nextUtf8(utf8Text, pos);
      if (!cp) return false;
      const auto byte = cp1251::fromCodePoint(*cp);
      text[length++] = byte ? static_cast<char>(*byte) : fallbackFor(*cp);
    }
  }
  text.resize(length);
  return true;
}

std::optional<std::string> fromUtf8(std::string_view utf8Text) {
  std::string out(utf8Text);
  if (!fromUtf8InPlace(out)) return std::nullopt;
  return out;
}

}  // namespace kestrel
