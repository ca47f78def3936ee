#include "TWindowGuard.h"

#include "TBrindlexCore.h"
#include "TErrorTrap.h"

namespace bx::explorer {

void TWindowGuard::Run(shell::TBrindlexCore* core, const std::function<void()>& handler) {
    if (core != nullptr)
        core->Guarded(handler);
    else
        handler();
}

void TWindowGuard::HandleCurrentException(shell::TBrindlexCore& core) {
    core.ErrorTrap().HandleCurrentException();
}

} // namespace bx::explorer
