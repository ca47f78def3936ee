#pragma once

#include "IMessageBoxes.h"

#include <deque>
#include <string>
#include <vector>

namespace bx::platform::sim {

// Records every message box and answers from a script; without a scripted answer the first button
// (OK, Yes, Retry or Abort) is chosen.
class SimMessageBoxes : public IMessageBoxes {
public:
    struct Shown {
        std::string text;
        std::string caption;
        MsgType type;
        MsgButtons buttons;
    };

    MsgResult MessageBox(const std::string& text, const std::string& caption, MsgType type,
                         MsgButtons buttons) override;

    void Answer(MsgResult result) { answers_.push_back(result); }
    const std::vector<Shown>& Boxes() const { return shown_; }
    void Clear() { shown_.clear(); }

private:
    std::vector<Shown> shown_;
    std::deque<MsgResult> answers_;
};

} // namespace bx::platform::sim
