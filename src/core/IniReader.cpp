#include "core/IniReader.h"

#include <limits>
#include <optional>
#include <stdexcept>

namespace kestrel {

namespace {

// The line at `pos`, blanks trimmed, and where it starts; moves pos past its line break.
struct Line {
  std::string_view text;
  std::size_t start;
};
Line takeLine(std::string_view text, EitherSearch& breaks, std::size_t& pos) {
  const std::size_t end = breaks.next(pos);
  const Line line{trimSpacesAndTabs(text.substr(pos, end - pos)), pos};
  pos = end;
  if (pos < text.size() && text[pos] == '\r') ++pos;
  if (pos < text.size() && text[pos] == '\n') ++pos;
  return line;
}

// Calls visit(line, start) with every non-blank line of the text.
template <typename Visit>
void forEachLine(std::string_view text, Visit visit) {
  EitherSearch breaks(text, '\r', '\n');
  for (std::size_t pos = 0; pos < text.size();) {
    const Line line = takeLine(text, breaks, pos);
    if (!line.text.empty()) visit(line.text, line.start);
  }
}

// The line from `start` to its line break, blanks trimmed.
std::string_view lineAt(std::string_view text, std::size_t start) {
  const std::size_t end = text.find_first_of("\r\n", start);
  return trimSpacesAndTabs(text.substr(start, end == std::string_view::npos ? end : end - start));
}

// A section name is the text between the brackets; a "[" without its "]" starts an ordinary
// line.
std::optional<std::string_view> sectionNameOf(std::string_view line) {
  if (line.empty() || line.front() != '[') return std::nullopt;
  const std::size_t close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return trimSpacesAndTabs(line.substr(1, close - 1));
}

std::optional<IniReader::Key> keyOf(std::string_view line) {
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return IniReader::Key{trimSpacesAndTabs(line.substr(0, eq)),
                        trimSpacesAndTabs(line.substr(eq + 1))};
}

std::uint64_t hashNoCase(std::string_view name) {
  std::uint64_t h = 14695981039346656037ULL;
  for (const char c : name) {
    h ^= static_cast<unsigned char>(asciiLower(c));
    h *= 1099511628211ULL;
  }
  return h;
}

}  // namespace

IniReader::KeyWalk::KeyWalk(const IniReader& ini, std::size_t from, std::size_t to)
    : ini_(ini), text_(ini.text_.substr(0, to)), breaks_(text_, '\r', '\n'), pos_(from) {}

std::optional<IniReader::Key> IniReader::KeyWalk::next() {
  while (pos_ < text_.size()) {
    const Line line = takeLine(text_, breaks_, pos_);
    ++ini_.linesVisited_;
    if (auto key = keyOf(line.text)) {
      lineStart_ = line.start;
      return key;
    }
  }
  return std::nullopt;
}

IniReader::IniReader(std::span<const std::uint8_t> text)
    : text_(reinterpret_cast<const char*>(text.data()), text.size()) {
  // Counted first, so that the positions take no more room than they need.
  std::size_t count = 0;
  forEachLine(text_, [&](std::string_view line, std::size_t) {
    if (sectionNameOf(line)) {
      ++count;
    } else if (count > 0 && line.find('=') != std::string_view::npos) {
      ++keyLines_;
    }
  });
  if (count >= kFree) throw std::length_error("more sections than an index can hold");
  headers_.reserve(count);
  forEachLine(text_, [this](std::string_view line, std::size_t start) {
    if (sectionNameOf(line)) {
      headers_.push_back(start);
      addName(static_cast<std::uint32_t>(headers_.size() - 1));
    }
  });
}

std::size_t IniReader::slotOf(std::string_view name) const {
  const std::size_t mask = firstByName_.size() - 1;
  std::size_t slot = hashNoCase(name) & mask;
  while (firstByName_[slot] != kFree && !equalsNoCase(sectionName(firstByName_[slot]), name))
    slot = (slot + 1) & mask;
  return slot;
}

void IniReader::addName(std::uint32_t section) {
  // At most half the slots are taken, so a search soon meets a free one.
  if (2 * (distinctNames_ + 1) > firstByName_.size()) {
    std::vector<std::uint32_t> old(std::max<std::size_t>(16, 2 * firstByName_.size()), kFree);
    old.swap(firstByName_);
    for (const std::uint32_t s : old) {
      if (s != kFree) firstByName_[slotOf(sectionName(s))] = s;
    }
  }
  const std::size_t slot = slotOf(sectionName(section));
  if (firstByName_[slot] == kFree) {
    firstByName_[slot] = section;
    ++distinctNames_;
  }
}

std::string_view IniReader::sectionName(std::size_t i) const {
  return sectionNameOf(lineAt(text_, headers_[i])).value_or(std::string_view());
}

std::vector<std::string> IniReader::sectionNames() const {
  std::vector<std::string> out;
  out.reserve(headers_.size());
  for (std::size_t i = 0; i < headers_.size(); ++i)
    out.emplace_back(sectionName(i));
  return out;
}

std::size_t IniReader::firstSectionNamed(std::string_view section) const {
  if (firstByName_.empty()) return sectionCount();
  const std::uint32_t s = firstByName_[slotOf(section)];
  return s == kFree ? sectionCount() : s;
}

IniReader::KeyWalk IniReader::keysOf(std::size_t i) const {
  // The section's lines run from after its header line to the next header.
  std::size_t from = text_.find_first_of("\r\n", headers_[i]);
  if (from == std::string_view::npos) from = text_.size();
  if (from < text_.size() && text_[from] == '\r') ++from;
  if (from < text_.size() && text_[from] == '\n') ++from;
  return KeyWalk(*this, from, i + 1 < headers_.size() ? headers_[i + 1] : text_.size());
}

IniReader::Key IniReader::keyAt(std::size_t lineStart) const {
  return keyOf(lineAt(text_, lineStart)).value_or(Key{});
}

std::vector<IniReader::Key> IniReader::keys(std::string_view section) const {
  std::vector<Key> out;
  const std::size_t s = firstSectionNamed(section);
  if (s == sectionCount()) return out;
  KeyWalk walk = keysOf(s);
  while (const auto key = walk.next())
    out.push_back(*key);
  return out;
}

std::vector<std::string> IniReader::keyNames(std::string_view section) const {
  std::vector<std::string> out;
  for (const Key& k : keys(section))
    out.emplace_back(k.name);
  return out;
}

std::optional<std::string_view> IniReader::find(std::string_view section,
                                                std::string_view key) const {
  const std::size_t s = firstSectionNamed(section);
  if (s == sectionCount()) return std::nullopt;
  KeyWalk walk = keysOf(s);
  while (const auto k = walk.next()) {
    if (equalsNoCase(k->name, key)) return k->value;
  }
  return std::nullopt;
}

std::string IniReader::value(std::string_view section, std::string_view key) const {
  return std::string(find(section, key).value_or(std::string_view()));
}

}  // namespace kestrel
