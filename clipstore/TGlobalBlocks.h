#pragma once

#include "PlatformTypes.h"

#include <cstddef>
#include <string>

namespace bx::clipstore {

// Program-wide helpers on movable memory blocks.
class TGlobalBlocks {
public:
    // Copies the source block's bytes into the destination block (at most the destination's size)
    // and returns the number of bytes copied.
    static std::size_t HMemCpyHandles(platform::HGLOBAL destination, platform::HGLOBAL source);
    // Length of the zero-terminated text at the start of the block, never beyond its end.
    static std::size_t TextLenOfHandle(platform::HGLOBAL block);
    // The block's text up to its first zero byte (or its end), at most maxBytes bytes.
    static std::string TextOfHandle(platform::HGLOBAL block, std::size_t maxBytes = static_cast<std::size_t>(-1));
};

} // namespace bx::clipstore
