#include "Tfilter.h"

#include "AsciiText.h"
#include "LogHook.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace bx::cliplink {

using namespace platform;

namespace {

constexpr std::array<std::string_view, 5> FixedExclusions{"OEMTEXT", "Brindlex Ping", "Borland IDE Block Type",
                                                          "DSPTEXT", "PALETTE"};

bool IsOneOf(std::string_view f, std::initializer_list<std::string_view> names) {
    for (std::string_view n : names)
        if (SameText(f, n))
            return true;
    return false;
}

// The desktop's file managers and web browsers, by the names their programs give as creators (the
// program file's name without its extension, upper-cased). They start with files, pictures and HTML
// switched on, as the program's own file manager and browser did on its first desktop.
constexpr std::array<std::string_view, 33> FileManagersAndBrowsers{
    "EXPLORER", "IEXPLORE",
    // file managers
    "NAUTILUS", "DOLPHIN", "THUNAR", "PCMANFM", "PCMANFM-QT", "NEMO", "CAJA", "KONQUEROR", "SPACEFM", "XFE",
    "DOUBLECMD", "KRUSADER", "PEONY",
    // web browsers
    "FIREFOX", "FIREFOX-ESR", "FIREFOX-BIN", "LIBREWOLF", "CHROMIUM", "CHROMIUM-BROWSER", "CHROME", "GOOGLE-CHROME",
    "BRAVE", "BRAVE-BROWSER", "VIVALDI", "VIVALDI-BIN", "OPERA", "EPIPHANY", "FALKON", "MIDORI", "SEAMONKEY",
    "WATERFOX"};

} // namespace

bool Tfilter::IsFileManagerOrBrowser(std::string_view a) {
    return std::find(FileManagersAndBrowsers.begin(), FileManagersAndBrowsers.end(), a) !=
           FileManagersAndBrowsers.end();
}

// A picture or a file list seen for the first time from a program is kept: it may be all there is of
// what was copied. Of two forms of the same picture the first is enough.
bool Tfilter::KeepsOnFirstSight(std::string_view f) const {
    if (IsOneOf(f, {"BITMAP", "PICTURE", "HDROP"}))
        return true;
    if (SameText(f, "DIB"))
        return !ClipboardHas(CF_BITMAP);
    if (SameText(f, "ENHMETAFILE"))
        return !ClipboardHas(CF_METAFILEPICT);
    return false;
}

Tfilter::Tfilter(IDesktop& desktop, bool htmlViewerAvailable, std::string_view rootKey)
    : desktop_(desktop), htmlViewerAvailable_(htmlViewerAvailable),
      profileKey_(std::string(rootKey) + "\\Application Profile"),
      filtersKey_(profileKey_ + "\\" + std::string(FiltersKey)) {
    SetTraceLocation("TFilter.Create");
    desktop_.Registry().WriteValue(profileKey_, "(Default)", "5111152");
}

Tfilter::~Tfilter() {
    SetTraceLocation("TFilter.Destroy");
}

std::string Tfilter::AppKey(std::string_view a) const {
    return profileKey_ + "\\" + std::string(a);
}

bool Tfilter::IsFixedExclusion(std::string_view f) {
    for (std::string_view n : FixedExclusions)
        if (SameText(f, n))
            return true;
    return false;
}

int Tfilter::ReadInt(std::string_view key, std::string_view name, int fallback) const {
    const auto text = desktop_.Registry().ReadValue(key, name);
    if (!text)
        return fallback;
    int value = 0;
    const auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), value);
    return ec == std::errc() && end == text->data() + text->size() ? value : fallback;
}

void Tfilter::Store(std::string_view key, std::string_view name, int value) {
    desktop_.Registry().WriteValue(key, name, std::to_string(value));
}

bool Tfilter::ClipboardHas(UINT format) const {
    return desktop_.Clipboard().IsClipboardFormatAvailable(format);
}

