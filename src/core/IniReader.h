#pragma once
// An index over INI-style text ("[section]" lines and "key=value" lines): section names and key
// names in file order and the value text of a key, matched regardless of ASCII letter case.
// Built in one pass that notes where each section's lines lie; a section's keys are read from
// its lines when asked for, so the index stays small however many keys the text holds. No limit
// on the number of sections, keys or value length. It does not copy the text: the bytes it is
// built on must outlive it (a document keeps its file image for as long as its index). A line
// that starts with "[" but holds no "]" is no section header.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kestrel {

class IniReader {
 public:
  struct Key {
    std::string_view name;
    std::string_view value;
  };

  explicit IniReader(std::span<const std::uint8_t> text);
  IniReader(const IniReader&) = delete;
  IniReader& operator=(const IniReader&) = delete;

  std::size_t sectionCount() const { return sections_.size(); }
  std::vector<std::string> sectionNames() const;
  // The keys of the first section of that name, in file order; empty when there is none.
  std::vector<Key> keys(std::string_view section) const;
  std::vector<std::string> keyNames(std::string_view section) const;
  // The value of the first key of that name in the section; nothing when either is absent.
  std::optional<std::string_view> find(std::string_view section, std::string_view key) const;
  // The same value as text; an empty text when either is absent.
  std::string value(std::string_view section, std::string_view key) const;

 private:
  struct Section {
    std::string_view name;
    std::size_t begin = 0;  // the section's lines: after its header up to the next one
    std::size_t end = 0;
  };
  const Section* sectionNamed(std::string_view section) const;

  std::string_view text_;
  std::vector<Section> sections_;
  std::unordered_map<std::string, std::size_t> firstByName_;  // lower-case name → section
};

}  // namespace kestrel
