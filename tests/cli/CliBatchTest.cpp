// `batch`: a report per file and the index of them, told apart by name, with the files that got
// none; and a batch stopped by SIGTERM leaves no index that claims reports it did not write.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "CliRun.h"
#include "cli/BatchIndex.h"
#include "core/FileIo.h"
#include "core/TemporaryFiles.h"
#include "export/FileFacts.h"
#include "support/TempDir.h"

namespace kestrel::cli {
namespace {

namespace fs = std::filesystem;
using test::runCli;

const fs::path kSamples = fs::path(KESTREL_SOURCE_DIR) / "samples";

TEST(CliBatch, ReportNamesTellFilesOfOneNameApartByTheirFolders) {
  struct Case {
    std::vector<std::string> files;
    std::vector<std::string> names;
  };
  const std::vector<Case> cases = {
      {{"/d/demo.pm", "/d/demo.gdfs"}, {"demo.pm.html", "demo.gdfs.html"}},
      {{"/d/a/x.pm", "/d/b/x.pm", "/d/y.pm"}, {"a_x.pm.html", "b_x.pm.html", "y.pm.html"}},
      // The nearest folders are alike: one more folder tells them apart.
      {{"/c/a/x.pm", "/d/a/x.pm", "/e/b/x.pm"}, {"c_a_x.pm.html", "d_a_x.pm.html", "b_x.pm.html"}},
      // One file given twice, also under another spelling of its path.
      {{"/d/x.pm", "/d/./x.pm", "/e/x.pm"}, {"d_x.pm.html", "d_x.pm_2.html", "e_x.pm.html"}},
      // The index keeps its name.
      {{"/d/index", "/d/index.html"}, {"index_2.html", "index.html.html"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(reportNames(c.files), c.names) << c.files.front();
}

struct IndexRow {
  bool done;
  std::string kind;
  std::string size;
  std::string sha256;
  std::string rows;  // "information phonebook calls calendar"
  std::string messages;
  std::string report;  // the link's target, or the reason there is none
};

// The rows of the index, by file.
std::map<std::string, IndexRow> indexRows(const std::string& html) {
  static const std::regex row(
      R"re(<tr class="(done|failed)"><td>([^<]*)</td><td>([^<]*)</td><td>([^<]*)</td>)re"
      R"re(<td class="digest">([^<]*)</td><td>(\d*)</td><td>(\d*)</td><td>(\d*)</td><td>(\d*)</td>)re"
      R"re(<td>(.*?)</td><td>(?:<a href="([^"]*)">[^<]*</a>|не записан: ([^<]*))</td></tr>)re");
  std::map<std::string, IndexRow> rows;
  for (auto it = std::sregex_iterator(html.begin(), html.end(), row); it != std::sregex_iterator();
       ++it) {
    const std::smatch& m = *it;
    const bool done = m[1] == "done";
    rows[m[2]] = {done,
                  m[3],
                  m[4],
                  m[5],
                  m[6].str() + " " + m[7].str() + " " + m[8].str() + " " + m[9].str(),
                  m[10],
                  done ? m[11].str() : m[12].str()};
  }
  return rows;
}

std::set<std::string> filesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

TEST(CliBatch, WritesAReportPerFileAndAnIndexOfThem) {
  test::TempDir dir;
  fs::create_directories(dir.path() / "a");
  fs::create_directories(dir.path() / "b");
  const std::string pm = (kSamples / "demo.pm").string();
  const std::string gdfs = (kSamples / "demo.gdfs").string();
  const std::string bin = (kSamples / "demo.bin").string();
  const std::string ax = (dir.path() / "a/x.pm").string();
  const std::string bx = (dir.path() / "b/x.pm").string();
  fs::copy_file(pm, ax);
  fs::copy_file(kSamples / "demo.gdf", dir.path() / "b/x.pm");
  const std::string missing = dir.file("missing.pm");
  const std::string notes = dir.write("notes.txt", "no dump");
  const std::string out = dir.file("reports/2012");

  const test::CliResult r =
      runCli({"batch", "--to", out, pm, gdfs, bin, ax, "--", bx, missing, notes});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find("kestrel-cli: " + missing + ": No such file or directory\n"),
            std::string::npos)
      << r.err;

  const std::map<std::string, IndexRow> rows = indexRows(test::readFile(out + "/index.html"));
  ASSERT_EQ(rows.size(), 7u) << test::readFile(out + "/index.html");
  const auto sha = [](const std::string& file) { return output::factsOf(file).sha256; };
  struct Want {
    std::string file;
    bool done;
    std::string kind;
    std::string size;
    std::string rows;
    std::string report;
  };
  const std::vector<Want> wants = {
      {pm, true, "pm", "2539", "13 5 5 4", "demo.pm.html"},
      {gdfs, true, "gdfs", "1402", "8 2 3 3", "demo.gdfs.html"},
      {bin, true, "gdfs", "680", "8 2 3 3", "demo.bin.html"},
      // x.pm given the kind its name tells, whatever it holds: a GDFS file in b/ is no PM dump.
      {ax, true, "pm", "2539", "13 5 5 4", "a_x.pm.html"},
      {bx, false, "pm", "1880", "0 0 0 0", "&quot;Сохранить&quot; is disabled for this document"},
      {missing, false, "pm", "", "   ", "No such file or directory"},
      {notes, false, "", "", "   ", "cannot tell the kind of the file; give --kind"},
  };
  std::set<std::string> reports = {"index.html"};
  for (const Want& w : wants) {
    ASSERT_TRUE(rows.contains(w.file)) << w.file;
    const IndexRow& row = rows.at(w.file);
    EXPECT_EQ(row.done, w.done) << w.file;
    EXPECT_EQ(row.kind, w.kind) << w.file;
    EXPECT_EQ(row.size, w.size) << w.file;
    EXPECT_EQ(row.rows, w.rows) << w.file;
    EXPECT_EQ(row.report, w.report) << w.file;
    EXPECT_EQ(row.sha256, w.size.empty() ? "" : sha(w.file)) << w.file;
    if (w.done) reports.insert(w.report);
  }
  EXPECT_EQ(rows.at(bx).messages, "Неверный формат файла");
  EXPECT_EQ(rows.at(missing).messages, "Неверный формат файла");
  // Every report the index links is there, and nothing else is.
  EXPECT_EQ(filesIn(out), reports);
  EXPECT_NE(test::readFile(out + "/a_x.pm.html").find("Иванов Иван"), std::string::npos);

  // Only files that all got their reports: exit 0, and the index is written anew.
  EXPECT_EQ(runCli({"batch", "--to", out, pm}).status, 0);
  EXPECT_EQ(indexRows(test::readFile(out + "/index.html")).size(), 1u);
}

TEST(CliBatch, UsageErrors) {
  const std::string pm = (kSamples / "demo.pm").string();
  EXPECT_EQ(runCli({"batch", pm}).status, 2);
  EXPECT_EQ(runCli({"batch", "--to"}).status, 2);
  EXPECT_EQ(runCli({"batch", "--kind", "xls", "--to", "/nonexistent", pm}).status, 2);
  EXPECT_FALSE(fs::exists("/nonexistent"));
}

// The write end of the pipe on which a stopped batch tells the test it is about to replace a
// file.
int gReplacing = -1;

void waitAtReplace() {
  const char byte = 'r';
  static_cast<void>(::write(gReplacing, &byte, 1));
  for (;;)
    ::pause();
}

TEST(CliBatch, AStoppedBatchLeavesNoIndex) {
  test::TempDir dir;
  const std::string out = dir.file("out");
  std::vector<std::string> args = {"batch", "--to", out};
  for (int k = 0; k < 40; ++k) {
    const fs::path copy = dir.path() / ("in" + std::to_string(k)) / "x.pm";
    fs::create_directories(copy.parent_path());
    fs::copy_file(kSamples / "demo.pm", copy);
    args.push_back(copy.string());
  }
  // An index of an earlier batch is there.
  ASSERT_EQ(runCli({"batch", "--to", out, (kSamples / "demo.gdfs").string()}).status, 0);
  ASSERT_TRUE(fs::exists(out + "/index.html"));

  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(fds[0]);
    // As kestrel-cli starts; a batch that is never stopped ends by the alarm and fails the test.
    removeTemporaryFilesOnSignals();
    ::alarm(30);
    gReplacing = fds[1];
    detail::setBeforeReplaceHook(waitAtReplace);
    test::runCli(args);
    ::_exit(0);
  }
  ::close(fds[1]);
  // The batch is at its first report's last step; it is stopped there.
  char byte = 0;
  ASSERT_EQ(::read(fds[0], &byte, 1), 1);
  ASSERT_EQ(::kill(child, SIGTERM), 0);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  // Open until the end: another thread at its last step may tell it too.
  ::close(fds[0]);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;

  const std::set<std::string> left = filesIn(out);
  EXPECT_FALSE(left.contains("index.html"));
  // What is there is whole reports, of fewer files than were given, and no temporary file.
  EXPECT_LT(left.size(), 40u);
  for (const std::string& name : left) {
    EXPECT_TRUE(name.ends_with("_x.pm.html") || name == "demo.gdfs.html") << name;
    EXPECT_TRUE(test::readFile(out + "/" + name).ends_with("</html>\r\n")) << name;
  }
}

}  // namespace
}  // namespace kestrel::cli
