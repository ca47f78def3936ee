#pragma once

#include "IDesktop.h"
#include "TClipObj.h"

#include <memory>
#include <string>

namespace bx::clipstore {
class TClipColl;
}

namespace bx::shell {

class TAppSettings;
class TBrindlexCore;

// The way from a clipboard change to a stored clip: the change is looked at (capture off, the ignore
// marker, an empty clipboard, too soon after a put-back, a running put-back), the clip is pasted from
// the clipboard through the application profile, its source address found, checked against the newest
// clip of its collection and stored there; the clip list and the tree follow. It also keeps the link to
// the browser that names the page of a copy. Part of the core, which owns it and whose state it uses.
class TCapturePipeline {
public:
    TCapturePipeline(TBrindlexCore& core, platform::IDesktop& desktop, TAppSettings& settings);
    TCapturePipeline(const TCapturePipeline&) = delete;
    TCapturePipeline& operator=(const TCapturePipeline&) = delete;

    // The viewer reports a change of the clipboard.
    void ClipViewCBChange();
    // Pastes the clipboard into a new clip and stores it (forced: the formats to take, else the profile's).
    void CaptureTheClip(const clipstore::TClipObj::ForcedFormats* forced);
    // The next report is what another program held on the clipboard at start: it is captured unless it
    // equals the newest clip in every format.
    void ExpectStartCapture() { startCapture_ = true; }
    // Another program's data is on the clipboard (or another program holds it open).
    bool ClipboardHoldsOtherData();

    // The address of the page a browser shows, asked over the browser link ("" when there is none).
    std::string GetURLDDE(const std::string& service);
    static std::string GetHtmlSourceURL(clipstore::TClipObj& clip);
    bool DdeLinkOpen() const { return ddeLinkOpen_; }
    const std::string& LastDDEBrowser() const { return lastDdeBrowser_; }
    // The browser closed the link / the program closes it.
    void BrowserLinkClosed();
    void CloseBrowserLink();

    // The tree's state image of a collection: favourite, holding the last capture.
    int CalcStateIndex(const clipstore::TClipColl& coll) const;
    void RefreshStateImages();

private:
    // The change is not captured (capture off, ignore marker, empty clipboard): reports why.
    bool IgnoredChange();
    // Too soon after a put-back: looked at again once the pause is over.
    bool TooSoonAfterPutBack();
    // The capture's steps.
    clipstore::TClipObj* TryCapture(const clipstore::TClipObj::ForcedFormats* forced, bool wholeDuplicates);
    std::string SourceAddress(clipstore::TClipObj& clip);
    clipstore::TClipColl* TargetCollection(clipstore::TClipColl* shown) const;
    bool IsDuplicate(clipstore::TClipObj& clip, clipstore::TClipColl& target,
                     const clipstore::TClipObj::ForcedFormats* forced, bool wholeDuplicates);
    bool IsDuplicateOfNewest(clipstore::TClipObj& clip, clipstore::TClipColl& coll);
    clipstore::TClipObj* Store(std::unique_ptr<clipstore::TClipObj>& clip, clipstore::TClipColl& target,
                               clipstore::TClipColl* shown);
    void ReportNotStored(int pasted, bool duplicate);
    void FinishCapture(clipstore::TClipObj* stored);

    TBrindlexCore& core_;
    platform::IDesktop& desktop_;
    TAppSettings& settings_;
    bool startCapture_ = false;    // the next report is what the clipboard held at start
    bool wholeDuplicates_ = false; // the next capture compares every format with the newest clip
    bool ddeLinkOpen_ = false;
    std::string lastDdeBrowser_;
};

} // namespace bx::shell
