#include "support/LoadedPm.h"

#include "readers/pm/PmLoader.h"

namespace kestrel::test {

std::unique_ptr<LoadedPm> loadPmText(const std::string& text) {
  auto l = std::make_unique<LoadedPm>();
  MessageRecorder recorder(l->messages);
  l->doc.setView(&recorder);
  l->ok = pm::loadDump(l->doc, l->dir.write("dump.pm", text));
  l->doc.setView(nullptr);
  return l;
}

}  // namespace kestrel::test
