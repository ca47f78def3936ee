#include "TSendKey.h"

#include "TUtf8.h"
#include "VirtualKeys.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace bx::pastetools {

using platform::KEYEVENTF_EXTENDEDKEY;
using platform::KEYEVENTF_KEYUP;

namespace {

constexpr const char* NoClosingBrackets = "No Closing brackets";
constexpr const char* InvalidToken = "Invalid token";

struct Token {
    std::string_view Name;
    std::uint8_t Vk;
};

// Searched in this order.
constexpr Token Tokens[] = {
    {"CTRL", platform::VK_CONTROL},   {"ALT", platform::VK_MENU},      {"MENU", platform::VK_MENU},
    {"SHIFT", platform::VK_SHIFT},    {"SPACE", platform::VK_SPACE},   {"F1", platform::VK_F1},
    {"F2", platform::VK_F1 + 1},      {"F3", platform::VK_F1 + 2},     {"F4", platform::VK_F1 + 3},
    {"F5", platform::VK_F1 + 4},      {"F6", platform::VK_F1 + 5},     {"F7", platform::VK_F1 + 6},
    {"F8", platform::VK_F1 + 7},      {"F9", platform::VK_F9},         {"F10", platform::VK_F10},
    {"F11", platform::VK_F1 + 10},    {"F12", platform::VK_F12},       {"INSERT", platform::VK_INSERT},
    {"DELETE", platform::VK_DELETE},  {"DEL", platform::VK_DELETE},    {"HOME", platform::VK_HOME},
    {"END", platform::VK_END},        {"PGUP", platform::VK_PRIOR},    {"PGDN", platform::VK_NEXT},
    {"TAB", platform::VK_TAB},        {"ENTER", platform::VK_RETURN},  {"BKSP", platform::VK_BACK},
    {"PRTSC", platform::VK_SNAPSHOT}, {"ESCAPE", platform::VK_ESCAPE}, {"ESC", platform::VK_ESCAPE},
    {"UP", platform::VK_UP},          {"DOWN", platform::VK_DOWN},     {"DN", platform::VK_DOWN},
    {"LEFT", platform::VK_LEFT},      {"L", platform::VK_LEFT},        {"RIGHT", platform::VK_RIGHT},
    {"R", platform::VK_RIGHT},
};

// Turns the parsed keys into presses and releases, holding the pending modifiers around the next key.
class Striker {
public:
    Striker(TSendKey::Modifiers& pending, const platform::IKeyboard& layout) : pending_(pending), layout_(layout) {}

    // Strikes vk; needsShift: the character is on the Shift level of its key.
    void Strike(std::uint8_t vk, bool needsShift) {
        if (pending_.Alt)
            Press(platform::VK_MENU);
        if (pending_.Ctrl)
            Press(platform::VK_CONTROL);
        if (pending_.Shift)
            Press(platform::VK_SHIFT);
        if (pending_.CtrlAlt) {
            Press(platform::VK_CONTROL);
            Press(platform::VK_MENU);
        }
        // "^V" is Ctrl+V, not Ctrl+Shift+V: with Ctrl held, a capital does not add Shift.
        const bool shiftAround = (needsShift && !pending_.Ctrl) || pending_.Shift;
        if (shiftAround)
            Press(platform::VK_SHIFT);
        Press(vk);
        Release(vk);
        if (shiftAround)
            Release(platform::VK_SHIFT);
        if (std::exchange(pending_.Shift, false))
            Release(platform::VK_SHIFT);
        if (std::exchange(pending_.Ctrl, false))
            Release(platform::VK_CONTROL);
        if (std::exchange(pending_.Alt, false))
            Release(platform::VK_MENU);
        if (std::exchange(pending_.CtrlAlt, false)) {
            Release(platform::VK_CONTROL);
            Release(platform::VK_MENU);
        }
    }

