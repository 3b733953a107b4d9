#include "cli/Cli.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <csignal>
#include <exception>
#include <filesystem>
#include <mutex>
#include <optional>
#include <ostream>
#include <sstream>
#include <thread>

#include "cli/BatchIndex.h"
#include "cli/DocumentJson.h"
#include "cli/OverviewJson.h"
#include "cli/PrintableLine.h"
#include "core/CellSearch.h"
#include "core/Cp1251.h"
#include "core/Document.h"
#include "core/Errors.h"
#include "core/FileIo.h"
#include "core/Overview.h"
#include "explorer/PmWriter.h"
#include "export/HtmlReport.h"
#include "export/ReportLines.h"
#include "export/SaveCommand.h"
#include "export/SpreadsheetExport.h"
#include "export/XlsxSpreadsheet.h"
#include "open/FileKind.h"
#include "open/OpenDocument.h"

#ifdef KESTREL_CLI_PRINT
#include "print/PdfPrint.h"
#endif

namespace kestrel::cli {

namespace {

using Kind = FileKind;

struct Options {
  std::string command;
  std::optional<std::string> kind;
  bool summary = false;
  std::optional<std::string> format;
  std::string sections;
  std::optional<std::string> to;
  std::string text;  // what `find` looks for
  std::vector<std::string> files;
};

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

constexpr std::string_view kUsage =
    "usage: kestrel-cli show   [--kind KIND] [--summary] FILE...\n"
    "       kestrel-cli export [--kind KIND] --format N [--sections LETTERS] --to NAME FILE...\n"
    "       kestrel-cli write-pm [--kind KIND] --to NAME FILE...\n"
    "       kestrel-cli spreadsheet [--kind KIND] --to BOOK.xlsx FILE...\n"
    "       kestrel-cli print [--kind KIND] [--sections LETTERS] --to REPORT.pdf FILE...\n"
    "       kestrel-cli overview [--kind KIND] FILE...\n"
    "       kestrel-cli find [--kind KIND] TEXT FILE...\n"
    "       kestrel-cli batch [--kind KIND] --to FOLDER FILE...\n"
    "KIND is %KINDS%.\n"
    "export, write-pm and spreadsheet write nothing and exit 1 when \"Сохранить\",\n"
    "\"Сохранение PM\" or \"Экспорт в Excel\" is disabled for the document.\n"
    "find and batch take each FILE as a document of its own; find exits 1 when nothing is found,\n"
    "batch when a file could not be read or reported.\n";

// The usage text with the kinds of the registry: "pm, gdfs, eeprom or vcf".
std::string usage() {
  std::string kinds;
  const auto all = fileKinds();
  for (std::size_t k = 0; k < all.size(); ++k) {
    if (k > 0) kinds += k + 1 == all.size() ? " or " : ", ";
    kinds += all[k].name;
  }
  std::string text(kUsage);
  const std::string_view placeholder = "%KINDS%";
  text.replace(text.find(placeholder), placeholder.size(), kinds);
  return text;
}

// Messages the desktop program would show in a message box: one UTF-8 line each on standard
// error, and kept for the JSON of `show`. A file that could not be read gives its kind's message
// for a failed read, if any, and a line of its own with the file's name and the system's reason,
// which is no message.
class MessageCollector : public DocumentView {
 public:
  explicit MessageCollector(std::ostream& err) : err_(err) {}
  void showMessage(std::string_view text) override {
    messages.emplace_back(text);
    err_ << printableLine(toUtf8(text)) << '\n';
  }
  void showFileError(const IoError& cause, std::string_view readFailureMessage) override {
    DocumentView::showFileError(cause, readFailureMessage);
    if (fileError.empty()) fileError = cause.reason();
    err_ << "kestrel-cli: " << printableLine(cause.fileName()) << ": "
         << printableLine(cause.reason()) << '\n';
  }
  std::vector<std::string> messages;
  // The system's reason when a file could not be opened or read; empty when every one was.
  std::string fileError;

