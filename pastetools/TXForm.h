#pragma once

#include <QLocale>
#include <QString>

namespace bx::pastetools {

// The text transformations, as pure functions on characters (QString: a surrogate pair, and for the
// shifts a whole grapheme, is never split). A line ends at CR LF, LF, a lone CR or U+2028 (the line
// separator); the break itself is kept wherever a rule keeps the line. Every function raises EBadAlloc
// when its result could not be had.
class TXForm {
public:
    // The longest text a transformation makes: a QString holds somewhat fewer than 2^30 characters.
    static constexpr qsizetype MaxChars = (qsizetype{1} << 30) - 4096;

    // Removes the first character of every line when it is a blank or a Tab; with all, whatever it is
    // (a line break never: empty lines stay).
    static QString ShiftLeft(const QString& text, bool all);
    // Puts a blank before the first character of every line that is not empty.
    static QString ShiftRight(const QString& text);
    // Removes line breaks (FormatBlanks, then FormatCRLF): the lines of each paragraph are joined with
    // single blanks and the paragraph breaks (an empty line) stay; with all, everything becomes one line.
    static QString FlowText(const QString& text, bool all);
    // Drops blanks at the start of the text and of every line and shortens every run of blanks to one,
    // except that two stay after a full stop.
    static QString FormatBlanks(const QString& text);
    // Replaces each line break by a blank (none after a blank or before anything was written);
    // without all, the breaks of a paragraph break (a break followed by another) stay as they are.
    static QString FormatCRLF(const QString& text, bool all);
    // The first letter of every word upper case, the letters A to Z elsewhere lower case; letters and
    // apostrophes make up a word. A first letter that is already upper case stays as it is.
    static QString CaseMixed(const QString& text, const QLocale& locale);
    // The first letter of the text and the first letter after "!", ".", ":" or "?" upper case, the
    // letters A to Z elsewhere lower case.
    static QString CaseSentence(const QString& text, const QLocale& locale);
    // Lower and upper case in the locale's rules ("straße" upper case is "STRASSE").
    static QString Lower(const QString& text, const QLocale& locale);
    static QString Upper(const QString& text, const QLocale& locale);

    // Whether c ends a line (CR, LF, U+2028).
    static bool IsBreak(QChar c) { return c == u'\n' || c == u'\r' || c == QChar::LineSeparator; }
    // The length of the line break at i (2 for CR LF), 0 when none starts there.
    static qsizetype BreakAt(const QString& text, qsizetype i);

private:
    // Where the character starting at i ends (after a surrogate pair).
    static qsizetype NextChar(const QString& text, qsizetype i);
    // Lower-cases A to Z only.
    static QString LowerAscii(const QString& text);
    // The upper case of the character at [i, end) of original: kept when it is upper case already.
    static QString UpperInitial(const QString& original, qsizetype i, qsizetype end, const QLocale& locale);
    // Room for size characters, or EBadAlloc with where's text.
    static void Reserve(QString& out, qsizetype size, const char* where);
};

} // namespace bx::pastetools
