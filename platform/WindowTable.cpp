#include "WindowTable.h"

#include <utility>

namespace bx::platform {

HWND WindowTable::Add(const std::string& title, WindowProc proc, std::uint32_t pid) {
    const HWND hwnd = next_;
    next_ += 4;
    windows_.emplace(hwnd, Record{title, std::move(proc), pid});
    return hwnd;
}

bool WindowTable::Remove(HWND hwnd) {
    return windows_.erase(hwnd) == 1;
}

bool WindowTable::Contains(HWND hwnd) const {
    return windows_.contains(hwnd);
}

LRESULT WindowTable::Send(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto it = windows_.find(hwnd);
    if (it == windows_.end() || !it->second.proc)
        return 0;
    // A copy, so that the procedure survives the destruction of its window during the call.
    WindowProc proc = it->second.proc;
    return proc(msg, wParam, lParam);
}

std::string WindowTable::Title(HWND hwnd) const {
    auto it = windows_.find(hwnd);
    return it == windows_.end() ? std::string() : it->second.title;
}

void WindowTable::SetTitle(HWND hwnd, const std::string& title) {
    auto it = windows_.find(hwnd);
    if (it != windows_.end())
        it->second.title = title;
}

std::uint32_t WindowTable::ProcessId(HWND hwnd) const {
    auto it = windows_.find(hwnd);
    return it == windows_.end() ? 0 : it->second.pid;
}

} // namespace bx::platform
