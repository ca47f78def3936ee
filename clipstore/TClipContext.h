#pragma once

#include "PlatformTypes.h"

#include <string>
#include <string_view>

namespace bx::platform {
class IClock;
class IClipboard;
} // namespace bx::platform

namespace bx::clipstore {

// What the clips of one run share: the clock that stamps new clips, the clipboard that numbers the
// formats known by name, the numbers of the three named formats the clip store looks for, and two
// states of the program. The program's core owns one and hands it to the master list, which hands it
// to its collections and they to their clips; a clip keeps a pointer to it. A tool or a test makes
// its own. Without a clock and clipboard (a tool that only reads files) the time is 0 and registered
// formats keep the numbers they are stored under.
class TClipContext {
public:
    TClipContext() = default;
    TClipContext(platform::IClock& clock, platform::IClipboard& clipboard) : clock_(&clock), clipboard_(&clipboard) {}
    TClipContext(const TClipContext&) = delete;
    TClipContext& operator=(const TClipContext&) = delete;

    // A master list exists (the master list sets it while it lives): while it does not, reading,
    // loading, unloading and locking clip data do nothing.
    bool MasterListExists = false;
    // From the start of start-up to the end of loading the data (the core sets it): a clip that joins
    // a collection then does not mark it changed.
    bool StartingUp = false;
    // The numbers that registering "Rich Text Format", "HTML Format" and "UniformResourceLocator" gave
    // in this run; 0 until then (a capture that meets the first two names before fills them in).
    platform::UINT RtfFormat = 0;
    platform::UINT HtmlFormat = 0;
    platform::UINT UrlFormat = 0;

    // Registers the three names and keeps their numbers (start-up).
    void RegisterFormats();
    // Takes the number of a captured format named "Rich Text Format" or "HTML Format" (any case) while
    // that name has none yet.
    void NoteFormatName(platform::UINT format, std::string_view name);
    // The local time now; 0 without a clock.
    platform::TDateTime Now() const;
    // The number a registered format name has in this run; 0 without a clipboard.
    platform::UINT RegisterFormat(const std::string& name) const;

private:
    platform::IClock* clock_ = nullptr;
    platform::IClipboard* clipboard_ = nullptr;
};

} // namespace bx::clipstore
