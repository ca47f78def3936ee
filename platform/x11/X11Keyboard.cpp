#include "X11Keyboard.h"

#include "LogHook.h"

#include <xcb/xtest.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <cstdlib>

namespace bx::platform::x11 {

namespace {

constexpr X11KeyMap::Keysym XK_ISO_Level3_Shift = 0xfe03;

// The codes the classic API leaves unassigned or reserved: our keys for characters without a key of their own.
constexpr std::uint8_t PrivateCodes[] = {0x07, 0x0A, 0x0B, 0x0E, 0x0F, 0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40,
                                         0x5E, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F, 0x97, 0x98, 0x99,
                                         0x9A, 0x9B, 0x9C, 0x9D, 0x9E, 0x9F, 0xB8, 0xB9, 0xC1, 0xC2, 0xC3, 0xC4,
                                         0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF, 0xD0,
                                         0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xE0, 0xE8};

// Windows-1252 characters 0x80-0x9F (0 where the code page has none); the others are Latin-1.
constexpr char16_t Cp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                     0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t FromCp1252(char ch) {
    const auto b = static_cast<unsigned char>(ch);
    if (b >= 0x80 && b < 0xA0)
        return Cp1252High[b - 0x80];
    return b;
}

bool IsMappingNotify(const xcb_generic_event_t& e) {
    return XcbConnection::EventType(e) == XCB_MAPPING_NOTIFY;
}

} // namespace

X11Keyboard::X11Keyboard(const char* display) : conn_(XcbConnection::Open(display)) {
    if (!conn_) {
        LogMsg(LogErrors, "X11Keyboard", "No X display: synthetic keys are not sent");
        return;
    }
    XcbReply<xcb_test_get_version_reply_t> version(
        xcb_test_get_version_reply(conn_->Raw(), xcb_test_get_version(conn_->Raw(), 2, 2), nullptr));
    hasXTest_ = version != nullptr;
    if (!hasXTest_)
        LogMsg(LogErrors, "X11Keyboard", "The X server lacks XTEST: synthetic keys are not sent");
    Reload();
    notifier_ = std::make_unique<QSocketNotifier>(conn_->Fd(), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, &context_, [this] { ProcessEvents(); });
}

X11Keyboard::~X11Keyboard() {
    notifier_.reset();
    if (!conn_)
        return;
    for (const auto& [vk, pressed] : down_) {
        Fake(false, pressed.keycode);
        for (auto m = pressed.modifiers.rbegin(); m != pressed.modifiers.rend(); ++m)
            Fake(false, *m);
    }
    // The keycodes we lent a keysym go back to having none.
    for (const auto& [keycode, sym] : borrowed_) {
        const xcb_keysym_t none[2] = {0, 0};
        xcb_change_keyboard_mapping(conn_->Raw(), 1, keycode, 2, none);
    }
    conn_->Flush();
}

void X11Keyboard::Reload() const {
    if (!conn_ || !map_.Load(conn_->Raw()))
        return;
    // A new layout may have taken back the keycodes we lent.
    std::erase_if(borrowed_, [this](const auto& b) { return map_.At(b.first, 0) != b.second; });
}

void X11Keyboard::ProcessEvents() const {
    if (!conn_)
        return;
    bool changed = false;
    while (XcbEvent e = conn_->NextEvent())
        changed = changed || IsMappingNotify(*e);
    if (changed)
        Reload();
}

std::uint8_t X11Keyboard::PrivateKeyFor(X11KeyMap::Keysym sym) const {
    for (const auto& [code, s] : private_)
        if (s == sym)
            return code;
    // Handed out in turn: a code is reused only after all the others, long after its key was struck.
    const std::uint8_t code = PrivateCodes[nextPrivate_ % std::size(PrivateCodes)];
    ++nextPrivate_;
    private_[code] = sym;
    return code;
}

X11KeyMap::Keysym X11Keyboard::PrivateKeysym(std::uint8_t vk) const {
    const auto it = private_.find(vk);
    return it == private_.end() ? X11KeyMap::NoSymbol : it->second;
}

std::optional<X11KeyMap::Place> X11Keyboard::PlaceForKeysym(X11KeyMap::Keysym sym) {
    for (const auto& [keycode, s] : borrowed_)
        if (s == sym)
            return X11KeyMap::Place{keycode, 0};
    if (auto place = map_.FindKeysym(sym)) {
        const bool needsLevel3 = place->level >= 2;
        if (!needsLevel3 || map_.FindKeysym(XK_ISO_Level3_Shift))
            return place;
    }
    // No key types it: a keycode without keysyms gets it (first the free ones, then the oldest we lent).
    std::vector<xcb_keycode_t> free = map_.UnusedKeycodes();
    std::erase_if(free, [this](xcb_keycode_t kc) {
        return std::any_of(borrowed_.begin(), borrowed_.end(), [kc](const auto& b) { return b.first == kc; });
    });
    xcb_keycode_t keycode = 0;
    if (!free.empty()) {
        keycode = free.front();
        borrowed_.emplace_back(keycode, sym);
    } else if (!borrowed_.empty()) {
        auto& slot = borrowed_[nextBorrowed_++ % borrowed_.size()];
        slot.second = sym;
        keycode = slot.first;
    } else {
        return std::nullopt;
    }
    const xcb_keysym_t syms[2] = {sym, sym};
    xcb_change_keyboard_mapping(conn_->Raw(), 1, keycode, 2, syms);
    conn_->Flush();
    return X11KeyMap::Place{keycode, 0};
}

void X11Keyboard::Fake(bool press, xcb_keycode_t keycode) {
    if (keycode == 0 || !hasXTest_)
        return;
    xcb_test_fake_input(conn_->Raw(), press ? XCB_KEY_PRESS : XCB_KEY_RELEASE, keycode, XCB_CURRENT_TIME, XCB_NONE, 0,
                        0, 0);
}

void X11Keyboard::KeyEvent(std::uint8_t vk, std::uint8_t /*scan*/, UINT flags) {
    ProcessEvents();
    if (!conn_ || !hasXTest_)
        return;
    const bool release = (flags & KEYEVENTF_KEYUP) != 0;
    if (release) {
        if (const auto it = down_.find(vk); it != down_.end()) {
            Fake(false, it->second.keycode);
            for (auto m = it->second.modifiers.rbegin(); m != it->second.modifiers.rend(); ++m)
                Fake(false, *m);
            down_.erase(it);
            conn_->Flush();
            return;
        }
    }
    Pressed pressed;
    if (const X11KeyMap::Keysym sym = PrivateKeysym(vk); sym != X11KeyMap::NoSymbol) {
        if (release)
            return; // a private key is only up after we pressed it
        const auto place = PlaceForKeysym(sym);
        if (!place)
            return;
        pressed.keycode = place->keycode;
        if (place->level % 2 == 1)
            pressed.modifiers.push_back(map_.KeycodeOfVk(VK_SHIFT));
        if (place->level >= 2) {
            // PlaceForKeysym answers these levels only when the layout has the AltGr key.
            pressed.modifiers.push_back(map_.FindKeysym(XK_ISO_Level3_Shift)->keycode);
        }
    } else {
        pressed.keycode = map_.KeycodeOfVk(vk);
    }
    if (pressed.keycode == 0)
        return;
    if (release) {
        Fake(false, pressed.keycode);
    } else {
        for (const xcb_keycode_t m : pressed.modifiers)
            Fake(true, m);
        Fake(true, pressed.keycode);
        down_[vk] = std::move(pressed);
    }
    conn_->Flush();
}

std::int16_t X11Keyboard::VkKeyScan(char ch) const {
    return KeyScanCodePoint(FromCp1252(ch));
}

std::int16_t X11Keyboard::KeyScanCodePoint(char32_t ch) const {
    ProcessEvents();
    if (!conn_ || ch == 0)
        return -1;
    const auto place = map_.FindChar(ch);
    if (place && place->level <= 1)
        if (const std::uint8_t vk = map_.VkOfKeycode(place->keycode); vk != 0)
            return static_cast<std::int16_t>(vk | (place->level == 1 ? VkScanShift : 0));
    if (!place && ch >= 1 && ch <= 26)
        return static_cast<std::int16_t>(VkScanControl | ('A' + ch - 1)); // a control character: Ctrl and its letter
    const X11KeyMap::Keysym sym = place ? map_.At(place->keycode, place->level) : xkb_utf32_to_keysym(ch);
    if (sym == X11KeyMap::NoSymbol)
        return -1;
    return PrivateKeyFor(sym);
}

UINT X11Keyboard::MapVirtualKey(UINT code, UINT mapType) const {
    ProcessEvents();
    if (!conn_ || code > 0xFF)
        return 0;
    const auto vk = static_cast<std::uint8_t>(code);
    xcb_keycode_t keycode = map_.KeycodeOfVk(vk);
    if (keycode == 0)
        if (const X11KeyMap::Keysym sym = PrivateKeysym(vk); sym != X11KeyMap::NoSymbol)
            if (const auto place = map_.FindKeysym(sym))
                keycode = place->keycode;
    switch (mapType) {
    case 0:   // virtual key to scan code: the kernel's key number, the classic scan code for the main block
    case 4: { // the same with the extended prefix
        return keycode >= 8 ? keycode - 8u : 0u;
    }
    case 1: // scan code to virtual key
    case 3: // the same, telling left and right apart
        return code + 8 <= 0xFF ? map_.VkOfKeycode(static_cast<xcb_keycode_t>(code + 8), mapType == 3) : 0u;
    case 2: { // virtual key to its unshifted character; letters in capitals
        const char32_t ch = keycode != 0 ? xkb_keysym_to_utf32(map_.At(keycode, 0)) : 0;
        return ch >= U'a' && ch <= U'z' ? ch - U'a' + U'A' : ch;
    }
    default:
        return 0;
    }
}

bool X11Keyboard::IsKeyDown(std::uint8_t vk) const {
    ProcessEvents();
    if (!conn_)
        return false;
    XcbReply<xcb_query_keymap_reply_t> keys(
        xcb_query_keymap_reply(conn_->Raw(), xcb_query_keymap(conn_->Raw()), nullptr));
    if (!keys)
        return false;
    std::vector<xcb_keycode_t> keycodes = map_.KeycodesOfVk(vk);
    if (const X11KeyMap::Keysym sym = PrivateKeysym(vk); sym != X11KeyMap::NoSymbol)
        if (const auto place = map_.FindKeysym(sym))
            keycodes.push_back(place->keycode);
    return std::any_of(keycodes.begin(), keycodes.end(),
                       [&keys](xcb_keycode_t kc) { return (keys->keys[kc / 8] & (1u << (kc % 8))) != 0; });
}

} // namespace bx::platform::x11
