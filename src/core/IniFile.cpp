#include "core/IniFile.h"

#include <charconv>
#include <limits>

#include "core/Ascii.h"

namespace kestrel {

namespace {

std::string_view firstLine(std::string_view s) {
  return s.substr(0, s.find_first_of("\r\n"));
}

}  // namespace

IniFile IniFile::parse(std::string_view text) {
  IniFile ini;
  ini.sections_.push_back(Section{});
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view raw = text.substr(pos, end - pos);
    pos = end;
    if (pos < text.size() && text[pos] == '\r') ++pos;
    if (pos < text.size() && text[pos] == '\n') ++pos;

    const std::string_view line = trimSpacesAndTabs(raw);
    // As in the read-only index: a "[" without its "]" starts an ordinary line.
    if (const std::size_t close = line.find(']');
        !line.empty() && line.front() == '[' && close != std::string_view::npos) {
      ini.sections_.push_back(Section{std::string(trimSpacesAndTabs(line.substr(1, close - 1))),
                                      true,
                                      {Line{std::string(raw), {}, {}}}});
      continue;
    }
    Line kept{std::string(raw), {}, {}};
    if (const std::size_t eq = line.find('=');
        eq != std::string_view::npos && ini.sections_.back().hasHeader) {
      kept.key = trimSpacesAndTabs(line.substr(0, eq));
      kept.value = trimSpacesAndTabs(line.substr(eq + 1));
    }
    ini.sections_.back().lines.push_back(std::move(kept));
  }
  return ini;
}

IniFile::Section* IniFile::find(std::string_view section) {
  for (Section& s : sections_) {
    if (s.hasHeader && equalsNoCase(s.name, section)) return &s;
  }
  return nullptr;
}

const IniFile::Section* IniFile::find(std::string_view section) const {
  return const_cast<IniFile*>(this)->find(section);
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
  if (const Section* s = find(section)) {
    for (const Line& line : s->lines) {
      if (!line.key.empty() && equalsNoCase(line.key, key)) return line.value;
    }
  }
  return std::nullopt;
}

int IniFile::integer(std::string_view section, std::string_view key, int fallback) const {
  const std::optional<std::string> text = value(section, key);
  if (!text) return fallback;
  const char* first = text->data();
  const char* last = first + text->size();
  if (first != last && *first == '+') ++first;
  long long number = 0;
  const auto [end, error] = std::from_chars(first, last, number);
  if (error != std::errc() || number < std::numeric_limits<int>::min() ||
      number > std::numeric_limits<int>::max())
    return 0;
  return static_cast<int>(number);
}

void IniFile::set(std::string_view section, std::string_view key, std::string_view value) {
  const std::string_view stored = trimSpacesAndTabs(firstLine(value));
  Section* s = find(section);
  if (s == nullptr) {
    if (sections_.empty()) sections_.push_back(Section{});
    sections_.push_back(
        Section{std::string(section), true, {Line{"[" + std::string(section) + "]", {}, {}}}});
    s = &sections_.back();
  }
  for (Line& line : s->lines) {
    if (!line.key.empty() && equalsNoCase(line.key, key)) {
      line.value = stored;
      line.text = line.key + "=" + line.value;
      return;
    }
  }
  // A new key goes after the section's last key, before the blank lines that part it from the
  // next section.
  auto at = s->lines.end();
  while (at != s->lines.begin() + 1 && trimSpacesAndTabs((at - 1)->text).empty())
    --at;
  const std::string name(key);
  s->lines.insert(at, Line{name + "=" + std::string(stored), name, std::string(stored)});
}

void IniFile::set(std::string_view section, std::string_view key, int value) {
  set(section, key, std::to_string(value));
}

std::vector<std::string> IniFile::sectionNames() const {
  std::vector<std::string> out;
  for (const Section& s : sections_) {
    if (s.hasHeader) out.push_back(s.name);
  }
  return out;
}

std::vector<std::string> IniFile::keyNames(std::string_view section) const {
  std::vector<std::string> out;
  if (const Section* s = find(section)) {
    for (const Line& line : s->lines) {
      if (!line.key.empty()) out.push_back(line.key);
    }
  }
  return out;
}

std::string IniFile::text() const {
  std::string out;
  for (const Section& s : sections_) {
    for (const Line& line : s.lines) {
      out += line.text;
      out += '\n';
    }
  }
  return out;
}

}  // namespace kestrel
