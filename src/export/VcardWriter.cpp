#include "export/VcardWriter.h"

#include "core/Ascii.h"
#include "core/Columns.h"
#include "core/Cp1251.h"
#include "core/FileIo.h"
#include "export/ReportLines.h"

namespace kestrel::output {

namespace {

constexpr std::string_view kQpParameter = ";ENCODING=QUOTED-PRINTABLE";
constexpr std::string_view k8BitParameter = ";ENCODING=8BIT";

std::string quotedPrintable(std::string_view value) {
  std::string out;
  for (const char c : value) {
    const auto b = static_cast<unsigned char>(c);
    if (b == '\r' || b == '\n' || b == '=' || b >= 0x80) {
      out += '=';
      out += kHexDigits[b >> 4];
      out += kHexDigits[b & 0x0F];
    } else {
      out += c;
    }
  }
  return out;
}

// One property line: `prefix` ends with ':'. A value holding a line break would cut the card,
// so such a value is written quoted-printable and its parameters say so.
std::string propertyLine(std::string_view prefix, std::string_view value) {
  if (findEither(value, '\r', '\n') == std::string_view::npos)
    return std::string(prefix) + std::string(value);
  std::string params(prefix.substr(0, prefix.size() - 1));
  if (const auto at = params.find(k8BitParameter); at != std::string::npos) {
    params.replace(at, k8BitParameter.size(), kQpParameter);
  } else {
    params += kQpParameter;
  }
  return params + ':' + quotedPrintable(value);
}

// A vCard carries no control characters but TAB, CR and LF: a NUL in a name would end the
// file for its reader (ours included) and every card after it would be lost, so they are left
// out of every value.
std::string withoutControls(std::string_view cp1251Text) {
  std::string text;
  text.reserve(cp1251Text.size());
  for (const char c : cp1251Text) {
    if (c == '\t' || c == '\r' || c == '\n' ||
        !isControl(cp1251::toCodePoint(static_cast<std::uint8_t>(c))))
      text += c;
  }
  return text;
}

template <std::size_t N>
void addSlotLines(std::vector<std::string>& lines, std::string_view cell,
                  const std::array<std::string_view, N>& slots, std::string_view extraPrefix) {
  if (cell.empty()) return;
  const std::vector<std::string> pieces = splitPieces(cell);
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    // An empty piece keeps its slot, so the pieces after it move one slot further.
    if (!pieces[i].empty())
      lines.push_back(propertyLine(i < N ? slots[i] : extraPrefix, pieces[i]));
  }
}

}  // namespace

std::vector<std::string> splitPieces(std::string_view cell) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  for (;;) {
    const std::size_t space = cell.find(' ', start);
    if (space == std::string_view::npos) {
      pieces.emplace_back(cell.substr(start));
      return pieces;
    }
    pieces.emplace_back(cell.substr(start, space - start));
    start = space + 1;
  }
}

std::string birthdayValue(std::string_view cell) {
  const auto part = [&](std::size_t from, std::size_t count) {
    return from < cell.size() ? std::string(cell.substr(from, count)) : std::string();
  };
  return part(6, 4) + part(3, 2) + part(0, 2);
}

std::vector<std::string> vcardLines(const ResultTable::Row& row, VcardCharset charset) {
  const bool utf8 = charset == VcardCharset::Utf8;
  const std::string_view charsetParam = utf8 ? "CHARSET=UTF-8" : "CHARSET=windows-1251";
  // Only the texts a person reads are converted; numbers, addresses and dates go byte for byte.
  const auto text = [&](std::string_view v) { return utf8 ? toUtf8(v) : std::string(v); };
  const auto cell = [&](int column) { return withoutControls(row.cell(column)); };
  std::vector<std::string> lines{"BEGIN:VCARD", "VERSION:2.1"};
  const auto add = [&](std::string_view name, std::string_view tail, int column,
                       std::string_view lead = {}) {
    const std::string value = cell(column);
    if (value.empty()) return;
    const std::string prefix =
        std::string(name) + ';' + std::string(charsetParam) + std::string(tail) + ':';
    lines.push_back(propertyLine(prefix, std::string(lead) + text(value)));
  };
  add("N", ";ENCODING=8BIT", kPbName);
  addSlotLines(lines, cell(kPbNumbers), kPhoneSlots, kExtraPhonePrefix);
  add("FN", "", kPbFormalName);
  add("ORG", "", kPbCompany);
  add("TITLE", "", kPbJobTitle);
  add("NOTE", "", kPbNotes);
  add("ADR", ";ENCODING=8BIT", kPbAddress, ";;");
  if (const std::string site = cell(kPbWebSite); !site.empty())
    lines.push_back(propertyLine("URL;WORK:", site));
  if (const std::string birthday = cell(kPbBirthday); !birthday.empty())
    lines.push_back(propertyLine("BDAY:", birthdayValue(birthday)));
  addSlotLines(lines, cell(kPbEmail), kEmailSlots, kExtraEmailPrefix);
  lines.emplace_back("END:VCARD");
  return lines;
}

std::optional<std::string> writeVcardFolder(const Document& doc, const std::string& folder,
                                            VcardCharset charset) {
  if (doc.phonebook.rowCount() == 0) return std::nullopt;
  // One level only, and never into an existing folder: a second export to the same name must
  // not mix its cards with the first one's. The folder appears with every card or not at all,
  // so a failure midway leaves no half-written folder in the way of the next try.
  const bool made = writeNewFolder(folder, doc.phonebook.rowCount(), [&](std::size_t k) {
    return std::pair{std::to_string(k + 1) + ".vcf",
                     joinLines(vcardLines(doc.phonebook.row(k), charset))};
  });
  if (!made) return std::string(kDirectoryWarning);
  return std::nullopt;
}

void writeVcardFile(const Document& doc, const std::string& fileName) {
  writeWholeFileFrom(
      fileName,
      [&](FileSink& file) {
        for (std::size_t r = 0; r < doc.phonebook.rowCount(); ++r)
          file.write(joinLines(vcardLines(doc.phonebook.row(r), VcardCharset::Utf8)));
      },
      doc.sourceFiles);
}

}  // namespace kestrel::output
