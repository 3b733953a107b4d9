#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "ReportLine.h"

namespace kestrel::bench {
namespace {

struct LineCase {
  const char* name;
  std::string line;
  std::optional<Verdict> verdict;
};

// The lines of another benchmark program: each that says PASS or FAIL is a goal, named by its
// first two columns, however long its name.
TEST(ReportVerdict, LinesOfAnotherProgramAreGoalsWhenTheySayPassOrFail) {
  const LineCase cases[] = {
      {"a goal met",
       ReportLine("app open pm to paint", "full").seconds(2.5).goal("<= 50 %", true).text(),
       Verdict{"app open pm to paint full", true, ""}},
      {"a goal missed",
       "app status repaints          full       2 during the load  goal > 3  FAIL\n",
       Verdict{"app status repaints full", false, ""}},
      {"a name as wide as its column, one space before the size",
       ReportLine("a name 28 characters long...", "full").goal("<= 1", false).text(),
       Verdict{"a name 28 characters long... full", false, ""}},
      {"a name wider than its column runs into the size",
       ReportLine("a name that is far wider than its column", "half").goal("<= 1", true).text(),
       Verdict{"a name that is far wider than its column half", true, ""}},
      {"a run that failed", "app open pm to paint         full       FAILED: killed by signal 9",
       Verdict{"app open pm to paint full", false, "failed"}},
      {"a line without a goal", "Kestrel benchmarks over bench-data, median of 3 runs",
       std::nullopt},
      {"an empty line", "", std::nullopt},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<Verdict> got = verdictOfLine(c.line);
    ASSERT_EQ(got.has_value(), c.verdict.has_value());
    if (!got) continue;
    EXPECT_EQ(got->figure, c.verdict->figure);
    EXPECT_EQ(got->pass, c.verdict->pass);
    EXPECT_EQ(got->note, c.verdict->note);
  }
}

// A line fails when any of its goals fails, and names what missed; the summary counts lines and
// names the failed ones in the report's order.
TEST(ReportVerdict, SummaryCountsLinesAndNamesThoseThatFailed) {
  ReportLine ratio("pm load+decode", "full");
  ratio.goal("<= 2.00", false, "ratio 2.31").goal("<= document + 64 MB", true, "+10 MB");
  ReportLine peak("gdfs .bin load peak", "full");
  peak.goal("<= 106 MB", false);
  ReportLine scaling("eeprom load", "full/half");
  scaling.goal("<= 2.2", true, "ratio 2.01");
  ReportLine failed("export xlsx", "half");
  failed.failed("killed by signal 9");
  EXPECT_FALSE(ReportLine("pm decode", "full").seconds(1).verdict().has_value());

  std::vector<Verdict> verdicts;
  for (const ReportLine* line : {&ratio, &peak, &scaling, &failed})
    verdicts.push_back(*line->verdict());
  EXPECT_EQ(summaryLine(verdicts),
            "goals: 1 of 4 pass; FAIL: pm load+decode full (ratio 2.31), gdfs .bin load peak full, "
            "export xlsx half (failed)");
  EXPECT_EQ(summaryLine({verdicts[2]}), "goals: 1 of 1 pass");
  EXPECT_EQ(summaryLine({}), "goals: 0 of 0 pass");
}

}  // namespace
}  // namespace kestrel::bench
