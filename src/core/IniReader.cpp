#include "core/IniReader.h"

#include "core/Ascii.h"

namespace kestrel {

IniReader::IniReader(std::span<const std::uint8_t> text) {
  const std::string_view all(reinterpret_cast<const char*>(text.data()), text.size());
  std::size_t pos = 0;
  Section* current = nullptr;
  EitherSearch breaks(all, '\r', '\n');
  while (pos < all.size()) {
    const std::size_t end = breaks.next(pos);
    const std::string_view line = trimSpacesAndTabs(all.substr(pos, end - pos));
    pos = end;
    if (pos < all.size() && all[pos] == '\r') ++pos;
    if (pos < all.size() && all[pos] == '\n') ++pos;

    if (line.empty()) continue;
    // A section name is the text between the brackets; a "[" without its "]" starts an
    // ordinary line of the current section.
    if (const std::size_t close = line.find(']');
        line.front() == '[' && close != std::string_view::npos) {
      const std::string_view name = trimSpacesAndTabs(line.substr(1, close - 1));
      sections_.push_back(Section{name, keys_.size(), 0});
      current = &sections_.back();
      firstByName_.try_emplace(asciiLower(name), sections_.size() - 1);
      continue;
    }
    const std::size_t eq = line.find('=');
    if (current == nullptr || eq == std::string_view::npos) continue;
    keys_.push_back(
        Key{trimSpacesAndTabs(line.substr(0, eq)), trimSpacesAndTabs(line.substr(eq + 1))});
    ++current->keyCount;
  }
}

std::vector<std::string> IniReader::sectionNames() const {
  std::vector<std::string> out;
  out.reserve(sections_.size());
  for (const auto& s : sections_)
    out.emplace_back(s.name);
  return out;
}

const IniReader::Section* IniReader::find(std::string_view section) const {
  const auto it = firstByName_.find(asciiLower(section));
  return it == firstByName_.end() ? nullptr : &sections_[it->second];
}

std::span<const IniReader::Key> IniReader::keys(std::string_view section) const {
  const Section* s = find(section);
  if (s == nullptr) return {};
  return std::span<const Key>(keys_).subspan(s->firstKey, s->keyCount);
}

std::vector<std::string> IniReader::keyNames(std::string_view section) const {
  std::vector<std::string> out;
  for (const Key& k : keys(section))
    out.emplace_back(k.name);
  return out;
}

std::string IniReader::value(std::string_view section, std::string_view key) const {
  for (const Key& k : keys(section)) {
    if (equalsNoCase(k.name, key)) return std::string(k.value);
  }
  return {};
}

}  // namespace kestrel
