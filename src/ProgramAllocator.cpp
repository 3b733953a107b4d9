// Linked into the programs that use mimalloc as their allocator.
//
// Reading a dump holds its whole image in one large buffer, and the decoder builds the block
// model and the tables beside it: hundreds of megabytes of fresh memory on a large dump. Handed
// out in pages of 4 KB, each page is a fault in the kernel, and on some machines of our kind a
// fault costs as much as decoding the bytes on it. The allocator therefore takes its memory from
// an arena of reserved address space that asks the kernel for huge pages (2 MB, transparent huge
// pages in "madvise" mode or "always"): one fault where there were five hundred. Reserved, not
// used: a page counts once it is touched. The arena also keeps the pages of a large buffer that
// is freed for the next allocation, as the allocator already keeps those of small objects. A
// system that refuses the reservation or huge pages leaves the allocator as it was.

#include <mimalloc.h>
#include <sys/mman.h>

#include <cstddef>
#include <cstdint>

namespace {

constexpr std::size_t kArenaBytes = std::size_t{8} << 30;
// The allocator's segments: 32 MB, aligned to their size. Arenas start at such a boundary.
constexpr std::size_t kSegmentBytes = std::size_t{32} << 20;

void* alignedDown(const void* p, std::size_t alignment) {
  return reinterpret_cast<void*>(reinterpret_cast<std::uintptr_t>(p) & ~(alignment - 1));
}

bool reserveArena() {
  void* reserved = ::mmap(nullptr, kArenaBytes + kSegmentBytes, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (reserved == MAP_FAILED) return false;
  void* start = alignedDown(static_cast<char*>(reserved) + kSegmentBytes - 1, kSegmentBytes);
  ::madvise(start, kArenaBytes, MADV_HUGEPAGE);
  if (!mi_manage_os_memory(start, kArenaBytes, /*is_committed=*/true, /*is_large=*/false,
                           /*is_zero=*/true, /*numa_node=*/-1))
    return false;
  // The libraries' start-up allocated before the arena existed, from a segment of the system's
  // usual pages; the program's small objects go on filling it. Its pages not yet touched are
  // asked for as huge pages too.
  void* probe = mi_malloc(1);
  ::madvise(alignedDown(probe, kSegmentBytes), kSegmentBytes, MADV_HUGEPAGE);
  mi_free(probe);
  return true;
}

[[maybe_unused]] const bool kArenaReserved = reserveArena();

}  // namespace
