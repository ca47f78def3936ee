#include "TCapturePipeline.h"

#include "IMainView.h"
#include "LogHook.h"
#include "StatusLevels.h"
#include "TAppSettings.h"
#include "TBrindlexCore.h"
#include "TClipColl.h"
#include "TClipView5.h"
#include "TClipboard.h"
#include "TMasterList.h"
#include "TUtf8.h"
#include "Tfilter.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

namespace bx::shell {

using namespace platform;
using clipstore::TClipColl;
using clipstore::TClipObj;
using clipstore::TMasterList;

namespace {

constexpr double MsPerDay = 86400000.0;
constexpr std::size_t MaxShortString = 255;
constexpr const char* BrowserTopic = "WWW_GetWindowInfo";
constexpr const char* ActiveWindowItem = "0xFFFFFFFF";

// A date-time as a decimal day number.
std::string DayNumber(TDateTime t) {
    char text[40];
    std::snprintf(text, sizeof text, "%.15g", t);
    return text;
}

// The millisecond part of the time between two moments.
long long MsPart(TDateTime a, TDateTime b) {
    const long long ms = std::llround(std::fabs(a - b) * MsPerDay);
    return ms % 1000;
}

} // namespace

TCapturePipeline::TCapturePipeline(TBrindlexCore& core, IDesktop& desktop, TAppSettings& settings)
    : core_(core), desktop_(desktop), settings_(settings) {}

void TCapturePipeline::ClipViewCBChange() {
    SetTraceLocation("TfrmBX.ClipViewCBChange");
    const bool atStart = std::exchange(startCapture_, false);
    if (core_.View() != nullptr)
        core_.View()->SetPasteEnabled(core_.Clipboard().HasFormat(CF_TEXT));
    core_.Events().ForeignClipboardChange.Emit();
    if (IgnoredChange() || TooSoonAfterPutBack())
        return;
    if (core_.SuppressListEvents())
        return;
    core_.Events().ClipboardChangeAccepted.Emit();
    if (core_.CopyInProgress()) {
        core_.ClipView().ReportAgain(core_.ClipView().Delay);
        return;
    }
    if (core_.AutoGlueMode())
        core_.Events().ClipboardChangeHeld.Emit();
    if (!core_.AutoGlueMode()) {
        wholeDuplicates_ = atStart;
        CaptureTheClip(nullptr);
    }
}

bool TCapturePipeline::IgnoredChange() {
    auto ignore = [this](const char* log, const char* status, bool beep, const char* sound) {
        LogMsg(LogDataEvents, "ClipViewCBChange", log);
        core_.ShowStatus(shell::StatusInBarAndItemBar, false, status);
        if (beep)
            core_.PlaySoundOrBeep(sound);
        core_.DeselectClips();
        core_.SetCurrentClip(nullptr);
        return true;
    };
    cliplink::TClipView5& view = core_.ClipView();
    cliplink::TClipboard& clipboard = core_.Clipboard();
    if (!view.Capturing)
        return ignore("Ignoring New Data, AutoCapture Is Off", "New Data Ignored (Capture Is Off).",
                      settings_.BeepOnIgnore, TBrindlexCore::SoundIgnore);
    if (settings_.UseIgnoreFormat && view.IgnoreFormat() != 0 && clipboard.HasFormat(view.IgnoreFormat()))
        return ignore("Ignoring New Data, CF_CLIPBOARD_VIEWER_IGNORE", "New Data Ignored (Ignore Flag Set By Sender).",
                      settings_.BeepOnIgnore, TBrindlexCore::SoundIgnore);
    if (clipboard.FormatCount() == 0)
        return ignore("Empty Clipboard", "System Clipboard Is Empty.", settings_.BeepOnErase,
                      TBrindlexCore::SoundEmpty);
    return false;
}

bool TCapturePipeline::TooSoonAfterPutBack() {
    const TDateTime now = desktop_.Clock().Now();
    const TDateTime until = core_.NoCaptureUntil();
    const std::string ms = std::to_string(MsPart(now, until));
    if (now < until) {
        LogMsg(LogDataEvents, "ClipViewCBChange", "Paste Ignored - too soon after copy - " + ms + "ms ago.");
        // Not lost: the clipboard is looked at again once the pause after the copy is over, and what
        // another program has put there by then is captured.
        core_.ClipView().ReportAgain(static_cast<std::int32_t>(std::ceil((until - now) * MsPerDay)) + 1);
        return true;
    }
    LogMsg(LogDataEvents, "ClipViewCBChange",
           "Paste Accepted - last copy was " + ms + "ms ago." + "WaitUntil: " + DayNumber(until) +
               "Now: " + DayNumber(now));
    return false;
}

bool TCapturePipeline::ClipboardHoldsOtherData() {
    cliplink::TClipView5& view = core_.ClipView();
    if (!view.Open())
        return true; // another program holds it open: it is theirs, whatever it is
    IClipboard& cb = desktop_.Clipboard();
    const bool other = cb.CountClipboardFormats() > 0 && cb.GetClipboardOwner() != view.Handle();
    view.Close();
    return other;
}

bool TCapturePipeline::IsDuplicateOfNewest(TClipObj& clip, TClipColl& coll) {
    TClipObj* newest = coll.Clip(0);
    if (newest == nullptr || newest == &clip)
        return false;
    int mine = -1;
    int theirs = -1;
    if (!clip.HasFormat(CF_TEXT, mine) || !newest->HasFormat(CF_TEXT, theirs))
        return false;
    if (clip.GetDataSize(mine) != newest->GetDataSize(theirs))
        return false;
    bool duplicate = false;
    try {
        const std::size_t mineSize = clip.Lock(CF_TEXT);
        const std::size_t theirSize = newest->Lock(CF_TEXT);
        if (mineSize > 0 && theirSize > 0 && clip.LockedData != nullptr && newest->LockedData != nullptr) {
            const char* a = reinterpret_cast<const char*>(clip.LockedData);
            const char* b = reinterpret_cast<const char*>(newest->LockedData);
            const std::size_t lengthA = strnlen(a, mineSize);
            const std::size_t lengthB = strnlen(b, theirSize);
            duplicate = lengthA == lengthB && std::memcmp(a, b, lengthA) == 0;
        }
    } catch (...) {
        clip.Unlock();
        newest->Unlock();
        throw;
    }
    clip.Unlock();
    newest->Unlock();
    return duplicate;
}

void TCapturePipeline::CaptureTheClip(const TClipObj::ForcedFormats* forced) {
    SetTraceLocation("TfrmBX.CaptureTheClip");
    LogMsg(LogDataEvents, ">CaptureTheClip", "Begin");
    const bool wholeDuplicates = std::exchange(wholeDuplicates_, false);
    TClipObj* stored = nullptr;
    try {
        stored = TryCapture(forced, wholeDuplicates);
    } catch (...) {
        FinishCapture(nullptr);
        throw;
    }
    FinishCapture(stored);
}

TClipObj* TCapturePipeline::TryCapture(const TClipObj::ForcedFormats* forced, bool wholeDuplicates) {
    TClipObj* const savedCurrent = core_.CurrentClip();
    TClipObj* const savedLast = core_.LastCaptured();
    TClipListModel& list = core_.ClipList();
    TMasterList* master = core_.MasterList();
    if (list.Coll() == nullptr && master != nullptr && master->Count() > 0)
        list.Bind(master->Item(0));

    auto clip = std::make_unique<TClipObj>(core_.ClipContext(), 0,
                                           clipstore::TUtf8::CutBytes(core_.ClipView().Creator, MaxShortString));
    TClipObj* stored = nullptr;
    bool duplicate = false;
    int n = 0;
    if (core_.Filter() != nullptr)
        n = clip->Paste(core_.ClipView(), core_.Clipboard(), *core_.Filter(), forced);
    if (n >= 1) {
        clip->SourceURL = clipstore::TUtf8::CutBytes(SourceAddress(*clip), MaxShortString);
        ++settings_.Captured;
        TClipColl* shown = list.Coll();
        TClipColl* target = TargetCollection(shown);
        if (target == nullptr) {
            LogMsg(LogErrors, "CaptureTheClip", "No Collection To Receive The Clip");
            n = 0;
        } else {
            if (IsDuplicate(*clip, *target, forced, wholeDuplicates)) {
                core_.ShowStatus(shell::StatusInBar, false, "Duplicate Item Rejected.");
                duplicate = true;
            } else {
                stored = Store(clip, *target, shown);
            }
            RefreshStateImages();
        }
    }
    if (stored == nullptr) {
        clip.reset();
        core_.SetCurrentClip(savedCurrent);
        core_.SetLastCaptured(savedLast);
        ReportNotStored(n, duplicate);
    }
    return stored;
}

std::string TCapturePipeline::SourceAddress(TClipObj& clip) {
    const std::string& creator = clip.Creator;
    std::string address;
    if (creator == "NETSCAPE")
        address = GetURLDDE("NETSCAPE");
    else if (creator == "EXPLORER" && core_.Clipboard().HasFormat(core_.ClipContext().HtmlFormat))
        address = GetURLDDE("IEXPLORE");
    else if (creator == "IEXPLORE")
        address = GetHtmlSourceURL(clip);
    // Browsers on this desktop name the page in the data they copy, whatever their name.
    if (address.empty())
        address = GetHtmlSourceURL(clip);
    return address;
}

// The shown collection when it takes new clips, else the designated one.
TClipColl* TCapturePipeline::TargetCollection(TClipColl* shown) const {
    TMasterList* master = core_.MasterList();
    if (master == nullptr)
        return nullptr;
    return shown != nullptr && shown->AcceptNewClips && shown != master->SearchResults ? shown : master->Designated;
}

bool TCapturePipeline::IsDuplicate(TClipObj& clip, TClipColl& target, const TClipObj::ForcedFormats* forced,
                                   bool wholeDuplicates) {
    return forced == nullptr && target.Count() > 0 && !target.AllowDuplicates &&
           (IsDuplicateOfNewest(clip, target) || (wholeDuplicates && clip.SameDataAs(*target.Clip(0))));
}

TClipObj* TCapturePipeline::Store(std::unique_ptr<TClipObj>& clip, TClipColl& target, TClipColl* shown) {
    TCollectionTree& tree = core_.Tree();
    const int node = tree.GetTreeNodeOfColl(&target);
    TClipObj* raw = clip.get();
    try {
        raw->SetColl(&target);
        raw->SerialNbr = target.GetNextSerialNum();
        raw->SortKey = target.GetNextClipSortKey();
        raw->SetTitle(raw->GetTitle());
        const int position = target.MyAddObject(raw->Title, std::move(clip));
        if (!core_.FlashpickActive())
            core_.ShowStatus(shell::StatusInBar, false,
                             "Captured Item #" + std::to_string(raw->SerialNbr) + " And Placed In: " + target.Title);
        if (node >= 0)
            tree.MakeVisible(static_cast<std::size_t>(node));
        if (node >= 0 && node == tree.GetTreeNodeOfColl(shown)) {
            core_.SetSelectingCapture(true);
            core_.ClipList().AddToLists(raw, core_.RFState() == TBrindlexCore::TRFState::Idle, position);
            core_.SetSelectingCapture(false);
        } else {
            core_.DeselectClips();
        }
    } catch (...) {
        core_.SetSelectingCapture(false);
        if (!clip) {
            core_.SetCurrentClip(raw);
            core_.SetLastCaptured(raw);
        }
        throw;
    }
    core_.SetCurrentClip(raw);
    core_.SetLastCaptured(raw);
    return raw;
}

void TCapturePipeline::ReportNotStored(int pasted, bool duplicate) {
    if (duplicate && settings_.BeepOnIgnore)
        core_.PlaySoundOrBeep(TBrindlexCore::SoundIgnore);
    if (!duplicate && settings_.BeepOnErase)
        core_.PlaySoundOrBeep(TBrindlexCore::SoundEmpty);
    TClipListModel& list = core_.ClipList();
    if (list.Coll() == nullptr)
        return;
    const int shownNode = core_.Tree().GetTreeNodeOfColl(list.Coll());
    if (shownNode >= 0)
        core_.Tree().SetStateImage(static_cast<std::size_t>(shownNode), -1);
    if (duplicate)
        return;
    core_.DeselectClips();
    if (!core_.FlashpickActive())
        core_.ShowStatus(shell::StatusInBar, false,
                         pasted < 0 ? "Capture Failed - Error Count: " + std::to_string(pasted)
                                    : "New Clipboard Data Ignored - No Acceptable Formats, According To "
                                      "Application Profile.");
}

// Runs however the capture ended.
void TCapturePipeline::FinishCapture(TClipObj* stored) {
    if (core_.RFState() != TBrindlexCore::TRFState::Idle) {
        core_.SetRFState(TBrindlexCore::TRFState::Armed);
        core_.ClipList().ClearSelection();
        core_.SetSelectingCapture(true);
        core_.Events().CaptureEndedDuringRun.Emit();
        core_.SetSelectingCapture(false);
    }
    core_.Events().CaptureEnded.Emit(stored);
    if (stored != nullptr && settings_.BeepOnUpdate)
        core_.PlaySoundOrBeep(TBrindlexCore::SoundNewData);
    LogMsg(LogDataEvents, "<CaptureTheClip", "End");
}

std::string TCapturePipeline::GetURLDDE(const std::string& service) {
    LogMsg(LogDetail, ">GetURLDDE", "Begin");
    IBrowserLink& link = desktop_.Browser();
    std::string address;
    if (service != lastDdeBrowser_) {
        if (ddeLinkOpen_)
            link.Close();
        ddeLinkOpen_ = false;
        LogMsg(LogDetail, "GetURLDDE", "Browser Switch or First Time.  LastDDEBrowser: [" + lastDdeBrowser_ + "]");
    }
    const bool connected = ddeLinkOpen_ || link.Connect(service, BrowserTopic);
    if (connected) {
        LogMsg(LogDetail, "GetURLDDE", "Connected to " + service);
        if (ddeLinkOpen_ || link.OpenLink()) {
            ddeLinkOpen_ = true;
            lastDdeBrowser_ = service;
            const auto reply = link.Request(ActiveWindowItem);
            if (reply) {
                const std::size_t end = reply->find("\",\"");
                if (end != std::string::npos && end >= 1)
                    address = clipstore::TUtf8::CutBytes(reply->substr(1, end - 1), MaxShortString);
            }
            LogMsg(LogDetail, "GetURLDDE", "Openlink Successful:" + address);
        }
    }
    LogMsg(LogDetail, "<GetURLDDE", "End");
    return address;
}

std::string TCapturePipeline::GetHtmlSourceURL(TClipObj& clip) {
    return clip.HtmlSourceUrl();
}

void TCapturePipeline::BrowserLinkClosed() {
    LogMsg(LogDataEvents, "DdeClientConv1Close", "Connection Closed!");
    ddeLinkOpen_ = false;
}

void TCapturePipeline::CloseBrowserLink() {
    if (ddeLinkOpen_) {
        desktop_.Browser().Close();
        ddeLinkOpen_ = false;
    }
}

int TCapturePipeline::CalcStateIndex(const TClipColl& coll) const {
    if (coll.Parent == nullptr)
        return -1;
    const TClipObj* last = core_.LastCaptured();
    const bool holdsLast = last != nullptr && last->Coll == &coll;
    if (coll.Favorite)
        return holdsLast ? 3 : 4;
    return holdsLast ? 5 : -1;
}

void TCapturePipeline::RefreshStateImages() {
    TCollectionTree& tree = core_.Tree();
    for (std::size_t i = 0; i < tree.Count(); ++i) {
        const TClipColl* coll = tree.At(i).Coll;
        tree.SetStateImage(i, coll == nullptr || coll->IsSpecial() ? -1 : CalcStateIndex(*coll));
    }
}

} // namespace bx::shell
