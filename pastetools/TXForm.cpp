#include "TXForm.h"

#include "EBadAlloc.h"
#include "LogHook.h"
#include "LogLevels.h"

#include <QTextBoundaryFinder>

#include <new>
#include <optional>
#include <string>

namespace bx::pastetools {

namespace {

bool IsApostrophe(char32_t c) {
    return c == U'\'' || c == U'\u2019';
}

bool EndsSentence(char32_t c) {
    return c == U'!' || c == U'.' || c == U':' || c == U'?';
}

} // namespace

qsizetype TXForm::BreakAt(const QString& text, qsizetype i) {
    if (i >= text.size() || !IsBreak(text[i]))
        return 0;
    return text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n' ? 2 : 1;
}

qsizetype TXForm::NextChar(const QString& text, qsizetype i) {
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
        return i + 2;
    return i + 1;
}

void TXForm::Reserve(QString& out, qsizetype size, const char* where) {
    if (size < 0 || size > MaxChars)
        throw EBadAlloc(std::string("Error Allocating Memory In ") + where + ":" + std::to_string(size));
    try {
        out.reserve(size);
    } catch (const std::bad_alloc&) {
        throw EBadAlloc(std::string("Error Allocating Memory In ") + where + ":" + std::to_string(size));
    }
}

QString TXForm::ShiftLeft(const QString& text, bool all) {
    QString out;
    Reserve(out, text.size() + 1, "ShiftLeft");
    // Without all only a blank or a Tab goes, one code unit; with all a whole grapheme.
    std::optional<QTextBoundaryFinder> graphemes;
    bool lineStart = true;
    for (qsizetype i = 0; i < text.size();) {
        if (const qsizetype brk = BreakAt(text, i); brk > 0) {
            out += QStringView(text).mid(i, brk);
            i += brk;
            lineStart = true;
            continue;
        }
        if (lineStart) {
            lineStart = false;
            if (text[i] == u' ' || text[i] == u'\t') {
                ++i;
                continue;
            }
            if (all) {
                if (!graphemes)
                    graphemes.emplace(QTextBoundaryFinder::Grapheme, text);
                graphemes->setPosition(i);
                const qsizetype end = graphemes->toNextBoundary();
                i = end > i ? end : NextChar(text, i);
                continue;
            }
        }
        out += text[i];
        ++i;
    }
    return out;
}

QString TXForm::ShiftRight(const QString& text) {
    qsizetype breaks = 0;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype brk = BreakAt(text, i);
        breaks += brk > 0 ? 1 : 0;
        i += brk > 0 ? brk : 1;
    }
    // One blank for each line at most: the first one and one after every break.
    if (text.size() > MaxChars - breaks - 1)
        throw EBadAlloc("Error Allocating Memory In ShiftRight:" + std::to_string(text.size() + 1));
    const qsizetype newLen = text.size() + breaks + 1;
    QString out;
    Reserve(out, newLen, "ShiftRight");
    bool lineStart = true;
    for (qsizetype i = 0; i < text.size();) {
        if (const qsizetype brk = BreakAt(text, i); brk > 0) {
            out += QStringView(text).mid(i, brk);
            i += brk;
            lineStart = true;
            continue;
        }
        if (lineStart) {
            lineStart = false;
            out += u' ';
        }
        out += text[i];
        ++i;
        if (out.size() > newLen)
            throw EBadAlloc("Ran Off End Of Allocated Memory In ShiftRight:  NewLen: " + std::to_string(newLen) +
                            " j:" + std::to_string(out.size()));
    }
    return out;
}

QString TXForm::FormatBlanks(const QString& text) {
    QString out;
    Reserve(out, text.size(), "FormatBlanks");
    bool lineStart = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (IsBreak(c)) {
            lineStart = true;
        } else if (c == u' ') {
            if (lineStart)
                continue;
            // The second blank of a run stays after a full stop; every further one goes.
            if (i >= 1 && text[i - 1] == u' ' && !(i >= 2 && text[i - 2] == u'.'))
                continue;
        } else {
            lineStart = false;
        }
        out += c;
    }
    return out;
}

QString TXForm::FormatCRLF(const QString& text, bool all) {
    QString out;
    Reserve(out, text.size(), "FormatCRLF");
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype brk = BreakAt(text, i);
        if (brk == 0) {
            out += text[i];
            ++i;
            continue;
        }
        if (all || BreakAt(text, i + brk) == 0) {
            // Nothing to keep apart at the start of the text.
            if (!out.isEmpty() && text[i - 1] != u' ')
                out += u' ';
            i += brk;
            continue;
        }
        // A paragraph break: the whole run of breaks stays as it is.
        while (i < text.size() && IsBreak(text[i]))
            out += text[i++];
    }
    return out;
}

QString TXForm::FlowText(const QString& text, bool all) {
    platform::LogMsg(platform::LogDataEvents, ">Flow Text", "");
    QString result = FormatCRLF(FormatBlanks(text), all);
    platform::LogMsg(platform::LogDataEvents, "<FlowText", "");
    return result;
}

QString TXForm::LowerAscii(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    return out;
}

QString TXForm::UpperInitial(const QString& original, qsizetype i, qsizetype end, const QLocale& locale) {
    const QString c = original.mid(i, end - i);
    const char32_t cp = c.size() == 2 ? QChar::surrogateToUcs4(c[0], c[1]) : c[0].unicode();
    if (QChar::isUpper(cp) || QChar::isTitleCase(cp))
        return c;
    return locale.toUpper(c);
}

QString TXForm::CaseMixed(const QString& text, const QLocale& locale) {
    const QString lowered = LowerAscii(text);
    QString out;
    Reserve(out, text.size(), "CaseMixed");
    bool inWord = false;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype end = NextChar(text, i);
        const char32_t cp = end - i == 2 ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
        const bool wordChar = QChar::isLetter(cp) || IsApostrophe(cp);
        if (wordChar && !inWord)
            out += UpperInitial(text, i, end, locale);
        else
            out += QStringView(lowered).mid(i, end - i);
        inWord = wordChar;
        i = end;
    }
    return out;
}

QString TXForm::CaseSentence(const QString& text, const QLocale& locale) {
    const QString lowered = LowerAscii(text);
    QString out;
    Reserve(out, text.size(), "CaseSentence");
    bool start = true;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype end = NextChar(text, i);
        const char32_t cp = end - i == 2 ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
        if (QChar::isLetter(cp) && start) {
            out += UpperInitial(text, i, end, locale);
            start = false;
        } else {
            if (QChar::isLetter(cp))
                start = false;
            else if (EndsSentence(cp))
                start = true;
            out += QStringView(lowered).mid(i, end - i);
        }
        i = end;
    }
    return out;
}

QString TXForm::Lower(const QString& text, const QLocale& locale) {
    try {
        return locale.toLower(text);
    } catch (const std::bad_alloc&) {
        throw EBadAlloc("Error Allocating Memory In Lower:" + std::to_string(text.size()));
    }
}

QString TXForm::Upper(const QString& text, const QLocale& locale) {
    try {
        return locale.toUpper(text);
    } catch (const std::bad_alloc&) {
        throw EBadAlloc("Error Allocating Memory In Upper:" + std::to_string(text.size()));
    }
}

} // namespace bx::pastetools
