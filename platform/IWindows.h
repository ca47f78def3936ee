#pragma once

#include "PlatformTypes.h"

#include <functional>
#include <string>

namespace bx::platform {

// The procedure of a window: handles one message and returns its result.
using WindowProc = std::function<LRESULT(UINT msg, WPARAM wParam, LPARAM lParam)>;

enum class TimerKind { Repeating, OneShot };

// Windows of the desktop, their messages and timers, and the message pump of the program.
// Every program window that receives messages (the viewer component, the main window, hot keys)
// is created here. All calls are made on the one thread that runs the program.
class IWindows {
public:
    virtual ~IWindows() = default;

    // A message-only window of this program; title is what GetWindowText reports.
    virtual HWND CreateWindow(const std::string& title, WindowProc proc) = 0;
    // Destroys the window and kills its timers; messages still queued for it are dropped.
    virtual void DestroyWindow(HWND hwnd) = 0;
    virtual bool IsWindow(HWND hwnd) const = 0;

    // Calls the window's procedure before returning; 0 when the window does not exist.
    virtual LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    // Queues the message; it is delivered when messages are processed. False when the window does not exist.
    virtual bool PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;

    // Starts timer id of the window: it sends WM_TIMER (wParam = id) every ms milliseconds, or once.
    // Setting a timer that is running restarts it with the new interval.
    virtual bool SetTimer(HWND hwnd, TimerId id, UINT ms, TimerKind kind = TimerKind::Repeating) = 0;
    virtual bool KillTimer(HWND hwnd, TimerId id) = 0;

    // Delivers every queued message and every timer that is due, then returns.
    virtual void ProcessMessages() = 0;

    // Titles, process ids and the foreground window, for this program's windows and other programs' alike.
    virtual std::string GetWindowText(HWND hwnd) const = 0;
    // The id of the process that owns the window; 0 when unknown.
    virtual std::uint32_t GetWindowProcessId(HWND hwnd) const = 0;
    virtual HWND GetForegroundWindow() const = 0;
    virtual bool SetForegroundWindow(HWND hwnd) = 0;
};

} // namespace bx::platform
