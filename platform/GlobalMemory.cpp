#include "GlobalMemory.h"

#include <cstdint>
#include <cstring>
#include <mutex>
#include <new>
#include <sys/mman.h>
#include <unordered_map>
#include <vector>

namespace bx::platform {

namespace {

// Block handles carry this tag in their top byte, so that no other kind of handle is taken for one.
constexpr HANDLE BlockTag = HANDLE{0x47} << 56;
constexpr HANDLE TagMask = HANDLE{0xFF} << 56;

// Large blocks (a screenshot is several megabytes) get a mapping of their own on huge pages where the
// system offers them: filling such a block then costs a few page faults instead of one per 4 KB, and
// freeing it gives the memory back at once. Smaller blocks come from the ordinary heap.
struct BlockAllocator {
    using value_type = std::uint8_t;
    static constexpr std::size_t HugePage = std::size_t{2} << 20;

    template <class U> struct rebind { using other = BlockAllocator; };

    static std::size_t Rounded(std::size_t n) { return (n + HugePage - 1) / HugePage * HugePage; }

    std::uint8_t* allocate(std::size_t n) {
        if (n < HugePage)
            return std::allocator<std::uint8_t>().allocate(n);
        const std::size_t size = Rounded(n);
        // Map one huge page more than needed and cut the mapping down to an aligned range.
        void* raw = ::mmap(nullptr, size + HugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (raw == MAP_FAILED)
            throw std::bad_alloc();
        const auto start = reinterpret_cast<std::uintptr_t>(raw);
        const std::uintptr_t aligned = (start + HugePage - 1) / HugePage * HugePage;
        if (aligned > start)
            ::munmap(raw, aligned - start);
        const std::size_t tail = start + size + HugePage - (aligned + size);
        if (tail > 0)
            ::munmap(reinterpret_cast<void*>(aligned + size), tail);
        auto* p = reinterpret_cast<std::uint8_t*>(aligned);
        ::madvise(p, size, MADV_HUGEPAGE);
        return p;
    }

    void deallocate(std::uint8_t* p, std::size_t n) noexcept {
        if (n < HugePage)
            std::allocator<std::uint8_t>().deallocate(p, n);
        else
            ::munmap(p, Rounded(n));
    }

    bool operator==(const BlockAllocator&) const noexcept { return true; }
};

struct Block {
    std::vector<std::uint8_t, BlockAllocator> bytes;
    int locks = 0;
};

struct Table {
    std::mutex mutex;
    std::unordered_map<HGLOBAL, Block> blocks;
    HANDLE next = 1;
};

Table& TheTable() {
    static Table table;
    return table;
}

// Files a new block away under a new handle.
HGLOBAL Insert(Block&& block) {
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    const HGLOBAL h = BlockTag | t.next++;
    t.blocks.emplace(h, std::move(block));
    return h;
}

} // namespace

HGLOBAL GlobalMemory::Alloc(UINT /*flags*/, std::size_t size) {
    if (size > MaxBlockSize)
        return 0;
    Block block;
    try {
        block.bytes.assign(size, 0);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return Insert(std::move(block));
}

std::uint8_t* GlobalMemory::Lock(HGLOBAL h) {
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    auto it = t.blocks.find(h);
    if (it == t.blocks.end())
        return nullptr;
    ++it->second.locks;
    // A block of size 0 still yields a valid address.
    static std::uint8_t empty = 0;
    return it->second.bytes.empty() ? &empty : it->second.bytes.data();
}

bool GlobalMemory::Unlock(HGLOBAL h) {
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    auto it = t.blocks.find(h);
    if (it == t.blocks.end() || it->second.locks == 0)
        return false;
    return --it->second.locks > 0;
}

std::size_t GlobalMemory::Size(HGLOBAL h) {
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    auto it = t.blocks.find(h);
    return it == t.blocks.end() ? 0 : it->second.bytes.size();
}

HGLOBAL GlobalMemory::Free(HGLOBAL h) {
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    return t.blocks.erase(h) == 1 ? 0 : h;
}

bool GlobalMemory::IsBlock(HANDLE h) {
    if ((h & TagMask) != BlockTag)
        return false;
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    return t.blocks.contains(h);
}

HGLOBAL GlobalMemory::FromBytes(const void* bytes, std::size_t size) {
    if (size > MaxBlockSize)
        return 0;
    // Filled once from the bytes, never zeroed first.
    Block block;
    try {
        const auto* first = static_cast<const std::uint8_t*>(bytes);
        block.bytes.assign(first, first + size);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return Insert(std::move(block));
}

std::size_t GlobalMemory::LiveBlocks() {
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    return t.blocks.size();
}

} // namespace bx::platform
