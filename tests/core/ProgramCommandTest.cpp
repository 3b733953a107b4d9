#include "core/ProgramCommand.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrel {
namespace {

struct CommandCase {
  const char* name;
  std::string command;
  std::string program;
};

class ProgramOfCommand : public testing::TestWithParam<CommandCase> {};

TEST_P(ProgramOfCommand, CutsThePathBetweenTheFirstTwoQuotes) {
  EXPECT_EQ(programOfCommand(GetParam().command), GetParam().program);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ProgramOfCommand,
    testing::Values(
        CommandCase{"QuotedPathAndPlaceholder", R"("C:\B\browser.exe" %1)", R"(C:\B\browser.exe)"},
        CommandCase{"OptionsAreDropped", R"("C:\Program Files\B\b.exe" -nohome -url "%1")",
                    R"(C:\Program Files\B\b.exe)"},
        CommandCase{"TextBeforeTheFirstQuoteIsDropped", R"(start "/usr/bin/browser" %u)",
                    "/usr/bin/browser"},
        CommandCase{"NoQuoteNamesNoProgram", "/usr/bin/browser %u", ""},
        CommandCase{"OneQuoteNamesNoProgram", R"("/usr/bin/browser %u)", ""},
        CommandCase{"QuoteInTheMiddleOnly", R"(/usr/bin/bro"wser %u)", ""},
        CommandCase{"EmptyQuotesNameNoProgram", R"("" %1)", ""}, CommandCase{"Empty", "", ""},
        CommandCase{"EightBitPathPassesWhole", "\"/opt/\xd0\x91\xd1\x80 b/x\" %u",
                    "/opt/\xd0\x91\xd1\x80 b/x"}),
    [](const testing::TestParamInfo<CommandCase>& info) { return std::string(info.param.name); });

// What the About box hands to the cutting rule on this desktop: the entry's program, quoted.
TEST(CommandOfDesktopEntry, QuotesTheProgramOfTheExecKey) {
  struct Case {
    std::string entry;
    std::string command;
  };
  const std::vector<Case> cases = {
      {"[Desktop Entry]\nName=Browser\nExec=/usr/bin/browser %u\n", R"("/usr/bin/browser" %u)"},
      {"[Desktop Entry]\nExec = firefox-esr %u\n", R"("firefox-esr" %u)"},
      {"[Desktop Entry]\nExec=browser\n", R"("browser")"},
      // A quoted program keeps its spaces and loses its escapes.
      {"[Desktop Entry]\nExec=\"/opt/My Browser/run\\\\$\" --new %U\n",
       R"("/opt/My Browser/run$" --new %U)"},
      // \s is the entry's own escape of a space, read before the quoting.
      {"[Desktop Entry]\nExec=/opt/My\\sBrowser/run %u\n", R"("/opt/My" Browser/run %u)"},
      // Only the [Desktop Entry] group counts, and its first Exec.
      {"[Desktop Action new]\nExec=/usr/bin/other\n[Desktop Entry]\nExec=/usr/bin/browser\n"
       "Exec=/usr/bin/second\n",
       R"("/usr/bin/browser")"},
      {"# comment\r\n[Desktop Entry]\r\nExec=/usr/bin/browser %u\r\n", R"("/usr/bin/browser" %u)"},
      {"[Desktop Entry]\nName=No command\n", ""},
      {"[Desktop Entry]\nExec=\n", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    const std::string command = commandOfDesktopEntry(c.entry);
    EXPECT_EQ(command, c.command) << c.entry;
  }
  // The two layers together: the registered browser is what the About box starts.
  EXPECT_EQ(
      programOfCommand(commandOfDesktopEntry("[Desktop Entry]\nExec=\"/opt/My Browser/run\" %u\n")),
      "/opt/My Browser/run");
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
