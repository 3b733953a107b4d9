#include "core/FileIo.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "core/Errors.h"
#include "core/TemporaryFiles.h"
#include "core/UniqueFd.h"

namespace kestrel {

namespace {

// The program's own reasons stand beside the system's (strerror) and are written as those are, in
// the locale's UTF-8, not in windows-1251.
constexpr char kOwnSourceReason[] = "это файл, из которого прочитан документ";
constexpr char kNotAFileNameReason[] = "это не имя файла внутри папки";
constexpr char kForeignLinkReason[] =
    "это символическая ссылка другого пользователя в папке, где файлы может создавать любой";
constexpr char kNotRegularFileReason[] = "это не обычный файл";
// The kernel's own limit on symbolic links met while resolving one name.
constexpr int kMaxLinkDepth = 40;

void (*beforeReplaceHook)() = nullptr;

[[noreturn]] void fail(const std::string& fileName, int err) {
  throw IoError(fileName, std::strerror(err));
}

// A folder open for *at calls. Without read permission it can still be used by name but not
// synced, which costs durability only.
struct OpenFolder {
  UniqueFd fd;
  bool syncable;
};

OpenFolder openFolder(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0 || errno != EACCES) return {UniqueFd(fd), true};
  return {UniqueFd(::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)), false};
}

void syncFolder(const std::string& fileName, const OpenFolder& folder) {
  // EINVAL: a file system that has nothing to sync for a folder.
  if (folder.syncable && ::fsync(folder.fd.get()) != 0 && errno != EINVAL) fail(fileName, errno);
}

struct Place {
  std::string folder;
  std::string name;
};

Place splitPath(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return {".", path};
  return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

bool isFolderName(const std::string& name) {
  return name.empty() || name == "." || name == "..";
}

// The kernel's rule for links in shared folders (fs.protected_symlinks), which it cannot apply to
// links resolved by hand: in a sticky folder that everyone may write to, a link is followed only
// when it belongs to this user or to the folder's owner, so that no one can plant a link there
// that sends a write to a file of theirs choosing.
void refuseLinkPlantedByOthers(const std::string& fileName, const std::string& link,
                               const struct stat& linkSt) {
  struct stat folderSt {};
  if (::stat(splitPath(link).folder.c_str(), &folderSt) != 0) fail(fileName, errno);
  constexpr mode_t kShared = S_ISVTX | S_IWOTH;
  if ((folderSt.st_mode & kShared) == kShared && linkSt.st_uid != ::geteuid() &&
      linkSt.st_uid != folderSt.st_uid) {
    throw IoError(fileName, kForeignLinkReason);
  }
}

// The name a write through fileName really lands on: the last symbolic link of the chain is
// resolved by hand, so that the link itself is kept and a dangling link still gets its file.
std::string followLinks(const std::string& fileName) {
  std::string path = fileName;
  for (int depth = 0; depth <= kMaxLinkDepth; ++depth) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    refuseLinkPlantedByOthers(fileName, path, st);
    char target[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), target, sizeof target);
    if (n < 0) fail(fileName, errno);
    if (static_cast<std::size_t>(n) == sizeof target) fail(fileName, ENAMETOOLONG);
    if (n > 0 && target[0] == '/') {
      path.assign(target, static_cast<std::size_t>(n));
    } else {
      const std::size_t slash = path.find_last_of('/');
      path = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) +
             std::string(target, static_cast<std::size_t>(n));
    }
  }
  fail(fileName, ELOOP);
}

// Zero when the process may write the object `name` in dirFd, whose status is st, or the reason
// a plain write would give. Root passes every permission check, so for root the mode bits decide
// alone: an object without any write bit is one its owner meant to stay as it is, and a write
// that would succeed only by privilege is refused. Everyone else gets the kernel's verdict for
// the effective user and groups, which compares the mode bits and honours access control lists.
int writeDenied(int dirFd, const char* name, const struct stat& st, int accessMode) {
  if (::geteuid() == 0) return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 ? 0 : EACCES;
  return ::faccessat(dirFd, name, accessMode, AT_EACCESS) == 0 ? 0 : errno;
}

