#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "CliRun.h"
#include "cli/Cli.h"
#include "support/PmBuilder.h"
#include "support/TempDir.h"

namespace kestrel::cli {
namespace {

using test::PmBuilder;

using Result = test::CliResult;
using test::runCli;

TEST(CliShow, PrintsTheWholeDocumentInOrder) {
  test::TempDir dir;
  const std::string path = dir.write(
      "d.pm", PmBuilder().block(4).record(3, {0x31, 0x32, 0x00}).block(58).line("0=00").text());
  const Result r = runCli({"show", path});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto json = nlohmann::ordered_json::parse(r.out);
  std::vector<std::string> keys;
  for (const auto& [k, v] : json.items())
    keys.push_back(k);
  EXPECT_EQ(keys, (std::vector<std::string>{"caption", "messages", "commands", "tables",
                                            "blockList", "memo", "blocks"}));
  EXPECT_EQ(json["caption"], path);
  EXPECT_EQ(json["commands"].dump(), R"({"exportToExcel":true,"save":true,"savePm":true})");
  EXPECT_EQ(json["tables"]["phonebook"]["columns"][1].dump(), R"({"caption":"ФИО","width":0})");
  EXPECT_EQ(json["tables"]["calendar"]["columns"][4]["width"], 300);
  EXPECT_EQ(json["tables"]["information"]["rows"][0].dump(),
            R"(["Production Serial Number","12"])");
  EXPECT_EQ(json["tables"]["information"]["rows"][1].dump(), R"(["Записная книжка","Есть"])");
  EXPECT_EQ(json["blockList"].dump(), R"(["4","58"])");
  EXPECT_EQ(json["memo"].dump(), R"(["Memo1"])");
  EXPECT_EQ(json["blocks"].dump(),
            R"([{"number":4,"mark":true,"records":[{"number":3,"mark":true,"hex":"313200"}]},)"
            R"({"number":58,"mark":true,"records":[{"number":0,"mark":true,"hex":"00"}]}])");
}

TEST(CliShow, FormatMessageIsAResultNotAFailure) {
  test::TempDir dir;
  const std::string path = dir.write("bad.pm", PmBuilder().block(9).line("1=ABC").text());
  const Result r = runCli({"show", "--summary", path});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "Неверный формат файла\n");
  const auto json = nlohmann::ordered_json::parse(r.out);
  EXPECT_EQ(json.dump(), R"({"caption":")" + path +
                             R"(","messages":["Неверный формат файла"],)"
                             R"("commands":{"exportToExcel":false,"save":false,"savePm":false},)"
                             R"("rows":{"information":0,"phonebook":0,"calls":0,"calendar":0},)"
                             R"("blocks":1,"records":0})");
}

TEST(CliShow, CaptionIsThePathAsGiven) {
  test::TempDir dir;
  const std::string path = dir.write("日本 café.pm", PmBuilder().block(4).text());
  const Result r = runCli({"show", "--summary", path});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(nlohmann::ordered_json::parse(r.out)["caption"], path);
}

TEST(CliShow, UsageErrorsExitWithTwo) {
  for (const auto& args :
       std::vector<std::vector<std::string>>{{},
                                             {"frobnicate", "a.pm"},
                                             {"show"},
                                             {"show", "--kind", "tape", "a.pm"},
                                             {"show", "dump.txt"},
                                             // Endings are compared with their letter case.
                                             {"show", "DUMP.BIN"},
                                             {"show", "dump.Gdfs"},
                                             {"show", "DUMP.PM"},
                                             {"show", "cards.VCF"},
                                             {"show", "a.pm", "b.pm"},
                                             {"show", "--bogus", "a.pm"},
                                             {"export", "--format", "1", "a.pm"}}) {
    EXPECT_EQ(runCli(args).status, 2) << (args.empty() ? "" : args[0]);
  }
}

}  // namespace
}  // namespace kestrel::cli
