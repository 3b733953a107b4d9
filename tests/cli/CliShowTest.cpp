#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "CliRun.h"
#include "cli/Cli.h"
#include "cli/PrintableLine.h"
#include "support/EepromImage.h"
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
  EXPECT_EQ(json["memo"].dump(), "[]");
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

// A file that cannot be read keeps its reader's outcome (the format message, or the vCard
// import's silence) and adds one line with the file and the system's reason, outside the JSON.
TEST(CliShow, UnreadableFilesNameTheFileAndTheReason) {
  test::TempDir dir;
  struct Case {
    std::string file;
    std::string messages;
  };
  for (const Case& c : {Case{dir.file("gone.pm"), R"(["Неверный формат файла"])"},
                        Case{dir.file("gone.bin"), R"(["Неизвестный формат файла"])"},
                        Case{dir.file("gone.vcf"), "[]"}}) {
    const Result r = runCli({"show", "--summary", c.file});
    EXPECT_EQ(r.status, 0) << c.file;
    const auto json = nlohmann::ordered_json::parse(r.out);
    EXPECT_EQ(json["messages"].dump(), c.messages) << c.file;
    EXPECT_NE(r.err.find("kestrel-cli: " + c.file + ": No such file or directory\n"),
              std::string::npos)
        << r.err;
    if (c.file.ends_with(".vcf")) {
      EXPECT_FALSE(json["commands"]["save"]);
    }
  }
}

// A PM dump whose JSON is many times the size of the output buffer.
std::string largeDump() {
  PmBuilder dump;
  dump.block(4);
  for (int record = 0; record < 3000; ++record)
    dump.record(record, std::vector<std::uint8_t>(100, static_cast<std::uint8_t>(record)));
  return dump.text();
}

// The output is byte for byte what the JSON library writes for the same value, however many
// pieces it goes out in and whatever the texts hold: control characters, quotes, backslashes,
// a path that is not UTF-8.
TEST(CliShow, PrintsCompactJsonAsTheLibraryWritesIt) {
  test::TempDir dir;
  const std::string cards =
      dir.write("cards.vcf",
                "BEGIN:VCARD\r\nVERSION:2.1\r\n"
                "N;ENCODING=QUOTED-PRINTABLE:c=01=08=09=0A=0C=0D=1B=7F\"\\\r\n"
                "END:VCARD\r\n");
  const std::string notUtf8 = dir.write("x\xFF\xC3.pm", PmBuilder().block(4).text());
  const std::string large = dir.write("large.pm", largeDump());
  // The JSON printed, checked to be the library's own form, and its size.
  const auto shown = [](const std::vector<std::string>& args) {
    const Result r = runCli(args);
    EXPECT_EQ(r.status, 0) << r.err;
    const auto json = nlohmann::ordered_json::parse(r.out);
    EXPECT_TRUE(r.out == json.dump() + "\n") << args.back();
    return std::pair{json, r.out.size()};
  };
  EXPECT_EQ(shown({"show", cards}).first["tables"]["phonebook"]["rows"][0][1],
            "c\x01\b\t\n\f\r\x1b\x7f\"\\");
  EXPECT_EQ(shown({"show", notUtf8}).first["caption"], dir.file("x\uFFFD\uFFFD.pm"));
  EXPECT_EQ(shown({"show", "--summary", notUtf8}).first["caption"], dir.file("x\uFFFD\uFFFD.pm"));
  EXPECT_GT(shown({"show", large}).second, 500'000u);
}

// An output that fails (a full disk) at once, midway through a large document or only when it is
// flushed makes a failed command.
TEST(CliShow, AFailingStandardOutputExitsWithOne) {
  struct FailingOutput : std::streambuf {
    FailingOutput(std::size_t room, bool syncFails) : room(room), syncFails(syncFails) {}
    int overflow(int c) override { return room > 0 ? (--room, c) : traits_type::eof(); }
    std::streamsize xsputn(const char*, std::streamsize n) override {
      const auto taken = std::min(room, static_cast<std::size_t>(n));
      room -= taken;
      return static_cast<std::streamsize>(taken);
    }
    int sync() override { return syncFails ? -1 : 0; }
    std::size_t room;
    bool syncFails;
  };
  test::TempDir dir;
  const std::string large = dir.write("large.pm", largeDump());
  for (const auto& [room, syncFails] :
       {std::pair<std::size_t, bool>{0, false}, {100'000, false}, {SIZE_MAX, true}}) {
    FailingOutput failing(room, syncFails);
    std::ostream out(&failing);
    std::ostringstream err;
    EXPECT_EQ(run({"show", large}, out, err), 1) << room;
    EXPECT_NE(err.str().find("cannot write the standard output"), std::string::npos) << err.str();
  }
}

// `show | head`: the reader closing the pipe ends the program by SIGPIPE without a word, as it
// ends cat, also when it was started with the signal ignored (as some launchers leave it).
TEST(CliShow, AClosedPipeEndsItQuietly) {
  test::TempDir dir;
  const std::string large = dir.write("large.pm", largeDump());
  for (const bool startedIgnoringIt : {false, true}) {
    EXPECT_EXIT(
        {
          if (startedIgnoringIt) std::signal(SIGPIPE, SIG_IGN);
          int ends[2];
          if (::pipe(ends) != 0 || ::close(ends[0]) != 0 || ::dup2(ends[1], STDOUT_FILENO) < 0)
            std::_Exit(99);
          endQuietlyWhenTheReaderGoes();
          std::_Exit(run({"show", large}, std::cout, std::cerr));
        },
        testing::KilledBySignal(SIGPIPE), "^$")
        << startedIgnoringIt;
  }
}

// Every line kestrel-cli prints is one line of UTF-8, whatever the file name holds.
TEST(CliShow, MessagesStayOneUtf8Line) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"plain café", "plain café"},
      {"a\nb\tc\rd", "a\\nb\\tc\\rd"},
      {std::string("nul\0esc\x1b del\x7f", 13), "nul\\x00esc\\x1B del\\x7F"},
      {"bad \xFF\xC0\x80 cut \xD0", "bad \\xFF\\xC0\\x80 cut \\xD0"},
      {"surrogate \xED\xA0\x80", "surrogate \\xED\\xA0\\x80"},
      {"日本 \xF0\x9F\x98\x80", "日本 \xF0\x9F\x98\x80"},
      // C1 controls: CSI, OSC and ST drive a terminal as ESC [, ESC ] and ESC \ do.
      {"csi \xC2\x9B"
       "31m osc \xC2\x9D"
       "0;x\xC2\x9C \xC2\x80\xC2\x98\xC2\x9F",
       "csi \\u009B31m osc \\u009D0;x\\u009C \\u0080\\u0098\\u009F"},
      {"nbsp\xC2\xA0 \xC2\xA9", "nbsp\xC2\xA0 \xC2\xA9"},
  };
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(printableLine(text), expected) << expected;
  const Result r = runCli({"show", "no\nsuch.pm"});
  EXPECT_NE(r.err.find("kestrel-cli: no\\nsuch.pm: No such file or directory\n"), std::string::npos)
      << r.err;
}

