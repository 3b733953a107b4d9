#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::test {

// Writes PM dump text: PmBuilder().block(4).record(3, {0x31, 0x32, 0x00}).text().
class PmBuilder {
 public:
  // A header line "[number]".
  PmBuilder& block(int number) { return header(std::to_string(number)); }
  // A header line with any name between the brackets ("058", "x").
  PmBuilder& header(const std::string& name);
  // A record line "key=HEX" with upper-case digits.
  PmBuilder& record(int key, const std::vector<std::uint8_t>& bytes);
  // A record line with the value text as given ("7=0A0B0", "x=12").
  PmBuilder& line(const std::string& text);
  PmBuilder& blankLine() { return line(""); }
  // The line break written after every line (CR LF unless changed).
  PmBuilder& lineBreak(std::string eol);
  // The last line gets no line break.
  PmBuilder& noFinalLineBreak();

  std::string text() const;

  // Bytes of a phone text: every character as two bytes, low byte first.
  static std::vector<std::uint8_t> utf16le(const std::u16string& s);
  static std::vector<std::uint8_t> utf16be(const std::u16string& s);

 private:
  std::vector<std::string> lines_;
  std::string eol_ = "\r\n";
  bool finalBreak_ = true;
};

}  // namespace kestrel::test