 private:
  std::ostream& err_;
};

Options parse(const std::vector<std::string>& args) {
  if (args.empty()) throw UsageError("no command given");
  Options o;
  o.command = args[0];
  static const std::vector<std::string> kCommands = {"show",  "export",   "write-pm", "spreadsheet",
                                                     "print", "overview", "find",     "batch"};
  if (std::find(kCommands.begin(), kCommands.end(), o.command) == kCommands.end()) {
    throw UsageError("unknown command: " + o.command);
  }
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    const auto value = [&]() -> std::string {
      if (i + 1 >= args.size()) throw UsageError(a + " needs a value");
      return args[++i];
    };
    if (a == "--kind") {
      o.kind = value();
    } else if (a == "--summary" && o.command == "show") {
      o.summary = true;
    } else if (a == "--format" && o.command == "export") {
      o.format = value();
    } else if (a == "--sections" && (o.command == "export" || o.command == "print")) {
      o.sections = value();
    } else if (a == "--to" && o.command != "show" && o.command != "overview" &&
               o.command != "find") {
      o.to = value();
    } else if (a == "--") {
      o.files.insert(o.files.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
      break;
    } else if (a.size() > 1 && a[0] == '-') {
      throw UsageError("unknown option: " + a);
    } else {
      o.files.push_back(a);
    }
  }
  if (o.command == "find") {
    if (o.files.empty()) throw UsageError("no text given");
    o.text = o.files.front();
    o.files.erase(o.files.begin());
  }
  if (o.files.empty()) throw UsageError("no file given");
  if (o.command != "show" && o.command != "overview" && o.command != "find" && !o.to)
    throw UsageError("--to is required");
  return o;
}

// The kind given, or else the one the file's name tells; nothing when neither is.
std::optional<Kind> kindOfFile(const Options& o, const std::string& file) {
  if (o.kind) {
    const auto kind = fileKindNamed(*o.kind);
    if (!kind) throw UsageError("unknown kind: " + *o.kind);
    return *kind;
  }
  return fileKindOfName(file);
}

Kind kindOf(const Options& o, const std::string& file) {
  if (const auto kind = kindOfFile(o, file)) return *kind;
  throw UsageError("cannot tell the kind of " + file + "; give --kind");
}

// Opens the files into the document exactly as the desktop program's open command of that kind.
void open(Document& doc, Kind kind, const std::vector<std::string>& files) {
  // The caption is the path as given; a name that is not UTF-8 is kept byte for byte.
  doc.caption = fromUtf8(files.front()).value_or(files.front());
  openDocument(doc, kind, files);
}

// A new document with the file read into it as the open command of that kind reads it, its
// message boxes going to standard error.
struct OpenedDocument {
  OpenedDocument(Kind kind, const std::vector<std::string>& files, std::ostream& err)
      : messages(err) {
    doc.setView(&messages);
    open(doc, kind, files);
  }
  MessageCollector messages;
  Document doc;
};

// What the window would not offer, the command line does not do either, and a batch must not
// take a dump that could not be read for an empty one: nothing is written, and the exit is 1.
bool refusedAsDisabled(bool enabled, std::string_view command, std::ostream& err) {
  if (!enabled) {
    err << "kestrel-cli: nothing saved: \"" << command << "\" is disabled for this document\n";
  }
  return !enabled;
}

// The save command with the dialogs answered by the arguments; a warning goes where every
// message box goes.
class ExportAnswers : public output::SaveCommandUi {
 public:
  ExportAnswers(output::TableChoice choice, output::SaveTarget target, MessageCollector& messages)
      : choice_(choice), target_(std::move(target)), messages_(messages) {}
  std::optional<output::TableChoice> askTableChoice() override { return choice_; }
  std::optional<output::SaveTarget> askTarget() override { return target_; }
  void warning(std::string_view text) override { messages_.showMessage(text); }
  // A batch tool replaces what it is told to write without a question.
  bool confirmReplace(const std::string&) override { return true; }

