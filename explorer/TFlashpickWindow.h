#pragma once

#include "IFlashpickView.h"
#include "TEvent.h"

#include <QEvent>
#include <QObject>

#include <vector>

namespace bx::pastetools {
class TFlashpick;
}

namespace bx::explorer {

class TFlashpickPanel;
class TfrmBX;

// The main window's side of Flashpick: the pick layout on the window's widgets (the panel in the
// preview pane's place, Toolbar3 under the main toolbar, the "FP" lock beside the tack in the status
// bar) and the clip list's keys and clicks while the pick list is up: Enter and a double click paste,
// Escape ends it, the list's focus places its row. A click soon after Flashpick ended is ignored.
class TFlashpickWindow : public QObject, public pastetools::IFlashpickView {
public:
    // Gives Flashpick the window as its view until this goes; the panel is the window's.
    TFlashpickWindow(TfrmBX& window, TFlashpickPanel& panel, pastetools::TFlashpick& flashpick);
    ~TFlashpickWindow() override;
    TFlashpickWindow(const TFlashpickWindow&) = delete;
    TFlashpickWindow& operator=(const TFlashpickWindow&) = delete;

    // pastetools::IFlashpickView
    bool DroppedDown() const override;
    void DropDown(bool down) override;
    bool ExplorerView() const override;
    void SetExplorerView(bool explorer) override;
    void ExpandIfShrunk() override;
    void CollapseToolbarArea(bool collapse) override;
    void ShowToolbar3(bool show) override;
    void ShowFPPanel(bool on) override;
    void ShowLockButton(bool visible, bool down) override;
    bool LockDown() const override;
    void SuspendRepaint(bool suspend) override;
    void FocusList(TFPList list) override;
    void ShowMe() override;
    bool WasMinimized() const override;
    void HideAgain() override;
    void SetSingleSelection(bool single) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A key or a click in the clip list; true when Flashpick took it.
    bool ListKey(int key);
    bool ListMouse(QEvent::Type type);

    TfrmBX& window_;
    TFlashpickPanel& panel_;
    pastetools::TFlashpick& flashpick_;
    std::vector<platform::TSubscription> subscriptions_;
};

} // namespace bx::explorer
