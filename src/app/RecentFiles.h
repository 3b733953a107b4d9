#pragma once
// The files opened last, newest first, kept between runs in the settings folder beside the
// window placement files.

#include <QString>
#include <string>
#include <vector>

#include "open/FileKind.h"

namespace kestrel::app {

class RecentFiles {
 public:
  static constexpr std::size_t kLimit = 8;

  struct Entry {
    FileKind kind;
    std::string fileName;  // the system's bytes of the name
  };

  // Reads the list from the settings folder; a missing or damaged file gives a shorter list.
  void load();
  const std::vector<Entry>& entries() const { return entries_; }
  // Puts the file first (once) and writes the list; at most kLimit stay.
  void add(FileKind kind, const std::string& fileName);
  // Takes the file out of the list and writes it.
  void remove(const std::string& fileName);
  // What went wrong when the list was last written, or nothing.
  const QString& lastError() const { return lastError_; }

 private:
  void save();
  std::vector<Entry> entries_;
  QString lastError_;
};

}  // namespace kestrel::app
