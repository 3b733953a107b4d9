#include "explorer/RawSections.h"

#include "core/Ascii.h"
#include "core/Errors.h"
#include "core/IniReader.h"

namespace kestrel::explorer {

namespace {

constexpr int kShift = 176;
// Bytes up to this value are control codes that would not show: they read as "-".
constexpr int kHighestHidden = 10;

const std::string& selected(const Selection& line) {
  if (!line) throw FormatError("List index out of bounds (-1)");
  return *line;
}

}  // namespace

std::vector<std::string> sectionLines(const Document& doc, const Selection& section) {
  const std::string_view name = selected(section);
  std::vector<std::string> lines;
  const IniReader* index = doc.pmSections.index();
  if (index == nullptr) return lines;
  for (const IniReader::Key& key : index->keys(name)) {
    std::string line(key.name);
    line += '=';
    line += key.value;
    lines.push_back(std::move(line));
  }
  return lines;
}

ValueText decodeValue(std::string_view value) {
  ValueText out;
  for (std::size_t k = 0; k + 1 < value.size(); k += 2) {
    const int high = hexDigitValue(value[k]);
    const int low = hexDigitValue(value[k + 1]);
    if (high < 0 || low < 0)
      throw FormatError("'" + std::string(value.substr(k, 2)) +
                        "' is not a valid hexadecimal value");
    const int byte = high * 16 + low;
    if (byte <= kHighestHidden) {
      out.shifted += '-';
      out.plain += '-';
    } else {
      out.shifted += static_cast<char>((byte + kShift) % 256);
      out.plain += static_cast<char>(byte);
    }
  }
  return out;
}

void showValueOfLine(Document& doc, const Selection& section, const Selection& line) {
  const std::string_view name = selected(section);
  const std::string_view whole = selected(line);
  const std::string_view key = whole.substr(0, whole.find('='));
  // A key the section lacks reads as "NO".
  const IniReader* index = doc.pmSections.index();
  const std::optional<std::string_view> found = index ? index->find(name, key) : std::nullopt;
  ValueText text = decodeValue(found.value_or("NO"));
  doc.memo = {std::move(text.shifted), std::move(text.plain)};
}

}  // namespace kestrel::explorer
