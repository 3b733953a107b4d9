#pragma once
// What `batch` writes beside the reports: their names in the folder and the index page.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrel::cli {

// The name of each file's report in the folder: the file's own name with ".html" added. Files
// that share a name take the names of their folders before it, joined by "_", one folder more
// at a time until the names differ (a/x.pm and b/x.pm give a_x.pm.html and b_x.pm.html). A name
// still shared (one file given twice), or the index's own name, gets "_2", "_3", … before
// ".html".
std::vector<std::string> reportNames(const std::vector<std::string>& files);

inline constexpr std::string_view kIndexName = "index.html";

// One file of the batch as the index lists it. The reader's messages are windows-1251; the file
// name (the path as given), the report's name and the failure are UTF-8.
struct BatchEntry {
  std::string file;
  std::string kind;  // the kind's name; empty when it could not be told
  std::optional<std::uint64_t> size;
  std::string sha256;
  // The rows of the information, phonebook, calls and calendar; none when the file was not read.
  std::optional<std::array<std::size_t, 4>> rows;
  std::vector<std::string> messages;  // the reader's message boxes
  std::string report;                 // the report's name in the folder; empty when none
  std::string failure;                // why there is no report; empty when there is
};

// The index page (UTF-8, CR LF line ends): one row per file in the order given, each with a
// link to its report or the reason it has none.
std::string batchIndexHtml(const std::vector<BatchEntry>& entries);

}  // namespace kestrel::cli
