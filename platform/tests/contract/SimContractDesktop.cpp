#include "SimContractDesktop.h"

#include "SimApp.h"

namespace bx::platform::contract {

SimContractDesktop::SimContractDesktop() = default;

SimContractDesktop::~SimContractDesktop() = default;

bool SimContractDesktop::RunUntil(const std::function<bool()>& done) {
    desk_.ProcessMessages();
    for (int ms = 0; ms < 10'000 && !done(); ++ms)
        desk_.Advance(1);
    return done();
}

std::uint32_t SimContractDesktop::CopyByAnotherProgram(const std::string& format, const std::string& bytes) {
    apps_.push_back(std::make_unique<sim::SimApp>(desk_, "/usr/bin/contract-peer", "Contract peer"));
    sim::SimApp& app = *apps_.back();
    app.Copy({{app.RegisterFormat(format), sim::Bytes(bytes.begin(), bytes.end())}});
    return app.Pid();
}

void SimContractDesktop::PressHotKey(UINT modifiers, UINT vk) {
    desk_.SimulatedHotKeys().Press(modifiers, vk);
}

void SimContractDesktop::TakeHotKeyByAnotherProgram(UINT modifiers, UINT vk) {
    desk_.SimulatedHotKeys().TakeByOtherProgram(modifiers, vk);
}

} // namespace bx::platform::contract
