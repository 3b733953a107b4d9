#include "export/SaveCommand.h"

#include "core/FileIo.h"

namespace kestrel::output {

std::optional<std::string> saveDocument(const Document& doc, TableChoice choice,
                                        const SaveTarget& target) {
  const ExportFormat* format = exportFormatOf(target.filterIndex);
  if (format == nullptr) return std::nullopt;
  return format->write(doc, choice, targetName(*format, target.fileName));
}

void runSave(const Document& doc, SaveCommandUi& ui) {
  const auto choice = ui.askTableChoice();
  if (!choice) return;
  const auto target = ui.askTarget();
  if (!target) return;
  // A folder format makes a new folder and never replaces anything.
  const ExportFormat* format = exportFormatOf(target->filterIndex);
  if (format != nullptr && !format->ending.empty()) {
    const std::string name = targetName(*format, target->fileName);
    if (fileNameIsTaken(name) && !ui.confirmReplace(name)) return;
  }
  if (const auto warning = saveDocument(doc, *choice, *target)) ui.warning(*warning);
}

}  // namespace kestrel::output
