#pragma once

#include "IMainView.h"
#include "TTextPreview.h"

#include <QImage>
#include <QMainWindow>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QDialog;
class QLabel;
class QPlainTextEdit;
class QScrollArea;
class QSplitter;
class QStackedWidget;
class QTabWidget;
class QTableView;
class QTextEdit;
class QToolButton;
class QTreeView;

namespace bx::clipstore {
class TClipObj;
class TMetafile;
} // namespace bx::clipstore

namespace bx::platform {
class IDesktop;
}

namespace bx::shell {
class TBrindlexCore;
class TClipListSelection;
} // namespace bx::shell

namespace bx::explorer {

class TClipTableModel;
class TClipTitleDelegate;
class TCollectionTreeModel;
class THexDump;
class THtmlView;
class TSelectItemBar;

// The main window in its explorer layout: the collection tree on the left, the clip list of the chosen
// collection with the selected-item bar above it, and the preview and edit pane below with a page for
// each kind of data. The window shows the core's models and passes the user's actions to them; the
// behaviour lives in the core and in the non-visual list rules.
class TfrmBX : public QMainWindow, public shell::IMainView {
    Q_OBJECT
public:
    // The pages of the preview pane, in order.
    enum Tab { TabText, TabRtf, TabBitmap, TabPicture, TabHtml, TabBinary, TabCount };

    TfrmBX();
    ~TfrmBX() override;

    // Connects the window to the running core (nullptr disconnects it; do that before the core goes).
    void SetCore(shell::TBrindlexCore* core, platform::IDesktop* desktop);

    // shell::IMainView
    void ShowStatus(int level, bool busy, const std::string& text) override;
    void SetPreviewVisible(bool visible) override;
    void SetPasteEnabled(bool enabled) override;
    void BringToFront() override;
    void Minimize() override;
    void ForgetClips() override;

    // The application profile dialog (Config menu), over the current clip's application.
    void ShowApplicationProfile();
    // For tests: called with each dialog before it runs.
    std::function<void(QDialog&)> BeforeDialog;

    // The preview pane.
    void UpdateMagView();
    void RescueEditing();
    void SetPinned(bool pinned);
    bool Pinned() const;
    void SelectNextItem(bool next);
    // The collection button: the next collection (fromFirst: after the first node).
    void NextCollection(bool fromFirst);
    // A command on the selected clips: enabled while exactly one row (exactlyOne) or at least one row is
    // selected.
    void AddSelectionCommand(QAction* action, bool exactlyOne);
    // The list keeps this height when its splitter is pushed to the top.
    static constexpr int MinListHeight = 2;

