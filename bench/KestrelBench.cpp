// The benchmark report: kestrel-bench DIR [--runs N] [--only TEXT].
//
// Times the readers and exporters over the inputs make-dumps wrote into DIR/full and DIR/half,
// each run in a process of its own, and prints one line per figure: the median time, where it
// went (minor page faults, user and system time), the peak memory; for a reader, md5sum's median
// time over the same file, their ratio and the goal with PASS or FAIL, and the time of a program
// that does a similar job, for comparison; then, per figure, how the time grows from half to full
// size. The desktop's figures follow when app-open-bench lies beside this program, and a last
// line counts the goals met and names those missed. The exit status is 0 whatever the verdicts:
// this is a report, not a test.

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "ChildRun.h"
#include "ReportLine.h"
#include "core/CellSearch.h"
#include "core/Document.h"
#include "core/Overview.h"
#include "explorer/PmWriter.h"
#include "export/SaveCommand.h"
#include "export/SpreadsheetExport.h"
#include "export/XlsxSpreadsheet.h"
#include "open/OpenDocument.h"
#include "readers/pm/PmDecoder.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using kestrel::Document;
using kestrel::FileKind;
using kestrel::openDocument;
using kestrel::bench::formatted;
using kestrel::bench::kbToMb;
using kestrel::bench::Probe;
using kestrel::bench::ReportLine;
using kestrel::bench::Sample;
using kestrel::bench::Verdict;

constexpr long kSlackKb = 64 * 1024;
constexpr double kScalingGoal = 2.2;

// What a figure's peak memory is held to.
enum class PeakGoal {
  None,
  TwiceFile,         // the process at most 2 × the file + 64 MB
  FileAndHalf,       // the process at most 1.5 × the file + 64 MB
  DocumentPlusSlack  // the work at most 64 MB above the loaded document
};

struct Figure {
  std::string name{};
  std::string file{};  // the input inside the size's folder
  // The work; `scratch` is an empty folder for what it writes.
  std::function<void(Probe&, const std::string& input, const fs::path& scratch)> work{};
  std::string itemsLabel{};  // what Probe::setItems counts; empty when nothing
  // The yardstick of a reader: its time divided by md5sum's over the same file is held to this.
  // 0: md5sum is not run.
  double md5sumGoal = 0;
  // A program that does a similar job, and its arguments, the input last: its time is shown for
  // comparison, with no goal. Empty for none.
  std::vector<std::string> comparison{};
  std::string comparisonFile{};  // its input, when not `file`
  PeakGoal peakGoal = PeakGoal::None;
  // The work writes a folder of many files. What each run writes then stays until the end of
  // the benchmarks, so that no run makes its files where another's were just deleted: a file
  // system takes much longer to find room for a file where many were deleted lately, and more
  // so the more there were, which is no part of the work.
  bool keepsOutput = false;
  // The work's set-up is a loaded document: its peak is shown above the document's memory.
  bool aboveDocument = false;
  // The median time the work is held to at full size; 0: no such goal.
  double fullSecondsGoal = 0;
  // A reader or an exporter: how its time grows with twice the input is held to kScalingGoal.
  // The other figures show that growth with no goal.
  bool scalingGoal = true;
};

long rowsOf(const Document& doc) {
  return static_cast<long>(doc.phonebook.rowCount() + doc.calls.rowCount() +
                           doc.calendar.rowCount());
}

// The document of the PM dump, loaded as the set-up of an export.
void loadPmSetup(Probe& probe, Document& doc, const std::string& input) {
  if (!openDocument(doc, FileKind::Pm, {input}))
    throw std::runtime_error("the PM dump did not load");
  probe.setupDone();
}

void saveAs(Probe& probe, const std::string& input, const fs::path& target, int filterIndex) {
  Document doc;
  loadPmSetup(probe, doc, input);
  probe.start();
  const auto warning =
      kestrel::output::saveDocument(doc, {true, true, true}, {target.string(), filterIndex});
  probe.stop();
  if (warning) throw std::runtime_error("the save warned");
}

