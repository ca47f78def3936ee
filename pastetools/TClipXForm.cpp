#include "TClipXForm.h"

#include "LogHook.h"
#include "LogLevels.h"
#include "PlatformTypes.h"
#include "TClipObj.h"
#include "TUtf8.h"
#include "TXForm.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <optional>
#include <string>

namespace bx::pastetools {

using clipstore::TUtf8;
using platform::CF_TEXT;

namespace {

// The clip's text as stored, without its terminator; nullopt when it cannot be read.
std::optional<std::string> StoredText(clipstore::TClipObj& clip) {
    const std::size_t size = clip.Lock(CF_TEXT);
    std::optional<std::string> bytes;
    if (clip.LockedData != nullptr) {
        const auto* start = reinterpret_cast<const char*>(clip.LockedData);
        bytes.emplace(start, strnlen(start, size));
    }
    if (clip.LockedFormat != 0)
        clip.Unlock();
    return bytes;
}

bool SplitsPair(const QString& text, qsizetype i) {
    return i > 0 && i < text.size() &&
           ((text[i].isLowSurrogate() && text[i - 1].isHighSurrogate()) || (text[i] == u'\n' && text[i - 1] == u'\r'));
}

} // namespace

TTextRange TClipXForm::Widened(const QString& text, TTextRange range) {
    qsizetype start = std::clamp<qsizetype>(range.Start, 0, text.size());
    qsizetype end = std::clamp<qsizetype>(start + std::max<qsizetype>(range.Length, 0), start, text.size());
    if (SplitsPair(text, start))
        --start;
    if (SplitsPair(text, end))
        ++end;
    return {start, end - start};
}

QString TClipXForm::Transform(const QString& text, TXFormKind kind, bool ctrlDown, const QLocale& locale) {
    switch (kind) {
    case TXFormKind::ShiftLeft:
        return TXForm::ShiftLeft(text, ctrlDown);
    case TXFormKind::ShiftRight:
        return TXForm::ShiftRight(text);
    case TXFormKind::FlowText:
        return TXForm::FlowText(text, ctrlDown);
    case TXFormKind::Lower:
        return TXForm::Lower(text, locale);
    case TXFormKind::Upper:
        return TXForm::Upper(text, locale);
    case TXFormKind::Mixed:
        return TXForm::CaseMixed(text, locale);
    case TXFormKind::Sentence:
        return TXForm::CaseSentence(text, locale);
    case TXFormKind::StripNonText:
        break;
    }
    return text;
}

TClipXForm::Result TClipXForm::XForm(clipstore::TClipObj& clip, TXFormKind kind, TTextRange selection, bool ctrlDown,
                                     const QLocale& locale) {
    platform::SetTraceLocation("XForm");
    platform::LogMsg(platform::LogDataEvents, "XForm>", "");
    Result result;
    std::optional<std::string> bytes;
    if (clip.HasFormat(CF_TEXT))
        bytes = StoredText(clip);
    if (!bytes) {
        platform::LogMsg(platform::LogDataEvents, "<XForm", "");
        return result;
    }
    result.HadText = true;
    const bool windows1252 = !TUtf8::IsValid(*bytes);
    const QString text = windows1252 ? QString::fromStdString(TUtf8::FromWindows1252(*bytes))
                                     : QString::fromUtf8(bytes->data(), static_cast<qsizetype>(bytes->size()));
    if (selection.Length <= 0)
        selection = {0, text.size()};
    selection = Widened(text, selection);
    const QStringView before = QStringView(text).left(selection.Start);
    const QStringView after = QStringView(text).mid(selection.Start + selection.Length);
    QString middle = text.mid(selection.Start, selection.Length);

    std::exception_ptr failure;
    try {
        if (!text.isEmpty())
            middle = Transform(middle, kind, ctrlDown, locale);
        if (kind >= TXFormKind::Lower && kind <= TXFormKind::Sentence)
            clip.SetTitle(Transform(QString::fromStdString(clip.Title), kind, false, locale).toStdString());
    } catch (...) {
        failure = std::current_exception();
    }
    result.Selected = {selection.Start, middle.size()};

    // Also after a failure: the clip keeps its text only, with whatever part was transformed.
    clip.NukeNonText();
    const std::string utf8 = (before.toString() + middle + after.toString()).toStdString();
    std::optional<std::string> stored = windows1252 ? TUtf8::ToWindows1252(utf8) : std::nullopt;
    const std::string& newBytes = stored ? *stored : utf8;
    int index = -1;
    // An unchanged text keeps its bytes as they are.
    if (const bool hasText = clip.HasFormat(CF_TEXT, index); !hasText || newBytes != *bytes)
        clip.PutText(newBytes, index);
    platform::LogMsg(platform::LogDataEvents, "<XForm", "");
    if (failure)
        std::rethrow_exception(failure);
    return result;
}

} // namespace bx::pastetools
