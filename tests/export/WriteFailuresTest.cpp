// Every writer of a document's file, against targets that cannot take it: the failure names the
// file and the system's reason, and the folder is left as it was.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <set>

#include "core/Errors.h"
#include "explorer/PmWriter.h"
#include "export/SaveCommand.h"
#include "export/SpreadsheetExport.h"
#include "export/XlsxSpreadsheet.h"
#include "open/OpenDocument.h"
#include "support/DemoDump.h"
#include "support/TempDir.h"

namespace kestrel::output {
namespace {

namespace fs = std::filesystem;

// Every entry under a folder with its size, so that a new, lost or changed file shows.
std::set<std::string> contentsOf(const fs::path& folder) {
  std::set<std::string> entries;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const bool file = entry.is_regular_file() && !entry.is_symlink();
    entries.insert(fs::relative(entry.path(), folder).string() + " " +
                   (file ? std::to_string(entry.file_size()) : std::string("-")));
  }
  return entries;
}

struct Writer {
  std::string name;
  std::string ending;  // what the writer appends to the chosen name
  std::function<void(Document&, const std::string&)> write;
};

TEST(WriteFailures, EveryWriterNamesTheFileAndTheReasonAndLeavesTheFolderAsItWas) {
  test::TempDir dir;
  const std::string source = dir.write("demo.pm", test::demoPmText());
  Document doc;
  ASSERT_TRUE(openDocument(doc, FileKind::Pm, {source}));

  const TableChoice all{true, true, true};
  const std::vector<Writer> writers = {
      {"text", ".txt",
       [&](Document& d, const std::string& n) {
         saveDocument(d, all, {n, 1});
       }},
      {"CSV ;", ".csv",
       [&](Document& d, const std::string& n) {
         saveDocument(d, all, {n, 2});
       }},
      {"CSV ,", ".csv",
       [&](Document& d, const std::string& n) {
         saveDocument(d, all, {n, 3});
       }},
      {"PM", ".pm",
       [](Document& d, const std::string& n) { explorer::writePmDump(d, n, progressOf(d)); }},
      {"workbook", ".xlsx",
       [](Document& d, const std::string& n) {
         XlsxSpreadsheet app;
         exportToSpreadsheet(d, app, progressOf(d), {});
         app.writeWorkbook(n + ".xlsx", d.sourceFiles);
       }},
  };

  // Targets: a full device, a folder without write permission (which holds the superuser back
  // too), a folder name whose parent is a file, and a name that is a folder.
  const bool fullDevice = ::access("/dev/full", W_OK) == 0;
  fs::create_directory(dir.file("closed"));
  dir.write("plain", "x");
  for (const std::string ending : {".txt", ".csv", ".pm", ".xlsx"}) {
    fs::create_directory(dir.file("folder" + ending));
    if (fullDevice) fs::create_symlink("/dev/full", dir.file("full" + ending));
  }
  ASSERT_EQ(::chmod(dir.file("closed").c_str(), 0555), 0);
  struct Target {
    std::string chosen;
    int error;
  };
  std::vector<Target> targets = {{dir.file("closed/new"), EACCES},
                                 {dir.file("plain/new"), ENOTDIR},
                                 {dir.file("folder"), EISDIR}};
  if (fullDevice) targets.push_back({dir.file("full"), ENOSPC});

  const std::set<std::string> before = contentsOf(dir.path());
  for (const Writer& writer : writers) {
    for (const Target& target : targets) {
      SCOPED_TRACE(writer.name + " into " + target.chosen);
      try {
        writer.write(doc, target.chosen);
        ADD_FAILURE() << "reported success";
      } catch (const IoError& e) {
        EXPECT_EQ(e.fileName(), target.chosen + writer.ending);
        EXPECT_EQ(e.reason(), std::strerror(target.error));
      }
      EXPECT_EQ(contentsOf(dir.path()), before);
    }
  }
  ::chmod(dir.file("closed").c_str(), 0755);
}

}  // namespace
}  // namespace kestrel::output
