#include "TClipName.h"

#include "AsciiText.h"

#include <algorithm>
#include <array>

namespace bx::cliplink {

using platform::UINT;

namespace {

struct Row {
    UINT format;
    std::string_view name;
};

// In this order: the first row with a number or name wins (128 stands twice).
constexpr std::array<Row, 22> Table{{
    {2, "BITMAP"},
    {8, "DIB"},
    {5, "DIF"},
    {4, "SYLK"},
    {130, "DSPBITMAP"},
    {131, "DSPMETAFILEPICT"},
    {3, "PICTURE"},
    {7, "OEMTEXT"},
    {128, "OWNERDISPLAY"},
    {9, "PALETTE"},
    {1, "TEXT"},
    {6, "TIFF"},
    {11, "RIFF"},
    {12, "WAVE"},
    {13, "UNICODTEXT"},
    {14, "ENHMETAFILE"},
    {15, "HDROP"},
    {16, "LOCALE"},
    {17, "MAX"},
    {128, "OWNERDISPLAY"},
    {129, "DSPTEXT"},
    {142, "DSPENHMETAFILE"},
}};

} // namespace

std::string_view TClipName::TableName(UINT format) {
    for (const Row& row : Table)
        if (row.format == format)
            return row.name;
    return {};
}

std::string TClipName::ConvertFormatNum(UINT format) const {
    if (format < platform::FirstRegisteredFormat) {
        const std::string_view name = TableName(format);
        return name.empty() ? "UNKN_PUBLIC:" + std::to_string(format) : std::string(name);
    }
    std::string name = clipboard_.GetClipboardFormatName(format, NameBufferSize);
    return name.empty() ? "UNKNOWN" : name;
}

UINT TClipName::ConvertFormatName(std::string_view name) const {
    for (const Row& row : Table)
        if (platform::SameText(row.name, name))
            return row.format;
    return clipboard_.RegisterClipboardFormat(name);
}

} // namespace bx::cliplink
