#include "TTransformCommands.h"

#include "IKeyboard.h"
#include "ITransformPane.h"
#include "StatusLevels.h"
#include "TAppSettings.h"
#include "TBrindlexCore.h"
#include "TClipListModel.h"
#include "TClipListSelection.h"
#include "TClipObj.h"

#include <exception>
#include <vector>

namespace bx::pastetools {

TTransformCommands::TTransformCommands(shell::TBrindlexCore& core, shell::TClipListSelection& selection,
                                       platform::IKeyboard& keyboard, ITransformPane& pane, QLocale locale)
    : core_(core), selection_(selection), keyboard_(keyboard), pane_(pane), locale_(std::move(locale)),
      previewStale_(selection.PreviewStale.Subscribe([this] { OtherClipShown(); })) {}

const char* TTransformCommands::StatusText(TXFormKind kind) {
    switch (kind) {
    case TXFormKind::FlowText:
        return "Converted -> Removed Line Breaks";
    case TXFormKind::Lower:
        return "Converted -> lower case";
    case TXFormKind::Upper:
        return "Converted -> UPPER CASE";
    case TXFormKind::Mixed:
        return "Converted -> Mixed Case";
    case TXFormKind::Sentence:
        return "Converted -> Sentence case";
    case TXFormKind::StripNonText:
        return "Converted -> Removed NON-TEXT Formats";
    case TXFormKind::ShiftLeft:
    case TXFormKind::ShiftRight:
        break;
    }
    return "";
}

bool TTransformCommands::CtrlDown() const {
    return keyboard_.IsKeyDown(platform::VK_CONTROL);
}

void TTransformCommands::Status(TXFormKind kind) {
    if (const std::string text = StatusText(kind); !text.empty())
        core_.ShowStatus(shell::StatusInBar, false, text);
}

void TTransformCommands::OtherClipShown() {
    // Another clip: the first click of the case button repeats the last clicked conversion.
    if (selection_.EditClip != caseClip_) {
        caseClip_ = selection_.EditClip;
        casePosition_ = lastCaseClick_;
    }
}

bool TTransformCommands::OnPane(TXFormKind kind) {
    pane_.RescueEditing();
    clipstore::TClipObj* clip = selection_.EditClip;
    if (clip == nullptr)
        return false;
    caseClip_ = clip;
    TClipXForm::Result result;
    // A failed transformation still stored the clip: the pane shows what it holds.
    try {
        result = TClipXForm::XForm(*clip, kind, pane_.Selection(), CtrlDown(), locale_);
    } catch (...) {
        pane_.ShowTransformed(*clip, {});
        pane_.ClipChanged(*clip);
        throw;
    }
    if (!result.HadText)
        return false;
    pane_.ShowTransformed(*clip, result.Selected);
    pane_.ClipChanged(*clip);
    return true;
}

void TTransformCommands::MagChangeCase(TXFormKind kind, int position) {
    casePosition_ = position;
    if (OnPane(kind))
        Status(kind);
}

void TTransformCommands::MnuChangeCase(TXFormKind kind, int position) {
    shell::TClipListModel& list = core_.ClipList();
    const std::size_t selected = list.SelectedCount();
    if (selected == 0)
        return;
    if (selected == 1 && list.FirstSelected() == selection_.EditClip) {
        MagChangeCase(kind, position);
        return;
    }
    pane_.RescueEditing();
    std::vector<clipstore::TClipObj*> clips;
    for (std::size_t row = 0; row < list.Count(); ++row)
        if (list.IsSelected(row))
            clips.push_back(list.Clip(row));
    const bool ctrl = CtrlDown();
    for (clipstore::TClipObj* clip : clips) {
        TClipXForm::XForm(*clip, kind, {}, ctrl, locale_);
        pane_.ClipChanged(*clip);
    }
    if (selected > 1) {
        // The pane no longer shows a clip of its own.
        selection_.EditClip = nullptr;
        core_.SetCurrentClip(nullptr);
        selection_.PreviewStale.Emit();
    } else if (clips.front() == selection_.EditClip || clips.front() == core_.CurrentClip()) {
        selection_.PreviewStale.Emit();
    }
    casePosition_ = position;
    Status(kind);
}

void TTransformCommands::CaseClick() {
    static constexpr TXFormKind Cases[] = {TXFormKind::Lower, TXFormKind::Upper, TXFormKind::Mixed,
                                           TXFormKind::Sentence};
    const int position = casePosition_;
    // Positions 4 and 5 (after removing line breaks or other formats) convert nothing.
    if (position >= LowerPosition && position <= SentencePosition)
        MagChangeCase(Cases[position], position);
    lastCaseClick_ = position;
    casePosition_ = (position + 1) % 4;
    ++core_.Settings().Edits;
}

void TTransformCommands::Shift(bool right) {
    if (OnPane(right ? TXFormKind::ShiftRight : TXFormKind::ShiftLeft))
        ++core_.Settings().Edits;
}

} // namespace bx::pastetools
