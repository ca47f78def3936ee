#include "TClipContext.h"

#include "IClipboard.h"
#include "IClock.h"
#include "TUtf8.h"

namespace bx::clipstore {

void TClipContext::RegisterFormats() {
    RtfFormat = RegisterFormat("Rich Text Format");
    HtmlFormat = RegisterFormat("HTML Format");
    UrlFormat = RegisterFormat("UniformResourceLocator");
}

void TClipContext::NoteFormatName(platform::UINT format, std::string_view name) {
    if (RtfFormat != 0 && HtmlFormat != 0)
        return;
    const std::string upper = TUtf8::UpperAscii(name);
    if (RtfFormat == 0 && upper == "RICH TEXT FORMAT")
        RtfFormat = format;
    if (HtmlFormat == 0 && upper == "HTML FORMAT")
        HtmlFormat = format;
}

platform::TDateTime TClipContext::Now() const {
    return clock_ != nullptr ? clock_->Now() : 0.0;
}

platform::UINT TClipContext::RegisterFormat(const std::string& name) const {
    return clipboard_ != nullptr ? clipboard_->RegisterClipboardFormat(name) : 0;
}

} // namespace bx::clipstore
