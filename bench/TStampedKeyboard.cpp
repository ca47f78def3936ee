#include "TStampedKeyboard.h"

namespace bx::bench {

void TStampedKeyboard::KeyEvent(std::uint8_t vk, std::uint8_t scan, platform::UINT flags) {
    if (vk == vk_ && (flags & platform::KEYEVENTF_KEYUP) == 0 && !stamp_)
        stamp_ = Clock::now();
    keyboard_.KeyEvent(vk, scan, flags);
}

} // namespace bx::bench