bool isSourceFile(const struct stat& st, std::span<const std::string> sourceFiles) {
  for (const std::string& source : sourceFiles) {
    struct stat sourceSt {};
    if (::stat(source.c_str(), &sourceSt) == 0 && sourceSt.st_dev == st.st_dev &&
        sourceSt.st_ino == st.st_ino) {
      return true;
    }
  }
  return false;
}

// Zero, or the system's error number.
int writeAll(int fd, std::string_view bytes) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return 0;
}

void produceInto(int fd, const std::string& fileName,
                 const std::function<void(FileSink&)>& produce) {
  FileSink sink(fd, fileName);
  produce(sink);
  sink.flush();
}

// Where the bytes of an in-place write wait until all of them exist: a temporary file in the
// target's folder where it takes one (the same disk), else in the temporary folder; unnamed
// where the file system allows, so that it is gone however the process ends.
struct StagingFile {
  UniqueFd elsewhere{-1};  // the temporary folder, when the file lies there
  std::unique_ptr<Temporary> temp;
  UniqueFd fd{-1};
};

void openStagingFile(const std::string& fileName, const OpenFolder& folder, StagingFile& staging) {
  const char* tmpDir = std::getenv("TMPDIR");
  for (const char* place : {static_cast<const char*>(nullptr), tmpDir, "/tmp"}) {
    int dirFd = folder.fd.get();
    if (place != nullptr) {
      if (place[0] != '/') continue;
      staging.elsewhere = UniqueFd(::open(place, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
      if (staging.elsewhere.get() < 0) continue;
      dirFd = staging.elsewhere.get();
    }
    staging.temp = std::make_unique<Temporary>(dirFd, TemporaryKind::File);
    staging.fd = UniqueFd(staging.temp->create());
    if (staging.fd.get() >= 0) return;
    staging.temp.reset();
  }
  fail(fileName, errno);
}

// Makes sure the file can grow to size before a byte of it is overwritten, so that a full disk or
// a limit on file sizes fails the write while the old text is still whole. The blocks are
// reserved past the end without changing the size, so the file as others see it stays the same.
void reserveSpace(const std::string& fileName, int fd, off_t size) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      static_cast<rlim_t>(size) > limit.rlim_cur) {
    fail(fileName, EFBIG);
  }
  // A file system that reserves nothing ahead gets the bytes as its space allows.
  if (size > 0 && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size) != 0 && errno != EOPNOTSUPP &&
      errno != ENOSYS) {
    fail(fileName, errno);
  }
}

void copyStagedBytes(const std::string& fileName, int from, int to) {
  if (::lseek(from, 0, SEEK_SET) != 0) fail(fileName, errno);
  const auto buffer = std::make_unique_for_overwrite<char[]>(FileSink::kBufferSize);
  for (;;) {
    const ssize_t n = ::read(from, buffer.get(), FileSink::kBufferSize);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(fileName, errno);
    }
    if (n == 0) return;
    if (const int err = writeAll(to, {buffer.get(), static_cast<std::size_t>(n)})) {
      fail(fileName, err);
    }
  }
}