std::vector<Figure> figures() {
  std::vector<Figure> list;
  const std::vector<std::string> xxd = {"xxd", "-r", "-p"};

  // Opening a file that must open, timed; `what` names it when it does not.
  const auto opening = [](FileKind kind, const char* what) {
    return [kind, what](Probe& probe, const std::string& input, const fs::path&) {
      Document doc;
      probe.start();
      const bool ok = openDocument(doc, kind, {input});
      probe.stop();
      if (!ok) throw std::runtime_error(std::string(what) + " was not read");
      probe.setItems(rowsOf(doc));
    };
  };
  const auto pm = opening(FileKind::Pm, "the PM dump");
  list.push_back({.name = "pm load+decode",
                  .file = "dump.pm",
                  .work = pm,
                  .itemsLabel = "rows",
                  .md5sumGoal = 2,
                  .comparison = xxd,
                  .comparisonFile = "dump.pm.payload",
                  .peakGoal = PeakGoal::TwiceFile});
  // A dump whose calls outnumber the rest: the decoder's share of the load is larger.
  list.push_back({.name = "pm load+decode (calls)",
                  .file = "calls.pm",
                  .work = pm,
                  .itemsLabel = "rows",
                  .md5sumGoal = 2,
                  .comparison = xxd,
                  .comparisonFile = "calls.pm.payload",
                  .peakGoal = PeakGoal::TwiceFile});
  // The loader runs the contents decoder itself; its share is timed again over the loaded
  // block model with the tables emptied.
  list.push_back(
      {.name = "pm decode",
       .file = "dump.pm",
       .work =
           [](Probe& probe, const std::string& input, const fs::path&) {
             Document doc;
             if (!openDocument(doc, FileKind::Pm, {input}))
               throw std::runtime_error("the PM dump did not load");
             for (kestrel::ResultTable* table : {&doc.phonebook, &doc.calls, &doc.calendar})
               table->clear();
             probe.setupDone();
             probe.start();
             kestrel::pm::decodeContents(doc);
             probe.stop();
             probe.setItems(rowsOf(doc));
           },
       .itemsLabel = "rows",
       .aboveDocument = true});
  const auto gdfs = [](Probe& probe, const std::string& input, const fs::path&) {
    Document doc;
    probe.start();
    openDocument(doc, FileKind::Gdfs, {input});
    probe.stop();
    probe.setItems(rowsOf(doc));
  };
  list.push_back({.name = "gdfs .gdfs load",
                  .file = "dump.gdfs",
                  .work = gdfs,
                  .itemsLabel = "rows",
                  .md5sumGoal = 2,
                  .comparison = xxd});
  list.push_back({.name = "gdfs .gdf load",
                  .file = "dump.gdf",
                  .work = gdfs,
                  .itemsLabel = "rows",
                  .md5sumGoal = 2,
                  .comparison = xxd});
  list.push_back({.name = "gdfs .bin load",
                  .file = "dump.bin",
                  .work = gdfs,
                  .itemsLabel = "rows",
                  .md5sumGoal = 3,
                  .peakGoal = PeakGoal::FileAndHalf});
  list.push_back({.name = "eeprom load",
                  .file = "eeprom.img",
                  .work =
                      [](Probe& probe, const std::string& input, const fs::path&) {
                        Document doc;
                        probe.start();
                        openDocument(doc, FileKind::Eeprom, {input});
                        probe.stop();
                        probe.setItems(static_cast<long>(doc.model.recordCount()));
                      },
                  .itemsLabel = "records",
                  .md5sumGoal = 1.5});
  list.push_back({.name = "vcard import",
                  .file = "cards.vcf",
                  .work = opening(FileKind::Vcf, "the vCard file"),
                  .itemsLabel = "rows",
                  .md5sumGoal = 2,
                  .comparison = {"iconv", "-f", "UTF-8", "-t", "WINDOWS-1251//TRANSLIT"}});

  // The exporters, each over the document of the PM dump.
  // `filterIndex` is the format's place in the save dialog.
  const auto saving = [](const char* name, int filterIndex, PeakGoal goal,
                         bool folderOfFiles = false) {
    return Figure{
        .name = name,
        .file = "dump.pm",
        .work =
            [filterIndex](Probe& probe, const std::string& input, const fs::path& scratch) {
              saveAs(probe, input, scratch / "out", filterIndex);
            },
        .peakGoal = goal,
        .keepsOutput = folderOfFiles,
        .aboveDocument = true};
  };
  list.push_back(saving("export text report", 1, PeakGoal::DocumentPlusSlack));
  list.push_back(saving("export csv (;)", 2, PeakGoal::DocumentPlusSlack));
  list.push_back(saving("export vcard utf-8", 4, PeakGoal::None, true));
  list.push_back(saving("export vcard 1251", 5, PeakGoal::None, true));
  list.push_back({.name = "export xlsx",
                  .file = "dump.pm",
                  .work =
                      [](Probe& probe, const std::string& input, const fs::path& scratch) {
                        Document doc;
                        loadPmSetup(probe, doc, input);
                        bool written = false;
                        kestrel::output::XlsxSpreadsheet book(
                            [&](kestrel::output::XlsxSpreadsheet& b) {
                              b.writeWorkbook((scratch / "book.xlsx").string(), doc.sourceFiles);
                              written = true;
                              return true;
                            });
                        probe.start();
                        kestrel::output::exportToSpreadsheet(
                            doc, book, kestrel::progressOf(doc),
                            [&](std::string_view text) { doc.showMessage(text); });
                        probe.stop();
                        if (!written) throw std::runtime_error("the workbook was not written");
                      },
                  .aboveDocument = true});
  list.push_back({.name = "pm writer",
                  .file = "dump.pm",
                  .work =
                      [](Probe& probe, const std::string& input, const fs::path& scratch) {
                        Document doc;
                        if (!openDocument(doc, FileKind::Pm, {input}))
                          throw std::runtime_error("the PM dump did not load");
                        // Every block and record marked: the whole model is written.
                        kestrel::BlockModel& model = doc.model;
                        std::fill(model.blockMarks.begin(), model.blockMarks.end(), true);
                        for (std::size_t g = 0; g < model.blockCount(); ++g)
                          model.setRecordMarks(g, true);
                        probe.setupDone();
                        probe.start();
                        kestrel::explorer::writePmDump(doc, (scratch / "copy").string(),
                                                       kestrel::progressOf(doc));
                        probe.stop();
                      },
                  .peakGoal = PeakGoal::DocumentPlusSlack,
                  .aboveDocument = true});
  // The overview of the loaded dump's call log and calendar, as a window or a report builds it.
  const auto overview = [](Probe& probe, const std::string& input, const fs::path&) {
    Document doc;
    loadPmSetup(probe, doc, input);
    probe.start();
    const kestrel::Overview built = kestrel::buildOverview(doc);
    probe.stop();
    probe.setItems(static_cast<long>(doc.calls.rowCount() + doc.calendar.rowCount()));
    if (built.callLine.size() != doc.calls.rowCount())
      throw std::runtime_error("the overview missed calls");
  };
  for (const char* file : {"dump.pm", "calls.pm"}) {
    list.push_back(
        {.name = file == std::string_view("dump.pm") ? "overview build" : "overview build (calls)",
         .file = file,
         .work = overview,
         .itemsLabel = "rows",
         .aboveDocument = true,
         .fullSecondsGoal = 0.5,
         .scalingGoal = false});
  }
  // A number looked for in every table of the loaded call log, as the search of many dumps
  // does it.
  list.push_back({.name = "find number",
                  .file = "calls.pm",
                  .work =
                      [](Probe& probe, const std::string& input, const fs::path&) {
                        Document doc;
                        loadPmSetup(probe, doc, input);
                        long hits = 0;
                        probe.start();
                        kestrel::forEachCellMatch(doc, "+7 916 123-45-67",
                                                  [&](const kestrel::CellMatch&) { ++hits; });
                        probe.stop();
                        probe.setItems(static_cast<long>(doc.calls.rowCount()));
                        static_cast<void>(hits);
                      },
                  .itemsLabel = "call rows",
                  .aboveDocument = true,
                  .fullSecondsGoal = 0.2,
                  .scalingGoal = false});
  return list;
}

