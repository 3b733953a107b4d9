#include "cli/DocumentJson.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <nlohmann/json.hpp>
#include <span>
#include <utility>

#include "core/Ascii.h"
#include "core/Cp1251.h"

namespace kestrel::cli {

namespace {

// Compact JSON, byte for byte as nlohmann::json's dump(-1) writes it with UTF-8 kept as it is
// but for the C1 controls, gathered in a buffer that goes to the output whenever it holds a
// chunk.
class JsonOut {
 public:
  explicit JsonOut(std::ostream& out) : out_(out) { buffer_.reserve(2 * kChunk); }

  // Punctuation and keys, which need no escapes.
  JsonOut& raw(std::string_view text) {
    buffer_ += text;
    return spill();
  }
  JsonOut& boolean(bool value) { return raw(value ? "true" : "false"); }
  template <typename Integer>
  JsonOut& number(Integer value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return raw({digits, static_cast<std::size_t>(end - digits)});
  }
  // A text of the program (windows-1251) as a JSON string in UTF-8.
  JsonOut& text(std::string_view cp1251Text) {
    buffer_ += '"';
    const std::string utf8 = toUtf8(cp1251Text);
    for (std::size_t i = 0; i < utf8.size(); ++i) {
      if (utf8ControlLength(utf8, i) == 2) {
        appendCodeEscape(static_cast<std::uint8_t>(utf8[++i]));
      } else {
        appendEscaped(utf8[i]);
      }
    }
    buffer_ += '"';
    return spill();
  }
  // A text that need not be UTF-8 at all, with the library's own replacement of what is not.
  JsonOut& anyText(std::string_view bytes) {
    const std::string json = nlohmann::json(std::string(bytes))
                                 .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    // The library leaves C1 controls as they are; a C2 byte in its valid UTF-8 starts a character.
    for (std::size_t i = 0; i < json.size(); ++i) {
      if (utf8ControlLength(json, i) == 2) {
        appendCodeEscape(static_cast<std::uint8_t>(json[++i]));
      } else {
        buffer_ += json[i];
      }
    }
    return spill();
  }
  // Bytes as upper-case hexadecimal digit pairs, in slices so that a long record does not grow
  // the buffer by its whole size.
  JsonOut& hex(std::span<const std::uint8_t> bytes) {
    buffer_ += '"';
    for (std::size_t at = 0; at < bytes.size(); at += kChunk / 2) {
      appendHexText(buffer_, bytes.subspan(at, std::min(kChunk / 2, bytes.size() - at)));
      spill();
    }
    buffer_ += '"';
    return spill();
  }
  template <typename Texts>
  JsonOut& textList(const Texts& texts) {
    raw("[");
    bool first = true;
    for (const auto& t : texts) {
      if (!std::exchange(first, false)) raw(",");
      text(t);
    }
    return raw("]");
  }

  // Ends the line and hands everything to the output.
  void finish() {
    buffer_ += '\n';
    writeOut();
    errno = 0;
    out_.flush();
    if (!out_) fail();
  }

 private:
  static constexpr std::size_t kChunk = 64 * 1024;

  JsonOut& spill() {
    if (buffer_.size() >= kChunk) writeOut();
    return *this;
  }

  void writeOut() {
    errno = 0;
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    buffer_.clear();
    if (!out_) fail();
  }

  [[noreturn]] void fail() { throw OutputError(errno != 0 ? std::strerror(errno) : "write error"); }

  // The letter of the escape JSON names for a control character, or 0 where there is none.
  static constexpr char shortEscape(char c) {
    switch (c) {
      case '\b':
        return 'b';
      case '\t':
        return 't';
      case '\n':
        return 'n';
      case '\f':
        return 'f';
      case '\r':
        return 'r';
      default:
        return '\0';
    }
  }

  // A control character as \u and four lower-case digits, as the library writes C0 controls.
  // C1 controls (U+0080 to U+009F; windows-1251's 0x98 is U+0098) are written so as well,
  // which the library does not do: a terminal showing the output would act on them.
  void appendCodeEscape(std::uint8_t code) {
    buffer_ += "\\u00";
    constexpr char kLowerHexDigits[] = "0123456789abcdef";
    buffer_ += kLowerHexDigits[code >> 4];
    buffer_ += kLowerHexDigits[code & 0x0F];
  }

