#include "readers/pm/PmLoader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <exception>
#include <functional>

#include "core/Cp1251.h"
#include "core/Errors.h"
#include "core/FileIo.h"
#include "readers/pm/IniReader.h"
#include "readers/pm/PmDecoder.h"

namespace kestrel::pm {

namespace {

int hexDigit(std::uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::uint8_t hexPair(std::uint8_t high, std::uint8_t low) {
  const int h = hexDigit(high);
  const int l = hexDigit(low);
  if (h < 0 || l < 0) throw FormatError("not a hexadecimal digit");
  return static_cast<std::uint8_t>(h * 16 + l);
}

struct PresenceRow {
  std::string_view block;
  std::string_view caption;
};

}  // namespace

int parseDecimal(std::string_view text) {
  std::string_view digits = text;
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  int value = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) {
    throw FormatError("not a decimal integer: " + std::string(text));
  }
  return value;
}

void findBlockHeader(Document& doc, std::string_view name) {
  const std::string pattern = "[" + std::string(name) + "]";
  const auto& image = doc.fileImage;
  const auto from =
      image.begin() + static_cast<std::ptrdiff_t>(std::min(doc.scanPos, image.size()));
  const auto it = std::search(from, image.end(),
                              std::boyer_moore_horspool_searcher(pattern.begin(), pattern.end()));
  if (it == image.end()) throw FormatError("block header not found: " + pattern);
  const std::size_t p = static_cast<std::size_t>(it - image.begin());
  doc.scanPos = std::min(p + pattern.size() + 2, image.size());
}

void readRecordLine(Document& doc, std::size_t block, int recordNumber, std::string_view key) {
  const auto& image = doc.fileImage;
  const std::size_t size = image.size();
  std::size_t pos = std::min(doc.scanPos, size);
  std::size_t valueStart = 0;
  bool found = false;
  // Walk the line: look for "key=" until it is found, and stop at the first CR.
  while (pos < size && image[pos] != '\r') {
    if (!found && image[pos] == static_cast<std::uint8_t>(key.empty() ? '=' : key.front()) &&
        size - pos >= key.size() + 1 &&
        std::equal(key.begin(), key.end(), image.begin() + static_cast<std::ptrdiff_t>(pos)) &&
        image[pos + key.size()] == '=') {
      found = true;
      valueStart = pos + key.size() + 1;
      pos = valueStart;
      continue;
    }
    ++pos;
  }
  if (!found) throw FormatError("record not found: " + std::string(key));

  std::vector<std::uint8_t> bytes;
  const std::size_t n = pos - valueStart;
  if (pos < size) {
    // A line ended by CR: every pair that starts before the CR is a byte, so an odd digit count
    // reads the CR as a digit, which is a format error.
    bytes.resize(n / 2);
    if (n % 2 != 0) throw FormatError("odd number of digits on a record line");
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      bytes[i] = hexPair(image[valueStart + 2 * i], image[valueStart + 2 * i + 1]);
    }
    doc.scanPos = std::min(pos + 2, size);
  } else {
    // The last line without a line break: a lone last digit leaves its byte 0.
    bytes.resize((n + 1) / 2);
    for (std::size_t i = 0; i < n / 2; ++i) {
      bytes[i] = hexPair(image[valueStart + 2 * i], image[valueStart + 2 * i + 1]);
    }
    doc.scanPos = size;
  }
  doc.model.addRecord(block, recordNumber, true, std::move(bytes));
}

std::string hexToText(std::string_view hex) {
  std::string out;
  out.reserve(hex.size() / 2);
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    const std::uint8_t b =
        hexPair(static_cast<std::uint8_t>(hex[i]), static_cast<std::uint8_t>(hex[i + 1]));
    if (b > 0x0A) out += static_cast<char>(b);
  }
  return out;
}

bool addInfoItem(Document& doc, std::string_view section, std::string_view key,
                 std::string_view caption, int cutLength, int cutStart) {
  std::string value = doc.pmIni->value(section, key);
  if (value.empty()) return false;
  value.resize(value.size() >= 2 ? value.size() - 2 : 0);
  std::string text = hexToText(value);
  if (cutStart > 0) {
    const std::size_t start = static_cast<std::size_t>(cutStart - 1);
    text = start < text.size() ? text.substr(start, static_cast<std::size_t>(cutLength)) : "";
  }
  auto& row = doc.information.addRow();
  row.setCaption(std::string(caption));
  row.addSubItem(std::move(text));
  return true;
}