// What the report runs itself with to measure one figure's work in a process of its own.
constexpr const char* kChildOption = "--child";

// A new empty folder inside `scratch` for one run's output.
fs::path runFolder(const fs::path& scratch) {
  static int runs = 0;
  fs::path folder = scratch / ("run-" + std::to_string(++runs));
  fs::create_directory(folder);
  return folder;
}

struct Measured {
  bool ok = false;
  double seconds = 0;
};

// Prints a line and keeps its verdict for the summary.
void show(const ReportLine& line, std::vector<Verdict>& verdicts) {
  line.print();
  if (std::optional<Verdict> verdict = line.verdict()) verdicts.push_back(std::move(*verdict));
}

std::string comparisonLabel(const Figure& f) {
  std::string label;
  for (const std::string& a : f.comparison)
    label += a + " ";
  return label + (f.comparisonFile.empty() ? f.file : f.comparisonFile);
}

// The peak a figure shows: the process's, or what the work took above its document (the
// document's resident size can shrink a little while the work runs: that counts as nothing).
long shownPeak(const Figure& f, const Sample& s) {
  return f.aboveDocument ? std::max(0L, s.workPeakKb - s.setupKb) : s.peakKb;
}

// What the runs of a figure gave at one size.
struct SizeRuns {
  std::string size{};
  fs::path folder{};
  std::vector<double> times{};
  std::vector<double> minorFaults{};
  std::vector<double> userSeconds{};
  std::vector<double> systemSeconds{};
  std::vector<double> md5sumTimes{};
  std::vector<double> comparisonTimes{};
  Sample worst{};  // the run of the highest peak
  std::string failure{};
};

