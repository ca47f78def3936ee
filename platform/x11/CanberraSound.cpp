#include "CanberraSound.h"

#include "LogHook.h"

#include <canberra.h>
#include <dlfcn.h>

#include <map>

namespace bx::platform::x11 {

namespace {

// The sound library's ALSA back end reports every device it cannot open on standard error, two dozen
// lines at each start on a machine without sound. The program finds out once (the sound is then not
// tried again) and says so in its log: these lines are dropped.
extern "C" void DropAlsaError(const char*, int, const char*, int, const char*, ...) {}

void QuietenAlsa() {
    static const bool done = [] {
        // Loaded here only when it is there; the sound library would load it for its ALSA back end.
        void* alsa = ::dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
        if (alsa == nullptr)
            return false;
        using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
        using SetHandler = int (*)(Handler);
        if (auto set = reinterpret_cast<SetHandler>(::dlsym(alsa, "snd_lib_error_set_handler")); set != nullptr)
            set(DropAlsaError);
        return true; // the library stays loaded: its handler is ours now
    }();
    (void)done;
}

} // namespace

void CanberraSound::ContextFree::operator()(ca_context* c) const {
    ca_context_destroy(c);
}

CanberraSound::CanberraSound(std::string driver, const char* display)
    : driver_(std::move(driver)), display_(display != nullptr ? display : "") {}

CanberraSound::~CanberraSound() = default;

std::string CanberraSound::ThemeEvent(const std::string& eventName) {
    static const std::map<std::string, std::string> events = {
        {"Brindlex5_NewData", "message-new-instant"},
        {"Brindlex5_IgnoreClipboardUpdate", "dialog-information"},
        {"Brindlex5_EmptyClipboard", "dialog-warning"},
        {"Brindlex5_RelayfeedComplete", "complete"},
        {"Brindlex5_Glue", "bell"},
    };
    const auto it = events.find(eventName);
    return it != events.end() ? it->second : eventName;
}

bool CanberraSound::Open() {
    if (state_ != State::Closed)
        return state_ == State::Open;
    QuietenAlsa();
    ca_context* raw = nullptr;
    ++calls_;
    int result = ca_context_create(&raw);
    context_.reset(raw);
    if (result == CA_SUCCESS && !driver_.empty())
        result = ca_context_set_driver(raw, driver_.c_str());
    if (result == CA_SUCCESS)
        result = ca_context_change_props(raw, CA_PROP_APPLICATION_NAME, "Brindlex", CA_PROP_APPLICATION_ID, "Brindlex",
                                         nullptr);
    if (result == CA_SUCCESS)
        result = ca_context_open(raw);
    if (result != CA_SUCCESS) {
        LogMsg(LogErrors, "CanberraSound", std::string("No sound: ") + ca_strerror(result));
        context_.reset();
        state_ = State::Unavailable;
        return false;
    }
    state_ = State::Open;
    return true;
}

bool CanberraSound::Play(const std::string& themeEvent, const std::string& description) {
    if (themeEvent.empty() || silent_.contains(themeEvent) || !Open())
        return false;
    ++calls_;
    // Returns once the sound has started; it plays on without us.
    const int result = ca_context_play(context_.get(), 0, CA_PROP_EVENT_ID, themeEvent.c_str(),
                                       CA_PROP_EVENT_DESCRIPTION, description.c_str(), nullptr);
    if (result == CA_SUCCESS)
        return true;
    LogMsg(LogErrors, "CanberraSound", "Sound \"" + themeEvent + "\" not played: " + ca_strerror(result));
    if (result == CA_ERROR_NOTFOUND || result == CA_ERROR_INVALID || result == CA_ERROR_NOTSUPPORTED) {
        silent_.insert(themeEvent); // this event has no sound here
    } else {
        context_.reset(); // the sound system is gone
        state_ = State::Unavailable;
    }
    return false;
}

bool CanberraSound::PlaySoundEvent(const std::string& eventName) {
    return Play(ThemeEvent(eventName), eventName);
}

void CanberraSound::MessageBeep(UINT kind) {
    const char* event = kind == MB_ICONHAND          ? "dialog-error"
                        : kind == MB_ICONEXCLAMATION ? "dialog-warning"
                        : kind == MB_ICONASTERISK    ? "dialog-information"
                                                     : "bell";
    if (Play(event, "Beep"))
        return;
    if (!bellTried_) {
        bellTried_ = true;
        bell_ = XcbConnection::Open(display_.empty() ? nullptr : display_.c_str());
    }
    if (bell_) {
        xcb_bell(bell_->Raw(), 0);
        bell_->Flush();
    }
}

} // namespace bx::platform::x11
