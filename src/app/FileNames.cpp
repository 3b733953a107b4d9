#include "FileNames.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QFile>
#include <memory>

namespace kestrel::app {

namespace {

constexpr QChar kReplacement(0xFFFD);

bool exists(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0;
}

// The entry of `folder` that Qt shows as `part`, when exactly one does.
std::string entryShownAs(const std::string& folder, const QString& part) {
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.empty() ? "." : folder.c_str()),
                                                ::closedir);
  if (!dir) return {};
  std::string found;
  int matches = 0;
  while (const dirent* entry = ::readdir(dir.get())) {
    if (QFile::decodeName(entry->d_name) == part) {
      found = entry->d_name;
      ++matches;
    }
  }
  return matches == 1 ? found : std::string();
}

}  // namespace

std::string systemFileName(const QString& name) {
  const std::string encoded = QFile::encodeName(name).toStdString();
  if (!name.contains(kReplacement) || exists(encoded)) return encoded;
  // Part by part from the root, each part with U+FFFD replaced by the entry it stands for.
  std::string path = name.startsWith('/') ? "/" : "";
  for (const QString& part : name.split('/', Qt::SkipEmptyParts)) {
    std::string bytes = QFile::encodeName(part).toStdString();
    if (part.contains(kReplacement)) {
      const std::string entry = entryShownAs(path, part);
      if (entry.empty()) return encoded;
      bytes = entry;
    }
    if (!path.empty() && path.back() != '/') path += '/';
    path += bytes;
  }
  return exists(path) ? path : encoded;
}

}  // namespace kestrel::app
