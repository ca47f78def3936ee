#include "X11HotKeys.h"

#include "LogHook.h"
#include "X11WindowActivation.h"

#include <QMetaObject>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace bx::platform::x11 {

namespace {

constexpr X11KeyMap::Keysym XK_Num_Lock = 0xff7f;
constexpr X11KeyMap::Keysym XK_Alt_L = 0xffe9;
constexpr X11KeyMap::Keysym XK_Meta_L = 0xffe7;
constexpr X11KeyMap::Keysym XK_Super_L = 0xffeb;
constexpr UINT KnownModifiers = MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN;

} // namespace

X11HotKeys::X11HotKeys(IWindows& windows, const char* display)
    : windows_(windows), conn_(XcbConnection::Open(display)) {
    if (!conn_) {
        LogMsg(LogErrors, "X11HotKeys", "No X display: hot keys cannot be registered");
        return;
    }
    map_.Load(conn_->Raw());
    notifier_ = std::make_unique<QSocketNotifier>(conn_->Fd(), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, &context_, [this] { ProcessEvents(); });
}

X11HotKeys::~X11HotKeys() {
    notifier_.reset();
    if (!conn_)
        return;
    for (const auto& [owner, key] : keys_)
        Ungrab(key.keycode, key.xModifiers);
    conn_->Flush();
}

std::uint16_t X11HotKeys::XModifiers(UINT modifiers) const {
    auto maskOr = [this](X11KeyMap::Keysym a, X11KeyMap::Keysym b, std::uint16_t fallback) {
        if (const std::uint16_t m = map_.ModifierMask(a); m != 0)
            return m;
        const std::uint16_t m = map_.ModifierMask(b);
        return m != 0 ? m : fallback;
    };
    std::uint16_t x = 0;
    if ((modifiers & MOD_SHIFT) != 0)
        x |= XCB_MOD_MASK_SHIFT;
    if ((modifiers & MOD_CONTROL) != 0)
        x |= XCB_MOD_MASK_CONTROL;
    if ((modifiers & MOD_ALT) != 0)
        x |= maskOr(XK_Alt_L, XK_Meta_L, XCB_MOD_MASK_1);
    if ((modifiers & MOD_WIN) != 0)
        x |= maskOr(XK_Super_L, XK_Super_L, XCB_MOD_MASK_4);
    return x;
}

std::uint16_t X11HotKeys::IgnoredModifiers() const {
    return static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | map_.ModifierMask(XK_Num_Lock));
}

namespace {

// The base modifiers with every combination of the ignored ones (NumLock, CapsLock).
std::vector<std::uint16_t> Variants(std::uint16_t base, std::uint16_t ignored) {
    std::vector<std::uint16_t> out;
    ignored = static_cast<std::uint16_t>(ignored & ~base);
    // Every subset of the ignored bits.
    for (std::uint16_t sub = ignored;; sub = static_cast<std::uint16_t>((sub - 1) & ignored)) {
        out.push_back(static_cast<std::uint16_t>(base | sub));
        if (sub == 0)
            break;
    }
    return out;
}

} // namespace

bool X11HotKeys::Grab(xcb_keycode_t keycode, std::uint16_t xModifiers) {
    std::vector<xcb_void_cookie_t> cookies;
    for (const std::uint16_t mods : Variants(xModifiers, IgnoredModifiers()))
        cookies.push_back(xcb_grab_key_checked(conn_->Raw(), 0, conn_->Root(), mods, keycode, XCB_GRAB_MODE_ASYNC,
                                               XCB_GRAB_MODE_ASYNC));
    bool refused = false;
    for (const xcb_void_cookie_t cookie : cookies)
        if (xcb_generic_error_t* error = xcb_request_check(conn_->Raw(), cookie)) {
            refused = true; // BadAccess: another program holds this combination
            std::free(error);
        }
    if (refused) {
        Ungrab(keycode, xModifiers); // only our own grabs go; another program's stay
        conn_->Flush();
    }
    return !refused;
}

void X11HotKeys::Ungrab(xcb_keycode_t keycode, std::uint16_t xModifiers) {
    Ungrab(keycode, xModifiers, IgnoredModifiers(), {});
}

void X11HotKeys::Ungrab(xcb_keycode_t keycode, std::uint16_t xModifiers, std::uint16_t ignored,
                        const std::vector<std::uint16_t>& keep) {
    if (keycode == 0)
        return;
    for (const std::uint16_t mods : Variants(xModifiers, ignored))
        if (std::find(keep.begin(), keep.end(), mods) == keep.end())
            xcb_ungrab_key(conn_->Raw(), keycode, conn_->Root(), mods);
}

