#pragma once

#include "PlatformTypes.h"

#include <string>

namespace bx::platform {

// Application sound events and the plain beep.
class ISound {
public:
    virtual ~ISound() = default;

    // Plays the named sound event of this application without waiting; false when it cannot be played.
    virtual bool PlaySoundEvent(const std::string& eventName) = 0;
    virtual void MessageBeep(UINT kind) = 0;
};

} // namespace bx::platform
