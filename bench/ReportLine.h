#pragma once
// One line of the benchmark report: the figure's name and the size of its input, then what was
// measured, the baseline, the ratio and the goal with its verdict, in columns that line up; and
// the summary of the verdicts that ends the report.

#include <cstdarg>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// The widths of a line's first two columns; a longer name pushes the rest to the right.
constexpr int kNameWidth = 28;
constexpr int kSizeWidth = 9;

// Whether the goals of one line were met.
struct Verdict {
  std::string figure{};  // the figure's name and size: "pm load+decode full"
  bool pass = false;
  std::string note{};  // what missed its goal, "ratio 2.31"; may be empty
};

class ReportLine {
 public:
  ReportLine(std::string_view name, std::string_view size)
      : figure_(std::string(name) + " " + std::string(size)),
        text_(formatted("%-*.*s %-*.*s", kNameWidth, static_cast<int>(name.size()), name.data(),
                        kSizeWidth, static_cast<int>(size.size()), size.data())) {}

  ReportLine& seconds(double s) { return add(formatted("%7.3f s", s)); }
  ReportLine& peak(long kb) { return add(formatted("peak %5.0f MB", kbToMb(kb))); }
  ReportLine& add(std::string_view item) {
    text_ += "  ";
    text_ += item;
    return *this;
  }
  // A goal and whether it was met; `measured` names what was held to it, for the summary.
  ReportLine& goal(std::string_view goal, bool pass, std::string_view measured = {}) {
    if (!pass && !measured.empty()) note_ += (note_.empty() ? "" : ", ") + std::string(measured);
    pass_ = pass_.value_or(true) && pass;
    return add("goal " + std::string(goal) + (pass ? "  PASS" : "  FAIL"));
  }
  // The work did not give a figure: the line fails whatever its goals were.
  ReportLine& failed(std::string_view why) {
    pass_ = false;
    note_ = "failed";
    return add("FAILED: " + std::string(why));
  }
  // The line's verdict; nothing for a line without a goal.
  std::optional<Verdict> verdict() const {
    if (!pass_) return std::nullopt;
    return Verdict{figure_, *pass_, note_};
  }
  const std::string& text() const { return text_; }
  void print() const {
    std::printf("%s\n", text_.c_str());
    std::fflush(stdout);
  }

 private:
  std::string figure_;
  std::string text_;
  std::optional<bool> pass_{};
  std::string note_{};
};

// The verdict of a line another benchmark program printed: a line with PASS or FAIL in it holds
// a goal, met unless FAIL is in it (a run that FAILED among them); other lines hold none.
std::optional<Verdict> verdictOfLine(std::string_view line);

// "goals: 41 of 44 pass; FAIL: pm load+decode full (ratio 2.31), gdfs .bin load peak full".
std::string summaryLine(const std::vector<Verdict>& verdicts);

}  // namespace kestrel::bench
