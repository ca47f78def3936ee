#include "GlobalMemory.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <sys/mman.h>
#include <vector>

namespace bx::platform {

namespace {

// Block handles carry this tag in their top byte, so that no other kind of handle is taken for one.
constexpr HANDLE BlockTag = HANDLE{0x47} << 56;
constexpr HANDLE TagMask = HANDLE{0xFF} << 56;
// Below the tag: the slot's generation (24 bits) and the slot's number + 1 (32 bits). A freed slot is
// used again under the next generation, so an old handle never reaches the new block; a slot whose
// generations are used up is never used again.
constexpr unsigned GenerationShift = 32;
constexpr std::uint32_t MaxGeneration = 0xFFFFFF;

// Large blocks (a screenshot is several megabytes) get a mapping of their own on huge pages where the
// system offers them: filling such a block then costs a few page faults instead of one per 4 KB, and
// freeing it gives the memory back at once. Smaller blocks come from the ordinary heap.
constexpr std::size_t HugePage = std::size_t{2} << 20;

std::size_t Rounded(std::size_t n) {
    return (n + HugePage - 1) / HugePage * HugePage;
}

// Uninitialised bytes for a block; nullptr for size 0. Throws std::bad_alloc.
std::uint8_t* AllocateBytes(std::size_t n) {
    if (n == 0)
        return nullptr;
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

void ReleaseBytes(std::uint8_t* p, std::size_t n) noexcept {
    if (n == 0)
        return;
    if (n < HugePage)
        std::allocator<std::uint8_t>().deallocate(p, n);
    else
        ::munmap(p, Rounded(n));
}

// One slot per block: a loaded collection holds a block for nearly every clip, so the table keeps
// 24 bytes per block in one array instead of a node of its own for each.
struct Slot {
    std::uint8_t* bytes = nullptr;
    std::uint32_t size = 0;
    std::uint32_t generation = 0;
    std::int32_t locks = 0;
    bool live = false;
};

struct Table {
    std::mutex mutex;
    std::vector<Slot> slots;
    std::vector<std::uint32_t> freeSlots;
    std::size_t live = 0;

    // The slot of a live block's handle; nullptr for anything else. Caller holds the mutex.
    Slot* Find(HGLOBAL h) {
        if ((h & TagMask) != BlockTag)
            return nullptr;
        const std::uint64_t number = h & 0xFFFFFFFFu;
        if (number == 0 || number > slots.size())
            return nullptr;
        Slot& s = slots[number - 1];
        if (!s.live || s.generation != ((h >> GenerationShift) & MaxGeneration))
            return nullptr;
        return &s;
    }
};

Table& TheTable() {
    static Table table;
    return table;
}

// Files bytes away as a new block under a new handle; on failure (no slot left) the bytes are released
// and 0 is returned.
HGLOBAL Insert(std::uint8_t* bytes, std::size_t size) {
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    std::uint32_t index = 0;
    try {
        if (!t.freeSlots.empty()) {
            index = t.freeSlots.back();
            t.freeSlots.pop_back();
        } else {
            if (t.slots.size() >= 0xFFFFFFFFu)
                throw std::bad_alloc();
            t.slots.emplace_back();
            index = static_cast<std::uint32_t>(t.slots.size() - 1);
        }
    } catch (const std::bad_alloc&) {
        ReleaseBytes(bytes, size);
        return 0;
    }
    Slot& s = t.slots[index];
    s.bytes = bytes;
    s.size = static_cast<std::uint32_t>(size);
    s.locks = 0;
    s.live = true;
    ++t.live;
    return BlockTag | (HANDLE{s.generation} << GenerationShift) | (HANDLE{index} + 1);
}

// A new block of size bytes, copied from source, or zero-filled without one (filled once, never
// zeroed first); 0 when the size is too large or memory runs out.
HGLOBAL NewBlock(std::size_t size, const void* source) {
    if (size > GlobalMemory::MaxBlockSize)
        return 0;
    std::uint8_t* bytes = nullptr;
    try {
        bytes = AllocateBytes(size);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    if (size > 0) {
        if (source != nullptr)
            std::memcpy(bytes, source, size);
        else
            std::memset(bytes, 0, size);
    }
    return Insert(bytes, size);
}

} // namespace

HGLOBAL GlobalMemory::Alloc(UINT /*flags*/, std::size_t size) {
    return NewBlock(size, nullptr);
}

std::uint8_t* GlobalMemory::Lock(HGLOBAL h) {
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    Slot* s = t.Find(h);
    if (s == nullptr)
        return nullptr;
    ++s->locks;
    // A block of size 0 still yields a valid address.
    static std::uint8_t empty = 0;
    return s->size == 0 ? &empty : s->bytes;
}

bool GlobalMemory::Unlock(HGLOBAL h) {
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    Slot* s = t.Find(h);
    if (s == nullptr || s->locks == 0)
        return false;
    return --s->locks > 0;
}

std::size_t GlobalMemory::Size(HGLOBAL h) {
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    const Slot* s = t.Find(h);
    return s == nullptr ? 0 : s->size;
}

HGLOBAL GlobalMemory::Free(HGLOBAL h) {
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    Slot* s = t.Find(h);
    if (s == nullptr)
        return h;
    ReleaseBytes(s->bytes, s->size);
    const auto index = static_cast<std::uint32_t>((h & 0xFFFFFFFFu) - 1);
    *s = Slot{nullptr, 0, s->generation + 1, 0, false};
    --t.live;
    if (s->generation <= MaxGeneration) {
        try {
            t.freeSlots.push_back(index);
        } catch (const std::bad_alloc&) {
            // The slot stays unused; the block is freed all the same.
        }
    }
    return 0;
}

bool GlobalMemory::IsBlock(HANDLE h) {
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    return t.Find(h) != nullptr;
}

HGLOBAL GlobalMemory::FromBytes(const void* bytes, std::size_t size) {
    return NewBlock(size, bytes);
}

std::size_t GlobalMemory::LiveBlocks() {
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    return t.live;
}

} // namespace bx::platform
