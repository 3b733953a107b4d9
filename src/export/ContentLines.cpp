#include "export/ContentLines.h"

#include <algorithm>

#include "core/Cp1251.h"
#include "export/FileFacts.h"

namespace kestrel::output {

namespace {

constexpr std::size_t kLineOctets = 75;

}  // namespace

std::string escapedText(std::string_view utf8) {
  std::string text;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const char c = utf8[i];
    if (c == '\\' || c == ';' || c == ',') {
      text += '\\';
      text += c;
    } else if (c == '\r' || c == '\n') {
      // CR LF, a lone CR and a lone LF are each one line break.
      if (c == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
      text += "\\n";
    } else if (const std::size_t n = c == '\t' ? 0 : utf8ControlLength(utf8, i); n > 0) {
      // A TEXT value carries no other control character: it is left out.
      i += n - 1;
    } else {
      text += c;
    }
  }
  return text;
}

void forEachFoldedPiece(std::string_view line, const std::function<void(std::string_view)>& piece) {
  std::string continued;
  bool first = true;
  while (!line.empty()) {
    // A continuation's leading space counts towards its 75 octets.
    const std::size_t room = first ? kLineOctets : kLineOctets - 1;
    std::size_t cut = std::min(room, line.size());
    // Back to the start of a character: UTF-8 continuation bytes are 10xxxxxx.
    while (cut < line.size() && cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
      --cut;
    if (cut == 0) cut = std::min(room, line.size());
    if (first) {
      piece(line.substr(0, cut));
    } else {
      continued.assign(" ").append(line.substr(0, cut));
      piece(continued);
    }
    line.remove_prefix(cut);
    first = false;
  }
}

std::string StableIds::next(const std::string& content) {
  std::string id = sha256Hex(content).substr(0, 32);
  // The first of equal contents keeps the content's own identifier.
  if (const std::size_t before = seen_[id]++; before > 0)
    id = sha256Hex(content + '\x1F' + std::to_string(before + 1)).substr(0, 32);
  return id;
}

}  // namespace kestrel::output
