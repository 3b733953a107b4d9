#include "support/GdfsBuilder.h"

#include <algorithm>
#include <stdexcept>

namespace kestrel::test {

GdfsBuilder& GdfsBuilder::record(int block, int number, Bytes bytes) {
  records_.push_back({block, number, std::move(bytes)});
  return *this;
}

GdfsBuilder& GdfsBuilder::lowerCaseDigits() {
  lowerCase_ = true;
  return *this;
}

std::string GdfsBuilder::hex(std::uint8_t b) const {
  const char* digits = lowerCase_ ? "0123456789abcdef" : "0123456789ABCDEF";
  return {digits[b >> 4], digits[b & 0x0F]};
}

std::string GdfsBuilder::bin() const {
  std::string out = {'\x01', '\x00', '\x00', '\x00'};
  for (const GdfsRecord& r : records_) {
    const auto n = static_cast<std::uint32_t>(r.bytes.size());
    out += '\x00';
    out += static_cast<char>(r.number);
    out += static_cast<char>(r.block);
    for (int k = 0; k < 4; ++k)
      out += static_cast<char>((n >> (8 * k)) & 0xFF);
    out.append(r.bytes.begin(), r.bytes.end());
  }
  return out;
}

std::string GdfsBuilder::gdfs() const {
  std::string out = "[GDFS]\r\n";
  for (const GdfsRecord& r : records_) {
    out += "Gdfs=0000:" + hex(static_cast<std::uint8_t>(r.block)) +
           hex(static_cast<std::uint8_t>(r.number)) + ":";
    for (const std::uint8_t b : r.bytes)
      out += hex(b);
    out += "\r\n";
  }
  return out;
}

std::string GdfsBuilder::gdf() const {
  std::string out = "[VERSION]\r\nVersion=1.0\r\n\r\n[DATA]\r\n";
  for (const GdfsRecord& r : records_) {
    out +=
        hex(static_cast<std::uint8_t>(r.block)) + hex(static_cast<std::uint8_t>(r.number)) + "= ";
    for (const std::uint8_t b : r.bytes)
      out += hex(b) + " ";
    out += "\r\n";
  }
  return out;
}

std::string GdfsBuilder::form(std::string_view ending) const {
  if (ending == ".bin") return bin();
  if (ending == ".gdfs") return gdfs();
  if (ending == ".gdf") return gdf();
  throw std::invalid_argument("no GDFS form ends in " + std::string(ending));
}

const std::vector<std::string>& GdfsBuilder::endings() {
  static const std::vector<std::string> kEndings = {".bin", ".gdfs", ".gdf"};
  return kEndings;
}

namespace gdfs_bytes {

Bytes utf16le(std::u16string_view text) {
  Bytes out;
  for (const char16_t c : text) {
    out.push_back(static_cast<std::uint8_t>(c & 0xFF));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return out;
}

Bytes field(std::uint8_t count, std::uint8_t kind, std::uint8_t subtype, const Bytes& content) {
  // Sized once and filled in place: growing a 4-byte vector by insert makes GCC 12 at -O3
  // warn (-Warray-bounds) about a copy it never does.
  Bytes out(4 + content.size());
  out[0] = count;
  out[2] = kind;
  out[3] = subtype;
  std::copy(content.begin(), content.end(), out.begin() + 4);
  return out;
}

Bytes numberField(std::string_view digits, std::uint8_t subtype) {
  static constexpr std::string_view kCharacters = "0123456789*#CDEF";
  Bytes packed;
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    const auto nibble = [&](std::size_t k) {
      const std::size_t v = kCharacters.find(digits[k]);
      if (v == std::string_view::npos)
        throw std::invalid_argument("not a phone digit: " + std::string(digits));
      return static_cast<std::uint8_t>(v);
    };
    const std::uint8_t high = i + 1 < digits.size() ? nibble(i + 1) : 0x0F;
    packed.push_back(static_cast<std::uint8_t>(high << 4 | nibble(i)));
  }
  return field(static_cast<std::uint8_t>(packed.size()), 1, subtype, packed);
}

Bytes textField(std::u16string_view text, std::uint8_t subtype) {
  return field(static_cast<std::uint8_t>(text.size()), 2, subtype, utf16le(text));
}

Bytes plainField(std::string_view text, std::uint8_t subtype) {
  return field(static_cast<std::uint8_t>(text.size()), 6, subtype, Bytes(text.begin(), text.end()));
}

Bytes birthday(int day, int month, int year) {
  return {static_cast<std::uint8_t>(day), static_cast<std::uint8_t>(month),
          static_cast<std::uint8_t>(year & 0xFF), static_cast<std::uint8_t>(year >> 8)};
}

Bytes timestamp(std::uint32_t seconds) {
  return {static_cast<std::uint8_t>(seconds), static_cast<std::uint8_t>(seconds >> 8),
          static_cast<std::uint8_t>(seconds >> 16), static_cast<std::uint8_t>(seconds >> 24)};
}

Bytes concat(const std::vector<Bytes>& parts) {
  Bytes out;
  for (const Bytes& p : parts)
    out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes call(std::uint8_t direction, std::uint32_t time, const std::vector<Bytes>& fields) {
  Bytes head(12, 0);
  head[0] = 10;
  head[6] = direction;
  const Bytes t = timestamp(time);
  std::copy(t.begin(), t.end(), head.begin() + 7);
  return concat({head, concat(fields)});
}

namespace {

Bytes oneTextEntry(std::uint8_t type, std::size_t countAt, std::size_t textAt, const Bytes& text,
                   std::uint8_t count, std::uint32_t time) {
  Bytes head(textAt, 0);
  head[0] = type;
  head[countAt] = count;
  return concat({head, text, timestamp(time)});
}

}  // namespace

Bytes note(const Bytes& text, std::uint8_t count, std::uint32_t time) {
  return oneTextEntry(18, 14, 18, text, count, time);
}

Bytes event(const Bytes& text, std::uint8_t count, std::uint32_t time) {
  return oneTextEntry(6, 11, 15, text, count, time);
}

Bytes eventWithTexts(const std::vector<std::u16string>& texts, std::uint32_t time) {
  Bytes out(12, 0);
  out[0] = 5;
  for (std::size_t k = 0; k < texts.size(); ++k) {
    const Bytes f = textField(texts[k]);
    out.insert(out.end(), f.begin(), f.end());
    if (k + 2 == texts.size()) {
      const Bytes t = timestamp(time);
      out.insert(out.end(), t.begin(), t.end());
    }
  }
  return out;
}

Bytes contact(std::uint8_t presence11, std::uint8_t presence12, std::uint8_t presence13,
              const std::vector<Bytes>& fields) {
  Bytes head(14, 0);
  head[0] = 7;
  head[2] = 2;
  head[11] = presence11;
  head[12] = presence12;
  head[13] = presence13;
  return concat({head, concat(fields)});
}

}  // namespace gdfs_bytes

}  // namespace kestrel::test
