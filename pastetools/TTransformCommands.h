#pragma once

#include "TClipXForm.h"
#include "TEvent.h"

#include <QLocale>

namespace bx::clipstore {
class TClipObj;
}

namespace bx::platform {
class IKeyboard;
}

namespace bx::shell {
class TBrindlexCore;
class TClipListSelection;
} // namespace bx::shell

namespace bx::pastetools {

class ITransformPane;

// The text transformation commands: on the clip of the preview pane and its selection (the pane's
// buttons), or on every selected clip of the list (the Edit menu, the tray menu, the main toolbar), and
// the case button, which cycles through lower, UPPER, Mixed and Sentence case. The Ctrl key's state is
// read from the keyboard when a command runs.
class TTransformCommands {
public:
    // The case button's positions: the four cases, then the two commands that convert no case.
    static constexpr int LowerPosition = 0;
    static constexpr int UpperPosition = 1;
    static constexpr int MixedPosition = 2;
    static constexpr int SentencePosition = 3;
    static constexpr int FlowPosition = 4;
    static constexpr int StripPosition = 5;

    // locale: the user's, for lower and upper case.
    TTransformCommands(shell::TBrindlexCore& core, shell::TClipListSelection& selection, platform::IKeyboard& keyboard,
                       ITransformPane& pane, QLocale locale = QLocale());
    TTransformCommands(const TTransformCommands&) = delete;
    TTransformCommands& operator=(const TTransformCommands&) = delete;

    // The status text of a transformation; empty for the shifts.
    static const char* StatusText(TXFormKind kind);

    // The preview pane's clip and selection.
    void MagChangeCase(TXFormKind kind, int position);
    // Every selected clip of the list (one selected row: the pane's clip and selection when it shows
    // that clip).
    void MnuChangeCase(TXFormKind kind, int position);
    // The case button: the conversion of its position, then the next case.
    void CaseClick();
    // Shift left or right on the pane's clip and selection.
    void Shift(bool right);

    int CasePosition() const { return casePosition_; }
    int LastCaseClick() const { return lastCaseClick_; }

private:
    // Transforms the pane's clip and shows the result; false when the pane shows no clip.
    bool OnPane(TXFormKind kind);
    bool CtrlDown() const;
    void Status(TXFormKind kind);
    void OtherClipShown();

    shell::TBrindlexCore& core_;
    shell::TClipListSelection& selection_;
    platform::IKeyboard& keyboard_;
    ITransformPane& pane_;
    QLocale locale_;
    int casePosition_ = LowerPosition;
    int lastCaseClick_ = LowerPosition;
    // The clip the case button last worked on (compared, never used).
    const clipstore::TClipObj* caseClip_ = nullptr;
    platform::TSubscription previewStale_;
};

} // namespace bx::pastetools
