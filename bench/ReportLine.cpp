#include "ReportLine.h"

#include <algorithm>

namespace kestrel::bench {

namespace {

// The columns of a line: the pieces between runs of two or more spaces.
std::vector<std::string_view> columnsOf(std::string_view line) {
  std::vector<std::string_view> columns;
  std::size_t pos = line.find_first_not_of(' ');
  while (pos != std::string_view::npos) {
    std::size_t end = line.find("  ", pos);
    if (end == std::string_view::npos) end = line.size();
    std::string_view column = line.substr(pos, end - pos);
    while (!column.empty() && (column.back() == ' ' || column.back() == '\n'))
      column.remove_suffix(1);
    if (!column.empty()) columns.push_back(column);
    pos = line.find_first_not_of(' ', end);
  }
  return columns;
}

}  // namespace

std::optional<Verdict> verdictOfLine(std::string_view line) {
  const bool fail = line.find("FAIL") != std::string_view::npos;
  if (!fail && line.find("PASS") == std::string_view::npos) return std::nullopt;
  const std::vector<std::string_view> columns = columnsOf(line);
  Verdict verdict{.pass = !fail};
  if (!columns.empty()) {
    // A name shorter than its column was padded away from the size; a longer one runs into it.
    verdict.figure = columns[0];
    if (columns[0].size() < static_cast<std::size_t>(kNameWidth) && columns.size() > 1) {
      verdict.figure += ' ';
      verdict.figure += columns[1];
    }
  }
  if (line.find("FAILED") != std::string_view::npos) verdict.note = "failed";
  return verdict;
}

std::string summaryLine(const std::vector<Verdict>& verdicts) {
  const auto passed =
      std::count_if(verdicts.begin(), verdicts.end(), [](const Verdict& v) { return v.pass; });
  std::string line =
      formatted("goals: %ld of %zu pass", static_cast<long>(passed), verdicts.size());
  const char* separator = "; FAIL: ";
  for (const Verdict& v : verdicts) {
    if (v.pass) continue;
    line += separator + v.figure;
    if (!v.note.empty()) line += " (" + v.note + ")";
    separator = ", ";
  }
  return line;
}

}  // namespace kestrel::bench
