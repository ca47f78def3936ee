#include "TfrmBX.h"

#include "IDesktop.h"
#include "StatusLevels.h"
#include "TAppSettings.h"
#include "TAutostart.h"
#include "TBrindlexCore.h"
#include "TClipColl.h"
#include "TClipListModel.h"
#include "TClipListSelection.h"
#include "TClipListView.h"
#include "TClipObj.h"
#include "TCollapseTab.h"
#include "TCollectionCycle.h"
#include "TCollectionTree.h"
#include "TCollectionTreeModel.h"
#include "TDropDownBar.h"
#include "TEditPaneActions.h"
#include "TFilterBox.h"
#include "TFind.h"
#include "TImageLists.h"
#include "TQtCollectionDialogs.h"
#include "TSelectItemBar.h"
#include "TStatusLine.h"
#include "TTrayIcon.h"
#include "TWindowCommands.h"
#include "TWindowGuard.h"
#include "TWindowHelp.h"
#include "TWindowModesControl.h"
#include "TfrmAbout.h"
#include "TfrmFilter.h"
#include "TfrmFind.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace bx::explorer {

using clipstore::TClipObj;

// Hands every wheel event of the program to the window first.
class TfrmBX::TWheelFilter : public QObject {
public:
    explicit TWheelFilter(TfrmBX* window) : window_(window) {}
    bool eventFilter(QObject* watched, QEvent* event) override { return window_->WheelTurned(watched, event); }

private:
    TfrmBX* window_;
};

TfrmBX::TfrmBX() : pasteTools_(std::make_unique<TWindowPasteTools>(*this)) {
    setObjectName("frmBX");
    setWindowTitle("Brindlex");
    help_ = new TWindowHelp(*this);
    commands_ = new TWindowCommands(*this);
    BuildWidgets();
    BuildBars();
    commands_->BuildMenuBar(*menuBar());
    tray_ = new TTrayIcon(*this);
    collDialogs_ =
        std::make_unique<TQtCollectionDialogs>(*this, [this](bool open) { open ? SetNotOnTop() : SetStayOnTop(); });
    collDialogs_->BeforeDialog = [this](QDialog& dialog) {
        if (BeforeDialog)
            BeforeDialog(dialog);
    };
    resize(900, 640);
    // The wheel is the window's before any of its parts gets it.
    wheelFilter_ = std::make_unique<TWheelFilter>(this);
    qApp->installEventFilter(wheelFilter_.get());
}

TfrmBX::~TfrmBX() {
    qApp->removeEventFilter(wheelFilter_.get());
    SetFlashpick(nullptr);
    SetCore(nullptr, nullptr);
}

void TfrmBX::BuildWidgets() {
    // The traditional view's bar above the list; the list and the tree below it.
    auto* main = new QWidget(this);
    main->setObjectName("pnlMain");
    auto* mainLayout = new QVBoxLayout(main);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    mainLayout->setSpacing(0);
    dropDownBar_ = new TDropDownBar(main);
    mainLayout->addWidget(dropDownBar_);
    Splitter1_ = new QSplitter(Qt::Horizontal, main);
    mainLayout->addWidget(Splitter1_, 1);
    Splitter1_->setObjectName("Splitter1");
    tvCollections_ = new QTreeView(Splitter1_);
    tvCollections_->setObjectName("tvCollections");
    tvCollections_->setHeaderHidden(true);
    tvCollections_->setIconSize(TCollectionTreeModel::DecorationSize());
    tvCollections_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Expanding the pane narrows the tree to 1 pixel.
    tvCollections_->setMinimumWidth(1);

    rightPart_ = new QWidget(Splitter1_);
    auto* rightLayout = new QVBoxLayout(rightPart_);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(1);
    HCSelectItem_ = new TSelectItemBar(rightPart_);
    HCSelectItem_->setObjectName("HCSelectItem");
    rightLayout->addWidget(HCSelectItem_);
    filterBox_ = new TFilterBox(rightPart_);
    rightLayout->addWidget(filterBox_);
    splitter2_ = new QSplitter(Qt::Vertical, rightPart_);
    splitter2_->setObjectName("splitter2");
    rightLayout->addWidget(splitter2_);
    rightLayout_ = rightLayout;

    lvClips_ = new TClipListView(splitter2_);
    pane_ = new TPreviewPane(tvCollections_, splitter2_);
    ConnectPane();
    splitter2_->setCollapsible(0, false);
    Splitter1_->setCollapsible(0, false);
    splitter2_->setStretchFactor(0, 1);
    splitter2_->setStretchFactor(1, 1);
    Splitter1_->setStretchFactor(1, 1);
    Splitter1_->setSizes({200, 700});
    setCentralWidget(main);
    splitters_ = std::make_unique<TWindowSplitters>(*this, *Splitter1_, *splitter2_, *commands_);

    status_ = std::make_unique<TStatusLine>(*this);
    pane_->ShowNotice();
}

