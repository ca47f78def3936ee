// How prominent a status text is: the level of IMainView::ShowStatus and TBrindlexCore::ShowStatus.
#pragma once

namespace bx::shell {

inline constexpr int StatusInBar = 1;           // the status bar
inline constexpr int StatusInBarAndItemBar = 2; // the status bar and the selected-item bar

} // namespace bx::shell
