#include "core/MappedFile.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

#ifndef MADV_POPULATE_READ
#define MADV_POPULATE_READ 22
#endif

namespace kestrel {

namespace {

std::size_t pageSize() {
  static const std::size_t size = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  return size;
}

// The ranges where a bus error is answered with zeros. The handler reads them without a lock, so
// each slot is a pair of atomics, and the set of slots is fixed.
struct BusErrorRange {
  std::atomic_flag taken;
  std::atomic<std::uintptr_t> begin{0};
  std::atomic<std::uintptr_t> end{0};
  std::atomic<bool> seen{false};
};
constexpr std::size_t kBusErrorRanges = 64;
std::array<BusErrorRange, kBusErrorRanges> busErrorRanges;
struct sigaction busErrorBefore {};

void onBusError(int signal, siginfo_t* info, void* context) {
  const auto at = reinterpret_cast<std::uintptr_t>(info->si_addr);
  for (BusErrorRange& range : busErrorRanges) {
    const std::uintptr_t begin = range.begin.load();
    if (begin == 0 || at < begin || at >= range.end.load()) continue;
    // The page reads as zeros from now on; the access that failed is made again.
    void* page = reinterpret_cast<void*>(at & ~(pageSize() - 1));
    if (::mmap(page, pageSize(), PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) ==
        MAP_FAILED)
      break;
    range.seen.store(true);
    return;
  }
  // Not a page of ours: what would have happened without this handler.
  if ((busErrorBefore.sa_flags & SA_SIGINFO) != 0 && busErrorBefore.sa_sigaction != nullptr) {
    busErrorBefore.sa_sigaction(signal, info, context);
  } else if (busErrorBefore.sa_handler != SIG_DFL && busErrorBefore.sa_handler != SIG_IGN) {
    busErrorBefore.sa_handler(signal);
  } else {
    // The access is made again and ends the program as it would have.
    ::signal(SIGBUS, SIG_DFL);
  }
}

bool installBusErrorHandler() {
  static const bool installed = [] {
    struct sigaction action {};
    action.sa_sigaction = onBusError;
    action.sa_flags = SA_SIGINFO | SA_NODEFER | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    return ::sigaction(SIGBUS, &action, &busErrorBefore) == 0;
  }();
  return installed;
}

// The signal that tells a lease is to be let go. The C library keeps the first real-time signals
// for itself; SIGRTMIN is past those.
int leaseSignal() {
  return SIGRTMIN + 4;
}

void doNothing(int) {}

// Whether the file lies on a file system of a disk of the machine's own, where the lease holds
// against every writer and the pages stay readable. A network share may change under the lease,
// and a stick may be taken away.
bool onOwnDisk(int fd) {
  struct statfs fs {};
  if (::fstatfs(fd, &fs) != 0) return false;
  switch (static_cast<unsigned long>(fs.f_type)) {
    case 0xEF53:      // ext2, ext3, ext4
    case 0x58465342:  // XFS
    case 0x9123683E:  // Btrfs
    case 0xF2F52010:  // F2FS
    case 0x01021994:  // tmpfs
    case 0x794C7630:  // overlay
      return true;
    default:
      return false;
  }
}

}  // namespace

namespace detail {

int guardBusErrors(const void* begin, std::size_t length) {
  if (!installBusErrorHandler()) return -1;
  for (std::size_t slot = 0; slot < kBusErrorRanges; ++slot) {
    BusErrorRange& range = busErrorRanges[slot];
    if (range.taken.test_and_set()) continue;
    range.seen.store(false);
    range.end.store(reinterpret_cast<std::uintptr_t>(begin) + length);
    range.begin.store(reinterpret_cast<std::uintptr_t>(begin));
    return static_cast<int>(slot);
  }
  return -1;
}

void forgetBusErrorRange(int slot) {
  if (slot < 0) return;
  BusErrorRange& range = busErrorRanges[static_cast<std::size_t>(slot)];
  range.begin.store(0);
  range.end.store(0);
  range.taken.clear();
}

bool busErrorSeen(int slot) {
  return slot >= 0 && busErrorRanges[static_cast<std::size_t>(slot)].seen.load();
}

}  // namespace detail

// The process's mapped files that hold a lease, and the thread that answers the lease's breaks.
// A process made by fork has no such thread and gets a keeper of its own.
class LeaseKeeper {
 public:
  static LeaseKeeper* forThisProcess() {
    static std::mutex creation;
    static LeaseKeeper* current = nullptr;
    const std::lock_guard lock(creation);
    if (current == nullptr || current->process_ != ::getpid()) {
      // The keeper of the process this one was forked from stays, unused: its thread is not here.
      current = new LeaseKeeper();
      if (!current->start()) return nullptr;
    }
    return current->thread_.load() > 0 ? current : nullptr;
  }

  pid_t process() const { return process_; }

  std::mutex mutex;
  // The files kept, by their slot of the guard against bus errors.
  std::array<MappedFile*, kBusErrorRanges> held{};

  // Has the kernel tell the keeper's thread when the lease on fd is to be broken, and takes it.
  bool takeLease(int fd) const {
    f_owner_ex owner{F_OWNER_TID, thread_.load()};
    return ::fcntl(fd, F_SETSIG, leaseSignal()) == 0 && ::fcntl(fd, F_SETOWN_EX, &owner) == 0 &&
           ::fcntl(fd, F_SETLEASE, F_RDLCK) == 0;
  }

 private:
  LeaseKeeper() : process_(::getpid()) {}

