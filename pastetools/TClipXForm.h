#pragma once

#include <QLocale>
#include <QString>

namespace bx::clipstore {
class TClipObj;
}

namespace bx::pastetools {

// The transformations, numbered as the commands pass them.
enum class TXFormKind {
    ShiftLeft = 1,
    ShiftRight = 2,
    FlowText = 3, // remove line breaks
    Lower = 4,
    Upper = 5,
    Mixed = 6,
    Sentence = 7,
    StripNonText = 8 // the text stays as it is; only the other formats go
};

// A part of a text, in characters of a QString (UTF-16 code units).
struct TTextRange {
    qsizetype Start = 0;
    qsizetype Length = 0;
    bool operator==(const TTextRange&) const = default;
};

// The transformation engine on one clip: it transforms the selected part of the clip's text (or the
// whole text), gives the title the same case, and leaves the clip with its text format only. The text
// is read as every stored text is (UTF-8, else Windows-1252) and stored in the same encoding when the
// result still fits it, else in UTF-8.
class TClipXForm {
public:
    struct Result {
        // The transformed part, to be selected again; empty when the clip has no text.
        TTextRange Selected;
        // The clip had a text to transform.
        bool HadText = false;
    };

    // Transforms the selection (a length of 0: the whole text) of the clip's text; ctrlDown is the
    // state of the Ctrl key (shift left drops any first character, removing line breaks joins
    // paragraphs). A selection is clamped to the text and widened to whole characters. A failure of
    // the transformation (EBadAlloc) is raised after the clip was stored with its part unchanged.
    static Result XForm(clipstore::TClipObj& clip, TXFormKind kind, TTextRange selection, bool ctrlDown,
                        const QLocale& locale);
    // One transformation of a text.
    static QString Transform(const QString& text, TXFormKind kind, bool ctrlDown, const QLocale& locale);
    // The range widened so that it neither starts nor ends inside a surrogate pair or a CR LF, clamped
    // to a text of size characters.
    static TTextRange Widened(const QString& text, TTextRange range);
};

} // namespace bx::pastetools
