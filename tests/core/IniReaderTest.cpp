// The section index of INI text: which section a name finds (the first of that name, in any
// letter case), and which value a key finds in it, at the first and last section, for repeated
// names, past the index's growth, and in texts with no sections at all.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/IniReader.h"

namespace kestrel {
namespace {

struct Lookup {
  std::string section;
  std::string key;
  std::size_t index;  // kNone: the section count
  std::optional<std::string> value;
};
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

struct Case {
  std::string text;
  std::vector<std::string> names;
  std::vector<Lookup> lookups;
};

// Sections s0 to s39 and then s0 to s19 again, each with its number as the value of "n".
std::string manySections() {
  std::string text;
  for (int i = 0; i < 60; ++i)
    text += "[s" + std::to_string(i % 40) + "]\r\nn=" + std::to_string(i) + "\r\n";
  return text;
}

TEST(IniReader, SectionIndexFindsTheFirstSectionOfEachName) {
  std::vector<std::string> many;
  for (int i = 0; i < 60; ++i)
    many.push_back("s" + std::to_string(i % 40));
  const std::vector<Case> cases = {
      {"", {}, {{"a", "k", kNone, {}}, {"", "", kNone, {}}}},
      {"k=1\r\nno header\r\n", {}, {{"", "k", kNone, {}}}},
      {"[a]\r\nk=1\r\n[b]\r\nk=2",  // the last line has no break
       {"a", "b"},
       {{"a", "k", 0, "1"}, {"b", "k", 1, "2"}, {"c", "k", kNone, {}}, {"a", "j", 0, {}}}},
      {"k=0\n[a]\nk=1\n[B]\nk=2\n[A]\nk=3\n[b]\nj=4\n",
       {"a", "B", "A", "b"},
       {{"A", "k", 0, "1"}, {"b", "k", 1, "2"}, {"b", "j", 1, {}}, {"B", "K", 1, "2"}}},
      {"  [ first ]  \n k = v \n[\n[last]",
       {"first", "last"},
       {{"first", "k", 0, "v"}, {"last", "k", 1, {}}, {"[", "", kNone, {}}}},
      {"[a]\n\n[]\nk=empty name\n[a]\nk=2",
       {"a", "", "a"},
       {{"", "k", 1, "empty name"}, {"a", "k", 0, {}}}},
      {manySections(),
       many,
       {{"s0", "n", 0, "0"},
        {"s19", "n", 19, "19"},
        {"S39", "n", 39, "39"},
        {"s40", "n", kNone, {}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 60));
    const IniReader ini({reinterpret_cast<const std::uint8_t*>(c.text.data()), c.text.size()});
    EXPECT_EQ(ini.sectionNames(), c.names);
    for (const Lookup& l : c.lookups) {
      const std::size_t want = l.index == kNone ? ini.sectionCount() : l.index;
      EXPECT_EQ(ini.firstSectionNamed(l.section), want) << "[" << l.section << "]";
      const auto value = ini.find(l.section, l.key);
      EXPECT_EQ(value ? std::optional<std::string>(*value) : std::nullopt, l.value)
          << "[" << l.section << "] " << l.key;
    }
  }
}

}  // namespace
}  // namespace kestrel
