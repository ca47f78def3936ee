#include "TFind.h"

#include "IFindEditor.h"
#include "StatusLevels.h"
#include "TAppSettings.h"
#include "TBrindlexCore.h"
#include "TClipColl.h"
#include "TClipListModel.h"
#include "TClipSearch.h"
#include "TCollectionTree.h"
#include "TMasterList.h"
#include "TUtf8.h"

#include <utility>

namespace bx::shell {

using clipstore::TClipColl;
using clipstore::TUtf8;

TFind::TFind(TBrindlexCore& core) : core_(core) {
    changeAccepted_ = core_.Events().ClipboardChangeAccepted.Subscribe([this] {
        if (!core_.SuppressListEvents())
            ResetFind();
    });
}

void TFind::SetText(const std::string& text) {
    text_ = TUtf8::CutChars(text, MaxText);
}

int TFind::Scope() const {
    return core_.Settings().FindScope;
}

void TFind::SetScope(int scope) {
    core_.Settings().FindScope = scope;
}

TFind::TDialogState TFind::DialogState(bool explorerView) const {
    TDialogState state;
    state.Text = text_;
    state.CurrentClipEnabled = explorerView;
    const int scope = Scope();
    if (scope == AllCollections || (scope == CurrentClip && explorerView))
        state.Checked = scope;
    else
        state.Checked = CurrentCollection;
    return state;
}

void TFind::DialogClosed(const TDialogState& state) {
    SetScope(state.Checked);
    SetText(state.Text);
}

bool TFind::FindClick(IDialog& dialog, bool explorerView) {
    core_.EndAutoGlue();
    TDialogState state = DialogState(explorerView);
    const bool ok = dialog.Execute(state);
    DialogClosed(state);
    if (!ok)
        return false;
    if (editor_ != nullptr)
        editor_->SelectAndFocus(0, 0);
    return FindNextClip();
}

bool TFind::FindNextClip() {
    Status(StatusInBarAndItemBar, "Searching...");
    TClipColl* results = Results();
    bool found = false;
    switch (Scope()) {
    case CurrentCollection:
        ClearSearchResults();
        if (TClipColl* shown = core_.ClipList().Coll(); shown != nullptr && results != nullptr)
            found = TClipSearch::SearchCollection(*shown, text_, *results) > 0;
        if (found)
            FlipSearch();
        break;
    case AllCollections:
        ClearSearchResults();
        if (results != nullptr) {
            const auto progress = [this](const TClipColl& coll) {
                Status(StatusInBarAndItemBar, "Searching " + coll.Title + "...");
            };
            found = TClipSearch::SearchAll(TClipSearch::TreeOrder(core_.Tree()), text_, *results, progress) > 0;
        }
        if (found)
            FlipSearch();
        break;
    case CurrentClip:
        found = SearchEditor();
        break;
    default:
        break;
    }
    Status(StatusInBarAndItemBar, found ? "Found It!" : "Not Found.");
    return found;
}

bool TFind::SearchEditor() {
    const bool restart = std::exchange(restart_, false);
    if (editor_ != nullptr && !text_.empty()) {
        const std::string text = TUtf8::UpperAscii(editor_->Text());
        const std::size_t from = !restart && editor_->SelLength() > 0 ? editor_->SelStart() + editor_->SelLength() : 0;
        const std::size_t at = from <= text.size() ? text.find(TUtf8::UpperAscii(text_), from) : std::string::npos;
        if (at != std::string::npos) {
            Status(StatusInBar, "Found It!");
            editor_->SelectAndFocus(at, text_.size());
            return true;
        }
    }
    Status(StatusInBar, "Not Found");
    return false;
}

void TFind::ClearSearchResults() {
    core_.ClearSearchResults();
}

void TFind::FlipSearch() {
    const int node = core_.Tree().GetTreeNodeOfColl(Results());
    if (node < 0)
        return;
    if (core_.Tree().Selected() == node && core_.ClipList().Coll() == Results())
        core_.UpdateLVClips(); // shown already: the new results fill the list
    else
        core_.Tree().Select(node);
}

TClipColl* TFind::Results() const {
    clipstore::TMasterList* master = core_.MasterList();
    return master != nullptr ? master->SearchResults : nullptr;
}

void TFind::Status(int level, const std::string& text) {
    core_.ShowStatus(level, false, text);
}

} // namespace bx::shell
