#include "core/IniReader.h"

#include <optional>

#include "core/Ascii.h"

namespace kestrel {

namespace {

// Calls visit(line, next) with every line from `from` up to `to`, blanks trimmed, and the
// position after its line break; stops early when visit returns false.
template <typename Visit>
void forEachLine(std::string_view all, std::size_t from, std::size_t to, Visit visit) {
  const std::string_view text = all.substr(0, to);
  EitherSearch breaks(text, '\r', '\n');
  std::size_t pos = from;
  while (pos < text.size()) {
    const std::size_t end = breaks.next(pos);
    const std::string_view line = trimSpacesAndTabs(text.substr(pos, end - pos));
    const std::size_t start = pos;
    pos = end;
    if (pos < text.size() && text[pos] == '\r') ++pos;
    if (pos < text.size() && text[pos] == '\n') ++pos;
    if (!line.empty() && !visit(line, start, pos)) return;
  }
}

// A section name is the text between the brackets; a "[" without its "]" starts an ordinary
// line.
std::optional<std::string_view> sectionName(std::string_view line) {
  const std::size_t close = line.find(']');
  if (line.front() != '[' || close == std::string_view::npos) return std::nullopt;
  return trimSpacesAndTabs(line.substr(1, close - 1));
}

}  // namespace

IniReader::IniReader(std::span<const std::uint8_t> text)
    : text_(reinterpret_cast<const char*>(text.data()), text.size()) {
  forEachLine(text_, 0, text_.size(),
              [this](std::string_view line, std::size_t start, std::size_t next) {
                if (const auto name = sectionName(line)) {
                  if (!sections_.empty()) sections_.back().end = start;
                  sections_.push_back(Section{*name, next, text_.size()});
                  firstByName_.try_emplace(asciiLower(*name), sections_.size() - 1);
                }
                return true;
              });
}

std::vector<std::string> IniReader::sectionNames() const {
  std::vector<std::string> out;
  out.reserve(sections_.size());
  for (const auto& s : sections_)
    out.emplace_back(s.name);
  return out;
}

const IniReader::Section* IniReader::sectionNamed(std::string_view section) const {
  const auto it = firstByName_.find(asciiLower(section));
  return it == firstByName_.end() ? nullptr : &sections_[it->second];
}

std::vector<IniReader::Key> IniReader::keys(std::string_view section) const {
  std::vector<Key> out;
  const Section* s = sectionNamed(section);
  if (s == nullptr) return out;
  forEachLine(text_, s->begin, s->end, [&out](std::string_view line, std::size_t, std::size_t) {
    if (const std::size_t eq = line.find('='); eq != std::string_view::npos)
      out.push_back(
          Key{trimSpacesAndTabs(line.substr(0, eq)), trimSpacesAndTabs(line.substr(eq + 1))});
    return true;
  });
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
  for (const Key& k : keys(section)) {
    if (equalsNoCase(k.name, key)) return k.value;
  }
  return std::nullopt;
}

std::string IniReader::value(std::string_view section, std::string_view key) const {
  return std::string(find(section, key).value_or(std::string_view()));
}

}  // namespace kestrel
