#include "export/VcardWriter.h"

#include "core/Ascii.h"
#include "core/Columns.h"
#include "core/Cp1251.h"
#include "core/FileIo.h"
#include "export/CalendarWriter.h"
#include "export/ContentLines.h"
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

std::vector<std::string> vcard3Lines(const ResultTable::Row& row, std::string_view uid) {
  // The readers leave a space after what they append; a card's values are the texts alone.
  const auto utf8 = [&](int column) { return toUtf8(trimSpacesAndTabs(row.cell(column))); };
  const auto text = [&](int column) { return escapedText(utf8(column)); };
  // A number, an address or a web address is no TEXT value: it keeps its commas, and what would
  // break the line is left out.
  const auto plain = [&](std::string_view value) {
    std::string kept;
    for (std::size_t i = 0; i < value.size(); ++i) {
      if (const std::size_t n = utf8ControlLength(value, i); n > 0) {
        i += n - 1;
      } else {
        kept += value[i];
      }
    }
    return kept;
  };
  std::vector<std::string> lines{"BEGIN:VCARD", "VERSION:3.0"};
  // A card must have a formatted name: the official one, else the name, else the first thing
  // that tells whose card it is.
  std::string formatted = text(kPbFormalName);
  for (const int column : {kPbName, kPbNickname, kPbCompany}) {
    if (formatted.empty()) formatted = text(column);
  }
  if (formatted.empty()) {
    for (const std::string& piece : splitPieces(utf8(kPbNumbers)))
      if (formatted.empty()) formatted = escapedText(plain(piece));
  }
  lines.push_back("FN:" + formatted);
  // The name cell is one text, whatever order its parts are in: it is the family name whole.
  lines.push_back("N:" + text(kPbName) + ";;;;");
  const auto add = [&](std::string_view name, const std::string& value) {
    if (!value.empty()) lines.push_back(std::string(name) + ':' + value);
  };
  add("NICKNAME", text(kPbNickname));
  for (const std::string& number : splitPieces(utf8(kPbNumbers)))
    add("TEL;TYPE=VOICE", plain(number));
  bool preferred = true;
  for (const std::string& address : splitPieces(utf8(kPbEmail))) {
    const std::string value = plain(address);
    if (value.empty()) continue;
    add(preferred ? "EMAIL;TYPE=INTERNET,PREF" : "EMAIL;TYPE=INTERNET", value);
    preferred = false;
  }
  if (const auto day = calendarDateOf(std::string_view(row.cell(kPbBirthday)).substr(0, 10));
      day && !day->withTime)
    add("BDAY",
        day->value.substr(0, 4) + '-' + day->value.substr(4, 2) + '-' + day->value.substr(6, 2));
  add("ORG", text(kPbCompany));
  add("TITLE", text(kPbJobTitle));
  add("NOTE", text(kPbNotes));
  // Readers split a property's value at commas and semicolons; a web address says the same
  // with them percent-encoded.
  std::string url;
  for (const char c : plain(utf8(kPbWebSite)))
    url += c == ',' ? "%2C" : c == ';' ? "%3B" : std::string(1, c);
  add("URL", url);
  if (const std::string address = text(kPbAddress); !address.empty())
    add("ADR", ";;" + address + ";;;;");
  add("CATEGORIES", text(kPbGroup));
  add("X-PTT", plain(utf8(kPbPttAddress)));
  add("UID", std::string(uid));
  lines.emplace_back("END:VCARD");
  return lines;
}

void writeVcardFile(const Document& doc, const std::string& fileName) {
  writeWholeFileFrom(
      fileName,
      [&](FileSink& file) {
        StableIds ids;
        std::string card;
        for (std::size_t r = 0; r < doc.phonebook.rowCount(); ++r) {
          const ResultTable::Row& row = doc.phonebook.row(r);
          std::string content;
          for (int c = kPbName; c <= kPbWebSite; ++c)
            content.append(row.cell(c)).append(1, '\x1F');
          card.clear();
          for (const std::string& line : vcard3Lines(row, ids.next(content) + "@kestrel"))
            forEachFoldedPiece(line,
                               [&](std::string_view piece) { card.append(piece).append("\r\n"); });
          file.write(card);
        }
      },
      doc.sourceFiles);
}

}  // namespace kestrel::output
