#pragma once

#include "ClipboardModel.h"
#include "IDesktop.h"
#include "MemoryRegistry.h"
#include "SimBrowserLink.h"
#include "SimClock.h"
#include "SimHotKeys.h"
#include "SimKeyboard.h"
#include "SimProcesses.h"
#include "SimSession.h"
#include "SimShell.h"
#include "SimSound.h"
#include "SimWindows.h"
#include "WindowTable.h"

#include <cstdint>

namespace bx::platform::sim {

// A whole desktop in memory, deterministic and on virtual time: the program under test, other
// programs (SimApp), the clipboard with its viewer chain, keys, hot keys, sounds, the shell and the
// settings store. Tests drive it with Advance and look at its logs.
class SimDesktop : public IDesktop {
public:
    // The program's own path, as its windows' process reports it.
    static constexpr const char* ProgramPath = "/usr/bin/brindlex";

    SimDesktop();
    ~SimDesktop() override;
    SimDesktop(const SimDesktop&) = delete;
    SimDesktop& operator=(const SimDesktop&) = delete;

    IClock& Clock() override { return clock_; }
    IWindows& Windows() override { return windows_; }
    IClipboard& Clipboard() override { return clipboard_; }
    IProcesses& Processes() override { return processes_; }
    IKeyboard& Keyboard() override { return keyboard_; }
    IHotKeys& HotKeys() override { return hotKeys_; }
    ISound& Sound() override { return sound_; }
    IShell& Shell() override { return shell_; }
    IRegistry& Registry() override { return registry_; }
    IBrowserLink& Browser() override { return browser_; }
    ISession& Session() override { return session_; }

    SimClock& SimulatedClock() { return clock_; }
    SimWindows& SimulatedWindows() { return windows_; }
    ClipboardModel& SimulatedClipboard() { return clipboard_; }
    SimProcesses& SimulatedProcesses() { return processes_; }
    SimKeyboard& SimulatedKeyboard() { return keyboard_; }
    SimHotKeys& SimulatedHotKeys() { return hotKeys_; }
    SimSound& SimulatedSound() { return sound_; }
    SimShell& SimulatedShell() { return shell_; }
    MemoryRegistry& SimulatedRegistry() { return registry_; }
    SimBrowserLink& SimulatedBrowser() { return browser_; }
    SimSession& SimulatedSession() { return session_; }

    std::uint32_t ProgramPid() const { return programPid_; }

    // Moves virtual time on by ms. Everything that falls due on the way happens in order of time:
    // other programs' scheduled actions, timers, and the messages they post.
    void Advance(std::uint64_t ms);
    // Delivers what is due now without moving time.
    void ProcessMessages() { windows_.ProcessMessages(); }

private:
    SimClock clock_;
    SimProcesses processes_;
    std::uint32_t programPid_;
    WindowTable table_;
    SimWindows windows_;
    ClipboardModel clipboard_;
    SimKeyboard keyboard_;
    SimHotKeys hotKeys_;
    SimSound sound_;
    SimShell shell_;
    MemoryRegistry registry_;
    SimBrowserLink browser_;
    SimSession session_;
};

} // namespace bx::platform::sim