bool X11HotKeys::RegisterHotKey(HWND hwnd, int id, UINT modifiers, UINT vk) {
    ProcessEvents();
    modifiers &= KnownModifiers;
    if (!conn_ || !windows_.IsWindow(hwnd) || vk == 0 || vk > 0xFF)
        return false;
    const auto existing = keys_.find({hwnd, id});
    for (const auto& [owner, key] : keys_)
        if (key.modifiers == modifiers && key.vk == vk)
            return owner == Owner{hwnd, id}; // ours already: only under the same window and id
    HotKey key;
    key.modifiers = modifiers;
    key.vk = vk;
    key.keycode = map_.KeycodeOfVk(static_cast<std::uint8_t>(vk));
    key.xModifiers = XModifiers(modifiers);
    const bool grabbed = key.keycode != 0 && Grab(key.keycode, key.xModifiers);
    ReadQueuedSoon();
    if (!grabbed) {
        LogMsg(LogDetail, "X11HotKeys", "Hot key refused: " + std::to_string(modifiers) + "+" + std::to_string(vk));
        return false;
    }
    if (existing != keys_.end()) {
        Ungrab(existing->second.keycode, existing->second.xModifiers);
        existing->second = key;
    } else {
        keys_.emplace(Owner{hwnd, id}, key);
    }
    conn_->Flush();
    return true;
}

bool X11HotKeys::UnregisterHotKey(HWND hwnd, int id) {
    const auto it = keys_.find({hwnd, id});
    if (it == keys_.end())
        return false;
    Ungrab(it->second.keycode, it->second.xModifiers);
    keys_.erase(it);
    conn_->Flush();
    return true;
}

void X11HotKeys::ProcessEvents() {
    if (!conn_)
        return;
    // Loading the new map waits for the server's replies; a press that comes meanwhile stays in xcb's own
    // queue, where the socket notifier never sees it, so the queue is read again after each load.
    for (bool mappingChanged = true; mappingChanged;) {
        mappingChanged = false;
        while (XcbEvent e = conn_->NextEvent()) {
            const std::uint8_t type = XcbConnection::EventType(*e);
            if (type == XCB_KEY_PRESS)
                OnKeyPress(*reinterpret_cast<const xcb_key_press_event_t*>(e.get()));
            else if (type == XCB_MAPPING_NOTIFY)
                mappingChanged = true;
        }
        if (mappingChanged)
            OnMappingChanged();
    }
    if (conn_->HasError() && notifier_ && notifier_->isEnabled()) {
        notifier_->setEnabled(false); // the server is gone: the socket would wake us for ever
        LogMsg(LogErrors, "X11HotKeys", "The connection to the X server is lost");
    }
}

void X11HotKeys::OnKeyPress(const xcb_key_press_event_t& e) {
    const auto state = static_cast<std::uint16_t>(e.state & 0xFF & ~IgnoredModifiers());
    for (const auto& [owner, key] : keys_)
        if (key.keycode == e.detail && key.xModifiers == state) {
            lastPressTime_ = e.time;
            windows_.PostMessage(owner.first, WM_HOTKEY, static_cast<WPARAM>(owner.second),
                                 static_cast<LPARAM>(key.modifiers | (key.vk << 16)));
            return;
        }
}

void X11HotKeys::OnMappingChanged() {
    // The new map first: a key that stays at its keycode keeps its grab, so its presses go on arriving.
    const std::uint16_t oldIgnored = IgnoredModifiers();
    map_.Load(conn_->Raw());
    const std::uint16_t ignored = IgnoredModifiers();
    for (auto& [owner, key] : keys_) {
        const xcb_keycode_t keycode = map_.KeycodeOfVk(static_cast<std::uint8_t>(key.vk));
        const std::uint16_t xModifiers = XModifiers(key.modifiers);
        if (keycode == key.keycode && xModifiers == key.xModifiers && ignored == oldIgnored)
            continue;
        // Grabbed at the new place before the old grab goes; of the old grab only what the new one does not
        // cover is released (a grab of our own is replaced by grabbing it again).
        const bool grabbed = keycode != 0 && Grab(keycode, xModifiers);
        if (keycode != 0 && !grabbed)
            LogMsg(LogErrors, "X11HotKeys", "A hot key is taken by another program after a keyboard change");
        const std::vector<std::uint16_t> kept =
            grabbed && keycode == key.keycode ? Variants(xModifiers, ignored) : std::vector<std::uint16_t>();
        Ungrab(key.keycode, key.xModifiers, oldIgnored, kept);
        key.keycode = grabbed ? keycode : 0;
        key.xModifiers = xModifiers;
    }
    conn_->Flush();
}

bool X11HotKeys::ActivateForLastPress(std::uint64_t nativeWindow) {
    ProcessEvents(); // a press still waiting in the socket is the one being answered
    if (!conn_ || lastPressTime_ == 0 || nativeWindow == 0 || nativeWindow > 0xFFFFFFFFu)
        return false;
    const bool activated = X11WindowActivation::Activate(*conn_, static_cast<xcb_window_t>(nativeWindow),
                                                         X11WindowActivation::Source::Application, lastPressTime_);
    ReadQueuedSoon();
    return activated;
}

void X11HotKeys::ReadQueuedSoon() {
    // A round trip to the server (a checked grab, a window's attributes) leaves the events that came meanwhile
    // in xcb's own queue, where the socket notifier never sees them: they are read once control is back in
    // the event loop.
    QMetaObject::invokeMethod(
        &context_, [this] { ProcessEvents(); }, Qt::QueuedConnection);
}

} // namespace bx::platform::x11
