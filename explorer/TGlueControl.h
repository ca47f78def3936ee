#pragma once

#include "TEvent.h"

#include <QObject>

#include <vector>

namespace bx::clipstore {
class TClipObj;
}

namespace bx::pastetools {
class TGlue;
}

namespace bx::shell {
class TBrindlexCore;
}

namespace bx::explorer {

class TClipListView;
class TfrmBX;

// The window's side of glue: the Glue command of the toolbar toggle cmdGlue, the Edit menu, the tray
// menu and the clip list's context menu runs TGlue's command with the list's last two selected rows; the
// button's image (the tube upright while auto-glue is off, tipped while it is on) and the two menu check
// marks follow auto-glue; the glue clip's row, the bar above the list and the preview show its new title
// and text; a glue clip made from selected clips gives the text preview the focus.
class TGlueControl : public QObject {
    Q_OBJECT
public:
    TGlueControl(TfrmBX& window, TClipListView& list, shell::TBrindlexCore& core, pastetools::TGlue& glue);
    ~TGlueControl() override;

    // The Glue command (every entry of it).
    void Click();
    // The button's image and the check marks show auto-glue's state.
    void ShowState();

private:
    void ShowClip(const clipstore::TClipObj* clip);

    TfrmBX& window_;
    TClipListView& list_;
    shell::TBrindlexCore& core_;
    pastetools::TGlue& glue_;
    // The marks are being set from the state: their toggles are no clicks.
    bool syncing_ = false;
    std::vector<platform::TSubscription> subscriptions_;
};

} // namespace bx::explorer
