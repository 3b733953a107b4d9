#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kestrel::test {

// A fresh directory for one test, removed with everything in it when the test ends.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string file(std::string_view name) const { return (path_ / name).string(); }
  // Writes bytes to a file in the directory and returns its path.
  std::string write(std::string_view name, std::string_view bytes) const;

 private:
  std::filesystem::path path_;
};

std::string readFile(const std::string& path);

}  // namespace kestrel::test
