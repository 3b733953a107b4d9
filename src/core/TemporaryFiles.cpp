#include "core/TemporaryFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace kestrel {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr char kNamePrefix[] = ".kestrel-";
constexpr int kNameRandomChars = 8;
constexpr int kCreateAttempts = 100;
static_assert(sizeof kNamePrefix + kNameRandomChars <= Temporary::kNameSize);

// The registry is what the signal handlers read, so it is fixed storage and a slot changes hands
// through one lock-free atomic: a handler sees a slot either free or completely filled in.
constexpr int kSlotCount = 64;
constexpr int kSlotFree = 0;
constexpr int kSlotFilling = 1;
constexpr int kSlotFile = 2;
constexpr int kSlotFolder = 3;
static_assert(std::atomic<int>::is_always_lock_free);

struct Slot {
  std::atomic<int> state{kSlotFree};
  int dirFd = -1;
  char name[Temporary::kNameSize] = {};
};

Slot slots[kSlotCount];

int registerTemporary(int dirFd, const char* name, TemporaryKind kind) noexcept {
  for (int i = 0; i < kSlotCount; ++i) {
    int expected = kSlotFree;
    if (!slots[i].state.compare_exchange_strong(expected, kSlotFilling)) continue;
    slots[i].dirFd = dirFd;
    std::memcpy(slots[i].name, name, Temporary::kNameSize);
    slots[i].state.store(kind == TemporaryKind::File ? kSlotFile : kSlotFolder);
    return i;
  }
  return -1;
}

// Threads between making a temporary and registering it. The handler, which may run in any
// thread, waits for them, and once it has begun no thread makes another: a temporary made in
// another thread just as a signal came is removed with the rest.
std::atomic<int> making{0};
std::atomic<bool> ending{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void unregisterTemporary(int slot) noexcept {
  if (slot >= 0) slots[slot].state.store(kSlotFree);
}

void removeTemporary(int dirFd, const char* name, TemporaryKind kind) noexcept {
  if (kind == TemporaryKind::File) {
    ::unlinkat(dirFd, name, 0);
  } else {
    removeTemporaryFolder(dirFd, name);
  }
}

extern "C" void removeTemporariesAndEnd(int sig) {
  ending.store(true);
  while (making.load() != 0) {
    const timespec pause{0, 100000};
    ::nanosleep(&pause, nullptr);
  }
  for (Slot& slot : slots) {
    const int state = slot.state.load();
    if (state == kSlotFile) removeTemporary(slot.dirFd, slot.name, TemporaryKind::File);
    if (state == kSlotFolder) removeTemporary(slot.dirFd, slot.name, TemporaryKind::Folder);
  }
  // End with the status the signal gives by default, so that a shell or a parent sees the
  // process was interrupted rather than that it failed.
  struct sigaction byDefault {};
  byDefault.sa_handler = SIG_DFL;
  sigemptyset(&byDefault.sa_mask);
  ::sigaction(sig, &byDefault, nullptr);
  ::raise(sig);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, sig);
  ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  ::_exit(128 + sig);
}

// Names need to be unlikely to meet, not unpredictable: O_EXCL settles any meeting.
void makeName(char* out) noexcept {
  static std::atomic<std::uint64_t> counter{0};
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  std::uint64_t x = (static_cast<std::uint64_t>(::getpid()) << 40) ^
                    static_cast<std::uint64_t>(now.tv_nsec) ^
                    (static_cast<std::uint64_t>(now.tv_sec) << 30) ^
                    (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
  x ^= x >> 30;
  x *= 0xBF58476D1CE4E5B9ull;
  x ^= x >> 27;
  x *= 0x94D049BB133111EBull;
  x ^= x >> 31;
  // Lower case and digits only, so that a case-folding file system cannot merge two names.
  constexpr char kAlphabet[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::memcpy(out, kNamePrefix, sizeof kNamePrefix - 1);
  char* p = out + sizeof kNamePrefix - 1;
  for (int i = 0; i < kNameRandomChars; ++i) {
    *p++ = kAlphabet[x % (sizeof kAlphabet - 1)];
    x /= sizeof kAlphabet - 1;
  }
  *p = '\0';
}

// Makes a temporary under a fresh name (make gives 0, EEXIST for a name already taken, or another
// error number) and registers it, with the signals held by the caller. Returns 0 or the error.
template <class Make>
int claimFreshName(int dirFd, TemporaryKind kind, char* name, int& slot, Make make) noexcept {
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    makeName(name);
    making.fetch_add(1);
    if (ending.load()) {
      // A handler in another thread is removing the temporaries and ending the process.
      making.fetch_sub(1);
      for (;;)
        ::pause();
    }
    const int err = make(name);
    if (err != 0) {
      making.fetch_sub(1);
      if (err == EEXIST) continue;
      return err;
    }
    slot = registerTemporary(dirFd, name, kind);
    making.fetch_sub(1);
    if (slot >= 0) return 0;
    // Every slot is taken: a temporary the handlers could not find is not kept at all.
    removeTemporary(dirFd, name, kind);
    return EMFILE;
  }
  return EEXIST;
}

}  // namespace

