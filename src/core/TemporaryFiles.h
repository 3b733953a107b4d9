#pragma once
// Temporary files and folders that a write creates beside its target, and their removal when the
// process is ended by SIGINT, SIGTERM or SIGHUP while one of them exists.

#include <signal.h>

#include <cstddef>

namespace kestrel {

enum class TemporaryKind { File, Folder };

// Installs handlers for SIGINT, SIGTERM and SIGHUP that remove every temporary in progress and
// then end the process the way the signal would have. A signal the process ignores (as under
// nohup) stays ignored. Call once, early, from a program that ends on these signals.
void removeTemporaryFilesOnSignals();

// Holds back SIGINT, SIGTERM and SIGHUP on this thread while it lives, so that a handler never
// sees a temporary that exists but is not yet registered, or one already renamed.
class HeldSignals {
 public:
  HeldSignals() noexcept;
  ~HeldSignals();
  HeldSignals(const HeldSignals&) = delete;
  HeldSignals& operator=(const HeldSignals&) = delete;

 private:
  sigset_t previous_;
};

// One temporary inside the folder open as dirFd (which must stay open while this lives), under a
// short fresh name. From create() until it is renamed it is registered for the signal handlers,
// and the destructor removes it. A temporary folder holds only files, never folders.
class Temporary {
 public:
  static constexpr std::size_t kNameSize = 24;

  Temporary(int dirFd, TemporaryKind kind) noexcept : dirFd_(dirFd), kind_(kind) {}
  ~Temporary();
  Temporary(const Temporary&) = delete;
  Temporary& operator=(const Temporary&) = delete;

  // Creates a file (open for writing, mode 0666) or a folder (mode 0777), both less the umask.
  // Returns the file's descriptor, which the caller closes, or 0 for a folder; -1 with errno set
  // when it cannot be created.
  int create() noexcept;
  // Renames it to name in the same folder and forgets it. With noReplace an existing name is
  // left alone and the result is EEXIST. Returns 0 or the system's error number.
  int renameTo(const char* name, bool noReplace) noexcept;
  const char* name() const { return name_; }

 private:
  int dirFd_;
  TemporaryKind kind_;
  char name_[kNameSize] = {};
  int slot_ = -1;
};

// Removes the folder `name` inside dirFd and the files in it. Safe inside a signal handler.
void removeTemporaryFolder(int dirFd, const char* name) noexcept;

}  // namespace kestrel
