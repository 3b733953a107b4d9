// The document window's commands on its block model: the block explorer, the PM writer and the
// raw-section page.

#include <QFile>
#include <QListWidget>
#include <QMdiSubWindow>

#include "BlockExplorerWindow.h"
#include "DocumentWindow.h"
#include "FrameServices.h"
#include "Text.h"
#include "core/FileIo.h"
#include "explorer/PmWriter.h"
#include "explorer/RawSections.h"

namespace kestrel::app {

namespace {
constexpr QSize kExplorerSize(596, 459);
constexpr auto kPmFilter = ".pm|*.pm*";

// The line selected in a list, as the document holds it; nothing when no line is selected.
explorer::Selection selectedLine(const QListWidget& list, const std::vector<std::string>& texts) {
  const int row = selectedRow(list);
  if (row < 0 || static_cast<std::size_t>(row) >= texts.size()) return std::nullopt;
  return texts[static_cast<std::size_t>(row)];
}
}  // namespace

BlockExplorerWindow* DocumentWindow::openBlockExplorer() {
  auto* window = new BlockExplorerWindow(*this, frame_);
  explorer_ = window;
  // Sub-windows of explorers already closed are forgotten as the list grows.
  explorerSubWindows_.removeAll(nullptr);
  explorerSubWindows_ << frame_.addChildWindow(window, kExplorerSize);
  return window;
}

BlockExplorerWindow* DocumentWindow::explorer() const {
  return explorer_;
}

void DocumentWindow::savePm() {
  const auto answer = services_.files->getSaveFileName(
      this, FileDialogs::SaveRequest{QString::fromLatin1(kPmFilter), {}});
  const std::string chosen = answer ? QFile::encodeName(answer->fileName).toStdString() : "";
  // The dialog sees the name before its ending: whether a file is replaced is asked here.
  const std::string target = explorer::pmDumpName(chosen);
  if (!answer || (fileNameIsTaken(target) &&
                  !services_.messages->confirmReplace(
                      this, QFile::decodeName(QByteArray::fromStdString(target))))) {
    doc_.setStatus("");
    doc_.setProgressPosition(0);
    return;
  }
  // A file that cannot be written reaches the general error report with its name and reason.
  frame_.runReportingErrors(this, [&] { explorer::writePmDump(doc_, chosen, progressOf(doc_)); });
}

void DocumentWindow::showSectionLines() {
  frame_.runReportingErrors(this, [this] {
    std::vector<std::string> lines =
        explorer::sectionLines(doc_, selectedLine(*sectionNames_, doc_.pmSections.sectionNames()));
    sectionLines_->clear();
    for (const auto& line : lines)
      sectionLines_->addItem(toQString(line));
    sectionLineTexts_ = std::move(lines);
  });
}

void DocumentWindow::showValueOfLine() {
  frame_.runReportingErrors(this, [this] {
    explorer::showValueOfLine(doc_, selectedLine(*sectionNames_, doc_.pmSections.sectionNames()),
                              selectedLine(*sectionLines_, sectionLineTexts_));
    showMemo();
  });
}

}  // namespace kestrel::app
