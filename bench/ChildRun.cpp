#include "ChildRun.h"

#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <string_view>

// mimalloc's collection of freed memory; null when the program was linked without mimalloc.
extern "C" [[gnu::weak]] void mi_collect(bool force);

namespace kestrel::bench {

namespace {

long statusKb(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const std::size_t n = std::strlen(field);
  while (std::getline(in, line)) {
    if (line.compare(0, n, field) == 0 && line.size() > n && line[n] == ':')
      return std::atol(line.c_str() + n + 1);
  }
  return -1;
}

// The child's report, sent through the pipe as it lies in memory.
struct Report {
  double seconds = -1;
  long setupKb = -1;
  long workPeakKb = -1;
  long items = -1;
  Usage usage{};
  char failure[240] = {};
};

void writeAll(int fd, const void* data, std::size_t size) {
  const auto* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    p += n;
    size -= static_cast<std::size_t>(n);
  }
}

bool readAll(int fd, void* data, std::size_t size) {
  auto* p = static_cast<char*>(data);
  while (size > 0) {
    const ssize_t n = ::read(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

std::string exitText(int status) {
  if (WIFSIGNALED(status))
    return "killed by signal " + std::to_string(WTERMSIG(status)) + " (" +
           strsignal(WTERMSIG(status)) + ")";
  if (WIFEXITED(status)) return "exited with " + std::to_string(WEXITSTATUS(status));
  return "ended abnormally";
}

double seconds(const timeval& t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

}  // namespace

void Probe::start() {
  startUsage_ = usageSoFar();
  start_ = Clock::now();
}

void Probe::stop() {
  seconds_ = std::chrono::duration<double>(Clock::now() - start_).count();
  const Usage now = usageSoFar();
  usage_ = {.minorFaults = now.minorFaults - startUsage_.minorFaults,
            .userSeconds = now.userSeconds - startUsage_.userSeconds,
            .systemSeconds = now.systemSeconds - startUsage_.systemSeconds};
}

void Probe::setupDone() {
  // Memory the set-up freed would otherwise stay resident and hide what the work itself takes:
  // it goes back to the system first, so that the figure is the set-up's live memory. The
  // programs allocate with mimalloc where it was built in, and the system's allocator otherwise.
  if (mi_collect != nullptr) mi_collect(true);
  ::malloc_trim(0);
  setupKb_ = residentKb();
  // Writing 5 to clear_refs starts the peak (VmHWM) afresh at the present resident size.
  if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", f);
    std::fclose(f);
  }
}

Usage usageSoFar() {
  rusage self{};
  if (::getrusage(RUSAGE_SELF, &self) != 0) return {};
  return {.minorFaults = self.ru_minflt,
          .userSeconds = seconds(self.ru_utime),
          .systemSeconds = seconds(self.ru_stime)};
}

long residentKb() {
  return statusKb("VmRSS");
}

long peakResidentKb() {
  return statusKb("VmHWM");
}

namespace {

// In the child: runs the work and writes its report on fd.
void runAndReport(int fd, const std::function<void(Probe&)>& work) {
  Report report;
  try {
    Probe probe;
    work(probe);
    report.seconds = probe.seconds();
    report.setupKb = probe.setupKb();
    report.workPeakKb = probe.setupKb() >= 0 ? peakResidentKb() : -1;
    report.items = probe.items();
    report.usage = probe.usage();
  } catch (const std::exception& e) {
    std::snprintf(report.failure, sizeof report.failure, "%s", e.what());
  } catch (...) {
    std::snprintf(report.failure, sizeof report.failure, "unknown exception");
  }
  writeAll(fd, &report, sizeof report);
}

// In the parent: the report of the child `pid` from fd, and its peak once it has ended.
Sample collect(pid_t pid, int fd) {
  Sample sample;
  Report report;
  const bool got = readAll(fd, &report, sizeof report);
  ::close(fd);
  int status = 0;
  rusage usage{};
  while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  sample.peakKb = usage.ru_maxrss;
  if (!got || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    sample.failure = exitText(status);
  } else if (report.failure[0] != '\0') {
    sample.failure = report.failure;
  } else if (report.seconds < 0) {
    sample.failure = "the work timed nothing";
  } else {
    sample.ok = true;
    sample.seconds = report.seconds;
    sample.setupKb = report.setupKb;
    sample.workPeakKb = report.workPeakKb;
    sample.items = report.items;
    sample.usage = report.usage;
  }
  return sample;
}

// Forks a child that runs `child` with the writing end of a pipe, and collects its report.
Sample runForked(const std::function<void(int fd)>& child) {
  Sample sample;
  int fds[2];
  if (::pipe(fds) != 0) {
    sample.failure = std::string("pipe: ") + std::strerror(errno);
    return sample;
  }
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) {
    sample.failure = std::string("fork: ") + std::strerror(errno);
    ::close(fds[0]);
    ::close(fds[1]);
    return sample;
  }
  if (pid == 0) {
    ::close(fds[0]);
    child(fds[1]);
    ::_exit(0);
  }
  ::close(fds[1]);
  return collect(pid, fds[0]);
}

}  // namespace

Sample runInChild(const std::function<void(Probe&)>& work, unsigned limitSeconds) {
  return runForked([&](int fd) {
    ::alarm(limitSeconds);
    runAndReport(fd, work);
  });
}

Sample runInFreshChild(const std::vector<std::string>& arguments, unsigned limitSeconds) {
  return runForked([&](int fd) {
    std::vector<std::string> all = {"/proc/self/exe"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    all.push_back(std::to_string(fd));
    std::vector<char*> args;
    for (std::string& a : all)
      args.push_back(a.data());
    args.push_back(nullptr);
    // The alarm outlives the exec.
    ::alarm(limitSeconds);
    ::execv(args[0], args.data());
    // A child that cannot start reports so, as one whose work failed.
    Report report;
    std::snprintf(report.failure, sizeof report.failure, "exec: %s", std::strerror(errno));
    writeAll(fd, &report, sizeof report);
  });
}

void reportFromChild(int fd, const std::function<void(Probe&)>& work) {
  runAndReport(fd, work);
  ::_exit(0);
}

double timeCommand(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& a : argv)
    args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  std::fflush(nullptr);
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) ::dup2(null, STDOUT_FILENO);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 != 0 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

std::optional<Arguments> parseArguments(int argc, char** argv, bool acceptOnly) {
  Arguments a;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--runs" && i + 1 < argc) {
      const std::string_view value = argv[++i];
      const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), a.runs);
      if (ec != std::errc() || end != value.data() + value.size() || a.runs < 1)
        return std::nullopt;
    } else if (acceptOnly && arg == "--only" && i + 1 < argc) {
      a.only = argv[++i];
    } else if (a.dir.empty() && !arg.starts_with("-")) {
      a.dir = arg;
    } else {
      return std::nullopt;
    }
  }
  if (a.dir.empty()) return std::nullopt;
  return a;
}

}  // namespace kestrel::bench