    // Types a character with the key and shift state the layout gives it; a character no key types is
    // left out.
    void Type(char ch) {
        const std::int16_t scan = layout_.VkKeyScan(ch);
        if (scan == -1)
            return;
        const int state = (scan >> 8) & 0xFF;
        constexpr int shift = platform::VkScanShift >> 8;
        constexpr int ctrl = platform::VkScanControl >> 8;
        constexpr int alt = platform::VkScanAlt >> 8;
        switch (state & (ctrl | alt)) {
        case ctrl:
            pending_.Ctrl = true;
            pending_.Shift = pending_.Shift || (state & shift) != 0;
            break;
        case ctrl | alt:
            pending_.CtrlAlt = true;
            pending_.Shift = pending_.Shift || (state & shift) != 0;
            break;
        default:
            break;
        }
        Strike(static_cast<std::uint8_t>(scan & 0xFF), (state & shift) != 0);
    }

    std::vector<TSendKey::KeyEvent> Take() { return std::move(events_); }

private:
    void Press(std::uint8_t vk) { events_.push_back(Event(vk, 0)); }
    void Release(std::uint8_t vk) { events_.push_back(Event(vk, KEYEVENTF_KEYUP)); }
    TSendKey::KeyEvent Event(std::uint8_t vk, platform::UINT flags) const {
        const auto scan = static_cast<std::uint8_t>(layout_.MapVirtualKey(vk, 0));
        if ((scan & 0xE0) != 0)
            flags |= KEYEVENTF_EXTENDEDKEY;
        return TSendKey::KeyEvent{vk, scan, flags};
    }

    TSendKey::Modifiers& pending_;
    const platform::IKeyboard& layout_;
    std::vector<TSendKey::KeyEvent> events_;
};

} // namespace

TSendKey::TSendKey(platform::IKeyboard& keyboard, platform::IWindows& windows)
    : keyboard_(keyboard), windows_(windows) {}

std::optional<std::uint8_t> TSendKey::TokenKey(std::string_view token) {
    const std::string upper = clipstore::TUtf8::UpperAscii(token);
    for (const Token& t : Tokens)
        if (t.Name == upper)
            return t.Vk;
    return std::nullopt;
}

std::vector<TSendKey::KeyEvent> TSendKey::KeyEventsFor(std::string_view keys, Modifiers& pending, bool tokensOnly,
                                                       const platform::IKeyboard& layout) {
    Modifiers flags = pending;
    Striker striker(flags, layout);
    const bool alone = keys.size() == 1;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const char ch = keys[i];
        if (!tokensOnly && (ch == '@' || ch == '^' || ch == '~')) {
            (ch == '@' ? flags.Alt : ch == '^' ? flags.Ctrl : flags.Shift) = true;
        } else if (ch == '{' && !alone) {
            const std::size_t close = keys.find('}', i + 1);
            if (close == std::string_view::npos || close - i - 1 > MaxTokenLength)
                throw std::runtime_error(NoClosingBrackets);
            const std::string_view token = keys.substr(i + 1, close - i - 1);
            const std::optional<std::uint8_t> vk = TokenKey(token);
            if (!vk)
                throw std::runtime_error(InvalidToken);
            // The modifier tokens are told apart whatever their case, as the table finds them.
            const std::string upper = clipstore::TUtf8::UpperAscii(token);
            if (upper.find("ALT") != std::string::npos)
                flags.Alt = true;
            else if (upper.find("CTRL") != std::string::npos)
                flags.Ctrl = true;
            else if (upper.find("SHIFT") != std::string::npos)
                flags.Shift = true;
            else
                striker.Strike(*vk, false);
            i = close;
        } else if (ch == '}' && !alone) {
            throw std::runtime_error(InvalidToken);
        } else {
            striker.Type(ch);
        }
    }
    pending = flags;
    return striker.Take();
}

int TSendKey::SendKeys(std::string_view keys) {
    if (keys.empty())
        return -1;
    for (const KeyEvent& e : KeyEventsFor(keys, pending_, TokensOnly, keyboard_))
        keyboard_.KeyEvent(e.Vk, e.Scan, e.Flags);
    windows_.ProcessMessages();
    return 0;
}

int TSendKey::SendKeysTo(std::string_view keys, platform::HWND window) {
    if (keys.empty())
        return -1;
    if (window != platform::NoWindow && !windows_.SetForegroundWindow(window))
        return -1;
    return SendKeys(keys);
}

} // namespace bx::pastetools
