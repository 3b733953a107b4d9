#include "support/LoadedPm.h"
#include "open/OpenDocument.h"

namespace kestrel::test {

std::unique_ptr<LoadedPm> loadPmText(const std::string& text) {
  auto l = std::make_unique<LoadedPm>();
  MessageRecorder recorder(l->messages);
  l->doc.setView(&recorder);
  l->ok = openDocument(l->doc, FileKind::Pm, {l->dir.write("dump.pm", text)});
  l->doc.setView(nullptr);
  return l;
}

}  // namespace kestrel::test
