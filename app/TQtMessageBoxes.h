#pragma once

#include "IMessageBoxes.h"

class QWidget;

namespace bx::app {

// Message boxes as modal Qt dialogs over the main window.
class TQtMessageBoxes : public platform::IMessageBoxes {
public:
    void SetParent(QWidget* parent) { parent_ = parent; }
    platform::MsgResult MessageBox(const std::string& text, const std::string& caption, platform::MsgType type,
                                   platform::MsgButtons buttons) override;

private:
    QWidget* parent_ = nullptr;
};

} // namespace bx::app
