#pragma once
// How a long command tells how far it has come: a status text and a progress bar's maximum and
// position. Exporters report through it and never hold the window or the document that shows it.

#include <functional>
#include <string_view>

namespace kestrel {

class Document;

struct Progress {
  std::function<void(std::string_view text)> status;
  std::function<void(int maximum)> maximum;
  std::function<void(int position)> position;

  // An empty member is simply not told.
  void setStatus(std::string_view text) const {
    if (status) status(text);
  }
  void setMaximum(int value) const {
    if (maximum) maximum(value);
  }
  void setPosition(int value) const {
    if (position) position(value);
  }
};

// The document's own status text and progress, which its window shows.
Progress progressOf(Document& doc);

}  // namespace kestrel
