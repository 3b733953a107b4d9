#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/MappedFile.h"
#include "core/UniqueFd.h"

namespace kestrel {

// Whether writing the name would replace something that is there: a file or a device, also
// behind a symbolic link (a folder is no file a write replaces; a dangling link replaces nothing).
bool fileNameIsTaken(const std::string& fileName);

// Reads a whole file. Throws IoError with the file name and the system's reason.
std::vector<std::uint8_t> readWholeFile(const std::string& fileName);

// A regular file read from its start, piece by piece. Opening or reading it throws IoError with
// the file name and the system's reason; a folder, a device or a pipe is refused.
class FileSource {
 public:
  explicit FileSource(std::string fileName);
  // Reads at most `room` bytes into `to`; 0 at the end of the file.
  std::size_t read(void* to, std::size_t room);
  // The file's own pages, kept as they are now (see MappedFile); null where they cannot be kept.
  std::shared_ptr<MappedFile> map() const { return MappedFile::map(fd_.get()); }
  // The file's size and modification time when it was opened.
  std::size_t size() const { return size_; }
  std::int64_t modified() const { return modified_; }

 private:
  UniqueFd fd_;
  std::string fileName_;
  std::size_t size_ = 0;
  std::int64_t modified_ = 0;
};

// Where a streaming write puts its bytes: they gather in a buffer of a few hundred KB and reach
// the file in large pieces. A piece the file does not take (a full disk, an I/O error) throws
// IoError with the name of the file being written and the system's reason.
class FileSink {
 public:
  static constexpr std::size_t kBufferSize = 256 * 1024;

  // The sink writes to fd, which stays the caller's; fileName is what its errors name.
  FileSink(int fd, std::string fileName);
  FileSink(const FileSink&) = delete;
  FileSink& operator=(const FileSink&) = delete;

  void write(std::string_view bytes);
  // Hands what the buffer holds to the file.
  void flush();

 private:
  int fd_;
  std::string fileName_;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
};

// Writes a file completely or not at all: produce writes the bytes into the sink, which takes
// them to a temporary file beside the target; only when everything is written and on the disk
// does it replace the target, keeping its mode, owner and group. A symbolic link is followed and
// stays a link, unless it is another user's link in a sticky folder everyone may write to (the
// kernel's fs.protected_symlinks rule). A target with other hard links, or one in a folder that
// takes no new files, is rewritten in place instead, so that the links and the write survive:
// the bytes are first gathered in a temporary file, and the target is touched only once the
// space for them is reserved, with SIGINT, SIGTERM and SIGHUP held until it is rewritten and
// synced. A device or a pipe gets the bytes as they come. Temporary files have no name where the
// file system allows, so that even a process killed outright leaves none behind.
//
// Never touches a file that is one of sourceFiles under any name, nor a file that may not be
// written. Throws IoError with the file name and the system's reason (or "is the file the
// document was read from"), or what produce throws; the target is then unchanged and no
// temporary file is left. produce runs once, and not at all when the target is refused.
void writeWholeFileFrom(const std::string& fileName, const std::function<void(FileSink&)>& produce,
                        std::span<const std::string> sourceFiles = {});

// The same for bytes already in memory.
void writeWholeFile(const std::string& fileName, std::string_view bytes,
                    std::span<const std::string> sourceFiles = {});

// Makes the new folder `folder` holding count files; fileAt(k) gives the name inside the folder
// and the bytes of file k. The folder appears complete or not at all. Returns false, having made
// nothing, when `folder` already exists or the folder it would go in does not. Throws IoError
// (or what fileAt throws) and leaves nothing behind on any other failure.
bool writeNewFolder(const std::string& folder, std::size_t count,
                    const std::function<std::pair<std::string, std::string>(std::size_t)>& fileAt);

namespace detail {
// Runs when a write's new bytes are complete and about to replace the target's (a temporary file
// renamed over it, or the target rewritten in place), so that a test can interrupt or fail a
// write at that point. Null (the program's setting) runs nothing.
void setBeforeReplaceHook(void (*hook)());
}  // namespace detail

}  // namespace kestrel
