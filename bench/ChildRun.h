#pragma once
// Measuring one piece of work in a process of its own, so that the peak memory of one figure
// never mixes with another's: the work runs in a forked child that times itself and reports
// through a pipe; the parent takes the child's peak from wait4. Baselines are other programs,
// run and timed the same way.

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestrel::bench {

// What the process spent: its minor page faults and the processor time of all its threads.
struct Usage {
  long minorFaults = -1;
  double userSeconds = -1;
  double systemSeconds = -1;
};

// What the work inside the child tells the measurement.
class Probe {
 public:
  // The timed part of the work, its time and what the process spent during it.
  void start();
  void stop();
  // The work's set-up (a loaded document) is in place: its resident memory is noted, and the
  // peak is counted afresh from here on.
  void setupDone();
  // The rows or records the work produced, to tell a reader that read nothing from a fast one.
  void setItems(long items) { items_ = items; }

  double seconds() const { return seconds_; }
  const Usage& usage() const { return usage_; }
  long setupKb() const { return setupKb_; }
  long items() const { return items_; }

 private:
  using Clock = std::chrono::steady_clock;
  Clock::time_point start_ = Clock::now();
  Usage startUsage_{};
  double seconds_ = -1;
  Usage usage_{};
  long setupKb_ = -1;
  long items_ = -1;
};

struct Sample {
  bool ok = false;
  std::string failure;  // why the child did not report
  double seconds = 0;
  long peakKb = 0;       // the child's maximum resident set
  long setupKb = -1;     // resident memory when the set-up was done; -1 without one
  long workPeakKb = -1;  // the peak since the set-up was done; -1 without one
  long items = -1;
  Usage usage{};  // spent by the timed part; -1 where the work did not stop its clock
};

// Runs the work in a forked child (which ends with _exit, skipping destructors) and returns its
// report. A child that throws, crashes or runs longer than `limitSeconds` gives a failed sample.
Sample runInChild(const std::function<void(Probe&)>& work, unsigned limitSeconds = 900);

// The same in a process started afresh: this program run again with `arguments` followed by
// the number of the descriptor to report on, which hands that number and its work to
// reportFromChild. A forked child shares the memory its parent has touched until it writes to
// it, and each first write then costs a copy and a flush of every core's address cache; a
// program started afresh, like the one a user runs, does not.
Sample runInFreshChild(const std::vector<std::string>& arguments, unsigned limitSeconds = 900);

// In a process that runInFreshChild started: runs the work and reports on descriptor `fd`, then
// ends the process.
[[noreturn]] void reportFromChild(int fd, const std::function<void(Probe&)>& work);

// Runs a program with its standard output sent to /dev/null and times it from start to exit;
// a negative time when it could not be run or did not exit with 0.
double timeCommand(const std::vector<std::string>& argv);

// The middle value (the mean of the two middle ones for an even count); 0 for none.
double median(std::vector<double> values);

// The benchmark programs' command line: DIR [--runs N], and [--only TEXT] where `only` is
// accepted; nothing when the arguments are not of that form.
struct Arguments {
  std::string dir;
  int runs = 5;
  std::string only;
};
std::optional<Arguments> parseArguments(int argc, char** argv, bool acceptOnly);

// What this process has spent so far (getrusage of RUSAGE_SELF, which counts every thread).
Usage usageSoFar();

// Resident memory of this process now and at its peak, in KiB (from /proc/self/status).
long residentKb();
long peakResidentKb();

}  // namespace kestrel::bench
