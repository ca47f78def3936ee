#pragma once

#include "IEditPane.h"
#include "TTextPreview.h"

#include <QWidget>

#include <functional>
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
// An edit of a text shown whole can be written back into the clip (the pane decides when). The edit
// pane's commands work on the editor through IEditPane (positions in characters, not in UTF-16 units).
class TTextPage : public QWidget, public pastetools::IEditPane {
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

    // pastetools::IEditPane
    std::string Text() const override;
    std::size_t Length() const override;
    bool HasSelection() const override;
    std::string SelectedText() const override;
    bool Editable() const override;
    std::size_t Caret() const override;
    void SetCaret(std::size_t position) override;
    void ReplaceSelection(const std::string& text) override;
    void InsertAt(std::size_t position, const std::string& text) override;
    bool CanUndo() const override;
    void Undo() override;
    void ClearUndo() override;
    void ShowEnabling(const pastetools::TEditEnabling& enabling) override;
    // Where the commands' enabling goes (the window's actions); none by default.
    std::function<void(const pastetools::TEditEnabling&)> EnablingShown;

    QPlainTextEdit* Editor() const { return editor_; }
    QLabel* Notice() const { return notice_; }

signals:
    // The editor lost the focus.
    void EditorLeft();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The editor's position (in UTF-16 units) of a position in characters, and back.
    int Units(std::size_t chars) const;
    std::size_t Chars(int units) const;
    // The clip's text without its terminator; nullopt when it has none or it cannot be read.
    static std::optional<std::string> Bytes(clipstore::TClipObj& clip, bool& unreadable);

    QLabel* notice_ = nullptr;
    QPlainTextEdit* editor_ = nullptr;
    TTextPreview::Shown text_;
};

} // namespace bx::explorer
