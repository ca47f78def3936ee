#pragma once

#include "ITransformPane.h"

#include <QStackedWidget>
#include <QString>

#include <array>
#include <functional>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QTabWidget;
class QTextEdit;

namespace bx::clipstore {
class TClipObj;
}

namespace bx::shell {
class TBrindlexCore;
class TClipListSelection;
} // namespace bx::shell

namespace bx::explorer {

class TBinaryPage;
class TBitmapPage;
class THexDump;
class THtmlPage;
class THtmlView;
class TPicturePage;
class TRtfPage;
class TTextPage;

// The preview and edit pane below the clip list: a page for each kind of data the shown clip holds, or a
// notice saying why there is nothing to show. The pane chooses the pages for the clip, loads the text,
// the bitmap and the binary dump at once and the rich text, the picture and the HTML when their page
// becomes active, writes an edit of the text back into the clip, shows the result of a transformation of its
// clip's text (the transformation commands' side of the pane), and keeps a pinned clip. A window nobody
// sees loads no clip data: the pane catches up when the window is shown again.
class TPreviewPane : public QStackedWidget, public pastetools::ITransformPane {
    Q_OBJECT
public:
    // The pages, in order.
    enum Tab { TabText, TabRtf, TabBitmap, TabPicture, TabHtml, TabBinary, TabCount };

    // beside: the widget left of the pane, whose width the notice leaves free.
    TPreviewPane(QWidget* beside, QWidget* parent);

    // Connects the pane to the running core and the list's selection (nullptr disconnects it).
    void SetCore(shell::TBrindlexCore* core, shell::TClipListSelection* selection);
    // The buttons in the corner of the pages' tabs; pin: the command that pins the pane (its image shows
    // the pin's state).
    void SetButtons(QWidget* corner, QAction* pin);

    // Shows the current clip (or keeps the pinned one); false when there is no core or the window is
    // hidden, and the clip is shown once it appears.
    bool UpdateMagView();
    // The clip changed while the window was hidden or minimized.
    bool Stale() const { return magViewStale_; }
    void SetPreviewVisible(bool visible);
    // Writes an edit of the shown text back into the clip.
    void RescueEditing() override;
    // pastetools::ITransformPane: the selection of the text, the transformed clip shown again (the text
    // page's undo takes the transformation back), the clip's row and header drawn again.
    pastetools::TTextRange Selection() const override;
    void ShowTransformed(clipstore::TClipObj& clip, pastetools::TTextRange range) override;
    void ClipChanged(const clipstore::TClipObj& clip) override;
    // The clips are going: the pane holds none.
    void ForgetClips();
    void SetPinned(bool pinned);
    bool Pinned() const;
    void SetWordWrap(bool on);
    void ChooseMagFont();
    // Places the bitmap of the Bitmap page again (its page or the window changed size).
    void FitImage();
    void ShowNotice();

    bool PaneShown() const;
    QString Notice() const;
    QString PinImage() const { return pinImage_; }
    QTabWidget* Tabs() const { return tabs_; }
    TTextPage* TextPage() const { return text_; }
    TRtfPage* RtfPage() const { return rtf_; }
    TBitmapPage* BitmapPage() const { return bitmap_; }
    TPicturePage* PicturePage() const { return picture_; }
    THtmlPage* HtmlPage() const { return html_; }
    TBinaryPage* BinaryPage() const { return binary_; }
    // The pages' parts.
    QPlainTextEdit* TextEditor() const;
    QLabel* TextNotice() const;
    QTextEdit* RtfEditor() const;
    THtmlView* HtmlView() const;
    THexDump* HexDump() const;
    QComboBox* BinaryFormats() const;
    QCheckBox* StretchBox() const;
    QLabel* BitmapImage() const;
    // The editors, which scroll their text with the mouse wheel.
    std::array<QWidget*, 2> Editors() const;

signals:
    // The size of what the active page shows, for the status bar (empty: nothing shown).
    void SizeShown(const QString& size);
    // The current clip is shown (the selected-item bar names it).
    void ClipShown(const bx::clipstore::TClipObj* clip);
    // An edit was written back into the clip: its row is drawn again.
    void ClipEdited(const bx::clipstore::TClipObj* clip);

protected:
    void changeEvent(QEvent* event) override;

private:
    // The notice in the palette's placeholder colour (readable on the pane's background).
    void ApplyNoticeColor();
    void Guard(const std::function<void()>& handler);
    // Loads the pages of the clip and shows the page that was active before, else the first one; true
    // when a page is shown.
    bool ShowClip(clipstore::TClipObj& clip);
    // withText: the text page loads the clip's text too.
    void LoadTabs(clipstore::TClipObj& clip, bool withText = true);
    void TabChanged(int tab);
    void ShowBinaryFormat();
    void StoreEdit(clipstore::TClipObj& clip, int index);
    void SetPinImage(const QString& name);
    clipstore::TClipObj* EditClip() const;
    int VisibleTabCount() const;

    shell::TBrindlexCore* core_ = nullptr;
    shell::TClipListSelection* selection_ = nullptr;
    QWidget* beside_ = nullptr;
    QAction* pin_ = nullptr;
    int lastTab_ = -1;
    bool loadingTabs_ = false;
    // The pane's clip changed while the window was hidden or minimized.
    bool magViewStale_ = false;
    QString pinImage_;

    QTabWidget* tabs_ = nullptr;
    QLabel* notice_ = nullptr;
    TTextPage* text_ = nullptr;
    TRtfPage* rtf_ = nullptr;
    TBitmapPage* bitmap_ = nullptr;
    TPicturePage* picture_ = nullptr;
    THtmlPage* html_ = nullptr;
    TBinaryPage* binary_ = nullptr;
};

} // namespace bx::explorer
