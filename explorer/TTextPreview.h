#pragma once

#include <QString>

#include <cstddef>
#include <string>
#include <string_view>

namespace bx::explorer {

// What the text page shows of a clip's text, and how an edit goes back into the clip. The text is read
// as the program reads every stored text: UTF-8, else Windows-1252 (texts of older collections). A
// text larger than the editor lays out in a moment (a one-line text of a megabyte takes it half a
// minute) is shown in part: its beginning, with very long lines broken. Such a part is never written
// back: the page is read-only, and the clip keeps its whole text.
class TTextPreview {
public:
    static constexpr std::size_t MaxBytes = 128 * 1024;
    static constexpr int MaxLineChars = 4096;

    struct Shown {
        QString text;
        bool whole = true;        // the text shown is the clip's whole text, unchanged
        bool windows1252 = false; // the clip's text is Windows-1252, not UTF-8
        std::size_t bytes = 0;    // the size of the clip's whole text
    };

    // bytes: the clip's text without its terminator.
    static Shown Make(std::string_view bytes);
    // What the page says above a part; empty for a whole text.
    static QString Notice(const Shown& shown);
    // The edited text for the clip: in Windows-1252 when the clip's text was and every character has a
    // form there, else UTF-8 (nothing typed is lost).
    static std::string Store(const QString& text, bool windows1252);
    // Positions in the editor and in the shown text: the editor holds a CR LF as one line break.
    static qsizetype TextIndex(const QString& shown, qsizetype editorPosition);
    static qsizetype EditorPosition(const QString& shown, qsizetype textIndex);
};

} // namespace bx::explorer