void TfrmBX::BuildBars() {
    toolbar_ = addToolBar("Main");
    toolbar_->setObjectName("ToolBar1");
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    toolbarTab_ = new TCollapseTab(toolbar_, "ToolBar1Tab");
    commands_->BuildToolBar(*toolbar_, toolbarTab_);
    toolbarTab_->Collapses(*toolbar_, toolbar_->actions().value(0));
    cmdStatusBarTack_ = commands_->Button(this, TWindowCommands::StatusBarTack, "cmdStatusBarTack");
    cmdStatusBarTack_->setAutoRaise(true);
    cmdStatusBarTack_->setFixedSize(22, 19);
    status_->AddButton(cmdStatusBarTack_);

    const TWindowLayout::Parts parts{this,
                                     toolbar_,
                                     toolbarTab_,
                                     commands_->StripEnd(),
                                     dropDownBar_,
                                     HCSelectItem_,
                                     rightLayout_,
                                     Splitter1_,
                                     tvCollections_,
                                     rightPart_,
                                     splitter2_,
                                     pane_->Tabs()->cornerWidget(),
                                     cmdStatusBarTack_};
    modes_ = new TWindowModesControl(*this, parts, previewTab_);
}

void TfrmBX::ConnectPane() {
    // The preview's toolbar: its collapse tab, then its buttons.
    auto* corner = new QWidget();
    corner->setObjectName("ToolBar2");
    auto* cornerLayout = new QHBoxLayout(corner);
    cornerLayout->setContentsMargins(0, 0, 0, 0);
    cornerLayout->setSpacing(0);
    previewTab_ = new TCollapseTab(corner, "ToolBar2Tab");
    QWidget* buttons = commands_->BuildPaneButtons();
    cornerLayout->addWidget(previewTab_);
    cornerLayout->addWidget(buttons);
    previewTab_->Collapses(buttons);
    connect(previewTab_, &TCollapseTab::Toggled, this, [this] { pane_->Tabs()->cornerWidget()->adjustSize(); });
    pane_->SetButtons(corner, commands_->Action(TWindowCommands::PinPreview));
    connect(pane_, &TPreviewPane::SizeShown, this,
            [this](const QString& size) { status_->SetText(TStatusLine::SizePanel, size); });
    connect(pane_, &TPreviewPane::ClipShown, this, [this](const TClipObj* clip) { OnClipShown(clip); });
    connect(pane_, &TPreviewPane::ClipEdited, this, [this](const TClipObj* clip) { lvClips_->RefreshRow(clip); });
}

void TfrmBX::AddSelectionCommand(QAction* action, bool exactlyOne) {
    commands_->AddSelectionCommand(action, exactlyOne);
    commands_->SelectionChanged(core_ != nullptr ? core_->ClipList().SelectedCount() : 0);
}

void TfrmBX::NextCollection(bool fromFirst) {
    if (core_ == nullptr || core_->SuppressListEvents())
        return;
    core_->AnnounceUserMove({shell::TUserMove::Kind::OtherCollection});
    const int node = shell::TCollectionCycle::Next(core_->Tree(), fromFirst);
    if (node >= 0)
        core_->Tree().Select(node);
}

