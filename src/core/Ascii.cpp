#include "core/Ascii.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
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

namespace {

#if defined(__SSE2__)
// The values of sixteen hexadecimal digits, and in `valid` the bits of those that are digits.
inline __m128i hexDigitValues(__m128i digits, int& valid) {
  // Bytes of 0x80 and above compare as negative: no digit.
  const __m128i isDigit = _mm_and_si128(_mm_cmpgt_epi8(digits, _mm_set1_epi8('0' - 1)),
                                        _mm_cmplt_epi8(digits, _mm_set1_epi8('9' + 1)));
  const __m128i lower = _mm_or_si128(digits, _mm_set1_epi8(0x20));
  const __m128i isLetter = _mm_and_si128(_mm_cmpgt_epi8(lower, _mm_set1_epi8('a' - 1)),
                                         _mm_cmplt_epi8(lower, _mm_set1_epi8('f' + 1)));
  valid = _mm_movemask_epi8(_mm_or_si128(isDigit, isLetter));
  return _mm_or_si128(_mm_and_si128(isDigit, _mm_sub_epi8(digits, _mm_set1_epi8('0'))),
                      _mm_andnot_si128(isDigit, _mm_sub_epi8(lower, _mm_set1_epi8('a' - 10))));
}

// Eight bytes from the values of their sixteen digits, each in the low byte of a 16-bit lane.
inline __m128i pairBytes(__m128i values) {
  const __m128i high = _mm_and_si128(values, _mm_set1_epi16(0x00FF));
  return _mm_or_si128(_mm_slli_epi16(high, 4), _mm_srli_epi16(values, 8));
}
#endif

}  // namespace

std::size_t decodeHexPairs(const std::uint8_t* digits, std::span<std::uint8_t> bytes) {
  std::size_t i = 0;
#if defined(__SSE2__)
  for (; bytes.size() - i >= 16; i += 16) {
    int validA = 0;
    int validB = 0;
    const __m128i a =
        hexDigitValues(_mm_loadu_si128(reinterpret_cast<const __m128i*>(digits + 2 * i)), validA);
    const __m128i b = hexDigitValues(
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(digits + 2 * i + 16)), validB);
    // A group with a character that is no digit is left to the loop below, which finds it.
    if ((validA & validB) != 0xFFFF) break;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes.data() + i),
                     _mm_packus_epi16(pairBytes(a), pairBytes(b)));
  }
#endif
  const HexPairs pairs;
  for (; i < bytes.size(); ++i) {
    const int value = pairs.value(digits[2 * i], digits[2 * i + 1]);
    if (value < 0) return i;
    bytes[i] = static_cast<std::uint8_t>(value);
  }
  return i;
}

bool hexPairsValid(const std::uint8_t* digits, std::size_t pairs) {
  // Decoded a stretch at a time into a buffer that is then let go.
  std::array<std::uint8_t, 512> bytes;
  for (std::size_t done = 0; done < pairs;) {
    const std::size_t n = std::min(bytes.size(), pairs - done);
    if (decodeHexPairs(digits + 2 * done, std::span(bytes).first(n)) != n) return false;
    done += n;
  }
  return true;
}

}  // namespace kestrel
