#include "TCaptureSwitch.h"

#include "LogHook.h"
#include "LogLevels.h"
#include "TBrindlexCore.h"
#include "TClipView5.h"

namespace bx::shell {

TCaptureSwitch::TCaptureSwitch(TBrindlexCore& core)
    : core_(core), switched_(core.Events().AutoCaptureSwitched.Subscribe([this](bool on) { Changed.Emit(on); })) {}

bool TCaptureSwitch::On() const {
    return core_.ClipView().Capturing;
}

void TCaptureSwitch::Set(bool on) {
    // Once the shut-down has begun nothing is captured any more, whatever a menu still says.
    if (core_.Ended())
        return;
    platform::LogMsg(platform::LogDataEvents, "SetAutoCapture", on ? "AutoCapture On" : "AutoCapture Off");
    core_.SetAutoCapture(on);
}

} // namespace bx::shell
