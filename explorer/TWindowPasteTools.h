#pragma once

#include "TEvent.h"
#include "TRelayfeed.h"

#include <memory>
#include <vector>

namespace bx::pastetools {
class TFlashpick;
class TGlue;
} // namespace bx::pastetools

namespace bx::explorer {

class TFlashpickPanel;
class TFlashpickWindow;
class TGlueControl;
class TfrmBX;

// The paste tools as the main window shows them: the Relayfeed run's commands and check marks, the control
// of the glue tool and Flashpick's pick layout (its panel, Toolbar3 and lock, made the first time Flashpick
// comes and kept in the window). Owned by TfrmBX, which forwards its own calls here.
class TWindowPasteTools {
public:
    explicit TWindowPasteTools(TfrmBX& window);
    ~TWindowPasteTools();
    TWindowPasteTools(const TWindowPasteTools&) = delete;
    TWindowPasteTools& operator=(const TWindowPasteTools&) = delete;

    // The run the window's Relayfeed commands start and stop (nullptr: none).
    void SetRelayfeed(pastetools::TRelayfeed* relayfeed);
    // A Relayfeed command: starts or stops the run; the check marks and buttons show its state after.
    void RelayfeedClick(pastetools::TRelayfeed::TRFDirection direction);
    // The glue tool the Glue commands drive (nullptr, or no core: none).
    void SetGlue(pastetools::TGlue* glue);
    // Flashpick in the pick layout (nullptr, or no core: none).
    void SetFlashpick(pastetools::TFlashpick* flashpick);
    void ShowFPAlternatesClick();

    TGlueControl* Glue() const { return glue_.get(); }
    pastetools::TFlashpick* Flashpick() const { return flashpick_; }
    TFlashpickPanel* Panel() const { return fpPanel_; }

private:
    void ShowRelayfeedState();
    // The pick layout's help button and "What's This?" on its list.
    void ConnectFlashpickHelp();

    TfrmBX& window_;
    pastetools::TRelayfeed* relayfeed_ = nullptr;
    std::vector<platform::TSubscription> relayfeedSubscriptions_;
    bool rfSyncing_ = false; // the marks are being set from the run's state
    std::unique_ptr<TGlueControl> glue_;
    pastetools::TFlashpick* flashpick_ = nullptr;
    TFlashpickPanel* fpPanel_ = nullptr; // a child of the list's splitter
    std::unique_ptr<TFlashpickWindow> fpWindow_;
};

} // namespace bx::explorer