// The median time of a program's runs; nothing when one of them could not be run.
std::optional<double> programMedian(const std::vector<double>& times) {
  if (std::any_of(times.begin(), times.end(), [](double t) { return t < 0; })) return std::nullopt;
  return kestrel::bench::median(times);
}

// One run of the work, of md5sum and of the comparison at each size, in turn.
void runOnce(const Figure& f, std::vector<SizeRuns>& sizes, bool first, const fs::path& scratch) {
  for (SizeRuns& at : sizes) {
    if (!at.failure.empty()) continue;
    const std::string input = (at.folder / f.file).string();
    const fs::path output = runFolder(scratch);
    const Sample s =
        kestrel::bench::runInFreshChild({kChildOption, f.name, input, output.string()});
    if (!f.keepsOutput) fs::remove_all(output);
    if (!s.ok) {
      at.failure = s.failure;
      continue;
    }
    at.times.push_back(s.seconds);
    at.minorFaults.push_back(static_cast<double>(s.usage.minorFaults));
    at.userSeconds.push_back(s.usage.userSeconds);
    at.systemSeconds.push_back(s.usage.systemSeconds);
    if (first || shownPeak(f, s) > shownPeak(f, at.worst)) at.worst = s;
    if (f.md5sumGoal > 0) at.md5sumTimes.push_back(kestrel::bench::timeCommand({"md5sum", input}));
    if (!f.comparison.empty()) {
      std::vector<std::string> argv = f.comparison;
      argv.push_back((at.folder / (f.comparisonFile.empty() ? f.file : f.comparisonFile)).string());
      at.comparisonTimes.push_back(kestrel::bench::timeCommand(argv));
    }
  }
}

