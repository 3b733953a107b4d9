#pragma once
// An editable INI text ("[section]" lines and "key=value" lines) that owns its lines: values are
// read and set by section and key, matched regardless of ASCII letter case, and the text is
// written back with every line it did not change as it was read, in the same order. Names keep
// the spelling they were first written with, so a key like "NormPos(800x600)" stays exactly
// that. Lines before the first section, comments and lines without "=" are kept but hold no
// value. Of sections of the same name the first one is read and written.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

class IniFile {
 public:
  IniFile() = default;
  // Any bytes make a model: a damaged text only holds fewer values.
  static IniFile parse(std::string_view text);

  // The value with blanks removed from both ends; nothing when the section or key is absent.
  std::optional<std::string> value(std::string_view section, std::string_view key) const;
  // The value read as the leading integer of its text, as the profile functions read numbers:
  // "96" and "96 dpi" give 96; a value without a leading number, or one outside the range of
  // int, gives 0; an absent key gives fallback.
  int integer(std::string_view section, std::string_view key, int fallback) const;

  // Sets the key's value in the section, in place when the key is there, else as the section's
  // last key; a new section goes to the end of the text. A value holds one line: anything from
  // a line break on is not stored.
  void set(std::string_view section, std::string_view key, std::string_view value);
  void set(std::string_view section, std::string_view key, int value);

  std::vector<std::string> sectionNames() const;
  std::vector<std::string> keyNames(std::string_view section) const;

  // The text: each line ends with "\n"; kept lines are as read.
  std::string text() const;

 private:
  struct Line {
    std::string text;  // the whole line as it will be written
    std::string key;   // empty for a line that holds no value
    std::string value;
  };
  struct Section {
    std::string name;  // empty for the lines before the first section header
    bool hasHeader = false;
    std::vector<Line> lines;
  };
  Section* find(std::string_view section);
  const Section* find(std::string_view section) const;

  std::vector<Section> sections_;
};

}  // namespace kestrel
