#include "SimSound.h"

namespace bx::platform::sim {

bool SimSound::PlaySoundEvent(const std::string& eventName) {
    if (!canPlay_)
        return false;
    events_.push_back(eventName);
    return true;
}

void SimSound::Clear() {
    events_.clear();
    beeps_.clear();
}

} // namespace bx::platform::sim
