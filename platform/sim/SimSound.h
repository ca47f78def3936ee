#pragma once

#include "ISound.h"

#include <string>
#include <vector>

namespace bx::platform::sim {

// Records the sound events played and the beeps sounded.
class SimSound : public ISound {
public:
    bool PlaySoundEvent(const std::string& eventName) override;
    void MessageBeep(UINT kind) override { beeps_.push_back(kind); }

    const std::vector<std::string>& Events() const { return events_; }
    const std::vector<UINT>& Beeps() const { return beeps_; }
    void Clear();
    // When false, every sound event fails to play (no sound device).
    void SetCanPlay(bool canPlay) { canPlay_ = canPlay; }

private:
    std::vector<std::string> events_;
    std::vector<UINT> beeps_;
    bool canPlay_ = true;
};

} // namespace bx::platform::sim
