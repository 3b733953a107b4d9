#pragma once
// A file's bytes held without a copy: the file's own pages, mapped read-only, kept as they were
// when mapped. While the mapping lasts the program holds a read lease on the file, so that
// whoever opens it to write or truncates it first waits while the mapped pages are replaced by a
// copy of the program's own; only then is the lease let go. A mapped page the system can no
// longer read (a medium taken away, an I/O error) reads as zeros instead of ending the program,
// and the mapping tells that its bytes changed.

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
  // Whether the bytes may no longer be those read: the file was changed while no copy of its
  // pages could be made, or a page could not be read and reads as zeros.
  bool changed() const override;

 private:
  friend class LeaseKeeper;
  explicit MappedFile(LeaseKeeper& keeper) : keeper_(keeper) {}
  // Takes the lease on `own` (a duplicate of the caller's descriptor), maps the file and has the
  // keeper watch it; false, with nothing taken and `own` closed, where it cannot. Runs with the
  // keeper's lock held.
  bool keep(int own);
  // Puts a copy of the pages where they are mapped and lets the lease go. Runs with the keeper's
  // lock held.
  void replaceByCopy();

  LeaseKeeper& keeper_;
  std::size_t length_ = 0;  // of the mapping, whole pages
  int fd_ = -1;             // holds the lease; -1 once the pages are a copy
  int slot_ = -1;           // of the guard against bus errors and of the keeper's table
  std::atomic<bool> copied_{false};
  std::atomic<bool> uncopied_{false};  // the lease went without a copy
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
