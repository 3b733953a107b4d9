// `find` over the sample dumps: the JSON line of every matching cell, and the exit status that
// tells whether anything was found.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CliRun.h"

namespace kestrel::cli {
namespace {

namespace fs = std::filesystem;
using test::runCli;

const std::string kSamples = (fs::path(KESTREL_SOURCE_DIR) / "samples").string();

std::string sample(const std::string& name) {
  return kSamples + "/" + name;
}

// The line `find` prints for a cell of a sample.
std::string hit(const std::string& file, const std::string& table, int row,
                const std::string& column, const std::string& text) {
  return R"({"file":")" + sample(file) + R"(","table":")" + table + R"(","row":)" +
         std::to_string(row) + R"(,"column":")" + column + R"(","text":")" + text + "\"}\n";
}

TEST(CliFind, PrintsEveryMatchingCellOfEveryFile) {
  struct Case {
    const char* name;
    std::vector<std::string> args;  // after "find"
    int status;
    std::string out;
    std::string err;  // a part of standard error; empty: nothing at all
  };
  const std::string missing = kSamples + "/missing.pm";
  const std::vector<Case> cases = {
      {"one line written two ways, over two kinds",
       {"+7 916 123-45-67", sample("demo.pm"), sample("demo.gdfs")},
       0,
       hit("demo.pm", "phonebook", 0, "Номера", "+79161234567 84951234567 ") +
           hit("demo.pm", "calls", 3, "Номер", "+79161234567 ") +
           hit("demo.gdfs", "phonebook", 0, "Номера", " 89161234567") +
           hit("demo.gdfs", "calls", 0, "Номер", " 89161234567"),
       ""},
      {"a name in another case, in several tables",
       {"ИВАНОВ", sample("demo.pm")},
       0,
       hit("demo.pm", "phonebook", 0, "ФИО", "Иванов Иван ") +
           hit("demo.pm", "calls", 3, "ФИО", "Иванов Иван ") +
           hit("demo.pm", "calendar", 1, "Название", "Иванов Иван"),
       ""},
      {"a service code among the numbers of a cell",
       {"*100#", sample("demo.gdf")},
       0,
       hit("demo.gdf", "calls", 2, "Номер", " 123 *100#"),
       ""},
      {"the information's caption column",
       {"model", sample("demo.bin")},
       0,
       hit("demo.bin", "information", 2, "Name", "Model"),
       ""},
      {"nothing found", {"Ромашка-2", sample("demo.pm"), sample("demo.gdfs")}, 1, "", ""},
      {"an unreadable file is told and the search goes on",
       {"+79161234567", missing, sample("demo.pm")},
       0,
       hit("demo.pm", "phonebook", 0, "Номера", "+79161234567 84951234567 ") +
           hit("demo.pm", "calls", 3, "Номер", "+79161234567 "),
       "kestrel-cli: " + missing + ": No such file or directory\n"},
      {"only an unreadable file", {"+79161234567", missing}, 1, "", "No such file or directory"},
      {"no text", {}, 2, "", "kestrel-cli: no text given\n"},
      {"no file", {"Иван"}, 2, "", "kestrel-cli: no file given\n"},
      {"a blank text", {"  ", sample("demo.pm")}, 2, "", "nothing to find"},
      {"a file of no known kind",
       {"Иван", sample("demo.pm"), kSamples + "/notes.txt"},
       2,
       "",
       "cannot tell the kind of"},
      {"an unknown kind", {"--kind", "xls", "Иван", sample("demo.pm")}, 2, "", "unknown kind"},
      {"find writes nothing",
       {"--to", "x", "Иван", sample("demo.pm")},
       2,
       "",
       "unknown option: --to"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"find"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const test::CliResult r = runCli(args);
    EXPECT_EQ(r.status, c.status) << c.name << "\n" << r.err;
    EXPECT_EQ(r.out, c.out) << c.name;
    if (c.err.empty())
      EXPECT_EQ(r.err, "") << c.name;
    else
      EXPECT_NE(r.err.find(c.err), std::string::npos) << c.name << "\n" << r.err;
  }
}

}  // namespace
}  // namespace kestrel::cli
