#pragma once

#include "IMessageBoxes.h"

#include <functional>
#include <vector>

class QMessageBox;
class QWidget;

namespace bx::app {

// Message boxes as modal Qt dialogs over the main window. Each opening and closing is logged.
class TQtMessageBoxes : public platform::IMessageBoxes {
public:
    void SetParent(QWidget* parent) { parent_ = parent; }
    // Run before each box opens and after it closes (the main window goes below the box and back).
    std::function<void()> BeforeBox;
    std::function<void()> AfterBox;
    platform::MsgResult MessageBox(const std::string& text, const std::string& caption, platform::MsgType type,
                                   platform::MsgButtons buttons) override;
    void CloseAll() override;

private:
    QWidget* parent_ = nullptr;
    std::vector<QMessageBox*> open_; // the boxes whose event loops run, innermost last
    bool closing_ = false;
};

} // namespace bx::app
