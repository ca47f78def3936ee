#include "SimKeyboard.h"

#include "VirtualKeys.h"

#include <cstring>

namespace bx::platform::sim {

void SimKeyboard::KeyEvent(std::uint8_t vk, std::uint8_t scan, UINT flags) {
    events_.push_back(Event{vk, scan, flags});
    deliveries_.push_back(Delivery{events_.back(), windows_ != nullptr ? windows_->GetForegroundWindow() : NoWindow,
                                   clock_ != nullptr ? clock_->TickCount() : 0});
}

std::vector<SimKeyboard::Event> SimKeyboard::EventsTo(HWND window) const {
    std::vector<Event> to;
    for (const Delivery& d : deliveries_)
        if (d.window == window)
            to.push_back(d.event);
    return to;
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
    // The punctuation keys: plain and shifted character.
    static constexpr struct {
        char plain, shifted;
        std::uint8_t vk;
    } punctuation[] = {{';', ':', VK_OEM_1},     {'=', '+', VK_OEM_PLUS},   {',', '<', VK_OEM_COMMA},
                       {'-', '_', VK_OEM_MINUS}, {'.', '>', VK_OEM_PERIOD}, {'/', '?', VK_OEM_2},
                       {'`', '~', VK_OEM_3},     {'[', '{', VK_OEM_4},      {'\\', '|', VK_OEM_5},
                       {']', '}', VK_OEM_6},     {'\'', '"', VK_OEM_7}};
    for (const auto& key : punctuation) {
        if (ch == key.plain)
            return key.vk;
        if (ch == key.shifted)
            return static_cast<std::int16_t>(VkScanShift | key.vk);
    }
    return -1;
}

UINT SimKeyboard::MapVirtualKey(UINT code, UINT /*mapType*/) const {
    // A stand-in scan code: distinct per key, enough for the code that passes it back.
    return code & 0xFF;
}

} // namespace bx::platform::sim
