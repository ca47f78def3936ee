#pragma once

#include "IWindows.h"

#include <cstdint>
#include <string>
#include <unordered_map>

namespace bx::platform {

// The windows a desktop knows: handle, title, owning process and procedure. Both desktops keep their
// windows here; handles are never reused within a run.
class WindowTable {
public:
    HWND Add(const std::string& title, WindowProc proc, std::uint32_t pid);
    bool Remove(HWND hwnd);
    bool Contains(HWND hwnd) const;

    // Calls the window's procedure; 0 when the window does not exist. The procedure may destroy
    // its own window while it runs.
    LRESULT Send(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    std::string Title(HWND hwnd) const;
    void SetTitle(HWND hwnd, const std::string& title);
    std::uint32_t ProcessId(HWND hwnd) const;

private:
    struct Record {
        std::string title;
        WindowProc proc;
        std::uint32_t pid = 0;
    };
    std::unordered_map<HWND, Record> windows_;
    HWND next_ = 0x10000;
};

} // namespace bx::platform
