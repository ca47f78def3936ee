#include "TFlashpickWindow.h"

#include "IDesktop.h"
#include "TBrindlexCore.h"
#include "TClipListView.h"
#include "TFlashpick.h"
#include "TFlashpickPanel.h"
#include "TPreviewPane.h"
#include "TStatusLine.h"
#include "TfrmBX.h"

#include <QKeyEvent>
#include <QSplitter>
#include <QToolBar>

namespace bx::explorer {

TFlashpickWindow::TFlashpickWindow(TfrmBX& window, TFlashpickPanel& panel, pastetools::TFlashpick& flashpick)
    : window_(window), panel_(panel), flashpick_(flashpick) {
    window_.lvClips_->installEventFilter(this);
    window_.lvClips_->viewport()->installEventFilter(this);
    // The deactivation rules ask Flashpick first and end it after their own.
    window_.FlashpickFlags = [this] { return TfrmBX::TFlashpickFlags{flashpick_.IgnoresDeactivation(), false, false}; };
    subscriptions_.push_back(window_.EndFlashpickRequested.Subscribe([this] { flashpick_.FPTerminate(); }));
    flashpick_.SetView(this);
}

TFlashpickWindow::~TFlashpickWindow() {
    flashpick_.SetView(nullptr);
    window_.FlashpickFlags = nullptr;
    window_.lvClips_->viewport()->removeEventFilter(this);
    window_.lvClips_->removeEventFilter(this);
}

bool TFlashpickWindow::DroppedDown() const {
    return window_.DroppedDown();
}

void TFlashpickWindow::DropDown(bool down) {
    window_.DropDown(down);
}

bool TFlashpickWindow::ExplorerView() const {
    return window_.ExplorerView();
}

void TFlashpickWindow::SetExplorerView(bool explorer) {
    window_.SetExplorerView(explorer);
}

void TFlashpickWindow::ExpandIfShrunk() {
    window_.ExpandIfShrunk();
}

void TFlashpickWindow::CollapseToolbarArea(bool collapse) {
    window_.CollapseToolbarArea(collapse);
}

void TFlashpickWindow::ShowToolbar3(bool show) {
    panel_.ShowToolbar3(show);
}

void TFlashpickWindow::ShowFPPanel(bool on) {
    // The panel takes the preview pane's place below the list.
    TPreviewPane* pane = window_.PreviewPane();
    pane->setEnabled(!on);
    pane->setVisible(!on);
    panel_.ShowFPPanel(on);
    if (!on)
        window_.UpdateMagView();
}

void TFlashpickWindow::ShowLockButton(bool visible, bool down) {
    panel_.ShowLockButton(visible, down);
}

bool TFlashpickWindow::LockDown() const {
    return panel_.LockDown();
}

void TFlashpickWindow::SuspendRepaint(bool suspend) {
    window_.lvClips_->setUpdatesEnabled(!suspend);
    panel_.SuspendRepaint(suspend);
}

void TFlashpickWindow::FocusList(TFPList list) {
    if (list == TFPList::FP)
        panel_.FocusFP();
    else
        window_.lvClips_->setFocus(Qt::OtherFocusReason);
}

void TFlashpickWindow::ShowMe() {
    window_.ShowMe();
}

bool TFlashpickWindow::WasMinimized() const {
    return window_.WasMinimized();
}

void TFlashpickWindow::HideAgain() {
    window_.HideAgain();
}

void TFlashpickWindow::SetSingleSelection(bool single) {
    window_.lvClips_->setSelectionMode(single ? QAbstractItemView::SingleSelection
                                              : QAbstractItemView::ExtendedSelection);
}

bool TFlashpickWindow::eventFilter(QObject* watched, QEvent* event) {
    bool taken = false;
    switch (event->type()) {
    case QEvent::KeyPress:
        if (watched == window_.lvClips_)
            window_.Guard([&] { taken = ListKey(static_cast<QKeyEvent*>(event)->key()); });
        break;
    case QEvent::FocusIn:
        if (watched == window_.lvClips_ && flashpick_.FPActive())
            window_.Guard([this] { flashpick_.lvClipsEnter(TFPList::Clips); });
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (watched == window_.lvClips_->viewport())
            window_.Guard([&] { taken = ListMouse(event->type()); });
        break;
    default:
        break;
    }
    return taken || QObject::eventFilter(watched, event);
}

bool TFlashpickWindow::ListKey(int key) {
    if (!flashpick_.FPActive())
        return false;
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        flashpick_.ProcessFlashpickSelection();
        return true;
    }
    if (key == Qt::Key_Escape) {
        flashpick_.EscapePressed();
        return true;
    }
    return false;
}

bool TFlashpickWindow::ListMouse(QEvent::Type type) {
    // A click just after Flashpick ended belongs to the pick the user has finished.
    if (flashpick_.IgnoresClicks())
        return true;
    if (!flashpick_.FPActive())
        return false;
    if (type == QEvent::MouseButtonDblClick) {
        flashpick_.ProcessFlashpickSelection();
        return true;
    }
    flashpick_.lvClipsMouseDown();
    return false;
}

} // namespace bx::explorer
