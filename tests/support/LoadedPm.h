#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/Document.h"
#include "support/TempDir.h"

namespace kestrel::test {

// Collects the messages a document shows.
class MessageRecorder : public DocumentView {
 public:
  explicit MessageRecorder(std::vector<std::string>& messages) : messages_(messages) {}
  void showMessage(std::string_view text) override { messages_.emplace_back(text); }

 private:
  std::vector<std::string>& messages_;
};

// A PM dump written to a file and opened through the whole load.
struct LoadedPm {
  TempDir dir;
  Document doc;
  std::vector<std::string> messages;
  bool ok = false;
};

std::unique_ptr<LoadedPm> loadPmText(const std::string& text);

}  // namespace kestrel::test
