#include "TTextPage.h"

#include "PlatformTypes.h"
#include "TClipBytes.h"
#include "TClipObj.h"

#include <QEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>
#include <string_view>

namespace bx::explorer {

TTextPage::TTextPage(QWidget* parent) : QWidget(parent) {
    setObjectName("tsText");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    notice_ = new QLabel(this);
    notice_->setObjectName("lblTextNotice");
    notice_->setWordWrap(true);
    notice_->setMargin(4);
    notice_->hide();
    layout->addWidget(notice_);
    editor_ = new QPlainTextEdit(this);
    editor_->setObjectName("txtMagnifyText");
    editor_->installEventFilter(this);
    layout->addWidget(editor_);
}

std::optional<std::string> TTextPage::Bytes(clipstore::TClipObj& clip, bool& unreadable) {
    unreadable = false;
    std::optional<std::string> bytes;
    if (!clip.HasFormat(platform::CF_TEXT))
        return bytes;
    const std::size_t size = clip.Lock(platform::CF_TEXT);
    if (size > 0) {
        if (clip.LockedData != nullptr) {
            const auto* start = reinterpret_cast<const char*>(clip.LockedData);
            bytes.emplace(start, strnlen(start, size));
        } else {
            unreadable = true;
        }
    }
    clip.Unlock();
    return bytes;
}

bool TTextPage::Load(clipstore::TClipObj& clip) {
    text_ = TTextPreview::Shown{};
    bool unreadable = false;
    const std::optional<std::string> bytes = Bytes(clip, unreadable);
    if (bytes) {
        text_ = TTextPreview::Make(*bytes);
        editor_->setPlainText(text_.text);
    } else if (unreadable) {
        text_.whole = false;
        editor_->setPlainText(TClipBytes::CouldNotRetrieve);
    } else {
        editor_->clear();
    }
    const QString notice = TTextPreview::Notice(text_);
    notice_->setText(notice);
    notice_->setVisible(!notice.isEmpty());
    editor_->setReadOnly(!text_.whole);
    editor_->document()->setModified(false);
    editor_->moveCursor(QTextCursor::End);
    return bytes || unreadable;
}

bool TTextPage::ShowChanged(clipstore::TClipObj& clip) {
    if (!text_.whole || editor_->isReadOnly())
        return Load(clip);
    bool unreadable = false;
    const std::optional<std::string> bytes = Bytes(clip, unreadable);
    if (!bytes)
        return Load(clip);
    TTextPreview::Shown shown = TTextPreview::Make(*bytes);
    if (!shown.whole)
        return Load(clip);
    QTextCursor cursor(editor_->document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.insertText(shown.text);
    cursor.endEditBlock();
    text_ = std::move(shown);
    // The clip holds this text already; an undo makes it an edit again.
    editor_->document()->setModified(false);
    return true;
}

std::pair<qsizetype, qsizetype> TTextPage::SelectionInText() const {
    const QTextCursor cursor = editor_->textCursor();
    const qsizetype start = TTextPreview::TextIndex(text_.text, cursor.selectionStart());
    const qsizetype end = TTextPreview::TextIndex(text_.text, cursor.selectionEnd());
    return {start, end - start};
}

void TTextPage::SelectInText(qsizetype start, qsizetype length) {
    QTextCursor cursor(editor_->document());
    const auto last = static_cast<qsizetype>(editor_->document()->characterCount() - 1);
    const qsizetype from = std::min(TTextPreview::EditorPosition(text_.text, start), last);
    const qsizetype to = std::min(TTextPreview::EditorPosition(text_.text, start + length), last);
    cursor.setPosition(static_cast<int>(from));
    cursor.setPosition(static_cast<int>(to), QTextCursor::KeepAnchor);
    editor_->setTextCursor(cursor);
}

void TTextPage::Forget() {
    editor_->clear();
    editor_->document()->setModified(false);
    text_ = TTextPreview::Shown{};
}

QString TTextPage::SizeText() const {
    return QString::number(text_.whole ? editor_->toPlainText().toUtf8().size() : static_cast<qsizetype>(text_.bytes)) +
           " Bytes";
}

bool TTextPage::HasEdit() const {
    // Only a text shown whole is written back: a part would cut the clip's text.
    return editor_->document()->isModified() && text_.whole;
}

std::string TTextPage::EditedText() const {
    return TTextPreview::Store(editor_->toPlainText(), text_.windows1252);
}

void TTextPage::EditStored() {
    editor_->document()->setModified(false);
}

void TTextPage::SetWordWrap(bool on) {
    editor_->setLineWrapMode(on ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

std::string TTextPage::Text() const {
    return editor_->toPlainText().toStdString();
}

std::size_t TTextPage::Length() const {
    return Chars(static_cast<int>(editor_->document()->characterCount() - 1));
}

bool TTextPage::HasSelection() const {
    return editor_->textCursor().hasSelection();
}

std::string TTextPage::SelectedText() const {
    QString text = editor_->textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, QChar('\n'));
    return text.toStdString();
}

bool TTextPage::Editable() const {
    // Only the page shown is edited: a clip without text leaves it hidden.
    return !editor_->isReadOnly() && !isHidden();
}

int TTextPage::Units(std::size_t chars) const {
    const QString text = editor_->toPlainText();
    qsizetype i = 0;
    for (std::size_t n = 0; n < chars && i < text.size(); ++n)
        i += text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
    return static_cast<int>(i);
}

std::size_t TTextPage::Chars(int units) const {
    const QString text = editor_->toPlainText();
    std::size_t chars = 0;
    for (qsizetype i = 0; i < units && i < text.size(); ++chars)
        i += text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
    return chars;
}

std::size_t TTextPage::Caret() const {
    return Chars(editor_->textCursor().position());
}

void TTextPage::SetCaret(std::size_t position) {
    QTextCursor cursor = editor_->textCursor();
    cursor.setPosition(Units(position));
    editor_->setTextCursor(cursor);
}

void TTextPage::ReplaceSelection(const std::string& text) {
    QTextCursor cursor = editor_->textCursor();
    cursor.insertText(QString::fromStdString(text));
    editor_->setTextCursor(cursor);
}

void TTextPage::InsertAt(std::size_t position, const std::string& text) {
    QTextCursor cursor(editor_->document());
    cursor.setPosition(Units(position));
    cursor.insertText(QString::fromStdString(text));
    editor_->setTextCursor(cursor);
}

bool TTextPage::CanUndo() const {
    return editor_->document()->isUndoAvailable();
}

void TTextPage::Undo() {
    editor_->undo();
}

void TTextPage::ClearUndo() {
    editor_->document()->clearUndoRedoStacks();
}

void TTextPage::ShowEnabling(const pastetools::TEditEnabling& enabling) {
    if (EnablingShown)
        EnablingShown(enabling);
}

bool TTextPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editor_ && event->type() == QEvent::FocusOut)
        emit EditorLeft();
    return QWidget::eventFilter(watched, event);
}

} // namespace bx::explorer
