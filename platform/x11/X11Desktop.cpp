#include "X11Desktop.h"

namespace bx::platform::x11 {

X11Desktop::X11Desktop() : activeWindow_(windows_), clipboard_(windows_), hotKeys_(windows_) {
    windows_.SetActiveWindowSource(&activeWindow_);
    processes_.SetWindowMeans(clipboard_.WindowProcessMeans());
}

X11Desktop::~X11Desktop() {
    windows_.SetActiveWindowSource(nullptr);
}

} // namespace bx::platform::x11
