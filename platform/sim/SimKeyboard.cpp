#include "SimKeyboard.h"

#include "VirtualKeys.h"

#include <cstring>

namespace bx::platform::sim {

void SimKeyboard::KeyEvent(std::uint8_t vk, std::uint8_t scan, UINT flags) {
    events_.push_back(Event{vk, scan, flags});
}

void SimKeyboard::Hold(std::uint8_t vk, bool down) {
    if (down)
        held_.insert(vk);
    else
        held_.erase(vk);
}

std::int16_t SimKeyboard::VkKeyScan(char ch) const {
    if (ch >= 'a' && ch <= 'z')
        return static_cast<std::int16_t>(ch - 'a' + 'A');
    if (ch >= 'A' && ch <= 'Z')
        return static_cast<std::int16_t>(VkScanShift | ch);
    if (ch >= '0' && ch <= '9')
        return ch;
    if (ch == ' ' || ch == '\t' || ch == '\r')
        return ch == ' ' ? VK_SPACE : (ch == '\t' ? VK_TAB : VK_RETURN);
    static const char shiftedDigits[] = ")!@#$%^&*(";
    if (const char* p = std::strchr(shiftedDigits, ch); p != nullptr && ch != '\0')
        return static_cast<std::int16_t>(VkScanShift | ('0' + (p - shiftedDigits)));
    return -1;
}

UINT SimKeyboard::MapVirtualKey(UINT code, UINT /*mapType*/) const {
    // A stand-in scan code: distinct per key, enough for the code that passes it back.
    return code & 0xFF;
}

} // namespace bx::platform::sim
