#pragma once

#include "IMessageBoxes.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace bx::platform::sim {

// Records every message box and answers from a script; without a scripted answer the first button
// (OK, Yes, Retry or Abort) is chosen. Once closed, every box answers Cancel.
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
    void CloseAll() override { closed_ = true; }

    void Answer(MsgResult result) { answers_.push_back(result); }
    // Runs while the next box is open, as something the user's desktop does meanwhile (a stop signal).
    void WhileOpen(std::function<void()> action) { whileOpen_ = std::move(action); }
    bool Closed() const { return closed_; }
    const std::vector<Shown>& Boxes() const { return shown_; }
    void Clear() { shown_.clear(); }

private:
    std::vector<Shown> shown_;
    std::deque<MsgResult> answers_;
    std::function<void()> whileOpen_;
    bool closed_ = false;
};

} // namespace bx::platform::sim