    // For tests and the other parts of the window.
    QTreeView* Tree() const { return tvCollections_; }
    QTableView* List() const { return lvClips_; }
    QTabWidget* Pane() const { return PCMagnify_; }
    QSplitter* TreeSplitter() const { return Splitter1_; }
    QSplitter* ListSplitter() const { return splitter2_; }
    QPlainTextEdit* TextEditor() const { return txtMagnifyText_; }
    QLabel* TextNotice() const { return lblTextNotice_; }
    QTextEdit* RtfEditor() const { return txtMagnifyRTF_; }
    THtmlView* HtmlView() const { return htmlView_; }
    THexDump* HexDump() const { return hexDump_; }
    QComboBox* BinaryFormats() const { return cbBinaryDisplayFormats_; }
    QCheckBox* StretchBox() const { return cbStretch_; }
    QLabel* BitmapImage() const { return imgMagnifyBitmap_; }
    TSelectItemBar* SelectItemBar() const { return HCSelectItem_; }
    QString Notice() const;
    bool PaneShown() const;
    QString StatusPanel(int panel) const;
    QString PinImage() const { return pinImage_; }
    shell::TClipListSelection* Selection() const { return selection_.get(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Runs a handler of the window: an exception that escapes it goes to the program's error trap.
    void Guard(const std::function<void()>& handler);
    bool FilterEvent(QObject* watched, QEvent* event);
    void OnWindowChange(QEvent* event);
    void BuildWidgets();
    void BuildMenus();
    void BuildToolBar();
    QWidget* BuildPane();
    void OnListReset();
    void OnRowInserted(std::size_t row);
    void OnTreeChanged();
    void SyncTreeSelection();
    void SyncViewSelection();
    // Works out where the list's titles start once the list has changed (before it is drawn).
    void UpdateFormatIconRoom();
    void OnViewSelectionChanged();
    void OnTreeCurrentChanged();
    void OnHeaderClicked(int column);
    void ShowSortArrow();
    void LoadTabs(clipstore::TClipObj& clip);
    void TabChanged(int tab);
    void FitImage();
    // Draws a metafile fitted to the Picture page; returns its size for the status bar.
    QString DrawPicture(const clipstore::TMetafile* metafile);
    void FillBinaryFormats(clipstore::TClipObj& clip);
    void ShowBinaryFormat();
    void ShowNotice();
    void SetPinImage(const QString& name);
    void UpdateCaption();
    void ExpandPane(bool expand);
    void SplitterMoved(bool horizontal);
    // The mouse wheel anywhere in the window; true when the turn was used.
    bool WheelTurned(QObject* watched, QEvent* event);
    class TWheelFilter;
    std::unique_ptr<TWheelFilter> wheelFilter_;
    void UpdateSelectionCommands();
    void ChooseMagFont();
    clipstore::TClipObj* EditClip() const;
    int VisibleTabCount() const;

    shell::TBrindlexCore* core_ = nullptr;
    platform::IDesktop* desktop_ = nullptr;
    std::unique_ptr<shell::TClipListSelection> selection_;
    TCollectionTreeModel* treeModel_ = nullptr;
    TClipTableModel* clipModel_ = nullptr;
    TClipTitleDelegate* titleDelegate_ = nullptr;
    bool syncing_ = false;
    // The list changed since the room for its format images was worked out.
    bool formatIconsStale_ = true;
    int lastTab_ = -1;
    bool loadingTabs_ = false;
    // The pane's clip changed while the window was hidden or minimized.
    bool magViewStale_ = false;
    // What the text page shows of the clip's text.
    TTextPreview::Shown text_;
    QImage bitmap_;
    std::vector<std::uint8_t> binaryBuffer_;
    QString pinImage_;
    QPointer<QWidget> busyFocus_;

    QSplitter* Splitter1_ = nullptr;
    std::vector<std::pair<QPointer<QAction>, bool>> selectionCommands_;
    QSplitter* splitter2_ = nullptr;
    QTreeView* tvCollections_ = nullptr;
    QWidget* rightPart_ = nullptr;
    TSelectItemBar* HCSelectItem_ = nullptr;
    QTableView* lvClips_ = nullptr;
    QStackedWidget* previewStack_ = nullptr;
    QLabel* lblNothingToDisplay_ = nullptr;
    QTabWidget* PCMagnify_ = nullptr;
    QLabel* lblTextNotice_ = nullptr;
    QPlainTextEdit* txtMagnifyText_ = nullptr;
    QTextEdit* txtMagnifyRTF_ = nullptr;
    QWidget* tsBitmap_ = nullptr;
    QWidget* tbBitmap_ = nullptr;
    QCheckBox* cbStretch_ = nullptr;
    QLabel* pnlMagBitmapSize_ = nullptr;
    QScrollArea* bitmapScroll_ = nullptr;
    QWidget* bitmapCanvas_ = nullptr;
    QLabel* imgMagnifyBitmap_ = nullptr;
    QLabel* imgMagnifyPicture_ = nullptr;
    THtmlView* htmlView_ = nullptr;
    QComboBox* cbBinaryDisplayFormats_ = nullptr;
    THexDump* hexDump_ = nullptr;
    QToolButton* cmdCollection_ = nullptr;
    QToolButton* cmdMagPin_ = nullptr;
    QToolButton* cmdMagWordWrap_ = nullptr;
    QToolButton* cmdMagFont_ = nullptr;
    QToolButton* cmdMagSizeWindow_ = nullptr;
    QAction* mnuSizePreviewWindow_ = nullptr;
    QLabel* statusPanels_[3] = {nullptr, nullptr, nullptr};
};

} // namespace bx::explorer