void TfrmBX::ShowApplicationProfile() {
    if (core_ == nullptr || core_->Filter() == nullptr || desktop_ == nullptr)
        return;
    TfrmFilter dialog(desktop_->Registry(), *core_->Filter(), this);
    dialog.Display(core_->CurrentClip() != nullptr ? core_->CurrentClip()->Creator : std::string("UNKNOWN"));
    const TNotOnTop below(*this);
    if (BeforeDialog)
        BeforeDialog(dialog);
    dialog.exec();
}

void TfrmBX::SetCore(shell::TBrindlexCore* core, platform::IDesktop* desktop) {
    if (wiring_ != nullptr) {
        pasteTools_->SetGlue(nullptr);
        wiring_.reset();
        splitters_->Attach(nullptr);
    }
    core_ = core;
    desktop_ = desktop;
    help_->SetCore(core_, desktop_);
    if (core_ == nullptr || desktop_ == nullptr) {
        core_ = nullptr;
        tray_->SetCore(nullptr);
        return;
    }
    tray_->SetCore(core_);
    {
        // The mark shows the desktop's entry as it is; setting it writes nothing.
        QAction* autostart = commands_->Action(TWindowCommands::StartWithSession);
        const QSignalBlocker block(autostart);
        autostart->setChecked(shell::TAutostart(core_->Settings().Dirs()).Enabled());
    }
    shell::TAppSettings& settings = core_->Settings();
    // The user's own collection icons join the program's.
    if (!settings.ProgramDir.empty())
        TImageLists::Reload(settings.ProgramDir + "buttons/");
    core_->SetHtmlViewerAvailable(settings.UseIEBrowser);
    // The optional buttons stay hidden when the bar is expanded again.
    toolbarTab_->SetItemShown(commands_->SearchButton(), settings.ShowSearch);
    toolbarTab_->SetItemShown(commands_->NoCrlfButton(), settings.ShowNOCRLF);
    HCSelectItem_->SetShowTypeIcons(settings.ShowTypeIcons);
    wiring_ = std::make_unique<TMainWindowWiring>(*this, *core_, *desktop_);

    commands_->Action(TWindowCommands::WordWrap)->setChecked(settings.WrapText);
    splitters_->Attach(&settings);
    wiring_->OnTreeChanged();
    wiring_->OnListReset();
    // The views and modes: the stored view comes up at the start (the wiring ends them with the core).
    modes_->SetCore(true);
}

// ---------------------------------------------------------------------------------------------------
// IMainView

void TfrmBX::ShowStatus(int level, bool busy, const std::string& text) {
    const QString qtext = QString::fromStdString(text);
    if (core_ != nullptr)
        HCSelectItem_->SetSuppressed(core_->SuppressListEvents());
    status_->SetText(TStatusLine::TextPanel, qtext);
    if (level >= shell::StatusInBarAndItemBar)
        HCSelectItem_->ShowMessage(qtext);
    status_->SetBusy(busy);
}

void TfrmBX::SetPreviewVisible(bool visible) {
    if (visible)
        UpdateMagView();
    else
        pane_->SetPreviewVisible(false);
}

void TfrmBX::SetPasteEnabled(bool enabled) {
    if (EditActions() != nullptr)
        EditActions()->SetPasteEnabled(enabled);
}

void TfrmBX::BringToFront() {
    show();
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    raise();
    activateWindow();
}

void TfrmBX::Minimize() {
    showMinimized();
}

void TfrmBX::ForgetClips() {
    pane_->ForgetClips();
}

void TfrmBX::closeEvent(QCloseEvent* event) {
    // The window manager's close button cannot be greyed out: while it is "disabled" its request is refused.
    // A close of the program itself, or of the session, goes through.
    if (event->spontaneous() && !qApp->isSavingSession() && modes_ != nullptr && !modes_->CloseEnabled()) {
        event->ignore();
        return;
    }
    bool mayClose = true;
    Guard([&] { mayClose = core_ == nullptr || core_->FormCloseQuery(); });
    if (!mayClose) {
        event->ignore();
        return;
    }
    event->accept();
    QApplication::quit();
}

