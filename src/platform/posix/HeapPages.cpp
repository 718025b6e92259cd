#include "platform/posix/HeapPages.h"

#include <malloc.h>
#include <sys/mman.h>

#include <cstdint>

namespace kirramo::posix {

void UseLargePagesForTheHeap() {
    constexpr size_t kRegion = size_t{256} << 20;
    constexpr size_t kLargePage = size_t{2} << 20;
    // Blocks above this size are mapped on their own (and given back when freed).
    constexpr int kOwnMapping = 32 << 20;
    // The heap grows once by the whole region, which is marked for large pages and
    // stays the heap's (freed memory at its top is not handed back): a block that
    // large is taken from the heap only while the limit is raised for it.
    mallopt(M_TRIM_THRESHOLD, static_cast<int>(2 * kRegion));
    mallopt(M_MMAP_THRESHOLD, static_cast<int>(kRegion + 2 * kLargePage));
    if (void* block = malloc(kRegion)) {
        const uintptr_t at = reinterpret_cast<uintptr_t>(block);
        const uintptr_t start = (at + kLargePage - 1) & ~(kLargePage - 1);
        const uintptr_t end = (at + kRegion) & ~(kLargePage - 1);
        // Refused where the system has no large pages: the heap stays as it was.
        if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
        free(block);
    }
    mallopt(M_MMAP_THRESHOLD, kOwnMapping);
}

}  // namespace kirramo::posix
