#pragma once
// Temporary files and folders that a write creates beside its target, and their removal when the
// process is ended by SIGINT, SIGTERM or SIGHUP while one of them exists.

#include <signal.h>
#include <sys/types.h>

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

// Opens a new file without a name inside the folder dirFd, for reading and writing, with mode
// less the umask: having no name, it is gone however the process ends, even when it is killed
// outright, until nameUnnamedFile links it in. -1 with errno set where the file system has no
// such files or where the system could not name one later.
int openUnnamedFile(int dirFd, mode_t mode) noexcept;
// Links the unnamed file fd into dirFd as name. Returns 0 or the system's error number (EEXIST
// when the name is taken).
int nameUnnamedFile(int fd, int dirFd, const char* name) noexcept;

// One temporary inside the folder open as dirFd (which must stay open while this lives), under a
// short fresh name. From the moment it has a name until it is renamed it is registered for the
// signal handlers, and the destructor removes it. A temporary folder holds only files, never
// folders.
class Temporary {
 public:
  static constexpr std::size_t kNameSize = 24;

  Temporary(int dirFd, TemporaryKind kind) noexcept : dirFd_(dirFd), kind_(kind) {}
  ~Temporary();
  Temporary(const Temporary&) = delete;
  Temporary& operator=(const Temporary&) = delete;

  // Creates a file, open for reading and writing with mode 0666 less the umask: unnamed where the
  // file system allows (see openUnnamedFile), so that a process killed outright leaves nothing
  // behind, else under its fresh name. Or creates a folder, of mode 0700 whatever the umask, so
  // that no one else reads what it holds while it is filled; usualMode() is the mode a folder would
  // have had. Returns the file's descriptor, which the caller closes, or 0 for a folder; -1 with
  // errno set when it cannot be created.
  int create() noexcept;
  // Gives a file that create() left unnamed its fresh name, through fd, its descriptor; a named
  // one keeps its name. Returns 0 or the system's error number.
  int giveName(int fd) noexcept;
  // Renames it (once named) to name in the same folder and forgets it. With noReplace an existing
  // name is left alone and the result is EEXIST. Returns 0 or the system's error number.
  int renameTo(const char* name, bool noReplace) noexcept;
  mode_t usualMode() const { return usualMode_; }
  const char* name() const { return name_; }

 private:
  int dirFd_;
  TemporaryKind kind_;
  char name_[kNameSize] = {};
  int slot_ = -1;
  bool unnamed_ = false;
  mode_t usualMode_ = 0;
};

// Removes the folder `name` inside dirFd and the files in it. Safe inside a signal handler.
void removeTemporaryFolder(int dirFd, const char* name) noexcept;

}  // namespace kestrel
