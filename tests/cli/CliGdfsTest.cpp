#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/Cli.h"
#include "support/GdfsBuilder.h"
#include "support/TempDir.h"

namespace kestrel::cli {
namespace {

TEST(CliGdfs, TheFileNameAsGivenDecidesTheContainerForm) {
  test::TempDir dir;
  const test::GdfsBuilder demo = test::demoDump();
  struct Case {
    std::string name;
    std::string bytes;
    std::vector<std::string> kind;
    std::size_t records;
  };
  const std::vector<Case> cases = {
      {"d.bin", demo.bin(), {}, 14},
      {"d.gdfs", demo.gdfs(), {"--kind", "gdfs"}, 14},
      {"d.gdf", demo.gdf(), {}, 14},
      // Told to read GDFS, but no form matches the name: nothing is read, no message.
      {"d.dump", demo.bin(), {"--kind", "gdfs"}, 0},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"show", "--summary"};
    args.insert(args.end(), c.kind.begin(), c.kind.end());
    args.push_back(dir.write(c.name, c.bytes));
    std::ostringstream out, err;
    ASSERT_EQ(run(args, out, err), 0) << c.name << err.str();
    const auto json = nlohmann::json::parse(out.str());
    EXPECT_EQ(json["records"], c.records) << c.name;
    EXPECT_EQ(json["rows"]["information"], c.records ? 8 : 3) << c.name;
    EXPECT_EQ(json["messages"].size(), 0u) << c.name;
    EXPECT_EQ(json["commands"]["save"], true) << c.name;
  }
}

TEST(CliGdfs, AFormatFailureIsAResult) {
  test::TempDir dir;
  std::ostringstream out, err;
  ASSERT_EQ(run({"show", dir.write("d.gdfs", "Gdfs=0000:1401:4G\r\n")}, out, err), 0);
  EXPECT_EQ(err.str(), "Неизвестный формат файла\n");
  const auto json = nlohmann::json::parse(out.str());
  EXPECT_EQ(json["messages"][0], "Неизвестный формат файла");
  EXPECT_EQ(json["blocks"].dump(), R"([{"mark":true,"number":20,"records":[]}])");
  EXPECT_EQ(json["tables"]["information"]["rows"][2].dump(), R"(["Заметки","Нет"])");
}

}  // namespace
}  // namespace kestrel::cli