  // A byte of UTF-8 text as the library writes it: quotes and backslashes escaped, control
  // characters by the escape JSON names or else as \u and four lower-case digits.
  void appendEscaped(char c) {
    const auto byte = static_cast<std::uint8_t>(c);
    if (c == '"' || c == '\\') {
      buffer_ += '\\';
      buffer_ += c;
    } else if (byte >= 0x20) {
      buffer_ += c;
    } else if (const char letter = shortEscape(c); letter != '\0') {
      buffer_ += '\\';
      buffer_ += letter;
    } else {
      appendCodeEscape(byte);
    }
  }

  std::ostream& out_;
  std::string buffer_;
};

void writeTable(JsonOut& json, const ResultTable& table) {
  json.raw(R"({"columns":[)");
  bool first = true;
  for (const auto& c : table.columns()) {
    if (!std::exchange(first, false)) json.raw(",");
    json.raw(R"({"caption":)").text(c.caption).raw(R"(,"width":)").number(c.width).raw("}");
  }
  json.raw(R"(],"rows":[)");
  first = true;
  for (const auto& r : table.rows()) {
    if (!std::exchange(first, false)) json.raw(",");
    json.raw("[").text(r.caption());
    for (std::size_t k = 0; k < r.subItemCount(); ++k)
      json.raw(",").text(r.subItem(k));
    json.raw("]");
  }
  json.raw("]}");
}

// The opening shared by both forms, up to the commands.
void writeHead(JsonOut& json, const Document& doc, std::string_view caption,
               const std::vector<std::string>& messages) {
  json.raw(R"({"caption":)").anyText(caption);
  json.raw(R"(,"messages":)").textList(messages);
  json.raw(R"(,"commands":{"exportToExcel":)").boolean(doc.exportToExcelEnabled());
  json.raw(R"(,"save":)").boolean(doc.saveEnabled());
  json.raw(R"(,"savePm":)").boolean(doc.savePmEnabled()).raw("}");
}

}  // namespace

void writeDocumentJson(std::ostream& out, const Document& doc, std::string_view caption,
                       const std::vector<std::string>& messages) {
  JsonOut json(out);
  writeHead(json, doc, caption, messages);
  json.raw(R"(,"tables":{"information":)");
  writeTable(json, doc.information);
  json.raw(R"(,"phonebook":)");
  writeTable(json, doc.phonebook);
  json.raw(R"(,"calls":)");
  writeTable(json, doc.calls);
  json.raw(R"(,"calendar":)");
  writeTable(json, doc.calendar);
  json.raw(R"(},"blockList":)").textList(doc.pmSections.sectionNames());
  json.raw(R"(,"memo":)").textList(doc.memo);
  json.raw(R"(,"blocks":[)");
  const BlockModel& m = doc.model;
  for (std::size_t g = 0; g < m.blockCount(); ++g) {
    if (g > 0) json.raw(",");
    json.raw(R"({"number":)").number(m.blockNumbers[g]);
    json.raw(R"(,"mark":)").boolean(m.blockMarks[g]).raw(R"(,"records":[)");
    const Block b = m.block(g);
    for (std::size_t i = 0; i < b.recordCount(); ++i) {
      if (i > 0) json.raw(",");
      json.raw(R"({"number":)").number(b.recordNumber(i));
      json.raw(R"(,"mark":)").boolean(b.recordMark(i));
      json.raw(R"(,"hex":)").hex(b.record(i).bytes).raw("}");
    }
    json.raw("]}");
  }
  json.raw("]}");
  json.finish();
}

void writeSummaryJson(std::ostream& out, const Document& doc, std::string_view caption,
                      const std::vector<std::string>& messages) {
  JsonOut json(out);
  writeHead(json, doc, caption, messages);
  json.raw(R"(,"rows":{"information":)").number(doc.information.rowCount());
  json.raw(R"(,"phonebook":)").number(doc.phonebook.rowCount());
  json.raw(R"(,"calls":)").number(doc.calls.rowCount());
  json.raw(R"(,"calendar":)").number(doc.calendar.rowCount());
  json.raw(R"(},"blocks":)").number(doc.model.blockCount());
  json.raw(R"(,"records":)").number(doc.model.recordCount());
  json.raw("}");
  json.finish();
}

void writeFoundCellJson(std::ostream& out, std::string_view file, std::string_view table,
                        std::size_t row, std::string_view columnCaption,
                        std::string_view cellText) {
  JsonOut json(out);
  json.raw(R"({"file":)").anyText(file);
  json.raw(R"(,"table":)").text(table);
  json.raw(R"(,"row":)").number(row);
  json.raw(R"(,"column":)").text(columnCaption);
  json.raw(R"(,"text":)").text(cellText).raw("}");
  json.finish();
}

}  // namespace kestrel::cli
