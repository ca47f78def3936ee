#include "HeapTuning.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace bx::platform {

namespace {

constexpr std::uintptr_t HugePage = std::uintptr_t{2} << 20;
// The largest threshold the allocator accepts for mapping blocks of their own (64-bit).
constexpr int MaxHeapBlock = 32 << 20;
// Free memory at the heap's top beyond this is given back (the allocator's default).
constexpr std::size_t TrimThreshold = std::size_t{128} << 10;
// The allocator's own padding of every heap growth.
constexpr int DefaultTopPad = 128 << 10;

std::uintptr_t AlignUp(std::uintptr_t a) {
    return (a + HugePage - 1) & ~(HugePage - 1);
}

// The heap's free top: from the end of the blocks in use to the end of the heap.
struct FreeTop {
    std::uintptr_t From = 0;
    std::uintptr_t To = 0;
};

FreeTop CurrentFreeTop() {
    const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
    const std::size_t free = mallinfo2().keepcost;
    return {free <= end ? end - free : end, end};
}

} // namespace

bool HeapTuning::Apply() {
    bool ok = mallopt(M_MMAP_THRESHOLD, static_cast<int>(LargeBlock)) == 1;
    // Fixed as well: free memory at the heap's top beyond this goes back to the system.
    return mallopt(M_TRIM_THRESHOLD, static_cast<int>(TrimThreshold)) == 1 && ok;
}

HeapTuning::BulkLoad::BulkLoad() {
    // The room stays while the load lasts.
    mallopt(M_TRIM_THRESHOLD, static_cast<int>(LoadRoom + (LoadRoom >> 2)));
    FreeTop top = CurrentFreeTop();
    if (top.To - top.From < LoadRoom) {
        // Grow the heap once by the room: a block larger than the free top, taken from the heap with
        // that much padding and freed again, leaves the room as the heap's free top.
        mallopt(M_TOP_PAD, static_cast<int>(LoadRoom));
        mallopt(M_MMAP_THRESHOLD, MaxHeapBlock);
        // (volatile: the pair must not be optimised away)
        void* volatile probe = std::malloc(top.To - top.From + 4096);
        std::free(probe);
        mallopt(M_MMAP_THRESHOLD, static_cast<int>(LargeBlock));
        mallopt(M_TOP_PAD, DefaultTopPad);
        top = CurrentFreeTop();
    }
    const std::uintptr_t from = AlignUp(top.From);
    const std::uintptr_t to = top.To & ~(HugePage - 1);
    if (to > from)
        advised_ = madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE) == 0;
}

HeapTuning::BulkLoad::~BulkLoad() {
    if (advised_) {
        const FreeTop top = CurrentFreeTop();
        const std::uintptr_t from = AlignUp(top.From);
        if (top.To > from)
            madvise(reinterpret_cast<void*>(from), top.To - from, MADV_NOHUGEPAGE);
    }
    // What is left of the room goes back at the next trim.
    mallopt(M_TRIM_THRESHOLD, static_cast<int>(TrimThreshold));
}

} // namespace bx::platform
