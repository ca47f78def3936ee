#pragma once

#include "IDesktop.h"
#include "PlatformTypes.h"

#include <functional>

namespace bx::clipstore {

class TBitmap;

// The program-wide state that the clip store consults. The owners set it: the master list marks its
// existence while it lives, start-up sets StartingUp until the data is loaded, start-up registers the
// named formats, and the program hands over its desktop. Tests set the fields they need.
class TProgramState {
public:
    static TProgramState& Get();

    // A master list exists: while it does not, reading, loading, unloading and locking clip data do
    // nothing (start-up has not created it yet, or shut-down has released it).
    bool MasterListExists = false;
    // From the start of start-up to the end of loading the data.
    bool StartingUp = false;
    // The numbers that registering "Rich Text Format", "HTML Format" and "UniformResourceLocator" gave
    // in this run; 0 until then.
    platform::UINT RtfFormat = 0;
    platform::UINT HtmlFormat = 0;
    platform::UINT UrlFormat = 0;
    // The desktop: its clock stamps new clips, its clipboard registers format names. Not owned.
    platform::IDesktop* Desktop = nullptr;
    // Shows a bitmap on the preview pane's bitmap page and repaints it, as a clip goes back on the
    // clipboard; the explorer window sets it. Nothing is shown while it is empty.
    std::function<void(const TBitmap&)> ShowPreviewBitmap;

    // The local time now; 0 without a desktop.
    platform::TDateTime Now() const;
    // The number a registered format name has in this run; 0 without a desktop.
    platform::UINT RegisterFormat(const std::string& name) const;

    // Back to the state at program start (tests).
    void Reset();
};

} // namespace bx::clipstore
