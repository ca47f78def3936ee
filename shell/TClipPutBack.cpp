#include "TClipPutBack.h"

#include "LogHook.h"
#include "StatusLevels.h"
#include "TAppSettings.h"
#include "TBrindlexCore.h"
#include "TClipColl.h"
#include "TClipObj.h"
#include "TClipView5.h"
#include "TClipboard.h"

#include <algorithm>

namespace bx::shell {

using namespace platform;
using clipstore::TClipObj;

namespace {
constexpr double MsPerDay = 86400000.0;
}

TClipPutBack::TClipPutBack(TBrindlexCore& core, IDesktop& desktop, TAppSettings& settings)
    : core_(core), desktop_(desktop), settings_(settings) {}

bool TClipPutBack::CopyItem(TClipObj* clip) {
    SetTraceLocation("TfrmBX.CopyItem");
    if (clip == nullptr || core_.StartingUp())
        return false;
    LogMsg(LogDataEvents, ">TfrmBX.CopyItem", "Begin Copy");
    copyInProgress_ = true;
    bool result = false;
    try {
        core_.ClipView().WaitUntil = desktop_.Clock().TimeOfDayMs() + 1000;
        TClipObj::CopyMode mode = TClipObj::CopyMode::Immediate;
        if (core_.RFState() == TBrindlexCore::TRFState::Rendering)
            mode = TClipObj::CopyMode::Rendering;
        else if (core_.RFState() == TBrindlexCore::TRFState::Armed || core_.PasteTraceActive())
            mode = TClipObj::CopyMode::Announce;
        result = clip->Copy(core_.ClipView(), core_.Clipboard(), mode);
        if (result && !core_.FlashpickActive())
            core_.ShowStatus(shell::StatusInBar, false, "Clip Item [" + clip->Title + "] Copied To System Clipboard.");
        ++settings_.CopiedBack;
    } catch (...) {
        LogMsg(LogErrors, "TfrmBX.CopyItem", "Copy Failed with Exception - item may be damaged.");
        if (core_.ClipList().Coll() != nullptr)
            core_.ClipList().Coll()->SetDirty(true);
        copyInProgress_ = false;
        throw;
    }
    copyInProgress_ = false;
    const int delay = std::clamp(settings_.DelayAfterCopy, 0, 999);
    noCaptureUntil_ = desktop_.Clock().Now() + delay / MsPerDay;
    LogMsg(LogDataEvents, "<TfrmBX.CopyItem", "End Copy");
    return result;
}

void TClipPutBack::ClipViewRenderFormat() {
    SetTraceLocation("TfrmBX.ClipViewRenderFormat");
    const UINT format = static_cast<UINT>(core_.ClipView().WhichRenderFormat());
    if (core_.PasteTraceActive()) {
        if (core_.CurrentClip() != nullptr)
            core_.CurrentClip()->RenderFormat(core_.Clipboard(), format);
        return;
    }
    core_.Events().RenderRequested.Emit(format);
}

} // namespace bx::shell