namespace {

void addPresenceRows(Document& doc, const std::array<bool, 5>& present) {
  constexpr std::array<std::string_view, 5> kCaptions = {
      "Записная книжка"_cp, "Исходящие звонки"_cp, "Пропущенные звонки"_cp, "Входящие звонки"_cp,
      "Заметки"_cp};
  for (std::size_t f = 0; f < kCaptions.size(); ++f) {
    auto& row = doc.information.addRow();
    row.setCaption(std::string(kCaptions[f]));
    row.addSubItem(std::string(present[f] ? "Есть"_cp : "Нет"_cp));
  }
}

// Steps of the load up to the presence rows; throws on any failure.
void load(Document& doc, const std::function<std::vector<std::uint8_t>()>& readImage,
          std::array<bool, 5>& present) {
  doc.pmIni.reset();  // the index points into the image it was built on
  doc.fileImage = readImage();
  doc.pmIni = std::make_unique<IniReader>(doc.fileImage);
  doc.scanPos = 0;
  doc.setBlockList(doc.pmIni->sectionNames());

  const std::vector<std::string> sections = doc.pmIni->sectionNames();
  doc.setProgressMaximum(static_cast<int>(sections.size()));
  // Presence flags: phonebook, outgoing, missed, incoming calls, notes. Only the exact name
  // counts ("058" is block 58 but sets no flag).
  constexpr std::array<std::string_view, 5> kFlagBlocks = {"58", "59", "60", "61", "51"};
  for (std::size_t g = 0; g < sections.size(); ++g) {
    const std::string& name = sections[g];
    doc.setStatus(std::string("Загрузка блока "_cp) + name);
    for (std::size_t f = 0; f < kFlagBlocks.size(); ++f) {
      if (name == kFlagBlocks[f]) present[f] = true;
    }
    const int number = parseDecimal(name);
    findBlockHeader(doc, name);
    const std::size_t block = doc.model.addBlock(number, true);
    for (const IniReader::Key& key : doc.pmIni->keys(name)) {
      readRecordLine(doc, block, parseDecimal(key.name), key.name);
    }
    doc.setProgressPosition(static_cast<int>(g));
  }

  addInfoItem(doc, "4", "3", "Production Serial Number", 0, 0);
  addInfoItem(doc, "4", "4", "Product Code", 0, 0);
  addInfoItem(doc, "4", "5", "Basic Production Code", 0, 0);
  addInfoItem(doc, "4", "6", "Module Code", 0, 0);
  addInfoItem(doc, "4", "9", "HW", 0, 0);
  if (!addInfoItem(doc, "4", "18", "IMEI", 18, 1)) addInfoItem(doc, "5", "0", "IMEI", 18, 1);
  addInfoItem(doc, "31", "4", "DSP", 0, 0);
  if (!addInfoItem(doc, "35", "0", "User Lock", 0, 0)) {
    addInfoItem(doc, "308", "5", "User Lock", 0, 0);
  }
  addPresenceRows(doc, present);
  decodeContents(doc);
}

bool loadWith(Document& doc, const std::function<std::vector<std::uint8_t>()>& readImage) {
  for (ResultTable* table : {&doc.calls, &doc.phonebook, &doc.information, &doc.calendar}) {
    table->clear();
  }
  doc.setSavePmEnabled(true);
  for (std::size_t c = 1; c < doc.phonebook.columnCount(); ++c)
    doc.phonebook.setColumnWidth(c, 0);
  for (std::size_t c = 1; c < doc.calls.columnCount(); ++c)
    doc.calls.setColumnWidth(c, 0);

  std::array<bool, 5> present{};
  try {
    load(doc, readImage, present);
  } catch (const std::exception&) {
    doc.setSavePmEnabled(false);
    doc.setDataCommandsEnabled(false);
    doc.showMessage("Неверный формат файла"_cp);
    return false;
  }
  doc.setDataCommandsEnabled(std::find(present.begin(), present.end(), true) != present.end());
  doc.setProgressPosition(0);
  doc.setStatus("");
  return true;
}

}  // namespace

bool loadDump(Document& doc, const std::string& fileName) {
  return loadWith(doc, [&] { return readWholeFile(fileName); });
}

bool loadImage(Document& doc, std::vector<std::uint8_t> image) {
  return loadWith(doc, [&] { return std::move(image); });
}

}  // namespace kestrel::pm
