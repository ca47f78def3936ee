// Key events as a line of text ("Ctrl↓ V↓ V↑ Ctrl↑"), for tests that compare what was typed.
#pragma once

#include "SimKeyboard.h"
#include "TSendKey.h"
#include "VirtualKeys.h"

#include <cstdio>
#include <string>
#include <vector>

namespace bx::pastetools::keytext {

inline std::string KeyName(std::uint8_t vk) {
    using namespace platform;
    switch (vk) {
    case VK_CONTROL:
        return "Ctrl";
    case VK_MENU:
        return "Alt";
    case VK_SHIFT:
        return "Shift";
    case VK_SPACE:
        return "Space";
    case VK_TAB:
        return "Tab";
    case VK_RETURN:
        return "Enter";
    case VK_END:
        return "End";
    case VK_PRIOR:
        return "PgUp";
    case VK_LEFT:
        return "Left";
    case VK_RIGHT:
        return "Right";
    case VK_DOWN:
        return "Down";
    case VK_OEM_3:
        return "`";
    case VK_OEM_4:
        return "[";
    case VK_OEM_6:
        return "]";
    default:
        break;
    }
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))
        return std::string(1, static_cast<char>(vk));
    if (vk >= VK_F1 && vk <= VK_F12)
        return "F" + std::to_string(vk - VK_F1 + 1);
    char hex[8];
    std::snprintf(hex, sizeof hex, "#%02X", vk);
    return hex;
}

inline void Append(std::string& line, std::uint8_t vk, platform::UINT flags) {
    if (!line.empty())
        line += ' ';
    line += KeyName(vk) + ((flags & platform::KEYEVENTF_KEYUP) != 0 ? "\u2191" : "\u2193");
}

inline std::string Text(const std::vector<TSendKey::KeyEvent>& events) {
    std::string line;
    for (const auto& e : events)
        Append(line, e.Vk, e.Flags);
    return line;
}

inline std::string Text(const std::vector<platform::sim::SimKeyboard::Event>& events) {
    std::string line;
    for (const auto& e : events)
        Append(line, e.vk, e.flags);
    return line;
}

} // namespace bx::pastetools::keytext
