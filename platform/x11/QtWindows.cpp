#include "QtWindows.h"

#include "X11ActiveWindow.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>
#include <unistd.h>

namespace bx::platform::x11 {

void QtWindows::LaterDeleter::operator()(QTimer* t) const {
    t->stop();
    t->deleteLater();
}

QtWindows::QtWindows() : pid_(static_cast<std::uint32_t>(::getpid())) {}

QtWindows::~QtWindows() = default;

HWND QtWindows::CreateWindow(const std::string& title, WindowProc proc) {
    return table_.Add(title, std::move(proc), pid_);
}

HWND QtWindows::AddForeignWindow(const std::string& title, std::uint32_t pid) {
    return table_.Add(
        title, [](UINT, WPARAM, LPARAM) -> LRESULT { return 0; }, pid);
}

void QtWindows::DestroyWindow(HWND hwnd) {
    if (!table_.Remove(hwnd))
        return;
    std::erase_if(timers_, [hwnd](const auto& t) { return t.first.first == hwnd; });
    if (foreground_ == hwnd)
        foreground_ = NoWindow;
}

bool QtWindows::IsWindow(HWND hwnd) const {
    return table_.Contains(hwnd);
}

LRESULT QtWindows::SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return table_.Send(hwnd, msg, wParam, lParam);
}

bool QtWindows::PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!table_.Contains(hwnd))
        return false;
    // The window may be gone by the time the message is delivered; the table then drops it.
    QMetaObject::invokeMethod(
        &context_, [this, hwnd, msg, wParam, lParam] { table_.Send(hwnd, msg, wParam, lParam); }, Qt::QueuedConnection);
    return true;
}

bool QtWindows::SetTimer(HWND hwnd, TimerId id, UINT ms, TimerKind kind) {
    if (!table_.Contains(hwnd))
        return false;
    auto& slot = timers_[{hwnd, id}];
    if (!slot) {
        slot.reset(new QTimer(&context_)); // parented to context_; the deleter stops it and deletes it later
        QObject::connect(slot.get(), &QTimer::timeout, &context_, [this, hwnd, id] {
            auto it = timers_.find({hwnd, id});
            if (it == timers_.end())
                return;
            if (it->second->isSingleShot())
                timers_.erase(it);
            table_.Send(hwnd, WM_TIMER, id, 0);
        });
    }
    slot->setSingleShot(kind == TimerKind::OneShot);
    slot->start(static_cast<int>(std::max(ms, USER_TIMER_MINIMUM)));
    return true;
}

bool QtWindows::KillTimer(HWND hwnd, TimerId id) {
    return timers_.erase({hwnd, id}) == 1;
}

void QtWindows::ProcessMessages() {
    QCoreApplication::processEvents();
}

std::string QtWindows::GetWindowText(HWND hwnd) const {
    return table_.Title(hwnd);
}

std::uint32_t QtWindows::GetWindowProcessId(HWND hwnd) const {
    return table_.ProcessId(hwnd);
}

HWND QtWindows::GetForegroundWindow() const {
    if (activeSource_ != nullptr)
        if (const HWND active = activeSource_->Foreground(); active != NoWindow)
            return active;
    return foreground_;
}

bool QtWindows::SetForegroundWindow(HWND hwnd) {
    // Another program's window: it is activated on the screen, or it is gone.
    if (activeSource_ != nullptr && activeSource_->Knows(hwnd))
        return activeSource_->Activate(hwnd);
    if (!table_.Contains(hwnd))
        return false;
    foreground_ = hwnd;
    return true;
}

} // namespace bx::platform::x11
