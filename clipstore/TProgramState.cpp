#include "TProgramState.h"

namespace bx::clipstore {

TProgramState& TProgramState::Get() {
    static TProgramState state;
    return state;
}

platform::TDateTime TProgramState::Now() const {
    return Desktop != nullptr ? Desktop->Clock().Now() : 0.0;
}

platform::UINT TProgramState::RegisterFormat(const std::string& name) const {
    return Desktop != nullptr ? Desktop->Clipboard().RegisterClipboardFormat(name) : 0;
}

void TProgramState::Reset() {
    *this = TProgramState();
}

} // namespace bx::clipstore
