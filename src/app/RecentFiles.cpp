#include "RecentFiles.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <exception>

#include "WindowPlacementQt.h"
#include "core/FileIo.h"
#include "core/IniFile.h"

namespace kestrel::app {

namespace {

constexpr std::string_view kSection = "Recent";

std::string listPath() {
  return QFile::encodeName(settingsFolder() + QStringLiteral("/recentKestrel")).toStdString();
}

}  // namespace

void RecentFiles::load() {
  entries_.clear();
  IniFile ini;
  try {
    const std::vector<std::uint8_t> bytes = readWholeFile(listPath());
    ini =
        IniFile::parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  } catch (const std::exception&) {
    return;  // no list yet
  }
  for (std::size_t k = 1; k <= kLimit; ++k) {
    const std::string number = std::to_string(k);
    const auto kind = ini.value(kSection, "Kind" + number);
    const auto file = ini.value(kSection, "File" + number);
    if (!kind || !file || file->empty()) continue;
    if (const auto known = fileKindNamed(*kind)) entries_.push_back({*known, *file});
  }
}

void RecentFiles::add(FileKind kind, const std::string& fileName) {
  // A value of the list is one line without blanks at its ends: other names are not kept.
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  if (fileName.empty() || blank(fileName.front()) || blank(fileName.back()) ||
      fileName.find_first_of("\r\n") != std::string::npos)
    return;
  std::erase_if(entries_, [&](const Entry& e) { return e.fileName == fileName; });
  entries_.insert(entries_.begin(), Entry{kind, fileName});
  if (entries_.size() > kLimit) entries_.resize(kLimit);
  save();
}

void RecentFiles::remove(const std::string& fileName) {
  std::erase_if(entries_, [&](const Entry& e) { return e.fileName == fileName; });
  save();
}

void RecentFiles::save() {
  lastError_.clear();
  IniFile ini;
  for (std::size_t k = 0; k < kLimit; ++k) {
    const std::string number = std::to_string(k + 1);
    const bool held = k < entries_.size();
    ini.set(kSection, "Kind" + number, held ? fileKindName(entries_[k].kind) : "");
    ini.set(kSection, "File" + number, held ? entries_[k].fileName : "");
  }
  try {
    QDir().mkpath(settingsFolder());
    writeWholeFile(listPath(), ini.text());
  } catch (const std::exception& e) {
    lastError_ = QString::fromStdString(e.what());
  }
}

}  // namespace kestrel::app
