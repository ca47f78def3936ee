#pragma once

#include "TTextPreview.h"

#include <QWidget>

#include <optional>
#include <string>
#include <utility>

class QLabel;
class QPlainTextEdit;

namespace bx::clipstore {
class TClipObj;
}

namespace bx::explorer {

// The preview pane's Text page: the clip's text in an editor, with a notice above a text shown in part.
// An edit of a text shown whole can be written back into the clip (the pane decides when).
class TTextPage : public QWidget {
    Q_OBJECT
public:
    explicit TTextPage(QWidget* parent = nullptr);

    // Loads the clip's text with the caret at the end (a text too large for the editor in part); false
    // when the clip has no text.
    bool Load(clipstore::TClipObj& clip);
    // Shows the clip's changed text: a text shown whole is replaced in the editor as one step that its
    // undo takes back (the editor has no pending edit afterwards); otherwise as Load.
    bool ShowChanged(clipstore::TClipObj& clip);
    // The editor's selection as a part of the shown text (start, length), and selecting such a part.
    std::pair<qsizetype, qsizetype> SelectionInText() const;
    void SelectInText(qsizetype start, qsizetype length);
    // Shows nothing and forgets the text.
    void Forget();
    // The size of the text for the status bar.
    QString SizeText() const;
    // What the page shows of the clip's text.
    const TTextPreview::Shown& Shown() const { return text_; }
    // The user changed a text shown whole: the edit may go back into the clip.
    bool HasEdit() const;
    // The edited text in the clip's encoding.
    std::string EditedText() const;
    // The edit is in the clip now.
    void EditStored();
    void SetWordWrap(bool on);

    QPlainTextEdit* Editor() const { return editor_; }
    QLabel* Notice() const { return notice_; }

signals:
    // The editor lost the focus.
    void EditorLeft();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The clip's text without its terminator; nullopt when it has none or it cannot be read.
    static std::optional<std::string> Bytes(clipstore::TClipObj& clip, bool& unreadable);

    QLabel* notice_ = nullptr;
    QPlainTextEdit* editor_ = nullptr;
    TTextPreview::Shown text_;
};

} // namespace bx::explorer
