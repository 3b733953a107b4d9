#include "open/OpenDocument.h"

#include "core/Progress.h"

#include <optional>
#include <stop_token>
#include <utility>

namespace kestrel {

namespace {

// A reader's progress reports, shown by the document's view; whether any came. Once a stop is
// asked for, the next report throws Cancelled.
struct ReportedProgress {
  ReportedProgress(Document& doc, std::stop_token stopAsked) : stop(std::move(stopAsked)) {
    const Progress shown = progressOf(doc);
    progress.status = [this, shown](std::string_view text) {
      report();
      shown.setStatus(text);
    };
    progress.maximum = [this, shown](int maximum) {
      report();
      shown.setMaximum(maximum);
    };
    progress.position = [this, shown](int position) {
      report();
      shown.setPosition(position);
    };
  }
  ReportedProgress(const ReportedProgress&) = delete;
  ReportedProgress& operator=(const ReportedProgress&) = delete;

  void report() {
    if (stop.stop_requested()) throw Cancelled();
    reported = true;
  }

  std::stop_token stop;
  Progress progress;
  bool reported = false;
};

std::optional<bool> enabled(CommandChange change, bool found) {
  switch (change) {
    case CommandChange::Keep:
      return std::nullopt;
    case CommandChange::Enable:
      return true;
    case CommandChange::Disable:
      return false;
    case CommandChange::EnableWhenFound:
      return found;
  }
  return std::nullopt;
}

void apply(Document& doc, const CommandChanges& changes, bool found = false) {
  if (const auto savePm = enabled(changes.savePm, found)) doc.setSavePmEnabled(*savePm);
  if (const auto data = enabled(changes.data, found)) doc.setDataCommandsEnabled(*data);
}

}  // namespace

bool openDocument(Document& doc, FileKind kind, std::vector<ReaderInput> files,
                  std::stop_token stop) {
  const FileKindEntry& entry = fileKindEntry(kind);
  if (!entry.multipleFiles && files.size() > 1) files.erase(files.begin() + 1, files.end());
  const Document::TableUpdate update(doc);
  doc.resetForLoad();
  apply(doc, entry.atStart);
  for (const ReaderInput& file : files)
    doc.sourceFiles.push_back(file.name());

  ReportedProgress progress(doc, stop);
  bool found = false;
  // Taken while the readers decoded; waited for only here.
  const auto keepDigests = [&] {
    for (ReaderInput& file : files)
      doc.sourceDigests.push_back(file.digest());
  };
  const auto failed = [&](const IoError* cause) {
    keepDigests();
    apply(doc, entry.afterFailure);
    doc.pmSectionsChanged();
    if (cause != nullptr) {
      doc.showFileError(*cause, entry.failureMessage);
    } else if (!entry.failureMessage.empty()) {
      doc.showMessage(entry.failureMessage);
    }
    return false;
  };
  try {
    for (ReaderInput& file : files) {
      file.setProgress(progress.progress);
      file.setStop(stop);
      found = entry.read(doc, file) || found;
    }
  } catch (const FormatError&) {
    return failed(nullptr);
  } catch (const IoError& e) {
    return failed(&e);
  }
  keepDigests();
  apply(doc, entry.afterSuccess, found);
  doc.pmSectionsChanged();
  if (progress.reported) {
    doc.setProgressPosition(0);
    doc.setStatus("");
  }
  return true;
}

bool openDocument(Document& doc, FileKind kind, ReaderInput file, std::stop_token stop) {
  std::vector<ReaderInput> files;
  files.push_back(std::move(file));
  return openDocument(doc, kind, std::move(files), std::move(stop));
}

bool openDocument(Document& doc, FileKind kind, const std::vector<std::string>& fileNames) {
  std::vector<ReaderInput> files;
  files.reserve(fileNames.size());
  for (const std::string& name : fileNames)
    files.push_back(ReaderInput::file(name));
  return openDocument(doc, kind, std::move(files));
}

}  // namespace kestrel
