#pragma once

#include "PlatformTypes.h"
#include "TClipObj.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace bx::platform {
class IClock;
}

namespace bx::cliplink {
class TClipView5;
class TClipboard;
class IClipProfile;
} // namespace bx::cliplink

namespace bx::clipstore {

// Reading a clip from the clipboard: every format the profile (or the forced list) accepts, each
// asked for again a few times when it fails (once on a desktop whose failed reads stay failed), and a
// text made from a file list or an address when the clipboard offers no text. TClipObj's Paste,
// PasteOne and DropFilePaths are these.
class TClipPaste {
public:
    explicit TClipPaste(TClipObj& clip) : clip_(clip) {}

    int Paste(cliplink::TClipView5& view, cliplink::TClipboard& clipboard, cliplink::IClipProfile& profile,
              const TClipObj::ForcedFormats* forced);
    int PasteOne(cliplink::TClipView5& view, cliplink::TClipboard& clipboard, platform::UINT format);
    static std::vector<std::string> DropFilePaths(std::span<const std::uint8_t> block);

private:
    // What reading the offered formats met.
    struct Offered {
        bool Text = false;     // CF_TEXT was offered
        bool FileList = false; // CF_HDROP was offered
        bool Address = false;  // the address format was offered
        int Good = 0;          // formats obtained
        int Last = 0;          // the outcome of the last failed format
    };

    // Opens the clipboard, pausing longer after each of up to 11 failed attempts.
    static bool Open(cliplink::TClipView5& view, platform::IClock& clock);
    // Reads the formats the open clipboard offers that are to be kept.
    void ReadOffered(cliplink::TClipView5& view, cliplink::TClipboard& clipboard, cliplink::IClipProfile& profile,
                     const TClipObj::ForcedFormats* forced, platform::UINT urlFormat, int formatAttempts,
                     Offered& offered);
    // The text made from the clip's file list, one path a line.
    void AddTextFromFileList();
    // The text made from the clip's address; false when the address is empty.
    bool AddTextFromAddress(platform::UINT urlFormat);

    TClipObj& clip_;
};

} // namespace bx::clipstore