void removeTemporaryFilesOnSignals() {
  struct sigaction action {};
  action.sa_handler = removeTemporariesAndEnd;
  sigemptyset(&action.sa_mask);
  // A second signal must not cut the removal short.
  for (int sig : kSignals)
    sigaddset(&action.sa_mask, sig);
  for (int sig : kSignals) {
    struct sigaction current {};
    if (::sigaction(sig, nullptr, &current) != 0) continue;
    if (!(current.sa_flags & SA_SIGINFO) && current.sa_handler == SIG_IGN) continue;
    ::sigaction(sig, &action, nullptr);
  }
}

int openUnnamedFile(int dirFd, mode_t mode) noexcept {
  // Without /proc such a file could be named only by a privileged process.
  static const bool nameable = ::access("/proc/self/fd", X_OK) == 0;
  if (!nameable) {
    errno = EOPNOTSUPP;
    return -1;
  }
  return ::openat(dirFd, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
}

int nameUnnamedFile(int fd, int dirFd, const char* name) noexcept {
  char path[32];
  std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
  if (::linkat(AT_FDCWD, path, dirFd, name, AT_SYMLINK_FOLLOW) == 0) return 0;
  if (errno != ENOENT) return errno;
  if (::linkat(fd, "", dirFd, name, AT_EMPTY_PATH) == 0) return 0;
  return errno;
}

HeldSignals::HeldSignals() noexcept {
  sigset_t held;
  sigemptyset(&held);
  for (int sig : kSignals)
    sigaddset(&held, sig);
  ::pthread_sigmask(SIG_BLOCK, &held, &previous_);
}

HeldSignals::~HeldSignals() {
  ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

Temporary::~Temporary() {
  if (slot_ < 0) return;
  HeldSignals held;
  removeTemporary(dirFd_, name_, kind_);
  unregisterTemporary(slot_);
}

int Temporary::create() noexcept {
  if (slot_ >= 0 || unnamed_) {
    errno = EEXIST;
    return -1;
  }
  if (kind_ == TemporaryKind::File) {
    const int fd = openUnnamedFile(dirFd_, 0666);
    if (fd >= 0) {
      unnamed_ = true;
      return fd;
    }
  }
  HeldSignals held;
  int fd = 0;
  const int err = claimFreshName(dirFd_, kind_, name_, slot_, [&](const char* name) {
    if (kind_ == TemporaryKind::File) {
      fd = ::openat(dirFd_, name, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
      return fd < 0 ? errno : 0;
    }
    if (::mkdirat(dirFd_, name, 0777) != 0) return errno;
    // Made with the usual mode first, to learn what the umask gives, then closed to others.
    struct stat st {};
    if (::fstatat(dirFd_, name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        ::fchmodat(dirFd_, name, st.st_mode & 07700, 0) != 0) {
      const int failed = errno;
      ::unlinkat(dirFd_, name, AT_REMOVEDIR);
      return failed;
    }
    usualMode_ = st.st_mode & 07777;
    return 0;
  });
  if (err != 0) {
    if (fd > 0) ::close(fd);
    errno = err;
    return -1;
  }
  return fd;
}

int Temporary::giveName(int fd) noexcept {
  if (!unnamed_) return 0;
  HeldSignals held;
  const int err = claimFreshName(dirFd_, kind_, name_, slot_, [&](const char* name) {
    return nameUnnamedFile(fd, dirFd_, name);
  });
  if (err == 0) unnamed_ = false;
  return err;
}

int Temporary::renameTo(const char* name, bool noReplace) noexcept {
  if (slot_ < 0) return ENOENT;
  HeldSignals held;
  int rc = 0;
  if (!noReplace) {
    rc = ::renameat(dirFd_, name_, dirFd_, name);
  } else {
    rc = ::renameat2(dirFd_, name_, dirFd_, name, RENAME_NOREPLACE);
    if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
      // A file system without the flag: look first, and let rename itself refuse a non-empty
      // folder or a file that appeared since. Only an empty folder made in between is lost.
      struct stat st {};
      if (::fstatat(dirFd_, name, &st, AT_SYMLINK_NOFOLLOW) == 0) return EEXIST;
      rc = ::renameat(dirFd_, name_, dirFd_, name);
      if (rc != 0 && (errno == ENOTEMPTY || errno == ENOTDIR || errno == EISDIR)) return EEXIST;
    }
  }
  if (rc != 0) return errno;
  unregisterTemporary(slot_);
  slot_ = -1;
  return 0;
}

void removeTemporaryFolder(int dirFd, const char* name) noexcept {
  const int fd = ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd >= 0) {
    // Reading a folder while removing from it may skip entries, so read again from the start
    // until a pass finds nothing left to remove. Raw reads: opendir would allocate.
    alignas(struct dirent64) char buf[4096];
    for (bool removed = true; removed;) {
      removed = false;
      if (::lseek(fd, 0, SEEK_SET) != 0) break;
      for (;;) {
        const ssize_t n = ::getdents64(fd, buf, sizeof buf);
        if (n <= 0) break;
        for (ssize_t off = 0; off < n;) {
          const auto* entry = reinterpret_cast<const struct dirent64*>(buf + off);
          off += entry->d_reclen;
          const char* entryName = entry->d_name;
          if (std::strcmp(entryName, ".") == 0 || std::strcmp(entryName, "..") == 0) continue;
          if (::unlinkat(fd, entryName, 0) == 0) removed = true;
        }
      }
    }
    ::close(fd);
  }
  ::unlinkat(dirFd, name, AT_REMOVEDIR);
}

}  // namespace kestrel
