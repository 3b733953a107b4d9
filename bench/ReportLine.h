#pragma once
// One line of the benchmark report: the figure's name and the size of its input, then what was
// measured, the baseline, the ratio and the goal with its verdict, in columns that line up.

#include <cstdarg>
#include <cstdio>
#include <string>
#include <string_view>

namespace kestrel::bench {

[[gnu::format(printf, 1, 2)]] inline std::string formatted(const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

inline double kbToMb(long kb) {
  return static_cast<double>(kb) / 1024.0;
}

class ReportLine {
 public:
  ReportLine(std::string_view name, std::string_view size)
      : text_(formatted("%-22.*s %-9.*s", static_cast<int>(name.size()), name.data(),
                        static_cast<int>(size.size()), size.data())) {}

  ReportLine& seconds(double s) { return add(formatted("%7.3f s", s)); }
  ReportLine& peak(long kb) { return add(formatted("peak %5.0f MB", kbToMb(kb))); }
  ReportLine& add(std::string_view item) {
    text_ += "  ";
    text_ += item;
    return *this;
  }
  ReportLine& goal(std::string_view goal, bool pass) {
    return add("goal " + std::string(goal) + (pass ? "  PASS" : "  FAIL"));
  }
  void print() const {
    std::printf("%s\n", text_.c_str());
    std::fflush(stdout);
  }

 private:
  std::string text_;
};

}  // namespace kestrel::bench