bool Tfilter::IsCoffee(const std::string& a, const std::string& f) {
    SetTraceLocation("TFilter.IsCoffee");
    if (IsFixedExclusion(f))
        return false;
    LogMsg(LogDetail, ">IsCoffee", a + " : " + f);
    if (f.empty())
        return false;
    if (SameText(a, "Brindlex"))
        return SameText(f, "TEXT");
    if (IsOneOf(f, {"UNKNOWN", "UNKN_PUBLIC"}))
        return false;
    if (!HasFilter(a)) {
        LogMsg(LogDetail, "IsCoffee", "Making a Quickie Filter for S_Owner[" + a + "]");
        Accepting = MakeQuickieFilter(a);
    }
    if (!Accepting)
        return false;

    bool result = false;
    const std::string appKey = AppKey(a);
    const int stored = ReadInt(appKey, f, -1);
    if (stored == 1) {
        result = true;
    } else if (stored == -1) {
        // The first time this format comes from this application: decide and remember.
        result = IsOneOf(f, {"TEXT", "Ami Text Format", "Rich Text Format"}) && ClipboardHas(CF_TEXT);
        Store(appKey, f, result ? 1 : 0);
        // Programs of this desktop offer HTML where others offered rich text: both are kept.
        if (std::string_view("OLE32").find(UpperCase(a)) == std::string_view::npos &&
            IsOneOf(f, {"Rich Text Format", "HTML Format"})) {
            Store(appKey, f, 1);
            result = true;
        }
        if (!result && KeepsOnFirstSight(f)) {
            Store(appKey, f, 1);
            result = true;
        }
    }
    LogMsg(LogDetail, "<IsCoffee", result ? "1" : "0");
    return result;
}

bool Tfilter::HasFilter(const std::string& a) {
    SetTraceLocation("TFilter.HasFilter");
    const int v = ReadInt(filtersKey_, a, 2);
    Accepting = v == 1;
    if (v < 2)
        return true;
    LogMsg(LogDetail, "HasFilter Failed",
           "S_Owner[" + a + "] Validate[" + std::to_string(v) + "], Accepting[" + (Accepting ? "1" : "0") +
               "], Result[0]");
    return false;
}

bool Tfilter::MakeQuickieFilter(const std::string& a) {
    SetTraceLocation("TFilter.MakeQuickieFilter");
    LogMsg(LogDetail, ">QuickieFilter", a);
    const std::string appKey = AppKey(a);
    if (IsFileManagerOrBrowser(a)) {
        for (std::string_view f : {"TEXT", "HDROP", "Filename", "BITMAP"})
            Store(appKey, f, 1);
        Store(appKey, htmlViewerAvailable_ ? "HTML Format" : "Rich Text Format", 1);
    } else if (a == "WINDOWS") {
        Store(appKey, "TEXT", 1);
        Store(appKey, "BITMAP", 1);
    } else if (a == "WordPerfect") {
        Store(appKey, "TEXT", 1);
        Store(appKey, "Rich Text Format", 1);
    }
    if (ClipboardHas(desktop_.Clipboard().RegisterClipboardFormat("HTML Format")))
        Store(appKey, "HTML Format", 1);

    int count = 0;
    if (ClipboardHas(CF_TEXT)) {
        LogMsg(LogDetail, "MakeQuickieFilter", "Making TEXT filter for S_Owner[" + a + "], ");
        Store(appKey, "TEXT", 1);
        count = 1;
        LogMsg(LogDetail, "MakeQuickieFilter", "Made TEXT filter for S_Owner[" + a + "]  CountHits is now:[1], ");
    } else {
        if (ClipboardHas(CF_METAFILEPICT)) {
            Store(appKey, "PICTURE", 1);
            ++count;
        }
        if (ClipboardHas(CF_BITMAP)) {
            Store(appKey, "BITMAP", 1);
            ++count;
        } else if (ClipboardHas(CF_DIB)) {
            Store(appKey, "DIB", 1);
            ++count;
        }
        // Files copied in a file manager: the file list is what was copied.
        if (ClipboardHas(CF_HDROP)) {
            Store(appKey, "HDROP", 1);
            ++count;
        }
    }
    LogMsg(LogDetail, "MakeQuickieFilter", "Writing entry in _FILTERS section for S_Owner[" + a + "], ");
    Store(filtersKey_, a, 1);
    LogMsg(LogDetail, "MakeQuickieFilter", "Done Writing entry in _FILTERS");
    LogMsg(LogDetail, "<QuickieFilter ", std::to_string(count));
    return count > 0;
}

} // namespace bx::cliplink
