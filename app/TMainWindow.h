#pragma once

#include "IMainView.h"

#include <QWidget>

class QLabel;
class QCloseEvent;

namespace bx::shell {
class TBrindlexCore;
}

namespace bx::app {

// The program's window until the explorer window replaces it: the status line and what the clip list
// shows. Closing it closes the program the normal way (save, leave the clipboard chain, settings).
class TMainWindow : public QWidget, public shell::IMainView {
    Q_OBJECT
public:
    TMainWindow();

    void SetCore(shell::TBrindlexCore* core);

    void ShowStatus(int level, bool busy, const std::string& text) override;
    void SetPreviewVisible(bool) override {}
    void SetPasteEnabled(bool) override {}
    void BringToFront() override;
    void Minimize() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowList();

    shell::TBrindlexCore* core_ = nullptr;
    QLabel* status_;
    QLabel* list_;
};

} // namespace bx::app