// Not all or nothing, but it keeps the file's other names and needs no new entry in the folder.
void writeInPlace(const std::string& fileName, const OpenFolder& folder, const std::string& name,
                  const std::function<void(FileSink&)>& produce,
                  std::span<const std::string> sourceFiles) {
  // A source file is refused before it is opened to write: that open alone would take from the
  // document the file's pages it holds (see MappedFile).
  struct stat before {};
  if (::fstatat(folder.fd.get(), name.c_str(), &before, AT_SYMLINK_NOFOLLOW) == 0 &&
      isSourceFile(before, sourceFiles))
    throw IoError(fileName, kOwnSourceReason);
  UniqueFd fd(
      ::openat(folder.fd.get(), name.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW));
  if (fd.get() < 0) fail(fileName, errno);
  // The name may have changed hands since it was looked at; what counts is the file now open,
  // and it is not emptied before this check.
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) fail(fileName, errno);
  if (isSourceFile(st, sourceFiles)) throw IoError(fileName, kOwnSourceReason);
  if (!S_ISREG(st.st_mode)) {
    // A device or a pipe holds nothing that could be kept: the bytes go to it as they come.
    produceInto(fd.get(), fileName, produce);
  } else {
    // The file is touched only once every byte exists and its space is reserved, so that a
    // producer that fails or a full disk leaves it as it was.
    StagingFile staged;
    openStagingFile(fileName, folder, staged);
    produceInto(staged.fd.get(), fileName, produce);
    const off_t size = ::lseek(staged.fd.get(), 0, SEEK_CUR);
    if (size < 0) fail(fileName, errno);
    reserveSpace(fileName, fd.get(), size);
    // From the first byte overwritten until the new text is on the disk, an interruption would
    // leave neither text: the signals that can be held wait until then.
    const HeldSignals held;
    if (beforeReplaceHook != nullptr) beforeReplaceHook();
    copyStagedBytes(fileName, staged.fd.get(), fd.get());
    if (::ftruncate(fd.get(), size) != 0) fail(fileName, errno);
    if (::fsync(fd.get()) != 0) fail(fileName, errno);
  }
  if (::close(fd.release()) != 0) fail(fileName, errno);
}

// Returns false, having changed nothing, when the folder takes no new file after all.
bool writeByReplacing(const std::string& fileName, const OpenFolder& folder,
                      const std::string& name, const struct stat* existing,
                      const std::function<void(FileSink&)>& produce) {
  Temporary temp(folder.fd.get(), TemporaryKind::File);
  UniqueFd fd(temp.create());
  if (fd.get() < 0) {
    const int err = errno;
    if (existing != nullptr && (err == EACCES || err == EPERM || err == EROFS)) return false;
    fail(fileName, err);
  }
  produceInto(fd.get(), fileName, produce);
  if (existing != nullptr) {
    // Owner before mode: a change of owner clears the set-id bits the mode may carry. A process
    // may not give a file away, but it may still set a group it belongs to.
    constexpr uid_t kKeepOwner = static_cast<uid_t>(-1);
    if (::fchown(fd.get(), existing->st_uid, existing->st_gid) != 0) {
      if (errno != EPERM) fail(fileName, errno);
      if (::fchown(fd.get(), kKeepOwner, existing->st_gid) != 0 && errno != EPERM) {
        fail(fileName, errno);
      }
    }
    if (::fchmod(fd.get(), existing->st_mode & 07777) != 0) fail(fileName, errno);
  }
  if (::fsync(fd.get()) != 0) fail(fileName, errno);
  // An unnamed file gets its name only now, just before it takes the target's.
  if (const int err = temp.giveName(fd.get())) fail(fileName, err);
  if (::close(fd.release()) != 0) fail(fileName, errno);
  if (beforeReplaceHook != nullptr) beforeReplaceHook();
  if (const int err = temp.renameTo(name.c_str(), false)) fail(fileName, err);
  syncFolder(fileName, folder);
  return true;
}

// The cards of a new folder that are written but have no name yet. As many are held open as the
// limit on open files comfortably allows; past that, those held are named to make room.
class UnnamedCards {
 public:
  explicit UnnamedCards(int folderFd) : folderFd_(folderFd) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
      most_ = std::max<std::size_t>(static_cast<std::size_t>(limit.rlim_cur) / 2, 1);
    }
  }
  UnnamedCards(const UnnamedCards&) = delete;
  UnnamedCards& operator=(const UnnamedCards&) = delete;

  // A new unnamed file, or -1 where the file system has none.
  UniqueFd open() {
    if (!available_) return UniqueFd(-1);
    if (cards_.size() >= most_) nameAll();
    UniqueFd fd(openUnnamedFile(folderFd_, 0666));
    available_ = fd.get() >= 0;
    return fd;
  }
  bool holds(const UniqueFd& fd) const { return available_ && fd.get() >= 0; }
  void keep(UniqueFd fd, const std::string& name, std::string shown) {
    cards_.push_back({std::move(fd), name, std::move(shown)});
  }
  // Links in every card held, in the order written, and closes it.
  void nameAll() {
    for (Card& card : cards_) {
      if (const int err = nameUnnamedFile(card.fd.get(), folderFd_, card.name.c_str())) {
        fail(card.shown, err);
      }
      if (::close(card.fd.release()) != 0) fail(card.shown, errno);
    }
    cards_.clear();
  }

 private:
  struct Card {
    UniqueFd fd;
    std::string name;
    std::string shown;
  };
  int folderFd_;
  std::size_t most_ = 512;
  bool available_ = true;
  std::vector<Card> cards_;
};

}  // namespace

