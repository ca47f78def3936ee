#include "TFindEditor.h"

#include <QPlainTextEdit>
#include <QTextCursor>

namespace bx::explorer {

namespace {

// UTF-8 bytes before a position of the editor (in UTF-16 units), and back.
std::size_t BytesBefore(const QString& text, int position) {
    return static_cast<std::size_t>(text.left(position).toUtf8().size());
}

int PositionOf(const std::string& utf8, std::size_t bytes) {
    return static_cast<int>(
        QString::fromUtf8(utf8.data(), static_cast<qsizetype>(std::min(bytes, utf8.size()))).size());
}

} // namespace

std::string TFindEditor::Text() const {
    return editor_.toPlainText().toStdString();
}

std::size_t TFindEditor::SelStart() const {
    return BytesBefore(editor_.toPlainText(), editor_.textCursor().selectionStart());
}

std::size_t TFindEditor::SelLength() const {
    const QTextCursor cursor = editor_.textCursor();
    const QString text = editor_.toPlainText();
    return BytesBefore(text, cursor.selectionEnd()) - BytesBefore(text, cursor.selectionStart());
}

void TFindEditor::SelectAndFocus(std::size_t start, std::size_t length) {
    const std::string text = Text();
    QTextCursor cursor = editor_.textCursor();
    cursor.setPosition(PositionOf(text, start));
    cursor.setPosition(PositionOf(text, start + length), QTextCursor::KeepAnchor);
    editor_.setTextCursor(cursor);
    if (length > 0)
        editor_.setFocus();
}

} // namespace bx::explorer
