#pragma once

#include "PlatformTypes.h"
#include "TClipObj.h"

namespace bx::platform {
class IClipboard;
}

namespace bx::cliplink {
class TClipView5;
class TClipboard;
} // namespace bx::cliplink

namespace bx::clipstore {

class TClipData;
class TMetafile;

// Writing a clip back to the clipboard: at once, announced (rendered when a program asks), or inside
// a render request; registered formats go out under the number their name has in this run, a bitmap
// as CF_BITMAP, a metafile in the format it produces, either with CF_PALETTE when it carries a
// palette. TClipObj's Copy, CopyOne, RenderFormat and CopyMetafileToClipboard are these.
class TClipCopy {
public:
    explicit TClipCopy(TClipObj& clip) : clip_(clip) {}

    bool Copy(cliplink::TClipView5& view, cliplink::TClipboard& clipboard, TClipObj::CopyMode mode);
    void CopyOne(cliplink::TClipboard& clipboard, TClipData& data);
    bool RenderFormat(cliplink::TClipboard& clipboard, platform::UINT format);
    static bool CopyMetafileToClipboard(cliplink::TClipboard& clipboard, const TMetafile& metafile);

private:
    // The number under which a format goes out in this run: a registered format under the number its
    // name has now (FormatNum follows it), a bitmap as CF_BITMAP, a metafile in the format it produces.
    static platform::UINT OutgoingFormat(platform::IClipboard& clipboard, TClipData& data);

    TClipObj& clip_;
};

} // namespace bx::clipstore
