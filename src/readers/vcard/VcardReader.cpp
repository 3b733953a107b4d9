#include "readers/vcard/VcardReader.h"

#include <array>
#include <optional>

#include "core/Ascii.h"
#include "core/Cp1251.h"
#include "core/Errors.h"
#include "core/FileIo.h"

namespace kestrel::vcard {

namespace {

// The property name of a line: up to the first ";" or ":", without a group prefix.
std::string_view propertyName(std::string_view line) {
  std::string_view name = line.substr(0, line.find_first_of(";:"));
  if (const auto dot = name.rfind('.'); dot != std::string_view::npos) name.remove_prefix(dot + 1);
  return name;
}

// The parameters of a line: between the name and the first ":", each without its ";".
std::vector<std::string_view> parameters(std::string_view line) {
  std::vector<std::string_view> params;
  const std::size_t colon = line.find(':');
  const std::size_t nameEnd = line.find_first_of(";:");
  if (colon == std::string_view::npos || nameEnd == colon) return params;
  std::string_view rest = line.substr(nameEnd + 1, colon - nameEnd - 1);
  for (;;) {
    const std::size_t semi = rest.find(';');
    params.push_back(rest.substr(0, semi));
    if (semi == std::string_view::npos) return params;
    rest.remove_prefix(semi + 1);
  }
}

enum class Encoding { Plain, QuotedPrintable, Base64 };

Encoding encodingOf(std::string_view line) {
  for (std::string_view p : parameters(line)) {
    // QUOTED-PRINTABLE may stand alone; base64 counts only as the value of ENCODING.
    const bool named = p.size() > 9 && equalsNoCase(p.substr(0, 9), "ENCODING=");
    if (named) p.remove_prefix(9);
    if (equalsNoCase(p, "QUOTED-PRINTABLE")) return Encoding::QuotedPrintable;
    if (named && (equalsNoCase(p, "BASE64") || equalsNoCase(p, "B"))) return Encoding::Base64;
  }
  return Encoding::Plain;
}

// "=XX" becomes the byte XX; an "=" that starts no such pair stays as it is.
std::string decodeQuotedPrintable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '=' && i + 2 < text.size() && hexDigitValue(text[i + 1]) >= 0 &&
        hexDigitValue(text[i + 2]) >= 0) {
      out += static_cast<char>(hexDigitValue(text[i + 1]) * 16 + hexDigitValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string trimmed(std::string_view text) {
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  while (!text.empty() && blank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && blank(text.back()))
    text.remove_suffix(1);
  return std::string(text);
}

// The cell becomes old text + " " + value with the blanks at both ends removed, so repeated
// properties (all numbers of a card, whatever their types) join with one space. The cell is
// always stored trimmed, so the value is appended in place: a card of many thousand numbers
// costs no more than its length.
void appendTrimmed(ResultTable::Row& row, std::size_t k, std::string_view value) {
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  while (!value.empty() && blank(value.back()))
    value.remove_suffix(1);
  if (row.subItem(k).empty()) {
    while (!value.empty() && blank(value.front()))
      value.remove_prefix(1);
  } else if (!value.empty()) {
    row.appendToSubItem(k, " ");
  }
  row.appendToSubItem(k, value);
}

// The phonebook column of kinds 1–9.
constexpr std::array<std::size_t, 10> kColumnOfKind = {
    0,        kPbName,    kPbFormalName, kPbCompany, kPbJobTitle,
    kPbNotes, kPbNumbers, kPbAddress,    kPbWebSite, kPbEmail};

constexpr std::size_t kPhonebookCells = 13;

ResultTable::Row& addPhonebookRow(Document& doc) {
  return doc.phonebook.addRow(std::to_string(doc.phonebook.rowCount() + 1), kPhonebookCells);
}

// yyyymmdd (or yyyy-mm-dd) → dd.mm.yyyy, as far as the value reaches.
std::string birthdayCell(std::string value) {
  if (value.size() >= 10 && value[4] == '-' && value[7] == '-')
    value = value.substr(0, 4) + value.substr(5, 2) + value.substr(8);
  const auto part = [&](std::size_t from, std::size_t count) {
    return from < value.size() ? value.substr(from, count) : std::string();
  };
  return part(6, 2) + "." + part(4, 2) + "." + part(0, 4);
}

void applyLine(Document& doc, ResultTable::Row& row, int kind, const std::string& value) {
  if (kind >= kVcfName && kind <= kVcfEmail) {
    const std::size_t column = kColumnOfKind[static_cast<std::size_t>(kind)];
    doc.phonebook.setColumnWidth(column, 100);
    appendTrimmed(row, column - 1, value);
  } else if (kind == kVcfBirthday) {
    doc.phonebook.setColumnWidth(kPbBirthday, 100);
    row.setSubItem(kPbBirthday - 1, birthdayCell(value));
  } else if (kind == kVcfBegin || kind == kVcfVersion) {
    // Always the first two information rows: with several files the last file's values win.
    ResultTable::Row& info = doc.information.row(kind == kVcfBegin ? 0 : 1);
    info.setCaption(kind == kVcfBegin ? "Name" : "Version");
    info.setSubItem(0, value);
  }
}

}  // namespace

void addVcardFile(Document& doc, std::string_view bytes) {
  const std::vector<std::string> lines = vcardLogicalLines(bytes);
  doc.information.addRow("", 1);
  doc.information.addRow("", 1);
  ResultTable::Row* row = &addPhonebookRow(doc);
  bool cardEnded = false;
  for (const std::string& line : lines) {
    if (encodingOf(line) == Encoding::Base64)
      continue;  // a photo or a key: nothing a phonebook cell holds
    const int kind = propertyKind(line);
    const std::string value = propertyValue(line);
    const bool vcardValue = equalsNoCase(trimmed(value), "VCARD");
    if (kind == kVcfBegin && vcardValue && cardEnded) {
      // The next card of the same file gets a row of its own.
      row = &addPhonebookRow(doc);
      cardEnded = false;
    } else if (vcardValue && equalsNoCase(propertyName(line), "END")) {
      cardEnded = true;
    }
    applyLine(doc, *row, kind, value);
  }
}

int propertyKind(std::string_view line) {
  static constexpr std::array<std::pair<std::string_view, int>, 12> kKinds = {{
      {"N", kVcfName},
      {"FN", kVcfFormalName},
      {"ORG", kVcfOrganization},
      {"TITLE", kVcfTitle},
      {"NOTE", kVcfNote},
      {"TEL", kVcfPhone},
      {"ADR", kVcfAddress},
      {"URL", kVcfUrl},
      {"EMAIL", kVcfEmail},
      {"BDAY", kVcfBirthday},
      {"BEGIN", kVcfBegin},
      {"VERSION", kVcfVersion},
  }};
  // A line with neither ";" nor ":" names no property.
  if (line.find_first_of(";:") == std::string_view::npos) return kVcfOther;
  const std::string_view name = propertyName(line);
  for (const auto& [known, kind] : kKinds) {
    if (equalsNoCase(name, known)) return kind;
  }
  return kVcfOther;
}

std::string propertyValue(std::string_view line) {
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return {};
  const bool cp1251 = line.substr(0, colon).find("1251") != std::string_view::npos;
  std::string value(line.substr(colon + 1));
  for (char& c : value) {
    if (c == ';') c = ' ';
  }
  // After the ";" step, so that an encoded "=3B" stays a semicolon.
  if (encodingOf(line) == Encoding::QuotedPrintable) value = decodeQuotedPrintable(value);
  if (cp1251) return value;
  return fromUtf8(value).value_or(std::string());
}

std::vector<std::string> vcardLogicalLines(std::string_view bytes) {
  if (const auto nul = bytes.find('\0'); nul != std::string_view::npos)
    bytes = bytes.substr(0, nul);
  std::vector<std::string> lines;
  // Where the current logical line's first ":" is, once it has one; only then can it be a
  // quoted-printable value that continues after a soft break.
  std::optional<std::size_t> colon;
  bool quotedPrintable = false;
  bool softBreak = false;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const std::size_t end = bytes.find_first_of("\r\n", pos);
    const std::string_view physical =
        bytes.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    pos = end == std::string_view::npos ? bytes.size() : end + 1;
    if (end != std::string_view::npos && bytes[end] == '\r' && pos < bytes.size() &&
        bytes[pos] == '\n')
      ++pos;

    std::size_t searchFrom = 0;
    if (!lines.empty() && softBreak) {
      lines.back().pop_back();
      searchFrom = lines.back().size();
      lines.back() += physical;
    } else if (!lines.empty() && !physical.empty() &&
               (physical.front() == ' ' || physical.front() == '\t')) {
      searchFrom = lines.back().size();
      lines.back() += physical.substr(1);
    } else {
      lines.emplace_back(physical);
      colon.reset();
    }
    std::string& line = lines.back();
    if (!colon) {
      // Only the newly joined part can hold the first ":"; the parameters end there.
      if (const auto at = line.find(':', searchFrom); at != std::string::npos) {
        colon = at;
        quotedPrintable =
            encodingOf(std::string_view(line).substr(0, at + 1)) == Encoding::QuotedPrintable;
      }
    }
    softBreak = colon && quotedPrintable && !line.empty() && line.back() == '=';
  }
  return lines;
}

bool readVcardFiles(Document& doc, const std::vector<std::string>& fileNames) {
  const Document::TableUpdate update(doc);
  doc.sourceFiles.insert(doc.sourceFiles.end(), fileNames.begin(), fileNames.end());
  try {
    for (const std::string& fileName : fileNames) {
      const std::vector<std::uint8_t> bytes = readWholeFile(fileName);
      addVcardFile(doc,
                   std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
  } catch (const IoError& e) {
    // The import has no message of its own: what was read stays, the commands keep their
    // state, and the view learns which file could not be read and why.
    doc.showFileError(e);
    return false;
  }
  doc.setDataCommandsEnabled(true);
  return true;
}

}  // namespace kestrel::vcard
