#include "X11Desktop.h"

namespace bx::platform::x11 {

X11Desktop::X11Desktop() : clipboard_(windows_), hotKeys_(windows_) {
    processes_.SetWindowMeans(clipboard_.WindowProcessMeans());
}

X11Desktop::~X11Desktop() = default;

} // namespace bx::platform::x11