  bool start() {
    // The signal goes to the keeper's thread alone, which waits for it; a handler that does
    // nothing keeps it from ending the program should it ever arrive elsewhere.
    struct sigaction before {};
    if (::sigaction(leaseSignal(), nullptr, &before) == 0 && before.sa_handler == SIG_DFL &&
        (before.sa_flags & SA_SIGINFO) == 0)
      ::signal(leaseSignal(), doNothing);
    try {
      std::thread([this] { run(); }).detach();
    } catch (const std::system_error&) {
      return false;
    }
    thread_.wait(0);
    return thread_.load() > 0;
  }

  void run() {
    // When the queue of real-time signals is full, the kernel tells a break with SIGIO instead.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, leaseSignal());
    sigaddset(&signals, SIGIO);
    const bool blocked = ::pthread_sigmask(SIG_BLOCK, &signals, nullptr) == 0;
    thread_.store(blocked ? ::gettid() : -1);
    thread_.notify_all();
    if (!blocked) return;
    for (;;) {
      siginfo_t info{};
      if (::sigwaitinfo(&signals, &info) < 0) continue;
      // Whatever the signal names, every lease that is being broken is let go: a lease still
      // whole reads as such, one being broken as the type it is broken to.
      const std::lock_guard lock(mutex);
      for (MappedFile* file : held) {
        if (file != nullptr && file->fd_ >= 0 && ::fcntl(file->fd_, F_GETLEASE) != F_RDLCK)
          file->replaceByCopy();
      }
    }
  }

  pid_t process_;
  std::atomic<pid_t> thread_{0};  // the thread waiting for the signal; -1 when it could not
};

std::shared_ptr<MappedFile> MappedFile::map(int fd) {
  LeaseKeeper* keeper = LeaseKeeper::forThisProcess();
  if (keeper == nullptr || !onOwnDisk(fd)) return nullptr;
  // Made before anything is taken, so that nothing is left over should it fail.
  std::shared_ptr<MappedFile> file(new MappedFile(*keeper));
  const int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
  if (own < 0) return nullptr;
  bool kept = false;
  {
    const std::lock_guard lock(keeper->mutex);
    kept = file->keep(own);
  }
  // A file not kept goes away here, outside the keeper's lock.
  return kept ? file : nullptr;
}

bool MappedFile::keep(int own) {
  const auto giveUp = [&] {
    ::fcntl(own, F_SETLEASE, F_UNLCK);
    ::close(own);
    return false;
  };
  // Once the lease is held the file keeps its size and bytes until the keeper lets it go.
  struct stat st {};
  if (!keeper_.takeLease(own) || ::fstat(own, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0)
    return giveUp();
  const auto size = static_cast<std::size_t>(st.st_size);
  const std::size_t length = (size + pageSize() - 1) / pageSize() * pageSize();
  void* at = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE, own, 0);
  if (at == MAP_FAILED) return giveUp();
  const int slot = detail::guardBusErrors(at, length);
  if (slot < 0) {
    ::munmap(at, length);
    return giveUp();
  }
  hold({static_cast<const std::uint8_t*>(at), size});
  length_ = length;
  fd_ = own;
  slot_ = slot;
  keeper_.held[static_cast<std::size_t>(slot)] = this;
  return true;
}

MappedFile::~MappedFile() {
  if (slot_ < 0) return;  // never kept
  // In a process made by fork the lease is still the other one's: its descriptor is only closed.
  if (::getpid() == keeper_.process()) {
    const std::lock_guard lock(keeper_.mutex);
    keeper_.held[static_cast<std::size_t>(slot_)] = nullptr;
    if (fd_ >= 0) ::fcntl(fd_, F_SETLEASE, F_UNLCK);
  }
  detail::forgetBusErrorRange(slot_);
  ::munmap(const_cast<std::uint8_t*>(data()), length_);
  if (fd_ >= 0) ::close(fd_);
}

bool MappedFile::populate(std::size_t from, std::size_t count) const {
  if (from >= size() || count == 0) return true;
  const std::size_t first = from / pageSize() * pageSize();
  const std::size_t last = std::min(from + count, size());
  auto* at = const_cast<std::uint8_t*>(data()) + first;
  for (;;) {
    if (::madvise(at, last - first, MADV_POPULATE_READ) == 0) return true;
    // A kernel that cannot populate ahead brings the pages in as they are read.
    if (errno == EINVAL) return true;
    if (errno != EINTR && errno != EAGAIN) return false;
  }
}

bool MappedFile::changed() const {
  return uncopied_.load() || detail::busErrorSeen(slot_);
}

void MappedFile::replaceByCopy() {
  void* copy = ::mmap(nullptr, length_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  bool replaced = false;
  if (copy != MAP_FAILED) {
    std::memcpy(copy, data(), size());
    ::mprotect(copy, length_, PROT_READ);
    // The copy takes the mapping's place in one step: a reader sees the same bytes throughout.
    replaced = ::mremap(copy, length_, length_, MREMAP_MAYMOVE | MREMAP_FIXED,
                        const_cast<std::uint8_t*>(data())) != MAP_FAILED;
    if (!replaced) ::munmap(copy, length_);
  }
  // Without memory for a copy the lease is let go all the same, rather than hold up the writer,
  // and the bytes are told as changed.
  copied_.store(replaced);
  uncopied_.store(!replaced);
  ::fcntl(fd_, F_SETLEASE, F_UNLCK);
  ::close(fd_);
  fd_ = -1;
}

}  // namespace kestrel