FileSource::FileSource(std::string fileName)
    : fd_(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)),
      fileName_(std::move(fileName)) {
  if (fd_.get() < 0) fail(fileName_, errno);
  struct stat st {};
  if (::fstat(fd_.get(), &st) != 0) fail(fileName_, errno);
  if (S_ISDIR(st.st_mode)) fail(fileName_, EISDIR);
  // A device or a pipe could deliver bytes without end; a dump is a regular file.
  if (!S_ISREG(st.st_mode)) throw IoError(fileName_, kNotRegularFileReason);
  size_ = st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0;
  modified_ = st.st_mtime;
}

std::size_t FileSource::read(void* to, std::size_t room) {
  for (;;) {
    const ssize_t n = ::read(fd_.get(), to, room);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR) fail(fileName_, errno);
  }
}

bool fileNameIsTaken(const std::string& fileName) {
  struct stat st {};
  return ::stat(fileName.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::vector<std::uint8_t> readWholeFile(const std::string& fileName) {
  FileSource source(fileName);
  std::vector<std::uint8_t> data;
  data.reserve(source.size());
  std::uint8_t buf[1 << 16];
  while (const std::size_t n = source.read(buf, sizeof buf))
    data.insert(data.end(), buf, buf + n);
  return data;
}

FileSink::FileSink(int fd, std::string fileName)
    : fd_(fd),
      fileName_(std::move(fileName)),
      buffer_(std::make_unique_for_overwrite<char[]>(kBufferSize)) {}

void FileSink::write(std::string_view bytes) {
  if (bytes.size() > kBufferSize - used_) {
    flush();
    // A piece as large as the buffer gains nothing from being copied into it first.
    if (bytes.size() >= kBufferSize) {
      if (const int err = writeAll(fd_, bytes)) fail(fileName_, err);
      return;
    }
  }
  if (!bytes.empty()) std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
  used_ += bytes.size();
}

void FileSink::flush() {
  const std::size_t size = std::exchange(used_, 0);
  if (const int err = writeAll(fd_, {buffer_.get(), size})) fail(fileName_, err);
}

void writeWholeFileFrom(const std::string& fileName, const std::function<void(FileSink&)>& produce,
                        std::span<const std::string> sourceFiles) {
  // The temporary file lies in the target's folder, so the rename cannot cross file systems, and
  // its name is short, so a target name at the length limit still works.
  const Place place = splitPath(followLinks(fileName));
  if (isFolderName(place.name)) fail(fileName, fileName.empty() ? ENOENT : EISDIR);
  const OpenFolder folder = openFolder(place.folder);
  if (folder.fd.get() < 0) fail(fileName, errno);
  const char* name = place.name.c_str();

  struct stat st {};
  const bool exists = ::fstatat(folder.fd.get(), name, &st, AT_SYMLINK_NOFOLLOW) == 0;
  if (!exists && errno != ENOENT) fail(fileName, errno);
  if (exists) {
    if (S_ISDIR(st.st_mode)) fail(fileName, EISDIR);
    if (isSourceFile(st, sourceFiles)) throw IoError(fileName, kOwnSourceReason);
    if (const int err = writeDenied(folder.fd.get(), name, st, W_OK)) fail(fileName, err);
    // A device or a pipe is written to, never replaced by a file; a file with other names
    // would lose them to a replacement.
    if (!S_ISREG(st.st_mode) || st.st_nlink > 1) {
      writeInPlace(fileName, folder, place.name, produce, sourceFiles);
      return;
    }
  }

  struct stat folderSt {};
  if (::fstat(folder.fd.get(), &folderSt) != 0) fail(fileName, errno);
  if (const int err = writeDenied(folder.fd.get(), ".", folderSt, W_OK | X_OK)) {
    if (!exists) fail(fileName, err);
    writeInPlace(fileName, folder, place.name, produce, sourceFiles);
    return;
  }
  if (!writeByReplacing(fileName, folder, place.name, exists ? &st : nullptr, produce)) {
    writeInPlace(fileName, folder, place.name, produce, sourceFiles);
  }
}

void writeWholeFile(const std::string& fileName, std::string_view bytes,
                    std::span<const std::string> sourceFiles) {
  writeWholeFileFrom(
      fileName, [bytes](FileSink& sink) { sink.write(bytes); }, sourceFiles);
}

bool writeNewFolder(const std::string& folder, std::size_t count,
                    const std::function<std::pair<std::string, std::string>(std::size_t)>& fileAt) {
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  const Place place = splitPath(path);
  // "/", "." and ".." always exist.
  if (isFolderName(place.name)) return false;
  const OpenFolder parent = openFolder(place.folder);
  if (parent.fd.get() < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return false;
    fail(folder, errno);
  }
  struct stat st {};
  if (::fstatat(parent.fd.get(), place.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return false;
  if (errno != ENOENT) fail(folder, errno);
  if (::fstat(parent.fd.get(), &st) != 0) fail(folder, errno);
  if (const int err = writeDenied(parent.fd.get(), ".", st, W_OK | X_OK)) fail(folder, err);

  // The folder is made private (see Temporary), and its cards stay unnamed until all of them are
  // written and on the disk, so that a process killed outright leaves at most an empty folder
  // only its user can open. A file system without unnamed files gets named ones.
  Temporary temp(parent.fd.get(), TemporaryKind::Folder);
  if (temp.create() < 0) fail(folder, errno);
  {
    const UniqueFd inside(
        ::openat(parent.fd.get(), temp.name(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (inside.get() < 0) fail(folder, errno);
    UnnamedCards unnamed(inside.get());
    for (std::size_t k = 0; k < count; ++k) {
      const auto [name, bytes] = fileAt(k);
      std::string shown = path + "/" + name;
      // A name with a slash could reach out of the folder.
      if (isFolderName(name) || name.find('/') != std::string::npos) {
        throw IoError(shown, kNotAFileNameReason);
      }
      UniqueFd fd = unnamed.open();
      if (fd.get() < 0) {
        fd = UniqueFd(::openat(inside.get(), name.c_str(),
                               O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
      }
      if (fd.get() < 0) fail(shown, errno);
      if (const int err = writeAll(fd.get(), bytes)) fail(shown, err);
      if (unnamed.holds(fd)) {
        unnamed.keep(std::move(fd), name, std::move(shown));
      } else if (::close(fd.release()) != 0) {
        fail(shown, errno);
      }
    }
    // One flush of the file system for all the cards before the folder takes its name: a sync
    // per file would make a folder of thousands of cards take many seconds.
    if (::syncfs(inside.get()) != 0) fail(folder, errno);
    unnamed.nameAll();
    if (::fsync(inside.get()) != 0) fail(folder, errno);
    if (::fchmod(inside.get(), temp.usualMode()) != 0) fail(folder, errno);
  }
  const int err = temp.renameTo(place.name.c_str(), true);
  if (err == EEXIST) return false;
  if (err != 0) fail(folder, err);
  syncFolder(folder, parent);
  return true;
}

namespace detail {
void setBeforeReplaceHook(void (*hook)()) {
  beforeReplaceHook = hook;
}
}  // namespace detail

}  // namespace kestrel
