// The benchmark report: kestrel-bench DIR [--runs N] [--only TEXT].
//
// Times the readers and exporters over the inputs make-dumps wrote into DIR/full and DIR/half,
// each run in a process of its own, and prints one line per figure: the median time, the peak
// memory, the baseline program's median time over the same input, their ratio and the goal with
// PASS or FAIL; then, per figure, how the time grows from half to full size. The desktop's
// figure follows when app-open-bench lies beside this program. The exit status is 0 whatever
// the verdicts: this is a report, not a test.

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "ChildRun.h"
#include "ReportLine.h"
#include "core/Document.h"
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
  // The baseline program and its arguments, the input last; empty for none.
  std::vector<std::string> baseline{};
  std::string baselineFile{};  // its input, when not `file`
  double ratioGoal = 0;        // 0: no goal on the ratio
  PeakGoal peakGoal = PeakGoal::None;
  // The work's set-up is a loaded document: its peak is shown above the document's memory.
  bool aboveDocument = false;
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
  const std::vector<std::string> md5sum = {"md5sum"};

  list.push_back({.name = "pm load+decode",
                  .file = "dump.pm",
                  .work =
                      [](Probe& probe, const std::string& input, const fs::path&) {
                        Document doc;
                        probe.start();
                        const bool ok = openDocument(doc, FileKind::Pm, {input});
                        probe.stop();
                        if (!ok) throw std::runtime_error("the PM dump did not load");
                        probe.setItems(rowsOf(doc));
                      },
                  .itemsLabel = "rows",
                  .baseline = xxd,
                  .baselineFile = "dump.pm.payload",
                  .ratioGoal = 0.40,
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
                  .baseline = xxd,
                  .ratioGoal = 1.5});
  list.push_back({.name = "gdfs .gdf load",
                  .file = "dump.gdf",
                  .work = gdfs,
                  .itemsLabel = "rows",
                  .baseline = xxd,
                  .ratioGoal = 1.5});
  list.push_back({.name = "gdfs .bin load",
                  .file = "dump.bin",
                  .work = gdfs,
                  .itemsLabel = "rows",
                  .baseline = md5sum,
                  .ratioGoal = 6,
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
                  .baseline = md5sum,
                  .ratioGoal = 2});
  list.push_back({.name = "vcard import",
                  .file = "cards.vcf",
                  .work =
                      [](Probe& probe, const std::string& input, const fs::path&) {
                        Document doc;
                        probe.start();
                        const bool ok = openDocument(doc, FileKind::Vcf, {input});
                        probe.stop();
                        if (!ok) throw std::runtime_error("the vCard file was not read");
                        probe.setItems(rowsOf(doc));
                      },
                  .itemsLabel = "rows",
                  .baseline = {"iconv", "-f", "UTF-8", "-t", "WINDOWS-1251//TRANSLIT"},
                  .ratioGoal = 2});

  // The exporters, each over the document of the PM dump.
  // `filterIndex` is the format's place in the save dialog.
  const auto saving = [](const char* name, int filterIndex, PeakGoal goal) {
    return Figure{
        .name = name,
        .file = "dump.pm",
        .work =
            [filterIndex](Probe& probe, const std::string& input, const fs::path& scratch) {
              saveAs(probe, input, scratch / "out", filterIndex);
            },
        .peakGoal = goal,
        .aboveDocument = true};
  };
  list.push_back(saving("export text report", 1, PeakGoal::DocumentPlusSlack));
  list.push_back(saving("export csv (;)", 2, PeakGoal::DocumentPlusSlack));
  list.push_back(saving("export vcard utf-8", 4, PeakGoal::None));
  list.push_back(saving("export vcard 1251", 5, PeakGoal::None));
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
  return list;
}

void emptyFolder(const fs::path& folder) {
  for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    fs::remove_all(entry.path());
}

struct Measured {
  bool ok = false;
  double seconds = 0;
};

std::string baselineLabel(const Figure& f) {
  std::string label;
  for (const std::string& a : f.baseline)
    label += a + " ";
  return label + (f.baselineFile.empty() ? f.file : f.baselineFile);
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
  std::vector<double> baseTimes{};
  Sample worst{};  // the run of the highest peak
  std::string failure{};
};

std::vector<std::string> baselineArgv(const Figure& f, const fs::path& folder) {
  std::vector<std::string> argv = f.baseline;
  argv.push_back((folder / (f.baselineFile.empty() ? f.file : f.baselineFile)).string());
  return argv;
}

// One run of the work and one of the baseline at each size, in turn.
void runOnce(const Figure& f, std::vector<SizeRuns>& sizes, bool first, const fs::path& scratch) {
  for (SizeRuns& at : sizes) {
    if (!at.failure.empty()) continue;
    const std::string input = (at.folder / f.file).string();
    const Sample s =
        kestrel::bench::runInChild([&](Probe& probe) { f.work(probe, input, scratch); });
    emptyFolder(scratch);
    if (!s.ok) {
      at.failure = s.failure;
      continue;
    }
    at.times.push_back(s.seconds);
    if (first || shownPeak(f, s) > shownPeak(f, at.worst)) at.worst = s;
    if (!f.baseline.empty())
      at.baseTimes.push_back(kestrel::bench::timeCommand(baselineArgv(f, at.folder)));
  }
}