// No C1 control reaches the terminal raw: not from a file name, not from a text of the document
// (windows-1251's 0x98, read from a vCard as U+0098), not in the caption.
TEST(CliShow, EscapesC1ControlsInTheJsonAndTheMessages) {
  test::TempDir dir;
  const std::string cards = dir.write(
      "cards\xC2\x9B"
      "31m.vcf",
      "BEGIN:VCARD\r\nVERSION:2.1\r\n"
      "N;ENCODING=QUOTED-PRINTABLE:a=C2=98b\r\n"
      "END:VCARD\r\n");
  for (const bool summary : {false, true}) {
    std::vector<std::string> args = {"show", cards};
    if (summary) args.insert(args.begin() + 1, "--summary");
    const Result r = runCli(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("cards\\u009b31m.vcf\","), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("\xC2\x9B"), std::string::npos);
    EXPECT_EQ(nlohmann::ordered_json::parse(r.out)["caption"], cards);
  }
  const Result r = runCli({"show", cards});
  EXPECT_NE(r.out.find(R"(["1","a\u0098b")"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("\xC2\x98"), std::string::npos);

  const Result missing = runCli({"show", dir.file("gone\xC2\x9D.pm")});
  EXPECT_NE(missing.err.find("gone\\u009D.pm: No such file or directory\n"), std::string::npos)
      << missing.err;
  EXPECT_EQ(missing.err.find("\xC2\x9D"), std::string::npos);
  EXPECT_EQ(missing.out.find("\xC2\x9D"), std::string::npos);
}

// An EEPROM image: its marked records as unmarked records of their blocks, its texts in the memo.
TEST(CliShow, ReadsAnEepromImage) {
  test::TempDir dir;
  const std::string image = test::smallEepromImage();
  const Result r = runCli({"show", "--kind", "eeprom", dir.write("phone.img", image)});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto json = nlohmann::ordered_json::parse(r.out);
  EXPECT_EQ(
      json["blocks"].dump(),
      R"([{"number":7,"mark":true,"records":[{"number":0,"mark":false,"hex":"343332316162"}]}])");
  EXPECT_EQ(json["memo"].dump(), "[]");
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
