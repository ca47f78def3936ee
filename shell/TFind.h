#pragma once

#include "TEvent.h"

#include <cstddef>
#include <string>

namespace bx::clipstore {
class TClipColl;
}

namespace bx::shell {

class IFindEditor;
class TBrindlexCore;

// Find: the search text the user typed last, the scope kept in the settings (FindScope) and the searches
// they start. A search of the shown collection or of every collection gathers the matching clips in the
// Search Results collection and selects its tree node; a search within the shown clip selects the next
// occurrence in the editor. Every search tells its outcome on the status line.
class TFind {
public:
    enum Scope { NoScope = 0, CurrentCollection = 1, AllCollections = 2, CurrentClip = 3 };
    static constexpr std::size_t MaxText = 255;

    // What the Find dialog shows when it opens and what it gives back when it closes.
    struct TDialogState {
        std::string Text;
        int Checked = CurrentCollection; // the checked radio button's scope
        bool CurrentClipEnabled = true;
    };
    // The dialog itself: runs modally over the state; true for OK.
    class IDialog {
    public:
        virtual ~IDialog() = default;
        virtual bool Execute(TDialogState& state) = 0;
    };

    explicit TFind(TBrindlexCore& core);

    // The editor searched within the shown clip (nullptr: none, such a search finds nothing).
    void SetEditor(IFindEditor* editor) { editor_ = editor; }

    const std::string& Text() const { return text_; }
    // Stored cut to MaxText characters.
    void SetText(const std::string& text);
    int Scope() const;
    void SetScope(int scope);

    // The dialog's controls from the stored text and scope; in the traditional view there is no shown
    // clip to search, so the current collection is checked instead and that choice is disabled.
    TDialogState DialogState(bool explorerView) const;
    // The dialog closed (by OK or Cancel): its text and scope are kept.
    void DialogClosed(const TDialogState& state);

    // "&Find (Search)...": ends auto-glue, runs the dialog and, on OK, searches from the start of the
    // editor's text. Returns whether something was found (false after Cancel).
    bool FindClick(IDialog& dialog, bool explorerView);
    // "Find Ne&xt": searches again with the stored text and scope; true when something matched.
    bool FindNextClip();
    // Empties the Search Results collection (its clips stay with their collections); a clip list that
    // shows it is filled again.
    void ClearSearchResults();
    // Selects the Search Results node in the collection tree, which shows it in the clip list.
    void FlipSearch();
    // The next search within the shown clip starts at the top of its text again, whatever is selected
    // (also after each accepted clipboard change, unless the program is busy).
    void ResetFind() { restart_ = true; }

private:
    clipstore::TClipColl* Results() const;
    bool SearchEditor();
    void Status(int level, const std::string& text);

    TBrindlexCore& core_;
    IFindEditor* editor_ = nullptr;
    std::string text_;
    bool restart_ = false;
    platform::TSubscription changeAccepted_;
};

} // namespace bx::shell
