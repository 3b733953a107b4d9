#pragma once
// An index over INI-style text ("[section]" lines and "key=value" lines): section names and key
// names in file order and the value text of a key, matched regardless of ASCII letter case.
// Built in one pass that notes where each section's header lies; a section's name and keys are
// read from its lines when asked for, so the index holds one position per section and one slot
// per distinct name however many keys the text holds. No limit on the number of keys or value
// length; at most 4 294 967 295 sections. It does not copy the text: the bytes it is built on
// must outlive it (a document keeps its file image for as long as its index). A line that starts
// with "[" but holds no "]" is no section header.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/Ascii.h"

namespace kestrel {

class IniReader {
 public:
  struct Key {
    std::string_view name;
    std::string_view value;
  };

  // The keys of one section, one at a time in file order.
  class KeyWalk {
   public:
    std::optional<Key> next();
    // Where the line of the key `next` gave last starts in the text.
    std::size_t lineStart() const { return lineStart_; }

   private:
    friend class IniReader;
    KeyWalk(const IniReader& ini, std::size_t from, std::size_t to);

    const IniReader& ini_;
    std::string_view text_;  // the text up to the section's end
    EitherSearch breaks_;
    std::size_t pos_;
    std::size_t lineStart_ = 0;
  };

  explicit IniReader(std::span<const std::uint8_t> text);
  IniReader(const IniReader&) = delete;
  IniReader& operator=(const IniReader&) = delete;

  std::size_t sectionCount() const { return headers_.size(); }
  // The lines of all sections that hold a key: as many as a reader that takes each section's
  // own keys meets.
  std::size_t keyLineCount() const { return keyLines_; }
  std::vector<std::string> sectionNames() const;
  // The name of section i (in file order).
  std::string_view sectionName(std::size_t i) const;
  // The first section of that name, or sectionCount() when there is none.
  std::size_t firstSectionNamed(std::string_view section) const;
  // The keys of section i.
  KeyWalk keysOf(std::size_t i) const;
  // The key of the line that starts at `lineStart` (a position lineStart() gave).
  Key keyAt(std::size_t lineStart) const;

  // The keys of the first section of that name, in file order; empty when there is none.
  std::vector<Key> keys(std::string_view section) const;
  std::vector<std::string> keyNames(std::string_view section) const;
  // The value of the first key of that name in the section; nothing when either is absent.
  std::optional<std::string_view> find(std::string_view section, std::string_view key) const;
  // The same value as text; an empty text when either is absent.
  std::string value(std::string_view section, std::string_view key) const;

  // Lines read since the index was built, the header pass not counted: what a caller's walks
  // over the sections have cost.
  std::size_t linesVisited() const { return linesVisited_; }

 private:
  // The first section of each distinct name by a hash of its lower-case name, open addressing;
  // kFree marks an empty slot.
  static constexpr std::uint32_t kFree = 0xFFFFFFFF;
  void addName(std::uint32_t section);
  std::size_t slotOf(std::string_view name) const;

  std::string_view text_;
  std::vector<std::size_t> headers_;  // where each section's header line starts
  std::vector<std::uint32_t> firstByName_;
  std::size_t distinctNames_ = 0;
  std::size_t keyLines_ = 0;
  mutable std::size_t linesVisited_ = 0;
};

}  // namespace kestrel
