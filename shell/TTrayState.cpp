#include "TTrayState.h"

namespace bx::shell {

bool TTrayState::SetIconWanted(bool wanted) {
    iconWanted_ = wanted;
    return ComeBackIfStranded();
}

bool TTrayState::SetTrayAvailable(bool available) {
    trayAvailable_ = available;
    return ComeBackIfStranded();
}

bool TTrayState::ComeBackIfStranded() {
    if (!hiddenInTray_ || InTray())
        return false;
    // It comes back minimized: still put away, but with its taskbar button.
    hiddenInTray_ = false;
    return true;
}

TTrayState::TAway TTrayState::Minimized() {
    appMinimized_ = true;
    hiddenInTray_ = InTray();
    livedInTray_ = livedInTray_ || hiddenInTray_;
    return hiddenInTray_ ? TAway::HideInTray : TAway::Minimized;
}

TTrayState::TAway TTrayState::CloseRequested() {
    if (exiting_ || !InTray())
        return TAway::EndProgram;
    appMinimized_ = true;
    hiddenInTray_ = true;
    livedInTray_ = true;
    return TAway::HideInTray;
}

void TTrayState::Restored() {
    appMinimized_ = false;
    hiddenInTray_ = false;
}

} // namespace bx::shell