// The line of one size, and the line of its memory goal where it has one. Returns the median
// time, or nothing when a run failed.
Measured report(const Figure& f, const SizeRuns& at, std::vector<Verdict>& verdicts) {
  using kestrel::bench::median;
  ReportLine line(f.name, at.size);
  if (!at.failure.empty()) {
    show(line.failed(at.failure), verdicts);
    return {};
  }
  const Sample& worst = at.worst;
  const double seconds = median(at.times);
  line.seconds(seconds).add(formatted("minflt %7.0f  user %6.2f s  sys %5.2f s",
                                      median(at.minorFaults), median(at.userSeconds),
                                      median(at.systemSeconds)));
  if (f.aboveDocument) {
    line.add(formatted("peak +%.0f MB over the document's %.0f MB", kbToMb(shownPeak(f, worst)),
                       kbToMb(worst.setupKb)));
  } else {
    line.peak(worst.peakKb);
  }

  if (f.md5sumGoal > 0) {
    const std::string goal = formatted("<= %.2f", f.md5sumGoal);
    if (const std::optional<double> base = programMedian(at.md5sumTimes)) {
      const double ratio = seconds / *base;
      line.add(formatted("md5sum %6.3f s  ratio %5.2f", *base, ratio))
          .goal(goal, ratio <= f.md5sumGoal, formatted("ratio %.2f", ratio));
    } else {
      line.add("md5sum could not be run").goal(goal, false, "no md5sum");
    }
  }
  if (!f.comparison.empty()) {
    if (const std::optional<double> base = programMedian(at.comparisonTimes)) {
      line.add(
          formatted("%s %.3f s  ratio %.2f", comparisonLabel(f).c_str(), *base, seconds / *base));
    } else {
      line.add(comparisonLabel(f) + " could not be run");
    }
  }
  if (f.fullSecondsGoal > 0 && at.size == "full")
    line.goal(formatted("<= %.1f s", f.fullSecondsGoal), seconds <= f.fullSecondsGoal,
              formatted("%.3f s", seconds));
  if (f.peakGoal == PeakGoal::DocumentPlusSlack)
    line.goal("<= document + 64 MB", shownPeak(f, worst) <= kSlackKb,
              formatted("+%.0f MB", kbToMb(shownPeak(f, worst))));
  if (!f.itemsLabel.empty()) line.add(formatted("(%ld %s)", worst.items, f.itemsLabel.c_str()));
  show(line, verdicts);

  if (f.peakGoal == PeakGoal::TwiceFile || f.peakGoal == PeakGoal::FileAndHalf) {
    const bool twice = f.peakGoal == PeakGoal::TwiceFile;
    const long fileKb = static_cast<long>(fs::file_size(at.folder / f.file) / 1024);
    const long limitKb = (twice ? 2 * fileKb : fileKb * 3 / 2) + kSlackKb;
    ReportLine peak(f.name + " peak", at.size);
    peak.peak(worst.peakKb)
        .add(formatted("file %.0f MB", kbToMb(fileKb)))
        .goal(formatted("<= %s × file + 64 MB = %.0f MB", twice ? "2" : "1.5", kbToMb(limitKb)),
              worst.peakKb <= limitKb, formatted("peak %.0f MB", kbToMb(worst.peakKb)));
    show(peak, verdicts);
  }
  return {true, seconds};
}

// A figure at every size. The sizes, md5sum and the comparison take turns run by run, so that a
// slow spell of a shared machine falls on all of them alike instead of on one of the ratios.
std::vector<Measured> measure(const Figure& f, std::vector<SizeRuns> sizes, int runs,
                              const fs::path& scratch, std::vector<Verdict>& verdicts) {
  for (int r = 0; r < runs; ++r)
    runOnce(f, sizes, r == 0, scratch);
  std::vector<Measured> results;
  for (const SizeRuns& at : sizes)
    results.push_back(report(f, at, verdicts));
  return results;
}

