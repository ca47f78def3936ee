#pragma once

#include "IClipProfile.h"
#include "IDesktop.h"

#include <string>
#include <string_view>

namespace bx::cliplink {

// The application profile: per source application and per format name, whether a capture keeps the
// format. It learns by itself: a newly seen application gets a small default set, a newly seen format a
// default answer; the user switches applications and formats on and off afterwards. Everything lives in
// the settings store under "Application Profile".
class Tfilter : public IClipProfile {
public:
    static constexpr std::string_view DefaultRootKey = "Software\\Quorvanti\\Brindlex5";
    static constexpr std::string_view FiltersKey = "_FILTERS";

    // htmlViewerAvailable: HTML can be shown, so a web browser's HTML is worth keeping by default.
    Tfilter(platform::IDesktop& desktop, bool htmlViewerAvailable, std::string_view rootKey = DefaultRootKey);
    ~Tfilter() override;
    Tfilter(const Tfilter&) = delete;
    Tfilter& operator=(const Tfilter&) = delete;

    // Keep format f when application a put it on the clipboard? Called while the clipboard is open.
    bool IsCoffee(const std::string& a, const std::string& f) override;
    // Whether the application has been seen; sets Accepting to whether it is switched on.
    bool HasFilter(const std::string& a);
    // Writes the default entries for a newly seen application; true when it gave this capture a format.
    bool MakeQuickieFilter(const std::string& a);

    // Whether the application of the last test is switched on.
    bool Accepting = false;

    // "Software\...\Application Profile", and the key of one application below it.
    const std::string& ProfileKey() const { return profileKey_; }
    std::string AppKey(std::string_view a) const;
    // Names never kept, whatever the profile says.
    static bool IsFixedExclusion(std::string_view f);
    // The creator names of the desktop's file managers and web browsers, which start with files,
    // pictures and HTML switched on (names compare with case).
    static bool IsFileManagerOrBrowser(std::string_view a);

private:
    int ReadInt(std::string_view key, std::string_view name, int fallback) const;
    void Store(std::string_view key, std::string_view name, int value);
    bool ClipboardHas(platform::UINT format) const;
    bool KeepsOnFirstSight(std::string_view f) const;

    platform::IDesktop& desktop_;
    bool htmlViewerAvailable_;
    std::string profileKey_;
    std::string filtersKey_;
};

} // namespace bx::cliplink
