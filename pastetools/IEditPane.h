#pragma once

#include <cstddef>
#include <string>

namespace bx::pastetools {

// Which of the edit pane's commands can run now.
struct TEditEnabling {
    // The case, shift and line-break buttons: the editor holds text.
    bool Transform = false;
    // Cut and copy (buttons and menu), "Set As Title" and "Launch As URL (Exact Text)": text is selected.
    bool Cut = false;
    bool Copy = false;
    bool MakeTitle = false;
    bool LaunchExact = false;
    // "Undo": the editor can undo its last change.
    bool Undo = false;
    bool operator==(const TEditEnabling&) const = default;
};

// The edit pane's text editor as its commands need it. Texts are UTF-8; positions count characters (the
// caret: the number of characters before it). Every change made through it is the user's edit: the editor
// can undo it and marks the text modified, so it is written back into the clip.
class IEditPane {
public:
    virtual ~IEditPane() = default;

    virtual std::string Text() const = 0;
    // The number of characters of the text.
    virtual std::size_t Length() const = 0;
    virtual bool HasSelection() const = 0;
    virtual std::string SelectedText() const = 0;
    // False while the editor shows a text in part, or an error, that must not be edited, and while it is not
    // shown.
    virtual bool Editable() const = 0;
    virtual std::size_t Caret() const = 0;
    // Moves the caret (and drops the selection).
    virtual void SetCaret(std::size_t position) = 0;
    // Replaces the selection with text (inserts it at the caret when nothing is selected).
    virtual void ReplaceSelection(const std::string& text) = 0;
    // Inserts text at a position, leaving the caret where the editor puts it.
    virtual void InsertAt(std::size_t position, const std::string& text) = 0;
    virtual bool CanUndo() const = 0;
    virtual void Undo() = 0;
    // Forgets every change that could be undone.
    virtual void ClearUndo() = 0;
    // The commands follow the editor's state.
    virtual void ShowEnabling(const TEditEnabling& enabling) = 0;
};

} // namespace bx::pastetools
