#pragma once

#include "IDesktop.h"
#include "PlatformTypes.h"

namespace bx::clipstore {
class TClipObj;
}

namespace bx::shell {

class TAppSettings;
class TBrindlexCore;

// Puts clips back on the clipboard: at once, announced (the data follows when another program asks
// for it) or rendered, as the Relayfeed state and the paste trace want; afterwards the capture pauses
// for the delay after a copy, so that the program's own copy is not captured again. Serves the render
// requests the core answers itself and announces the others. Part of the core, which owns it.
class TClipPutBack {
public:
    TClipPutBack(TBrindlexCore& core, platform::IDesktop& desktop, TAppSettings& settings);
    TClipPutBack(const TClipPutBack&) = delete;
    TClipPutBack& operator=(const TClipPutBack&) = delete;

    // Puts clip on the clipboard; false when it did not go there (nothing during start-up).
    bool CopyItem(clipstore::TClipObj* clip);
    // Another program asks for a format that was announced.
    void ClipViewRenderFormat();

    // Clipboard changes before this moment are not captured (set by CopyItem).
    platform::TDateTime NoCaptureUntil() const { return noCaptureUntil_; }
    void SetNoCaptureUntil(platform::TDateTime until) { noCaptureUntil_ = until; }
    // A put-back is running: a change reported now is looked at again later.
    bool CopyInProgress() const { return copyInProgress_; }

private:
    TBrindlexCore& core_;
    platform::IDesktop& desktop_;
    TAppSettings& settings_;
    platform::TDateTime noCaptureUntil_ = 0;
    bool copyInProgress_ = false;
};

} // namespace bx::shell
