#include "TMainWindow.h"

#include "TBrindlexCore.h"
#include "TClipColl.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace bx::app {

TMainWindow::TMainWindow() : status_(new QLabel(this)), list_(new QLabel(this)) {
    setWindowTitle("Brindlex");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(status_);
    resize(480, 120);
}

void TMainWindow::SetCore(shell::TBrindlexCore* core) {
    core_ = core;
    if (core_ == nullptr)
        return;
    core_->ClipList().OnReset = [this] { ShowList(); };
    core_->ClipList().OnRowInserted = [this](std::size_t) { ShowList(); };
}

void TMainWindow::ShowList() {
    const clipstore::TClipColl* coll = core_ != nullptr ? core_->ClipList().Coll() : nullptr;
    if (coll == nullptr) {
        list_->clear();
        return;
    }
    list_->setText(QString::fromStdString(coll->Title + ": " + std::to_string(core_->ClipList().Count()) + " clips"));
}

void TMainWindow::ShowStatus(int, bool busy, const std::string& text) {
    status_->setText(QString::fromStdString(text));
    if (busy)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

void TMainWindow::BringToFront() {
    show();
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    raise();
    activateWindow();
}

void TMainWindow::Minimize() {
    showMinimized();
}

void TMainWindow::closeEvent(QCloseEvent* event) {
    if (core_ != nullptr && !core_->FormCloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    QApplication::quit();
}

} // namespace bx::app
