#pragma once

#include "PlatformTypes.h"

#include <string>
#include <string_view>
#include <vector>

namespace bx::platform::x11 {

// Which X11 targets stand for which clipboard formats, both ways. Every target an owner offers (except
// the meta-targets) is a registered format named by the target's name; the formats the program's logic
// relies on are derived from the targets listed for them here, the first available one winning, and
// are written back as the targets listed for writing.
class X11FormatMap {
public:
    enum class Kind { Text, Html, Rtf, Bitmap, MetafilePict, EnhMetafile, HDrop, Url, Ignore };

    static constexpr std::string_view HtmlName = "HTML Format";
    static constexpr std::string_view RtfName = "Rich Text Format";
    static constexpr std::string_view UrlName = "UniformResourceLocator";
    static constexpr std::string_view IgnoreName = IgnoreFormatName;
    static constexpr std::string_view PasswordHint = "x-kde-passwordManagerHint";
    static constexpr std::string_view WmfTarget = "application/x-openoffice-wmf;windows_formatname=\"Image WMF\"";
    static constexpr std::string_view EmfTarget = "application/x-openoffice-emf;windows_formatname=\"Image EMF\"";
    static constexpr std::string_view MozUrlPriv = "text/x-moz-url-priv";
    static constexpr std::string_view ChromiumSourceUrl = "chromium/x-source-url";

    // The derived formats in the order they are listed, before the exact targets.
    static const std::vector<Kind>& DerivedOrder();
    // The standard format number of a kind, or 0 for the kinds that are registered by name.
    static UINT StandardFormat(Kind kind);
    // The registered name of a kind (empty for the standard ones).
    static std::string_view RegisteredName(Kind kind);
    // The targets a kind is read from, in order of preference.
    static const std::vector<std::string_view>& SourceTargets(Kind kind);
    // The targets a kind is written as.
    static const std::vector<std::string_view>& WrittenTargets(Kind kind);
    // TARGETS, TIMESTAMP, MULTIPLE and the other targets that are requests rather than data.
    static bool IsMetaTarget(std::string_view name);
};

} // namespace bx::platform::x11
