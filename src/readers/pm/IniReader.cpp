#include "readers/pm/IniReader.h"

#include <algorithm>

namespace kestrel {

namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
    s.remove_suffix(1);
  return s;
}

// Section and key names match regardless of letter case, as the platform's profile reader does.
std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           const auto l = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
           return l(x) == l(y);
         });
}

}  // namespace

IniReader::IniReader(std::span<const std::uint8_t> text) {
  const std::string_view all(reinterpret_cast<const char*>(text.data()), text.size());
  std::size_t pos = 0;
  Section* current = nullptr;
  while (pos < all.size()) {
    std::size_t end = pos;
    while (end < all.size() && all[end] != '\r' && all[end] != '\n')
      ++end;
    const std::string_view line = trim(all.substr(pos, end - pos));
    pos = end;
    if (pos < all.size() && all[pos] == '\r') ++pos;
    if (pos < all.size() && all[pos] == '\n') ++pos;

    if (line.empty()) continue;
    if (line.front() == '[') {
      const std::size_t close = line.find(']');
      const std::string_view name =
          trim(close == std::string_view::npos ? line.substr(1) : line.substr(1, close - 1));
      sections_.push_back(Section{name, keys_.size(), 0});
      current = &sections_.back();
      firstByName_.try_emplace(lower(name), sections_.size() - 1);
      continue;
    }
    const std::size_t eq = line.find('=');
    if (current == nullptr || eq == std::string_view::npos) continue;
    keys_.push_back(Key{trim(line.substr(0, eq)), trim(line.substr(eq + 1))});
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
  const auto it = firstByName_.find(lower(section));
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
    if (sameName(k.name, key)) return std::string(k.value);
  }
  return {};
}

}  // namespace kestrel
