#include "TClipboard.h"

#include "GlobalMemory.h"

namespace bx::cliplink {

using namespace platform;

bool TClipboard::HasFormat(UINT format) const {
    return desktop_.Clipboard().IsClipboardFormatAvailable(format);
}

int TClipboard::FormatCount() const {
    return desktop_.Clipboard().CountClipboardFormats();
}

UINT TClipboard::FormatAt(int index) const {
    if (index < 0)
        return 0;
    UINT format = 0;
    for (int i = 0; i <= index; ++i) {
        format = desktop_.Clipboard().EnumClipboardFormats(format);
        if (format == 0)
            return 0;
    }
    return format;
}

HANDLE TClipboard::GetData(UINT format) const {
    return desktop_.Clipboard().GetClipboardData(format);
}

bool TClipboard::Empty() {
    return desktop_.Clipboard().EmptyClipboard();
}

bool TClipboard::PutBytes(UINT format, const void* bytes, std::size_t size) {
    Open();
    bool ok = Empty();
    if (ok) {
        const HGLOBAL h = GlobalMemory::FromBytes(bytes, size);
        ok = h != 0 && desktop_.Clipboard().SetClipboardData(format, h) != 0;
        if (!ok && h != 0)
            GlobalFree(h);
    }
    Close();
    return ok;
}

bool TClipboard::GetBytes(UINT format, std::vector<std::uint8_t>& bytes) const {
    bytes.clear();
    const HANDLE h = GetData(format);
    if (h == 0 || !GlobalMemory::IsBlock(h))
        return false;
    const std::size_t size = GlobalSize(h);
    if (size > 0) {
        const std::uint8_t* data = GlobalLock(h);
        if (data == nullptr)
            return false;
        bytes.assign(data, data + size);
        GlobalUnlock(h);
    }
    return true;
}

bool TClipboard::SetBytes(UINT format, std::span<const std::uint8_t> bytes) {
    const HGLOBAL h = GlobalMemory::FromBytes(bytes.data(), bytes.size());
    if (h == 0)
        return false;
    if (!SetHandle(format, h)) {
        GlobalFree(h);
        return false;
    }
    return true;
}

bool TClipboard::SetHandle(UINT format, HANDLE handle) {
    return handle != 0 && desktop_.Clipboard().SetClipboardData(format, handle) != 0;
}

} // namespace bx::cliplink