 private:
  output::TableChoice choice_;
  output::SaveTarget target_;
  MessageCollector& messages_;
};

output::TableChoice tableChoiceOf(const std::string& letters) {
  output::TableChoice choice;
  for (const char c : letters) {
    if (c == 'p')
      choice.phonebook = true;
    else if (c == 'c')
      choice.calls = true;
    else if (c == 'k')
      choice.calendar = true;
    else
      throw UsageError(std::string("unknown section letter: ") + c);
  }
  return choice;
}

int formatOf(const std::optional<std::string>& format) {
  if (!format) throw UsageError("--format is required");
  // The save dialog's file types, numbered as its filter index is; only a number written
  // plainly counts ("01", "+1" or " 1" do not).
  int number = 0;
  static_cast<void>(std::from_chars(format->data(), format->data() + format->size(), number));
  if (std::to_string(number) != *format || output::exportFormatOf(number) == nullptr)
    throw UsageError("--format must be 1 to " + std::to_string(output::exportFormats().size()));
  return number;
}

// Exit 1 (through run) when a file cannot be written: the desktop program's general error report.
int exportCommand(const Options& o, Kind kind, std::ostream& err) {
  const output::TableChoice choice = tableChoiceOf(o.sections);
  const int format = formatOf(o.format);
  OpenedDocument opened(kind, o.files, err);
  Document& doc = opened.doc;
  MessageCollector& messages = opened.messages;
  if (refusedAsDisabled(doc.saveEnabled(), "Сохранить", err)) return 1;
  ExportAnswers answers(choice, {*o.to, format}, messages);
  output::runSave(doc, answers);
  return 0;
}

// The document's "Экспорт в Excel" through the same workbook the desktop program fills; where
// the window would show the workbook, it is saved to the name given.
int spreadsheetCommand(const Options& o, Kind kind, std::ostream& err) {
  OpenedDocument opened(kind, o.files, err);
  Document& doc = opened.doc;
  if (refusedAsDisabled(doc.exportToExcelEnabled(), "Экспорт в Excel", err)) return 1;
  // The operations swallow their failures, as the spreadsheet application does; a workbook that
  // could not be written is still a failed command here.
  std::exception_ptr failure;
  output::XlsxSpreadsheet spreadsheet([&](output::XlsxSpreadsheet& book) {
    try {
      book.writeWorkbook(*o.to, doc.sourceFiles);
      return true;
    } catch (...) {
      failure = std::current_exception();
      return false;
    }
  });
  output::exportToSpreadsheet(doc, spreadsheet, progressOf(doc),
                              [&](std::string_view text) { doc.showMessage(text); });
  if (failure) std::rethrow_exception(failure);
  return 0;
}

// The document's "Печать" with the boxes of the sections ticked, on a PDF printer instead of
// the default one: A4, the same layout and font as on paper.
int printCommand(const Options& o, Kind kind, std::ostream& err) {
  const output::TableChoice choice = tableChoiceOf(o.sections);
  OpenedDocument opened(kind, o.files, err);
  const std::vector<std::string> lines = output::reportLines(opened.doc, choice);
#ifdef KESTREL_CLI_PRINT
  // Printing needs fonts, and a command line has no display; standard error holds only the
  // lines kestrel-cli means.
  const print::HeadlessGui gui;
  // "Error Printing text." is a message box, and a print that failed is a failed command.
  bool failed = false;
  print::printLinesToPdf(lines, *o.to, [&](std::string_view text) {
    failed = true;
    opened.messages.showMessage(text);
  });
  return failed ? 1 : 0;
#else
  throw std::runtime_error("this build of kestrel-cli cannot print");
#endif
}

// The PM writer with the marks the reader left, as if its save dialog returned the name given.
int writePmCommand(const Options& o, Kind kind, std::ostream& err) {
  OpenedDocument opened(kind, o.files, err);
  Document& doc = opened.doc;
  if (refusedAsDisabled(doc.savePmEnabled(), "Сохранение PM", err)) return 1;
  explorer::writePmDump(doc, *o.to, progressOf(doc));
  return 0;
}

// The aggregates of the call log and calendar as JSON, the messages of the read on standard
// error as `show` gives them.
int overviewCommand(const Options& o, Kind kind, std::ostream& out, std::ostream& err) {
  OpenedDocument opened(kind, o.files, err);
  const Overview overview = buildOverview(opened.doc);
  try {
    writeOverviewJson(out, opened.doc, overview, o.files.front(), opened.messages.messages);
  } catch (const OutputError& e) {
    err << "kestrel-cli: cannot write the standard output: " << e.what() << '\n';
    return 1;
  }
  return 0;
}

// Every cell that holds the text, file by file, one JSON line each.
int findCommand(const Options& o, std::ostream& out, std::ostream& err) {
  const std::string text = fromUtf8(o.text).value_or(o.text);
  if (CellQuery(text).empty()) throw UsageError("nothing to find: the text is blank");
  std::vector<Kind> kinds;
  for (const std::string& file : o.files)
    kinds.push_back(kindOf(o, file));
  bool found = false;
  try {
    for (std::size_t i = 0; i < o.files.size(); ++i) {
      const OpenedDocument opened(kinds[i], {o.files[i]}, err);
      forEachCellMatch(opened.doc, text, [&](const CellMatch& m) {
        const ResultTable& table = shownTable(opened.doc, m.table);
        writeFoundCellJson(out, o.files[i], shownTableName(m.table), m.row,
                           table.columnCaption(m.column), table.cell(m.row, m.column));
        found = true;
      });
    }
  } catch (const OutputError& e) {
    err << "kestrel-cli: cannot write the standard output: " << e.what() << '\n';
    return 1;
  }
  return found ? 0 : 1;
}

// One file of a batch: read, and its report written; what the index says of it.
BatchEntry reportOne(const std::optional<Kind>& kind, const std::string& file,
                     const std::string& folder, const std::string& report, std::ostream& err) {
  BatchEntry entry;
  entry.file = file;
  if (!kind) {
    entry.failure = "cannot tell the kind of the file; give --kind";
    err << "kestrel-cli: " << printableLine(file) << ": " << entry.failure << '\n';
    return entry;
  }
  entry.kind = fileKindName(*kind);
  std::string fileError;
  try {
    const OpenedDocument opened(*kind, {file}, err);
    const Document& doc = opened.doc;
    entry.messages = opened.messages.messages;
    if (!doc.sourceDigests.empty() && doc.sourceDigests.front().whole()) {
      entry.size = doc.sourceDigests.front().size;
      entry.sha256 = doc.sourceDigests.front().sha256;
    }
    fileError = opened.messages.fileError;
    if (fileError.empty())
      entry.rows = std::array<std::size_t, 4>{doc.information.rowCount(), doc.phonebook.rowCount(),
                                              doc.calls.rowCount(), doc.calendar.rowCount()};
    if (!fileError.empty()) {
      entry.failure = fileError;
    } else if (!doc.saveEnabled()) {
      // As `export` refuses it: a dump that could not be read is no empty one.
      entry.failure = "\"Сохранить\" is disabled for this document";
    } else {
      output::writeHtmlReport(doc, {true, true, true},
                              (std::filesystem::path(folder) / report).string());
      entry.report = report;
    }
  } catch (const std::exception& e) {
    entry.failure = e.what();
  }
  // A file that could not be read has had its line already.
  if (!entry.failure.empty() && entry.failure != fileError)
    err << "kestrel-cli: " << printableLine(file) << ": no report: " << printableLine(entry.failure)
        << '\n';
  return entry;
}

// A report per file in the folder, the files read side by side, and the index of them written
// last, whole or not at all: a batch that is stopped leaves no index.
int batchCommand(const Options& o, std::ostream& err) {
  const std::string folder = *o.to;
  std::vector<std::optional<Kind>> kinds;
  for (const std::string& file : o.files)
    kinds.push_back(kindOfFile(o, file));
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) throw IoError(folder, ec.message());
  const std::string index = (std::filesystem::path(folder) / kIndexName).string();
  // An index of an earlier batch must not stand for this one while it runs.
  if (std::filesystem::remove(index, ec); ec) throw IoError(index, ec.message());

