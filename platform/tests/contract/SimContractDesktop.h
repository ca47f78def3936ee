#pragma once

#include "SimDesktop.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace bx::platform::sim {
class SimApp;
}

namespace bx::platform::contract {

// The simulated desktop as the contract suites drive it: time is virtual, so waiting costs nothing and
// "nothing more happened" is known once every message that is due has been delivered.
class SimContractDesktop {
public:
    // Why this desktop cannot run here; empty when it can.
    static std::string Unavailable() { return {}; }

    SimContractDesktop();
    ~SimContractDesktop();
    SimContractDesktop(const SimContractDesktop&) = delete;
    SimContractDesktop& operator=(const SimContractDesktop&) = delete;

    IWindows& Windows() { return desk_.Windows(); }
    IClipboard& Clipboard() { return desk_.Clipboard(); }
    IHotKeys& HotKeys() { return desk_.HotKeys(); }

    // Lets the desktop run until done() holds; false when it does not within ten (virtual) seconds.
    bool RunUntil(const std::function<bool()>& done);
    // Delivers everything that is due now.
    void Settle() { desk_.ProcessMessages(); }

    // Another program copies bytes under a registered format; returns its process id.
    std::uint32_t CopyByAnotherProgram(const std::string& format, const std::string& bytes);
    // A user presses the combination on the keyboard.
    void PressHotKey(UINT modifiers, UINT vk);
    // Another program holds the combination from now on.
    void TakeHotKeyByAnotherProgram(UINT modifiers, UINT vk);

private:
    sim::SimDesktop desk_;
    std::vector<std::unique_ptr<sim::SimApp>> apps_;
};

} // namespace bx::platform::contract
