#pragma once

#include "PlatformTypes.h"

#include <cstddef>
#include <cstdint>

namespace bx::platform {

// Movable memory blocks, the currency of clipboard data. A block has an exact size and exact bytes;
// it is reached through Lock/Unlock and released with Free. The table is shared by the whole program
// (the clipboard, the clips and both desktops) and is safe to use from any thread.
class GlobalMemory {
public:
    // The largest block: sizes on disk and on the clipboard are signed 32-bit.
    static constexpr std::size_t MaxBlockSize = 0x7FFFFFFF;

    // A new block of size bytes (zero-filled; GMEM_ZEROINIT is always honoured). 0 when size is above
    // MaxBlockSize or memory runs out.
    static HGLOBAL Alloc(UINT flags, std::size_t size);
    // The block's bytes; nullptr for an invalid handle. Every Lock is matched by an Unlock.
    static std::uint8_t* Lock(HGLOBAL h);
    // True while the block is still locked by another Lock.
    static bool Unlock(HGLOBAL h);
    // 0 for an invalid handle.
    static std::size_t Size(HGLOBAL h);
    // 0 on success; the handle itself when it is not a block.
    static HGLOBAL Free(HGLOBAL h);
    static bool IsBlock(HANDLE h);
    // A new block holding a copy of the bytes; 0 on failure.
    static HGLOBAL FromBytes(const void* bytes, std::size_t size);
    // Number of blocks alive (for leak checks in tests).
    static std::size_t LiveBlocks();
};

// The classic names, for code that reads against the clipboard API.
inline HGLOBAL GlobalAlloc(UINT flags, std::size_t size) {
    return GlobalMemory::Alloc(flags, size);
}
inline std::uint8_t* GlobalLock(HGLOBAL h) {
    return GlobalMemory::Lock(h);
}
inline bool GlobalUnlock(HGLOBAL h) {
    return GlobalMemory::Unlock(h);
}
inline std::size_t GlobalSize(HGLOBAL h) {
    return GlobalMemory::Size(h);
}
inline HGLOBAL GlobalFree(HGLOBAL h) {
    return GlobalMemory::Free(h);
}

} // namespace bx::platform
