// What `overview` prints: the aggregates of a small hand-made document and of the demo dump,
// against JSON kept under golden/overview/ (indented for reading; the output is its compact
// form). KESTREL_UPDATE_GOLDEN=1 rewrites the expected files from the current output.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "CliRun.h"
#include "cli/OverviewJson.h"
#include "core/Columns.h"
#include "core/Cp1251.h"
#include "core/Kinds.h"
#include "support/PhonebookRows.h"
#include "support/TempDir.h"

namespace kestrel::cli {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

const fs::path kGolden = fs::path(KESTREL_SOURCE_DIR) / "tests/cli/golden/overview";

void expectGolden(const std::string& out, const std::string& name) {
  const fs::path file = kGolden / name;
  const std::string indented =
      Json::parse(out).dump(1, ' ', false, Json::error_handler_t::replace) + "\n";
  if (std::getenv("KESTREL_UPDATE_GOLDEN") != nullptr)
    std::ofstream(file, std::ios::binary) << indented;
  ASSERT_TRUE(fs::exists(file)) << "no " << file << " (KESTREL_UPDATE_GOLDEN=1)";
  const std::string want = test::readFile(file.string());
  EXPECT_EQ(indented, want);
  EXPECT_EQ(out, Json::parse(want).dump(-1, ' ', false, Json::error_handler_t::replace) + "\n");
}

std::string cp(std::string_view utf8) {
  return fromUtf8(utf8).value();
}

void addContact(DocumentData& doc, std::string_view name, std::string_view numbers) {
  auto& row = doc.phonebook.addRow(std::to_string(doc.phonebook.rowCount()), 13);
  row.setCell(kPbName, cp(name));
  row.setCell(kPbNumbers, numbers);
}

using test::addCalendarRow;
using test::addCallRow;

// Calls across midnight and from Sunday into Monday; one line written three ways and named by
// the first of two contacts that have it; a missed line the phonebook lacks, called twice; a
// service code a contact keeps among other numbers; a call on the 31st of April; a call with no
// number and no time of day; a birthday, a note, an entry of no kind and one on no real day.
TEST(OverviewJson, HandMadeDocument) {
  DocumentData doc;
  addContact(doc, "Иванов Иван", "+7 916 123-45-67 *100#");
  addContact(doc, "Иванов второй", "89161234567");
  addContact(doc, "Почта", "1234567");
  addCallRow(doc, CallStatus::kOutgoing, "89161234567 ", "15.03.2012 23:50:00 ");
  addCallRow(doc, CallStatus::kIncoming, "+79161234567", "16.03.2012 00:10");
  addCallRow(doc, CallStatus::kMissed, "+7 926 555-44-33", "18.03.2012 23:59:59");
  addCallRow(doc, CallStatus::kOutgoing, "*100#", "19.03.2012 00:00:01");
  addCallRow(doc, CallStatus::kIncoming, "123-45-67", "31.04.2012 10:00");
  addCallRow(doc, CallStatus::kNone, "", "19.03.2012");
  addCallRow(doc, CallStatus::kMissed, "9265554433", "18.03.2012 08:00");
  addCalendarRow(doc, CalendarKind::kBirthday, "12.04.1975");
  addCalendarRow(doc, CalendarKind::kNote, "15.03.2012 10:00");
  addCalendarRow(doc, CalendarKind::kEvent, "31.04.2012");
  addCalendarRow(doc, CalendarKind::kNone, "15.03.2012");
  ASSERT_TRUE(hasOverview(doc));

  const Overview overview = buildOverview(doc);
  std::ostringstream out;
  writeOverviewJson(out, doc, overview, "hand-made", {cp("Сообщение")});
  expectGolden(out.str(), "hand-made.json");

  // Each call row is put to its line; the call without a number to none.
  const std::vector<std::size_t> lines = {0, 0, 1, 2, 3, Overview::kNoLine, 1};
  EXPECT_EQ(overview.callLine, lines);
  const auto rowsOf = [&](std::size_t line) {
    const std::span<const std::size_t> rows = overview.callRows(overview.numbers[line]);
    return std::vector<std::size_t>(rows.begin(), rows.end());
  };
  EXPECT_EQ(rowsOf(0), (std::vector<std::size_t>{0, 1}));
  EXPECT_EQ(rowsOf(1), (std::vector<std::size_t>{2, 6}));
  EXPECT_EQ(rowsOf(3), (std::vector<std::size_t>{4}));
  EXPECT_EQ(overview.numbers[0].contactRow, 0u);
  // Nothing is written into the tables.
  EXPECT_EQ(doc.calls.cell(0, kCallName), "");
}

TEST(OverviewJson, NothingToOverview) {
  DocumentData doc;
  addContact(doc, "Иванов Иван", "+79161234567");
  EXPECT_FALSE(hasOverview(doc));
  const Overview overview = buildOverview(doc);
  EXPECT_TRUE(overview.numbers.empty());
  EXPECT_TRUE(overview.callsPerDay.empty());
}

TEST(CliOverview, DemoDump) {
  const std::string dump = (fs::path(KESTREL_SOURCE_DIR) / "samples/demo.pm").string();
  const test::CliResult r = test::runCli({"overview", dump});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  // The caption is the path as given; the expected file keeps the sample's name alone.
  std::string out = r.out;
  const std::string given = R"({"caption":)" + Json(dump).dump();
  ASSERT_EQ(out.rfind(given, 0), 0u) << out.substr(0, 200);
  out.replace(0, given.size(), R"({"caption":"demo.pm")");
  expectGolden(out, "demo.pm.json");
}

TEST(CliOverview, UsageErrors) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"overview"},
           {"overview", "--to", "out", "demo.pm"},
           {"overview", "--summary", "demo.pm"},
           {"overview", "--format", "8", "demo.pm"},
           {"overview", "demo.txt"},
       }) {
    const test::CliResult r = test::runCli(args);
    EXPECT_EQ(r.status, 2) << args.back();
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("kestrel-cli overview [--kind KIND] FILE..."), std::string::npos);
  }
}

}  // namespace
}  // namespace kestrel::cli
