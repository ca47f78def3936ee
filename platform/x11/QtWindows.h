#pragma once

#include "IWindows.h"
#include "WindowTable.h"

#include <QObject>
#include <QTimer>

#include <map>
#include <memory>
#include <utility>

namespace bx::platform::x11 {

class X11ActiveWindow;

// Windows, messages and timers on Qt's event loop. Posted messages are queued events of the loop;
// timers are QTimers. Must be used on the thread that runs the QCoreApplication.
class QtWindows : public IWindows {
public:
    QtWindows();
    ~QtWindows() override;
    QtWindows(const QtWindows&) = delete;
    QtWindows& operator=(const QtWindows&) = delete;

    HWND CreateWindow(const std::string& title, WindowProc proc) override;
    void DestroyWindow(HWND hwnd) override;
    bool IsWindow(HWND hwnd) const override;
    LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool SetTimer(HWND hwnd, TimerId id, UINT ms, TimerKind kind) override;
    bool KillTimer(HWND hwnd, TimerId id) override;
    void ProcessMessages() override;
    std::string GetWindowText(HWND hwnd) const override;
    std::uint32_t GetWindowProcessId(HWND hwnd) const override;
    // The active window of the screen when there is one (another program's window, or a window of
    // this program's toolkit), else the program's own window set last.
    HWND GetForegroundWindow() const override;
    bool SetForegroundWindow(HWND hwnd) override;

    // A window of another program (a clipboard owner), known by its title and process; messages sent to
    // it are dropped. Removed with DestroyWindow.
    HWND AddForeignWindow(const std::string& title, std::uint32_t pid);
    void SetWindowTitle(HWND hwnd, const std::string& title) { table_.SetTitle(hwnd, title); }
    // Where the screen's active window comes from; nullptr: only this program's windows count.
    void SetActiveWindowSource(X11ActiveWindow* source) { activeSource_ = source; }

private:
    struct LaterDeleter {
        void operator()(QTimer* t) const;
    };
    using TimerKey = std::pair<HWND, TimerId>;

    WindowTable table_;
    QObject context_; // receiver of queued messages; dies with this object, dropping what is queued
    std::map<TimerKey, std::unique_ptr<QTimer, LaterDeleter>> timers_;
    std::uint32_t pid_;
    HWND foreground_ = NoWindow;
    X11ActiveWindow* activeSource_ = nullptr;
};

} // namespace bx::platform::x11
