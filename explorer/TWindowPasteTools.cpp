#include "TWindowPasteTools.h"

#include "TAppSettings.h"
#include "TBrindlexCore.h"
#include "TClipListSelection.h"
#include "TClipListView.h"
#include "TFlashpick.h"
#include "TFlashpickPanel.h"
#include "TFlashpickWindow.h"
#include "TGlueControl.h"
#include "TStatusLine.h"
#include "TWindowCommands.h"
#include "TWindowHelp.h"
#include "TfrmBX.h"

#include <QAction>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>

namespace bx::explorer {

TWindowPasteTools::TWindowPasteTools(TfrmBX& window) : window_(window) {}

TWindowPasteTools::~TWindowPasteTools() = default;

void TWindowPasteTools::SetRelayfeed(pastetools::TRelayfeed* relayfeed) {
    relayfeedSubscriptions_.clear();
    relayfeed_ = relayfeed;
    if (relayfeed_ != nullptr) {
        relayfeedSubscriptions_.push_back(relayfeed_->StateChanged.Subscribe([this] { ShowRelayfeedState(); }));
        // A click on a direction lets go of a pinned preview, as the pin's own click would.
        relayfeedSubscriptions_.push_back(relayfeed_->Clicking.Subscribe([this] {
            if (window_.Pinned())
                window_.commands_->Action(TWindowCommands::PinPreview)->setChecked(false);
        }));
        relayfeedSubscriptions_.push_back(relayfeed_->RowAnnounced.Subscribe([this](int row) {
            window_.lvClips_->ScrollToListRow(row);
            // The pane shows the run's clip; an edit of the one it showed is written back first.
            if (window_.Selection() != nullptr && !window_.Pinned()) {
                window_.RescueEditing();
                window_.Selection()->EditClip = window_.core_ != nullptr ? window_.core_->CurrentClip() : nullptr;
            }
            window_.UpdateMagView();
        }));
    }
    ShowRelayfeedState();
}

void TWindowPasteTools::RelayfeedClick(pastetools::TRelayfeed::TRFDirection direction) {
    // Setting the marks from the run's state toggles the actions: that is no click.
    if (rfSyncing_)
        return;
    if (relayfeed_ != nullptr)
        relayfeed_->RFClick(direction);
    ShowRelayfeedState();
}

void TWindowPasteTools::ShowRelayfeedState() {
    using Dir = pastetools::TRelayfeed::TRFDirection;
    const Dir direction = relayfeed_ != nullptr ? relayfeed_->RFDirection() : Dir::None;
    rfSyncing_ = true;
    window_.commands_->Action(TWindowCommands::RelayfeedUp)->setChecked(direction == Dir::Up);
    window_.commands_->Action(TWindowCommands::RelayfeedDown)->setChecked(direction == Dir::Down);
    rfSyncing_ = false;
}

void TWindowPasteTools::SetGlue(pastetools::TGlue* glue) {
    glue_.reset();
    if (glue != nullptr && window_.core_ != nullptr)
        glue_ = std::make_unique<TGlueControl>(window_, *window_.lvClips_, *window_.core_, *glue);
}

void TWindowPasteTools::SetFlashpick(pastetools::TFlashpick* flashpick) {
    fpWindow_.reset();
    if (fpPanel_ != nullptr)
        fpPanel_->Attach(nullptr, nullptr);
    flashpick_ = window_.core_ != nullptr ? flashpick : nullptr;
    if (flashpick_ == nullptr)
        return;
    if (fpPanel_ == nullptr) {
        // The pick layout's parts: the panel below the list (in the preview pane's place while shown),
        // Toolbar3 in a row of its own under the main toolbar, the lock beside the tack.
        fpPanel_ = new TFlashpickPanel(window_.splitter2_);
        fpPanel_->setObjectName("pnlFlashpick");
        window_.splitter2_->addWidget(fpPanel_);
        window_.addToolBarBreak(Qt::TopToolBarArea);
        window_.addToolBar(Qt::TopToolBarArea, fpPanel_->Toolbar3());
        window_.status_->AddButton(fpPanel_->LockButton());
        ConnectFlashpickHelp();
    }
    fpPanel_->Attach(flashpick_, window_.core_);
    fpPanel_->ShowFPPanel(false);
    fpPanel_->ShowToolbar3(false);
    fpPanel_->ShowLockButton(false, false);
    window_.commands_->Action(TWindowCommands::ShowFPAlternates)
        ->setChecked(window_.core_->Settings().ShowFPAlternates);
    fpWindow_ = std::make_unique<TFlashpickWindow>(window_, *fpPanel_, *flashpick_);
}

void TWindowPasteTools::ConnectFlashpickHelp() {
    TfrmBX* window = &window_;
    QObject::connect(fpPanel_, &TFlashpickPanel::HelpRequested, window, [window] {
        window->Guard([window] { window->help_->ShowTopic(shell::THelpTopics::Flashpick); });
    });
    TWindowHelp::SetContext(*fpPanel_->Toolbar3(), shell::THelpTopics::Flashpick);
    TWindowHelp::SetContext(*fpPanel_->List(), shell::THelpTopics::FlashpickList);
    window_.help_->GiveWhatsThisMenu(*fpPanel_->Toolbar3());
    window_.help_->GiveWhatsThisMenu(*fpPanel_->List());
}

void TWindowPasteTools::ShowFPAlternatesClick() {
    if (flashpick_ != nullptr)
        flashpick_->mnuShowFPAlternatesClick();
}

} // namespace bx::explorer