void TfrmBX::SelectNextItem(bool next) {
    if (Selection() != nullptr)
        Selection()->SelectNext(next);
}

void TfrmBX::Guard(const std::function<void()>& handler) {
    TWindowGuard::Run(core_, handler);
}

void TfrmBX::SetAutostart(bool on) {
    if (core_ == nullptr)
        return;
    const shell::TAutostart autostart(core_->Settings().Dirs());
    std::string error;
    if (!autostart.SetEnabled(on, &error)) {
        const TNotOnTop below(*this);
        core_->Boxes().MessageBox("The session's autostart entry could not be " +
                                      std::string(on ? "written" : "removed") + ":\n" + error,
                                  "Brindlex", platform::MsgType::Error, platform::MsgButtons::Ok);
    }
    QAction* action = commands_->Action(TWindowCommands::StartWithSession);
    const QSignalBlocker block(action);
    action->setChecked(autostart.Enabled());
}

void TfrmBX::ShowAbout() {
    if (core_ == nullptr)
        return;
    const shell::TAboutInfo info =
        shell::TAboutInfo::Gather(core_->MasterList(), core_->Settings().DataSources(), core_->Settings().Edits);
    TfrmAbout dialog(info, this);
    if (BeforeDialog)
        BeforeDialog(dialog);
    const TNotOnTop below(*this);
    dialog.exec();
}

void TfrmBX::FindClick() {
    if (Find() == nullptr)
        return;
    TfrmFind dialog(
        this, [this] { help_->ShowTopic(shell::THelpTopics::Find); }, BeforeDialog);
    const TNotOnTop below(*this);
    Find()->FindClick(dialog, ExplorerView());
}

void TfrmBX::FindNextClick() {
    if (Find() != nullptr)
        Find()->FindNextClip();
}

void TfrmBX::FocusFilter() {
    if (ClipFilter() == nullptr)
        return;
    if (!ExplorerView() && !DroppedDown())
        DropDown(true);
    filterBox_->setFocus(Qt::ShortcutFocusReason);
    filterBox_->selectAll();
}

// ---------------------------------------------------------------------------------------------------
// The window's events

bool TfrmBX::WheelTurned(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Wheel || Selection() == nullptr)
        return false;
    // The wheel anywhere in the window moves the list's selection: a turn toward the user selects the
    // next row, away from the user the previous one. The editors of the pane scroll their text and
    // keep the turn to themselves.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != this)
        return false;
    const auto* wheel = static_cast<QWheelEvent*>(event);
    for (const QWidget* editor : pane_->Editors()) {
        if (editor->isVisible() && editor->rect().contains(editor->mapFromGlobal(wheel->globalPosition().toPoint())))
            // The editor scrolls; a turn it leaves unused stops at its parents.
            return !(widget == editor || editor->isAncestorOf(widget));
    }
    const int delta = wheel->angleDelta().y();
    if (delta != 0)
        SelectNextItem(delta < 0);
    return true;
}

void TfrmBX::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (firstShow_ && modes_ != nullptr) {
        firstShow_ = false;
        modes_->OnFirstShow();
        // The window manager knows the window now: its above state is set on it.
        modes_->ApplyStacking();
    }
    if (pane_->Stale() && !isMinimized())
        UpdateMagView();
}

void TfrmBX::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    Guard([this, event] { OnWindowChange(event); });
}

void TfrmBX::OnWindowChange(QEvent* event) {
    if (modes_ != nullptr)
        modes_->OnStateChange(event);
    if (event->type() == QEvent::PaletteChange && wiring_ != nullptr) {
        // The window hears of a new palette before its parts: the tree's colours come from the window's.
        wiring_->ShowThemeColors();
        // The collection button is drawn on the button face.
        if (const clipstore::TClipColl* shown = core_->ClipList().Coll(); shown != nullptr)
            commands_->ShowCollectionImage(shown->ImageIndex);
    }
    if (event->type() == QEvent::WindowStateChange && pane_->Stale() && isVisible() && !isMinimized())
        UpdateMagView();
    if (event->type() != QEvent::ActivationChange || isActiveWindow() || core_ == nullptr || Selection() == nullptr)
        return;
    // Leaving the program: an edit of the shown clip is written back and goes on the clipboard, so that
    // the other program pastes the edited text. Without an edit the clipboard is left alone (it may hold
    // what was just copied out of the editor).
    const int editsBefore = core_->Settings().Edits;
    RescueEditing();
    if (core_->Settings().Edits == editsBefore)
        return;
    // A pinned pane's clip is the one the user worked on: it becomes the current clip.
    if (Selection()->Pinned && Selection()->EditClip != nullptr)
        core_->SetCurrentClip(Selection()->EditClip);
    if (core_->CurrentClip() != nullptr)
        core_->CopyItem(core_->CurrentClip());
}

