#include "SimMessageBoxes.h"

namespace bx::platform::sim {

MsgResult SimMessageBoxes::MessageBox(const std::string& text, const std::string& caption, MsgType type,
                                      MsgButtons buttons) {
    shown_.push_back(Shown{text, caption, type, buttons});
    if (std::function<void()> action = std::move(whileOpen_)) {
        whileOpen_ = nullptr;
        action();
    }
    if (closed_)
        return MsgResult::Cancel;
    if (!answers_.empty()) {
        const MsgResult result = answers_.front();
        answers_.pop_front();
        return result;
    }
    switch (buttons) {
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
        return MsgResult::Yes;
    case MsgButtons::RetryCancel:
        return MsgResult::Retry;
    case MsgButtons::AbortRetryIgnore:
        return MsgResult::Abort;
    default:
        return MsgResult::Ok;
    }
}

} // namespace bx::platform::sim