  const std::vector<std::string> reports = reportNames(o.files);
  std::vector<BatchEntry> entries(o.files.size());
  std::atomic<std::size_t> next{0};
  std::size_t done = 0;
  std::mutex lock;
  const bool showProgress = ::isatty(STDERR_FILENO) == 1;
  const auto work = [&] {
    for (std::size_t i = next++; i < o.files.size(); i = next++) {
      // A file's lines on standard error stay together.
      std::ostringstream lines;
      BatchEntry entry = reportOne(kinds[i], o.files[i], folder, reports[i], lines);
      const std::scoped_lock hold(lock);
      entries[i] = std::move(entry);
      if (showProgress) err << '\r';
      err << lines.str();
      if (showProgress) err << ++done << " из " << o.files.size() << std::flush;
    }
  };
  const std::size_t count =
      std::min<std::size_t>(std::max(1u, std::thread::hardware_concurrency()), o.files.size());
  {
    std::vector<std::jthread> workers;
    for (std::size_t t = 1; t < count; ++t)
      workers.emplace_back(work);
    work();
  }
  if (showProgress) err << '\n';
  writeWholeFile(index, batchIndexHtml(entries));
  const bool failed = std::any_of(entries.begin(), entries.end(),
                                  [](const BatchEntry& e) { return !e.failure.empty(); });
  return failed ? 1 : 0;
}

int runCommand(const Options& o, std::ostream& out, std::ostream& err) {
  if (o.command == "find") return findCommand(o, out, err);
  if (o.command == "batch") return batchCommand(o, err);
  const Kind kind = kindOf(o, o.files.front());
  if (o.files.size() > 1 && kind != Kind::Vcf) {
    throw UsageError("several files are allowed only for vcf");
  }
  if (o.command == "export") return exportCommand(o, kind, err);
  if (o.command == "write-pm") return writePmCommand(o, kind, err);
  if (o.command == "spreadsheet") return spreadsheetCommand(o, kind, err);
  if (o.command == "print") return printCommand(o, kind, err);
  if (o.command == "overview") return overviewCommand(o, kind, out, err);
  if (o.command != "show") throw UsageError("the " + o.command + " command is not available yet");

  OpenedDocument opened(kind, o.files, err);
  Document& doc = opened.doc;
  MessageCollector& messages = opened.messages;
  // The caption is the path as given, also where windows-1251 lacks some of its characters.
  const std::string& caption = o.files.front();
  try {
    if (o.summary) {
      writeSummaryJson(out, doc, caption, messages.messages);
    } else {
      writeDocumentJson(out, doc, caption, messages.messages);
    }
  } catch (const OutputError& e) {
    // A full disk must not pass for a printed document. (A closed pipe has ended the program by
    // SIGPIPE before its write returned.)
    err << "kestrel-cli: cannot write the standard output: " << e.what() << '\n';
    return 1;
  }
  return 0;
}

}  // namespace

void endQuietlyWhenTheReaderGoes() {
  std::signal(SIGPIPE, SIG_DFL);
}

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  try {
    return runCommand(parse(args), out, err);
  } catch (const UsageError& e) {
    err << "kestrel-cli: " << printableLine(e.what()) << '\n' << usage();
    return 2;
  } catch (const std::exception& e) {
    err << "kestrel-cli: " << printableLine(e.what()) << '\n';
    return 1;
  }
}

}  // namespace kestrel::cli