// The desktop's figures, when their program was built beside this one. Its lines are printed as
// they come, and each that holds a goal is counted with the others; a program that ended badly
// is a goal missed.
void runAppOpenBench(const fs::path& dir, int runs, std::vector<Verdict>& verdicts) {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  const fs::path program = self.parent_path() / "app-open-bench";
  if (ec || !fs::exists(program)) return;
  const std::string path = program.string();
  const std::string data = dir.string();
  const std::string count = std::to_string(runs);
  int fds[2];
  if (::pipe(fds) != 0) {
    verdicts.push_back({"app-open-bench", false, std::string("pipe: ") + std::strerror(errno)});
    return;
  }
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    ::dup2(fds[1], STDOUT_FILENO);
    ::close(fds[1]);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::execl(path.c_str(), path.c_str(), data.c_str(), "--runs", count.c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(fds[1]);
  if (std::FILE* out = ::fdopen(fds[0], "r")) {
    char* text = nullptr;
    std::size_t capacity = 0;
    while (::getline(&text, &capacity, out) >= 0) {
      std::fputs(text, stdout);
      std::fflush(stdout);
      if (std::optional<Verdict> verdict = kestrel::bench::verdictOfLine(text))
        verdicts.push_back(std::move(*verdict));
    }
    std::free(text);
    std::fclose(out);
  } else {
    ::close(fds[0]);
  }
  int status = 0;
  if (pid < 0) {
    verdicts.push_back({"app-open-bench", false, std::string("fork: ") + std::strerror(errno)});
  } else if (::waitpid(pid, &status, 0) == pid &&
             !(WIFEXITED(status) && WEXITSTATUS(status) == 0)) {
    verdicts.push_back({"app-open-bench", false,
                        WIFSIGNALED(status) ? formatted("killed by signal %d", WTERMSIG(status))
                                            : formatted("exited with %d", WEXITSTATUS(status))});
  }
}

int usage() {
  std::cerr << "usage: kestrel-bench DIR [--runs N] [--only TEXT]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // A run of one figure's work, started by the report: --child NAME INPUT OUTPUT FD.
  if (argc == 6 && std::string_view(argv[1]) == kChildOption) {
    for (const Figure& f : figures()) {
      if (f.name == argv[2]) {
        const std::string input = argv[3];
        const fs::path output = argv[4];
        kestrel::bench::reportFromChild(std::atoi(argv[5]),
                                        [&](Probe& probe) { f.work(probe, input, output); });
      }
    }
    return 1;
  }
  const auto arguments = kestrel::bench::parseArguments(argc, argv, true);
  if (!arguments) return usage();
  const std::string& dir = arguments->dir;
  const int runs = arguments->runs;
  const std::string& only = arguments->only;
  const std::vector<std::string> sizes = {"full", "half"};
  if (!fs::exists(fs::path(dir) / "full" / "dump.pm")) {
    std::cerr << "kestrel-bench: " << dir << " holds no inputs; write them with make-dumps\n";
    return 1;
  }

  std::printf("Kestrel benchmarks over %s, median of %d runs\n", dir.c_str(), runs);
  const kestrel::test::TempDir scratch;
  std::vector<Verdict> verdicts;
  for (const Figure& f : figures()) {
    if (!only.empty() && f.name.find(only) == std::string::npos) continue;
    std::vector<SizeRuns> present;
    for (const std::string& size : sizes) {
      const fs::path folder = fs::path(dir) / size;
      if (fs::exists(folder / f.file)) present.push_back({.size = size, .folder = folder});
    }
    const std::vector<Measured> results =
        measure(f, std::move(present), runs, scratch.path(), verdicts);
    if (results.size() == 2 && results[0].ok && results[1].ok) {
      const double growth = results[0].seconds / results[1].seconds;
      ReportLine line(f.name, "full/half");
      line.add(formatted("ratio %.2f", growth));
      if (f.scalingGoal) {
        line.goal(formatted("<= %.1f", kScalingGoal), growth <= kScalingGoal,
                  formatted("ratio %.2f", growth));
      }
      show(line, verdicts);
    }
  }
  if (only.empty() || std::string_view("app open").find(only) != std::string_view::npos)
    runAppOpenBench(dir, runs, verdicts);
  std::printf("%s\n", kestrel::bench::summaryLine(verdicts).c_str());
  return 0;
}