void TfrmBX::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (modes_ != nullptr)
        Guard([this] { modes_->OnResize(); });
    pane_->FitImage();
}

// ---------------------------------------------------------------------------------------------------
// The preview pane and the layout

void TfrmBX::UpdateMagView() {
    if (pane_->UpdateMagView())
        UpdateCaption();
}

void TfrmBX::OnClipShown(const TClipObj* clip) {
    HCSelectItem_->ShowClip(QString::fromStdString(clip->Title), lvClips_->FormatImages(clip));
}

void TfrmBX::RescueEditing() {
    pane_->RescueEditing();
}

void TfrmBX::SetPinned(bool pinned) {
    pane_->SetPinned(pinned);
}

bool TfrmBX::Pinned() const {
    return pane_->Pinned();
}

QString TfrmBX::StatusPanel(int panel) const {
    return status_->Text(panel);
}

QTableView* TfrmBX::List() const {
    return lvClips_;
}

void TfrmBX::UpdateCaption() {
    const clipstore::TClipColl* coll = core_ != nullptr ? core_->ClipList().Coll() : nullptr;
    const TClipObj* clip = core_ != nullptr ? core_->CurrentClip() : nullptr;
    captions_ = shell::TWindowModes::Captions(coll != nullptr ? &coll->Title : nullptr,
                                              clip != nullptr ? &clip->Title : nullptr,
                                              core_ == nullptr || core_->Settings().UseCollTitle);
    // Under X11 the caption is what the taskbar shows: the window carries the application title.
    const QString title = QString::fromStdString(captions_.Application);
    if (windowTitle() != title) {
        setWindowTitle(title);
        setWindowIconText(title);
        CaptionChanged.Emit();
    }
    tray_->SetTip(QString::fromStdString(captions_.TrayTip));
}

// ---------------------------------------------------------------------------------------------------
// The views and modes

void TfrmBX::ShowMe() {
    if (core_ == nullptr || core_->SuppressListEvents())
        return;
    if (shell::TWindowModes* modes = WindowModes())
        modes->WasMinimized = modes->AppMinimized || isMinimized() || !isVisible();
    BringToFront();
    // The window answers a hot key: the request carries the press's time, so that the window manager's
    // focus-stealing prevention lets it take the focus.
    if (desktop_ != nullptr)
        desktop_->HotKeys().ActivateForLastPress(winId());
    modes_->ApplyStacking();
}

void TfrmBX::ExplorerClick() {
    if (core_ != nullptr && core_->FlashpickActive())
        EndFlashpickRequested.Emit();
    SwitchView();
}

void TfrmBX::SetMainToolbarCollapsed(bool collapsed) {
    if (toolbarTab_->Expanded() == !collapsed)
        return;
    toolbarTab_->SetExpanded(!collapsed);
    modes_->ToolbarToggled();
}

bool TfrmBX::MainToolbarCollapsed() const {
    return !toolbarTab_->Expanded();
}

void TfrmBX::CollapseToolbarArea(bool collapse) {
    toolbar_->setEnabled(!collapse);
    toolbar_->setMaximumHeight(collapse ? 1 : QWIDGETSIZE_MAX);
    if (!collapse)
        modes_->ToolbarToggled();
}

bool TfrmBX::WasMinimized() const {
    return WindowModes() != nullptr && WindowModes()->WasMinimized;
}

} // namespace bx::explorer
