#pragma once

#include "TClipXForm.h"

namespace bx::clipstore {
class TClipObj;
}

namespace bx::pastetools {

// What the transformation commands ask of the preview pane, which shows and edits the clip's text.
// Ranges are in characters of the clip's text (the pane maps them to its editor's positions).
class ITransformPane {
public:
    virtual ~ITransformPane() = default;

    // Writes a pending edit of the text back into the clip.
    virtual void RescueEditing() = 0;
    // The selected part of the text; a length of 0 when nothing is selected.
    virtual TTextRange Selection() const = 0;
    // The clip was transformed: the pane shows its text again (on the Text page when it has text, as
    // one step the editor can undo), with range selected, and no longer shows the pages of the formats
    // the clip lost.
    virtual void ShowTransformed(clipstore::TClipObj& clip, TTextRange range) = 0;
    // The clip's title or formats changed: its row in the list (and the header, when it names the clip)
    // shows it.
    virtual void ClipChanged(const clipstore::TClipObj& clip) = 0;
};

} // namespace bx::pastetools
