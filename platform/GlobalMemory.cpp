#include "GlobalMemory.h"

#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

namespace bx::platform {

namespace {

// Block handles carry this tag in their top byte, so that no other kind of handle is taken for one.
constexpr HANDLE BlockTag = HANDLE{0x47} << 56;
constexpr HANDLE TagMask = HANDLE{0xFF} << 56;

struct Block {
    std::vector<std::uint8_t> bytes;
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
