#pragma once

#include "ISound.h"
#include "XcbConnection.h"

#include <memory>
#include <set>
#include <string>

struct ca_context;

namespace bx::platform::x11 {

// Sound events through libcanberra: each named event of the program plays an event of the freedesktop sound
// theme (ThemeEvent), without waiting for it to end. The sound library is opened on the first sound; when it
// cannot be opened (no sound system), no sound is tried again and every event answers false. An event the
// theme has no sound for (or that the sound device refuses) answers false and is not tried again either, so a
// machine without sound costs each event one attempt. MessageBeep plays the bell of the theme (the dialog
// sounds for the icon kinds), else rings the X server's bell.
class CanberraSound : public ISound {
public:
    // driver: the sound library's back end ("alsa", "pulse", ...; empty for its own choice).
    explicit CanberraSound(std::string driver = {}, const char* display = nullptr);
    ~CanberraSound() override;
    CanberraSound(const CanberraSound&) = delete;
    CanberraSound& operator=(const CanberraSound&) = delete;

    bool PlaySoundEvent(const std::string& eventName) override;
    void MessageBeep(UINT kind) override;

    // The sound-theme event of a program event; other names are taken as theme events themselves.
    static std::string ThemeEvent(const std::string& eventName);
    // How often the sound library was asked to open or to play.
    int LibraryCalls() const { return calls_; }
    bool IsUnavailable() const { return state_ == State::Unavailable; }

private:
    enum class State { Closed, Open, Unavailable };
    struct ContextFree {
        void operator()(ca_context* c) const;
    };

    bool Play(const std::string& themeEvent, const std::string& description);
    bool Open();

    std::string driver_;
    std::string display_;
    std::unique_ptr<ca_context, ContextFree> context_;
    State state_ = State::Closed;
    std::set<std::string> silent_; // theme events that could not be played
    int calls_ = 0;
    std::unique_ptr<XcbConnection> bell_;
    bool bellTried_ = false;
};

} // namespace bx::platform::x11
