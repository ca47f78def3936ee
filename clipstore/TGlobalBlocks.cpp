#include "TGlobalBlocks.h"

#include "GlobalMemory.h"
#include "LogHook.h"

#include <algorithm>
#include <cstring>

namespace bx::clipstore {

using namespace platform;

std::size_t TGlobalBlocks::HMemCpyHandles(HGLOBAL destination, HGLOBAL source) {
    SetTraceLocation("HMemCpyHandles");
    const std::size_t size = std::min(GlobalSize(source), GlobalSize(destination));
    if (size > 0) {
        std::uint8_t* to = GlobalLock(destination);
        const std::uint8_t* from = GlobalLock(source);
        if (to != nullptr && from != nullptr)
            std::memcpy(to, from, size);
        GlobalUnlock(source);
        GlobalUnlock(destination);
    }
    SetTraceLocation("");
    return size;
}

std::size_t TGlobalBlocks::TextLenOfHandle(HGLOBAL block) {
    SetTraceLocation("TextLenOfHandle");
    const std::size_t size = GlobalSize(block);
    if (size == 0)
        return 0;
    const std::uint8_t* bytes = GlobalLock(block);
    const std::size_t length = bytes != nullptr ? strnlen(reinterpret_cast<const char*>(bytes), size) : 0;
    GlobalUnlock(block);
    return length;
}

std::string TGlobalBlocks::TextOfHandle(HGLOBAL block, std::size_t maxBytes) {
    const std::size_t length = std::min(TextLenOfHandle(block), maxBytes);
    std::string text;
    if (length > 0) {
        text.assign(reinterpret_cast<const char*>(GlobalLock(block)), length);
        GlobalUnlock(block);
    }
    return text;
}

} // namespace bx::clipstore
