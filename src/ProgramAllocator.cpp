// Linked into the programs that use mimalloc as their allocator.
//
// Reading a dump holds its whole image in one large buffer, which is freed once the records are
// taken out of it; the decoder then builds the tables. Without an arena, mimalloc gives a buffer
// of more than a few megabytes back to the system when it is freed, and the pages the tables
// take next are faulted in and zeroed anew: on a 30 MB dump, half of the decoder's page faults.
// An arena of reserved address space keeps such pages for the next allocation, as the allocator
// already keeps those of small objects. Reserved, not used: a page counts once it is touched,
// and a system that refuses the reservation leaves the allocator as it was.

#include <mimalloc.h>

#include <cstddef>

namespace {

constexpr std::size_t kArenaBytes = std::size_t{1} << 30;

[[maybe_unused]] const int kArenaReserved = mi_reserve_os_memory(kArenaBytes, true, false);

}  // namespace
