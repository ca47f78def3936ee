#include "TGlueControl.h"

#include "TBrindlexCore.h"
#include "TClipListSelection.h"
#include "TClipListView.h"
#include "TClipObj.h"
#include "TGlue.h"
#include "TImages.h"
#include "TSelectItemBar.h"
#include "TWindowCommands.h"
#include "TfrmBX.h"

#include <QAction>
#include <QPlainTextEdit>

namespace bx::explorer {

TGlueControl::TGlueControl(TfrmBX& window, TClipListView& list, shell::TBrindlexCore& core, pastetools::TGlue& glue)
    : window_(window), list_(list), core_(core), glue_(glue) {
    subscriptions_.push_back(glue_.StateChanged.Subscribe([this] { ShowState(); }));
    subscriptions_.push_back(glue_.ClipChanged.Subscribe([this](clipstore::TClipObj* clip) { ShowClip(clip); }));
    subscriptions_.push_back(glue_.Glued.Subscribe([this](clipstore::TClipObj* clip) {
        ShowClip(clip);
        window_.TextEditor()->setFocus(Qt::OtherFocusReason);
    }));
    ShowState();
}

TGlueControl::~TGlueControl() = default;

void TGlueControl::Click() {
    if (syncing_)
        return;
    core_.Guarded([this] {
        const shell::TClipListSelection* selection = window_.Selection();
        glue_.cmdGlueClick(selection != nullptr ? selection->PrevSelIndex : -1,
                           selection != nullptr ? selection->CurSelIndex : -1);
    });
    ShowState();
}

void TGlueControl::ShowState() {
    const bool on = glue_.AutoGlueOn();
    syncing_ = true;
    for (const TWindowCommands::Command command : {TWindowCommands::Glue, TWindowCommands::TrayGlue})
        window_.Commands()->Action(command)->setChecked(on);
    window_.Commands()->Action(TWindowCommands::Glue)->setIcon(TImages::Icon(on ? "TB_GLUE_TIPPED" : "TB_GLUE"));
    syncing_ = false;
}

void TGlueControl::ShowClip(const clipstore::TClipObj* clip) {
    if (clip == nullptr)
        return;
    list_.RefreshRow(clip);
    if (core_.ClipList().FirstSelected() == clip)
        window_.SelectItemBar()->ShowClip(QString::fromStdString(clip->Title), list_.FormatImages(clip));
    window_.UpdateMagView();
}

} // namespace bx::explorer
