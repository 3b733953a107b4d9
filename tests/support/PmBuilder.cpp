#include "support/PmBuilder.h"

namespace kestrel::test {

PmBuilder& PmBuilder::header(const std::string& name) {
  return line("[" + name + "]");
}

PmBuilder& PmBuilder::record(int key, const std::vector<std::uint8_t>& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text = std::to_string(key) + "=";
  for (const std::uint8_t b : bytes) {
    text += kDigits[b >> 4];
    text += kDigits[b & 0x0F];
  }
  return line(text);
}

PmBuilder& PmBuilder::line(const std::string& text) {
  lines_.push_back(text);
  return *this;
}

PmBuilder& PmBuilder::lineBreak(std::string eol) {
  eol_ = std::move(eol);
  return *this;
}

PmBuilder& PmBuilder::noFinalLineBreak() {
  finalBreak_ = false;
  return *this;
}

std::string PmBuilder::text() const {
  std::string out;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    out += lines_[i];
    if (i + 1 < lines_.size() || finalBreak_) out += eol_;
  }
  return out;
}

std::vector<std::uint8_t> PmBuilder::utf16le(const std::u16string& s) {
  std::vector<std::uint8_t> out;
  for (const char16_t c : s) {
    out.push_back(static_cast<std::uint8_t>(c & 0xFF));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return out;
}

std::vector<std::uint8_t> PmBuilder::utf16be(const std::u16string& s) {
  std::vector<std::uint8_t> out;
  for (const char16_t c : s) {
    out.push_back(static_cast<std::uint8_t>(c >> 8));
    out.push_back(static_cast<std::uint8_t>(c & 0xFF));
  }
  return out;
}

}  // namespace kestrel::test
