#pragma once
// A file's bytes held without a copy: the file's own pages, mapped read-only, kept as they were
// when mapped. While the mapping lasts the program holds a read lease on the file, so that
// whoever opens it to write or truncates it first waits while the mapped pages are replaced by a
// copy of the program's own; only then is the lease let go. A mapped page the system can no
// longer read (a medium taken away, an I/O error) reads as zeros instead of ending the program,
// and the mapping tells that it is damaged.

#include <atomic>
#include <cstddef>
#include <memory>

#include "core/HeldBytes.h"

namespace kestrel {

class LeaseKeeper;

class MappedFile final : public HeldBytes {
 public:
  // Maps the regular file open for reading as fd, as large as it is now. Null where it cannot
  // be kept so: it lies elsewhere than on a disk file system of the machine's own (a network
  // share, a stick formatted FAT), another process has it open for writing, it is another
  // user's, it is empty, or too many files are mapped already. Keeps a duplicate of fd.
  static std::shared_ptr<MappedFile> map(int fd);
  ~MappedFile() override;

  // Brings the pages of [from, from + count) into memory, reading them from the disk where they
  // are not there yet; false when one could not be read.
  bool populate(std::size_t from, std::size_t count) const;
  // Whether the pages are a copy by now, because someone went to change the file.
  bool copied() const { return copied_.load(); }
  // Whether a page could not be read and reads as zeros.
  bool damaged() const;

 private:
  friend class LeaseKeeper;
  MappedFile(std::span<const std::uint8_t> bytes, std::size_t length, LeaseKeeper& keeper, int fd,
             int slot);
  // Puts a copy of the pages where they are mapped and lets the lease go. Runs with the keeper's
  // lock held.
  void replaceByCopy();

  std::size_t length_;  // of the mapping, whole pages
  LeaseKeeper& keeper_;
  int fd_;    // holds the lease; -1 once the pages are a copy
  int slot_;  // of the guard against bus errors
  std::atomic<bool> copied_{false};
};

namespace detail {
// Keeps bus errors inside [begin, begin + length) from ending the program: a page that cannot
// be read is replaced by zeros. Returns a slot for forgetBusErrorRange and busErrorSeen, or -1
// when every slot is taken.
int guardBusErrors(const void* begin, std::size_t length);
void forgetBusErrorRange(int slot);
bool busErrorSeen(int slot);
}  // namespace detail

}  // namespace kestrel
