#pragma once

#include "IDesktop.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace bx::cliplink {

// The program's own clipboard wrapper: reads and writes formats while the caller holds the clipboard
// open through the viewer component. Its own Open and Close only count references; they never open or
// close the system clipboard.
class TClipboard {
public:
    explicit TClipboard(platform::IDesktop& desktop) : desktop_(desktop) {}

    void Open() { ++openCount_; }
    void Close() {
        if (openCount_ > 0)
            --openCount_;
    }
    int OpenCount() const { return openCount_; }

    bool HasFormat(platform::UINT format) const;
    int FormatCount() const;
    // The format at position index of the clipboard's enumeration; 0 when there is none.
    platform::UINT FormatAt(int index) const;
    platform::HANDLE GetData(platform::UINT format) const;
    bool Empty();
    // Replaces the whole clipboard with one format holding a copy of the bytes; false on failure.
    bool PutBytes(platform::UINT format, const void* bytes, std::size_t size);
    // A copy of the bytes of a format's memory block; false when the format has no block (the
    // graphic objects read CF_BITMAP, CF_METAFILEPICT and CF_PALETTE through it).
    bool GetBytes(platform::UINT format, std::vector<std::uint8_t>& bytes) const;
    // Sets a new block holding a copy of the bytes as the format, beside the formats already on the
    // clipboard (nothing is emptied); false on failure. Graphic objects put their blocks through it.
    bool SetBytes(platform::UINT format, std::span<const std::uint8_t> bytes);

    // Sets a block the caller made as the format, beside the formats already on the clipboard; the
    // clipboard takes the block over. False on failure, and the caller keeps the block.
    bool SetHandle(platform::UINT format, platform::HANDLE handle);

    platform::IDesktop& Desktop() const { return desktop_; }

private:
    platform::IDesktop& desktop_;
    int openCount_ = 0;
};

} // namespace bx::cliplink
