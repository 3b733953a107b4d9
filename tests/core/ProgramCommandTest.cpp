#include "core/ProgramCommand.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace kestrel {
namespace {

using Arguments = std::vector<std::string>;

constexpr std::string_view kAddress = "https://kestrel.example.org/forum/member.php?u=2";

struct CommandCase {
  const char* name;
  std::string exec;
  Arguments arguments;  // "@" stands for the address
};

class CommandArguments : public testing::TestWithParam<CommandCase> {};

TEST_P(CommandArguments, StartThePartsOfTheExecLine) {
  Arguments expected = GetParam().arguments;
  for (std::string& argument : expected) {
    if (argument == "@") argument = kAddress;
  }
  EXPECT_EQ(commandArguments(GetParam().exec, kAddress), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CommandArguments,
    testing::Values(
        CommandCase{"PlainProgram", "/usr/bin/browser %u", {"/usr/bin/browser", "@"}},
        CommandCase{"WrapperWithSettings",
                    "env BAMF_DESKTOP_FILE_HINT=/x /snap/bin/firefox %u",
                    {"env", "BAMF_DESKTOP_FILE_HINT=/x", "/snap/bin/firefox", "@"}},
        // flatpak's own markers around the address are plain arguments.
        CommandCase{"FlatpakMarkers",
                    "flatpak run --branch=stable --command=firefox org.mozilla.firefox @@u %u @@",
                    {"flatpak", "run", "--branch=stable", "--command=firefox",
                     "org.mozilla.firefox", "@@u", "@", "@@"}},
        CommandCase{
            "QuotedProgramWithEscapedQuote", R"("/opt/my\"browser" %u)", {"/opt/my\"browser", "@"}},
        CommandCase{"QuotedProgramWithBlanks",
                    R"("/opt/my browser/bin" --new-window %U)",
                    {"/opt/my browser/bin", "--new-window", "@"}},
        CommandCase{
            "EscapesInQuotes", R"("/opt/a\\b\$c\`d\x" "" -x)", {"/opt/a\\b$c`d\\x", "", "-x", "@"}},
        CommandCase{"QuotesInsideAnArgument",
                    R"(/opt/bro"w s"er --a="b c" %f)",
                    {"/opt/brow ser", "--a=b c", "@"}},
        CommandCase{
            "OtherFieldCodesDropped", "firefox %u %i %c --k=%k%%", {"firefox", "@", "--k=%"}},
        CommandCase{"FieldCodesInQuotesStayText",
                    R"(sh -c "open %u" %%)",
                    {"sh", "-c", "open %u", "%", "@"}},
        CommandCase{"NoFieldCodeGetsTheAddressLast", "browser --new", {"browser", "--new", "@"}},
        CommandCase{"BlanksAndTabsPart", " browser \t %u ", {"browser", "@"}},
        CommandCase{"EightBitPathPassesWhole",
                    "\"/opt/\xd0\x91\xd1\x80 b/x\" %u",
                    {"/opt/\xd0\x91\xd1\x80 b/x", "@"}},
        CommandCase{"QuoteLeftOpen", R"("/usr/bin/browser %u)", {}},
        CommandCase{"EscapedQuoteLeavesItOpen", R"("/usr/bin/browser\" %u)", {}},
        CommandCase{"EmptyQuotesNameNoProgram", R"("" %u)", {}},
        CommandCase{"TheAddressIsNoProgram", "%u browser", {}},
        CommandCase{"OnlyDroppedCodes", "%i %c", {}}, CommandCase{"Empty", "", {}}),
    [](const testing::TestParamInfo<CommandCase>& info) { return std::string(info.param.name); });

// What the desktop's registration hands to the About box: the Exec line of the entry.
TEST(ExecOfDesktopEntry, ReadsTheExecKeyWithTheEntrysEscapesUndone) {
  struct Case {
    std::string entry;
    std::string exec;
  };
  const std::vector<Case> cases = {
      {"[Desktop Entry]\nName=Browser\nExec=/usr/bin/browser %u\n", "/usr/bin/browser %u"},
      {"[Desktop Entry]\nExec = firefox-esr %u\n", "firefox-esr %u"},
      // \\ and \s are the entry's own escapes, undone before the quoting is read.
      {"[Desktop Entry]\nExec=\"/opt/my\\\\\"browser\" %u\n", R"("/opt/my\"browser" %u)"},
      {"[Desktop Entry]\nExec=/opt/My\\sBrowser/run %u\n", "/opt/My Browser/run %u"},
      // Only the [Desktop Entry] group counts, and its first Exec.
      {"[Desktop Action new]\nExec=/usr/bin/other\n[Desktop Entry]\nExec=/usr/bin/browser\n"
       "Exec=/usr/bin/second\n",
       "/usr/bin/browser"},
      {"# comment\r\n[Desktop Entry]\r\nExec=/usr/bin/browser %u\r\n", "/usr/bin/browser %u"},
      {"[Desktop Entry]\nName=No command\n", ""},
      {"[Desktop Entry]\nExec=\n", ""},
      {"", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(execOfDesktopEntry(c.entry), c.exec) << c.entry;
  // The two layers together: four backslashes in the file are one in the argument.
  EXPECT_EQ(
      commandArguments(execOfDesktopEntry("[Desktop Entry]\nExec=\"/opt/a\\\\\\\\b\" %u\n"), "x"),
      (Arguments{"/opt/a\\b", "x"}));
}

TEST(DefaultApplicationsOf, ReadsTheDefaultGroupOnly) {
  const std::string list =
      "[Added Associations]\ntext/html=added.desktop;\n"
      "[Default Applications]\n"
      "text/plain=editor.desktop\n"
      "text/html = first.desktop; second.desktop;\n"
      "text/html=later.desktop\n";
  EXPECT_EQ(defaultApplicationsOf(list, "text/html"),
            (std::vector<std::string>{"first.desktop", "second.desktop"}));
  EXPECT_EQ(defaultApplicationsOf(list, "text/plain"), std::vector<std::string>{"editor.desktop"});
  EXPECT_TRUE(defaultApplicationsOf(list, "text/htm").empty());
  EXPECT_TRUE(
      defaultApplicationsOf("[Added Associations]\ntext/html=a.desktop\n", "text/html").empty());
}

}  // namespace
}  // namespace kestrel
