#include "readers/vcard/VcardReader.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "core/Ascii.h"
#include "core/Cp1251.h"
#include "core/Errors.h"
#include "core/Kinds.h"

namespace kestrel::vcard {

namespace {

// A logical line taken apart once: "group.NAME;PARAM;PARAM:value".
struct Property {
  std::string_view name;    // up to the first ";" or ":", without a group prefix
  std::string_view head;    // everything before the first ":" (the whole line without one)
  std::string_view params;  // between the name and the first ":"
  std::string_view value;   // after the first ":"
  bool hasColon = false;
  bool named = false;  // the line holds a ";" or a ":"
};

// The line taken apart, its first ":" at `colon` (npos where it has none).
Property split(std::string_view line, std::size_t colon) {
  Property p;
  const std::size_t semi = findEither(line.substr(0, colon), ';', ';');
  const std::size_t nameEnd = semi != std::string_view::npos ? semi : colon;
  p.named = nameEnd != std::string_view::npos;
  p.name = line.substr(0, nameEnd);
  if (const auto dot = p.name.rfind('.'); dot != std::string_view::npos)
    p.name.remove_prefix(dot + 1);
  if (!p.named) {
    p.head = line;
    return p;
  }
  p.hasColon = colon != std::string_view::npos;
  p.head = line.substr(0, colon);
  if (p.hasColon) {
    if (colon != nameEnd) p.params = line.substr(nameEnd + 1, colon - nameEnd - 1);
    p.value = line.substr(colon + 1);
  }
  return p;
}

Property split(std::string_view line) {
  return split(line, findEither(line, ':', ':'));
}

enum class Encoding { Plain, QuotedPrintable, Base64 };

// The encoding the parameters name, each after its ";".
Encoding encodingOf(const Property& property) {
  std::string_view rest = property.params;
  // The shortest parameters that name an encoding are "ENCODING=B".
  if (rest.size() < 10) return Encoding::Plain;
  for (;;) {
    const std::size_t semi = rest.find(';');
    std::string_view p = rest.substr(0, semi);
    // QUOTED-PRINTABLE may stand alone; base64 counts only as the value of ENCODING.
    const bool named = p.size() > 9 && equalsNoCase(p.substr(0, 9), "ENCODING=");
    if (named) p.remove_prefix(9);
    if (equalsNoCase(p, "QUOTED-PRINTABLE")) return Encoding::QuotedPrintable;
    if (named && (equalsNoCase(p, "BASE64") || equalsNoCase(p, "B"))) return Encoding::Base64;
    if (semi == std::string_view::npos) return Encoding::Plain;
    rest.remove_prefix(semi + 1);
  }
}

// "=XX" becomes the byte XX; an "=" that starts no such pair stays as it is. The text only
// shrinks, so it is decoded where it stands.
void decodeQuotedPrintable(std::string& text) {
  char* const p = text.data();
  const std::size_t size = text.size();
  std::size_t out = 0;
  std::size_t i = 0;
  while (i < size) {
    if (p[i] == '=' && i + 2 < size) {
      const int high = hexDigitValue(p[i + 1]);
      const int low = hexDigitValue(p[i + 2]);
      if ((high | low) >= 0) {
        p[out++] = static_cast<char>(high * 16 + low);
        i += 3;
        continue;
      }
    }
    p[out++] = p[i++];
  }
  text.resize(out);
}

std::string_view trimmed(std::string_view text) {
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  while (!text.empty() && blank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && blank(text.back()))
    text.remove_suffix(1);
  return text;
}

// The cell becomes old text + " " + value with the blanks at both ends removed, so repeated
// properties (all numbers of a card, whatever their types) join with one space. The cell is
// always stored trimmed, so the value is appended in place: a card of many thousand numbers
// costs no more than its length.
void appendTrimmed(ResultTable::Row& row, std::size_t column, std::string_view value) {
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  while (!value.empty() && blank(value.back()))
    value.remove_suffix(1);
  if (row.cell(column).empty()) {
    while (!value.empty() && blank(value.front()))
      value.remove_prefix(1);
  } else if (!value.empty()) {
    row.appendToCell(column, " ");
  }
  row.appendToCell(column, value);
}

// The phonebook column of kinds 1–9.
constexpr std::array<std::size_t, 10> kColumnOfKind = {
    0,        kPbName,    kPbFormalName, kPbCompany, kPbJobTitle,
    kPbNotes, kPbNumbers, kPbAddress,    kPbWebSite, kPbEmail};

constexpr std::size_t kPhonebookCells = 13;

ResultTable::Row& addPhonebookRow(DocumentData& doc) {
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

void applyLine(DocumentData& doc, ResultTable::Row& row, int kind, const std::string& value) {
  if (kind >= kVcfName && kind <= kVcfEmail) {
    const std::size_t column = kColumnOfKind[static_cast<std::size_t>(kind)];
    doc.phonebook.setColumnWidth(column, 100);
    appendTrimmed(row, column, value);
  } else if (kind == kVcfBirthday) {
    doc.phonebook.setColumnWidth(kPbBirthday, 100);
    row.setCell(kPbBirthday, birthdayCell(value));
  } else if (kind == kVcfBegin || kind == kVcfVersion) {
    // Always the first two information rows: with several files the last file's values win.
    ResultTable::Row& info = doc.information.row(kind == kVcfBegin ? 0 : 1);
    setInformationCaption(
        info, kind == kVcfBegin ? InformationCaption::kCardName : InformationCaption::kCardVersion);
    info.setSubItem(0, value);
  }
}

int kindOf(const Property& property) {
  // A line with neither ";" nor ":" names no property.
  if (!property.named) return kVcfOther;
  const std::string_view name = property.name;
  // The length and the first letter leave one known name to compare with.
  const auto is = [&](std::string_view known, int kind) {
    return equalsNoCase(name, known) ? kind : kVcfOther;
  };
  switch (name.size()) {
    case 1:
      return is("N", kVcfName);
    case 2:
      return is("FN", kVcfFormalName);
    case 3:
      switch (asciiLower(name.front())) {
        case 'o':
          return is("ORG", kVcfOrganization);
        case 't':
          return is("TEL", kVcfPhone);
        case 'a':
          return is("ADR", kVcfAddress);
        case 'u':
          return is("URL", kVcfUrl);
        default:
          return kVcfOther;
      }
    case 4:
      return asciiLower(name.front()) == 'n' ? is("NOTE", kVcfNote) : is("BDAY", kVcfBirthday);
    case 5:
      switch (asciiLower(name.front())) {
        case 't':
          return is("TITLE", kVcfTitle);
        case 'e':
          return is("EMAIL", kVcfEmail);
        case 'b':
          return is("BEGIN", kVcfBegin);
        default:
          return kVcfOther;
      }
    case 7:
      return is("VERSION", kVcfVersion);
    default:
      return kVcfOther;
  }
}

// The value with its escapes undone and every unescaped ";" made a space, in one pass: "\\" is
// a backslash, "\," a comma, "\;" a semicolon that stays one, "\n" or "\N" a line break
// (CR LF); a backslash before any other character, or at the end, stays as it is. Written into
// `value`, whose room is reused from line to line; the text between two of these characters is
// copied at once.
void unescapeInto(std::string_view raw, std::string& value) {
  value.clear();
  std::size_t from = 0;
  for (std::size_t i = findEither(raw, '\\', ';'); i != std::string_view::npos;
       i = findEither(raw, '\\', ';', from)) {
    value.append(raw.substr(from, i - from));
    from = i + 1;
    if (raw[i] == ';') {
      value += ' ';
      continue;
    }
    const char next = i + 1 < raw.size() ? raw[i + 1] : '\0';
    if (next == '\\' || next == ',' || next == ';') {
      value += next;
      ++from;
    } else if (next == 'n' || next == 'N') {
      value += "\r\n";
      ++from;
    } else {
      value += '\\';
    }
  }
  value.append(raw.substr(from));
}

// The CHARSET parameter's value in capitals, quotes removed; empty without one.
std::string charsetOf(const Property& property) {
  std::string_view rest = property.params;
  while (!rest.empty()) {
    const std::size_t semi = rest.find(';');
    const std::string_view p = rest.substr(0, semi);
    if (p.size() > 8 && equalsNoCase(p.substr(0, 8), "CHARSET=")) {
      std::string name;
      for (const char c : p.substr(8)) {
        // Code page names are ASCII: no locale decides their letters' case.
        if (c != '"' && c != '\'')
          name += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
      }
      return name;
    }
    if (semi == std::string_view::npos) break;
    rest.remove_prefix(semi + 1);
  }
  return {};
}

// The single-byte code pages a value may name besides windows-1251 and UTF-8.
bool isKnownSingleByteCharset(std::string_view name) {
  static const std::array<std::string_view, 28> kNames = {
      "US-ASCII",     "ISO-8859-1",   "ISO-8859-2",   "ISO-8859-3",   "ISO-8859-4",
      "ISO-8859-5",   "ISO-8859-6",   "ISO-8859-7",   "ISO-8859-8",   "ISO-8859-9",
      "ISO-8859-10",  "ISO-8859-11",  "ISO-8859-13",  "ISO-8859-14",  "ISO-8859-15",
      "ISO-8859-16",  "KOI8-R",       "KOI8-U",       "CP866",        "IBM866",
      "WINDOWS-1250", "WINDOWS-1252", "WINDOWS-1253", "WINDOWS-1254", "WINDOWS-1255",
      "WINDOWS-1256", "WINDOWS-1257", "WINDOWS-1258"};
  return std::find(kNames.begin(), kNames.end(), name) != kNames.end();
}

// Converts a text of the named code page to UTF-8 in place with the system's converter; false,
// leaving the text undefined, when a byte has no character there.
bool toUtf8From(std::string& text, const std::string& charset) {
  const iconv_t converter = ::iconv_open("UTF-8", charset.c_str());
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  // A character of a single-byte code page takes at most 3 bytes of UTF-8.
  std::string out(text.size() * 3, '\0');
  char* in = text.data();
  std::size_t inLeft = text.size();
  char* to = out.data();
  std::size_t outLeft = out.size();
  // Converters that combine characters hold the last one back until they are flushed.
  const bool whole =
      ::iconv(converter, &in, &inLeft, &to, &outLeft) != static_cast<std::size_t>(-1) &&
      inLeft == 0 &&
      ::iconv(converter, nullptr, nullptr, &to, &outLeft) != static_cast<std::size_t>(-1);
  ::iconv_close(converter);
  if (!whole) return false;
  out.resize(out.size() - outLeft);
  text = std::move(out);
  return true;
}

// Whether the head holds "1251" anywhere: a windows-1251 value, whatever names it.
bool namesCp1251(std::string_view head) {
  // Heads are short: a loop of its own beats a library search for each.
  for (std::size_t i = 0; i + 4 <= head.size(); ++i) {
    if (head[i] == '1' && head[i + 1] == '2' && head[i + 2] == '5' && head[i + 3] == '1')
      return true;
  }
  return false;
}

// The property's value into `value`.
void valueOf(const Property& property, Encoding encoding, std::string& value) {
  value.clear();
  if (!property.hasColon) return;
  const bool cp1251 = namesCp1251(property.head);
  unescapeInto(property.value, value);
  // After the ";" step, so that an encoded "=3B" stays a semicolon.
  if (encoding == Encoding::QuotedPrintable) decodeQuotedPrintable(value);
  if (cp1251) return;
  // A value of another single-byte code page goes the way of a UTF-8 one.
  const std::string charset = charsetOf(property);
  if (!charset.empty() && isKnownSingleByteCharset(charset) && !toUtf8From(value, charset)) {
    value.clear();
    return;
  }
  if (!fromUtf8InPlace(value)) value.clear();
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A file is read a megabyte at a time: its cards need no copy of the whole file.
constexpr std::size_t kPieceBytes = std::size_t{1} << 20;

// Joins physical lines into logical lines and hands each on once the next physical line starts
// another: folded lines (a leading space or tab) and quoted-printable soft breaks ("=" at the
// end) are joined. A logical line of one physical line is handed on as a view of that line;
// only a folded one is copied together.
template <typename Visit>
class LogicalLines {
 public:
  explicit LogicalLines(Visit visit) : visit_(std::move(visit)) {}

  // The next physical line, without its line break.
  void add(std::string_view physical) {
    std::size_t searchFrom = 0;
    if (started_ && softBreak_) {
      searchFrom = line_.size() - 1;
      join(line_.substr(0, searchFrom), physical);
    } else if (started_ && !physical.empty() &&
               (physical.front() == ' ' || physical.front() == '\t')) {
      searchFrom = line_.size();
      join(line_, physical.substr(1));
    } else {
      if (started_) visitLine();
      line_ = physical;
      started_ = true;
      colon_.reset();
    }
    if (!colon_) {
      // Only the newly joined part can hold the first ":"; the parameters end there.
      if (const auto at = findEither(line_, ':', ':', searchFrom); at != std::string_view::npos) {
        colon_ = at;
        // Only a head with a "Q" can name QUOTED-PRINTABLE; most name no encoding at all.
        const std::string_view head = line_.substr(0, at + 1);
        quotedPrintable_ = findEither(head, 'Q', 'q') != std::string_view::npos &&
                           encodingOf(split(head, at)) == Encoding::QuotedPrintable;
      }
    }
    softBreak_ = colon_ && quotedPrintable_ && !line_.empty() && line_.back() == '=';
  }

  // Copies the line being joined into storage of its own, before the bytes it views go away.
  void keep() {
    if (started_ && line_.data() != joined_.data()) join(line_, {});
  }

  // Hands on the last logical line.
  void finish() {
    if (started_) visitLine();
    started_ = false;
  }

 private:
  // Hands on the logical line and where its first ":" is (npos where it has none).
  void visitLine() { visit_(line_, colon_.value_or(std::string_view::npos)); }

  // The logical line becomes `kept` followed by `more`, copied into `joined_` unless `kept`
  // is already its front.
  void join(std::string_view kept, std::string_view more) {
    if (kept.data() != joined_.data()) joined_.assign(kept);
    joined_.resize(kept.size());
    joined_ += more;
    line_ = joined_;
  }

  Visit visit_;
  std::string_view line_;
  std::string joined_;
  bool started_ = false;
  // Where the logical line's first ":" is, once it has one; only then can it be a
  // quoted-printable value that continues after a soft break.
  std::optional<std::size_t> colon_;
  bool quotedPrintable_ = false;
  bool softBreak_ = false;
};

// The rows of one file: two information rows, then a phonebook row for every card.
class CardRows {
 public:
  explicit CardRows(DocumentData& doc) : doc_(doc) {
    doc.information.addRow("", 1);
    doc.information.addRow("", 1);
    row_ = &addPhonebookRow(doc);
  }

  // The next logical line, its first ":" at `colon` (npos where it has none).
  void add(std::string_view line, std::size_t colon) {
    const Property property = split(line, colon);
    const Encoding encoding = encodingOf(property);
    if (encoding == Encoding::Base64) return;  // a photo or a key: nothing a phonebook cell holds
    const int kind = kindOf(property);
    const bool end = kind == kVcfOther && equalsNoCase(property.name, "END");
    // The value of a property no cell takes is decoded only to tell the end of a card.
    if (kind == kVcfOther && !end) return;
    valueOf(property, encoding, value_);
    const bool vcardValue = (kind == kVcfBegin || end) && equalsNoCase(trimmed(value_), "VCARD");
    if (kind == kVcfBegin && vcardValue && cardEnded_) {
      // The next card of the same file gets a row of its own.
      row_ = &addPhonebookRow(doc_);
      cardEnded_ = false;
    } else if (vcardValue && end) {
      cardEnded_ = true;
    }
    applyLine(doc_, *row_, kind, value_);
  }

 private:
  DocumentData& doc_;
  ResultTable::Row* row_ = nullptr;
  bool cardEnded_ = false;
  std::string value_;  // the room each line's value is decoded in
};

// Hands the physical lines of a text held whole to `lines`, up to a NUL, and finishes them.
template <typename Lines>
void forEachPhysicalLine(std::string_view bytes, Lines& lines) {
  if (const auto nul = bytes.find('\0'); nul != std::string_view::npos)
    bytes = bytes.substr(0, nul);
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    // Lines of a vCard are short: one scan for either break beats a search for each.
    const std::size_t end = std::min(findEither(bytes, '\r', '\n', pos), bytes.size());
    lines.add(bytes.substr(pos, end - pos));
    pos = end < bytes.size() ? end + 1 : bytes.size();
    if (end < bytes.size() && bytes[end] == '\r' && pos < bytes.size() && bytes[pos] == '\n') ++pos;
  }
  lines.finish();
}

}  // namespace

void addVcardFile(DocumentData& doc, std::string_view bytes) {
  // A byte-order mark in front of the first line is no part of it.
  if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
  CardRows cards(doc);
  LogicalLines lines([&](std::string_view line, std::size_t colon) { cards.add(line, colon); });
  forEachPhysicalLine(bytes, lines);
}

namespace {

// Hands the cards of a text that comes in pieces on to the document: refill(carry) returns the
// next piece, `carry` (the unfinished line at the end of the last piece) followed by the bytes
// read now; no more than `carry` at the end.
template <typename Refill>
void addCardsOfPieces(DocumentData& doc, Refill refill) {
  CardRows cards(doc);
  LogicalLines lines([&](std::string_view line, std::size_t colon) { cards.add(line, colon); });
  std::string_view text;
  std::size_t taken = 0;     // the handed-on front
  std::size_t unbroken = 0;  // from `taken` up to here, no line break
  bool atStart = true;
  bool atEnd = false;
  // The last line ended in a CR: an LF right after it belongs to the same break.
  bool crBefore = false;
  while (!atEnd) {
    // The line being joined may view the last piece, which is about to go.
    lines.keep();
    const std::string_view carry = text.substr(taken);
    unbroken -= taken;
    taken = 0;
    text = refill(carry);
    const std::size_t fresh = carry.size();
    atEnd = text.size() == fresh;
    // A NUL ends the text.
    if (const auto nul = text.find('\0', fresh); nul != std::string_view::npos) {
      text = text.substr(0, nul);
      atEnd = true;
    }
    if (atStart) {
      // The byte-order mark is decided once three bytes are there, or the text is shorter.
      if (text.size() < kByteOrderMark.size() && !atEnd) continue;
      if (text.starts_with(kByteOrderMark)) taken = unbroken = kByteOrderMark.size();
      atStart = false;
    }
    for (;;) {
      if (crBefore && taken < text.size()) {
        if (text[taken] == '\n') ++taken;
        crBefore = false;
      }
      const std::size_t end = findEither(text, '\r', '\n', std::max(taken, unbroken));
      if (end == std::string_view::npos) break;
      lines.add(text.substr(taken, end - taken));
      crBefore = text[end] == '\r';
      taken = unbroken = end + 1;
    }
    unbroken = text.size();
    // The last line of the text needs no break after it.
    if (atEnd && taken < text.size()) lines.add(text.substr(taken));
  }
  lines.finish();
}

}  // namespace

int propertyKind(std::string_view line) {
  return kindOf(split(line));
}

std::string propertyValue(std::string_view line) {
  const Property property = split(line);
  std::string value;
  valueOf(property, encodingOf(property), value);
  return value;
}

void forEachLogicalLine(std::string_view bytes,
                        const std::function<void(std::string_view)>& visit) {
  LogicalLines lines([&](std::string_view line, std::size_t) { visit(line); });
  forEachPhysicalLine(bytes, lines);
}

std::vector<std::string> vcardLogicalLines(std::string_view bytes) {
  std::vector<std::string> lines;
  forEachLogicalLine(bytes, [&](std::string_view line) { lines.emplace_back(line); });
  return lines;
}

void readFileInPieces(DocumentData& doc, ReaderInput& input, std::size_t pieceBytes) {
  input.open();
  // The pieces lie in the input's own buffers, which its digests read as they are.
  addCardsOfPieces(doc, [&](std::string_view carry) { return input.readAfter(carry, pieceBytes); });
}

bool readFile(DocumentData& doc, ReaderInput& input) {
  readFileInPieces(doc, input, kPieceBytes);
  return true;
}

}  // namespace kestrel::vcard