// The line of one size, and the line of its memory goal where it has one. Returns the median
// time, or nothing when a run failed.
Measured report(const Figure& f, const SizeRuns& at) {
  ReportLine line(f.name, at.size);
  if (!at.failure.empty()) {
    line.add("FAILED: " + at.failure).print();
    return {};
  }
  const Sample& worst = at.worst;
  const double seconds = kestrel::bench::median(at.times);
  line.seconds(seconds);
  if (f.aboveDocument) {
    line.add(formatted("peak +%.0f MB over the document's %.0f MB", kbToMb(shownPeak(f, worst)),
                       kbToMb(worst.setupKb)));
  } else {
    line.peak(worst.peakKb);
  }

  if (!f.baseline.empty()) {
    const bool baseOk =
        std::all_of(at.baseTimes.begin(), at.baseTimes.end(), [](double t) { return t >= 0; });
    if (!baseOk) {
      line.add("baseline " + baselineLabel(f) + ": could not be run");
    } else {
      const double base = kestrel::bench::median(at.baseTimes);
      const double ratio = seconds / base;
      line.add(formatted("baseline %s %.3f s  ratio %.2f", baselineLabel(f).c_str(), base, ratio));
      if (f.ratioGoal > 0) line.goal(formatted("<= %.2f", f.ratioGoal), ratio <= f.ratioGoal);
    }
  }
  if (f.peakGoal == PeakGoal::DocumentPlusSlack)
    line.goal("<= document + 64 MB", shownPeak(f, worst) <= kSlackKb);
  if (!f.itemsLabel.empty()) line.add(formatted("(%ld %s)", worst.items, f.itemsLabel.c_str()));
  line.print();

  if (f.peakGoal == PeakGoal::TwiceFile || f.peakGoal == PeakGoal::FileAndHalf) {
    const bool twice = f.peakGoal == PeakGoal::TwiceFile;
    const long fileKb = static_cast<long>(fs::file_size(at.folder / f.file) / 1024);
    const long limitKb = (twice ? 2 * fileKb : fileKb * 3 / 2) + kSlackKb;
    ReportLine(f.name + " peak", at.size)
        .peak(worst.peakKb)
        .add(formatted("file %.0f MB", kbToMb(fileKb)))
        .goal(formatted("<= %s × file + 64 MB = %.0f MB", twice ? "2" : "1.5", kbToMb(limitKb)),
              worst.peakKb <= limitKb)
        .print();
  }
  return {true, seconds};
}

// A figure at every size. The sizes and the baseline take turns run by run, so that a slow
// spell of a shared machine falls on all of them alike instead of on one of the ratios.
std::vector<Measured> measure(const Figure& f, std::vector<SizeRuns> sizes, int runs,
                              const fs::path& scratch) {
  for (int r = 0; r < runs; ++r)
    runOnce(f, sizes, r == 0, scratch);
  std::vector<Measured> results;
  for (const SizeRuns& at : sizes)
    results.push_back(report(f, at));
  return results;
}

// The desktop's figure, when its program was built beside this one.
void runAppOpenBench(const fs::path& dir, int runs) {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  const fs::path program = self.parent_path() / "app-open-bench";
  if (ec || !fs::exists(program)) return;
  const std::string path = program.string();
  const std::string data = dir.string();
  const std::string count = std::to_string(runs);
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::execl(path.c_str(), path.c_str(), data.c_str(), "--runs", count.c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  if (pid > 0) ::waitpid(pid, &status, 0);
}

int usage() {
  std::cerr << "usage: kestrel-bench DIR [--runs N] [--only TEXT]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
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
  for (const Figure& f : figures()) {
    if (!only.empty() && f.name.find(only) == std::string::npos) continue;
    std::vector<SizeRuns> present;
    for (const std::string& size : sizes) {
      const fs::path folder = fs::path(dir) / size;
      if (fs::exists(folder / f.file)) present.push_back({.size = size, .folder = folder});
    }
    const std::vector<Measured> results = measure(f, std::move(present), runs, scratch.path());
    if (results.size() == 2 && results[0].ok && results[1].ok) {
      const double growth = results[0].seconds / results[1].seconds;
      ReportLine(f.name, "full/half")
          .add(formatted("ratio %.2f", growth))
          .goal(formatted("<= %.1f", kScalingGoal), growth <= kScalingGoal)
          .print();
    }
  }
  if (only.empty() || std::string_view("app open").find(only) != std::string_view::npos)
    runAppOpenBench(dir, runs);
  return 0;
}
