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

bool TTextPage::Load(clipstore::TClipObj& clip) {
    bool hasText = false;
    text_ = TTextPreview::Shown{};
    if (clip.HasFormat(platform::CF_TEXT)) {
        const std::size_t size = clip.Lock(platform::CF_TEXT);
        if (size > 0) {
            hasText = true;
            if (clip.LockedData != nullptr) {
                const auto* start = reinterpret_cast<const char*>(clip.LockedData);
                text_ = TTextPreview::Make(std::string_view(start, strnlen(start, size)));
                editor_->setPlainText(text_.text);
            } else {
                text_.whole = false;
                editor_->setPlainText(TClipBytes::CouldNotRetrieve);
            }
        }
        clip.Unlock();
    }
    if (!hasText)
        editor_->clear();
    const QString notice = TTextPreview::Notice(text_);
    notice_->setText(notice);
    notice_->setVisible(!notice.isEmpty());
    editor_->setReadOnly(!text_.whole);
    editor_->document()->setModified(false);
    editor_->moveCursor(QTextCursor::End);
    return hasText;
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
