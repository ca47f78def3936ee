#include "TfrmBX.h"

#include "IDesktop.h"
#include "StatusLevels.h"
#include "TAppSettings.h"
#include "TAutostart.h"
#include "TBrindlexCore.h"
#include "TClipColl.h"
#include "TClipFilter.h"
#include "TClipListActions.h"
#include "TClipListModel.h"
#include "TClipListSelection.h"
#include "TClipListView.h"
#include "TClipObj.h"
#include "TCollapseTab.h"
#include "TCollectionCommands.h"
#include "TCollectionCycle.h"
#include "TCollectionMenu.h"
#include "TCollectionMoves.h"
#include "TCollectionTree.h"
#include "TCollectionTreeModel.h"
#include "TDropDownBar.h"
#include "TEditPaneActions.h"
#include "TFilterBox.h"
#include "TFind.h"
#include "TFindEditor.h"
#include "TFlashpick.h"
#include "TFlashpickPanel.h"
#include "TFlashpickWindow.h"
#include "TGlueControl.h"
#include "TImageLists.h"
#include "TQtCollectionDialogs.h"
#include "TSelectItemBar.h"
#include "TStatusLine.h"
#include "TThemeColors.h"
#include "TTransformCommands.h"
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
using shell::TClipListModel;

// Hands every wheel event of the program to the window first.
class TfrmBX::TWheelFilter : public QObject {
public:
    explicit TWheelFilter(TfrmBX* window) : window_(window) {}
    bool eventFilter(QObject* watched, QEvent* event) override { return window_->WheelTurned(watched, event); }

private:
    TfrmBX* window_;
};

TfrmBX::TfrmBX() {
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
    if (core_ != nullptr) {
        editActions_.reset();
        transforms_.reset();
        listActions_.reset();
        moves_.reset();
        filterBox_->Attach(nullptr, nullptr);
        glue_.reset();
        lvClips_->SetFilter(nullptr);
        filter_.reset();
        find_.reset();
        findEditor_.reset();
        lvClips_->Detach();
        coreSubscriptions_.clear();
        modes_->SetCore(false);
        pane_->SetCore(nullptr, nullptr);
        selection_.reset();
        delete collMenu_;
        collMenu_ = nullptr;
        collCommands_.reset();
        tvCollections_->setModel(nullptr);
        delete treeModel_;
        treeModel_ = nullptr;
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
    // Back from the tray, a shrunk strip expands.
    coreSubscriptions_.push_back(tray_->CameBack.Subscribe([this] { ExpandIfShrunk(); }));
    shell::TAppSettings& settings = core_->Settings();
    // The user's own collection icons join the program's.
    if (!settings.ProgramDir.empty())
        TImageLists::Reload(settings.ProgramDir + "buttons/");
    core_->SetHtmlViewerAvailable(settings.UseIEBrowser);
    selection_ = std::make_unique<shell::TClipListSelection>(*core_, *desktop_);
    coreSubscriptions_.push_back(selection_->PreviewStale.Subscribe([this] { UpdateMagView(); }));
    coreSubscriptions_.push_back(selection_->EditLeaving.Subscribe([this] { RescueEditing(); }));
    coreSubscriptions_.push_back(selection_->SelectionSeen.Subscribe([this] {
        lvClips_->SyncSelection();
        commands_->SelectionChanged(core_->ClipList().SelectedCount());
    }));

    lvClips_->Attach(*core_, *desktop_, *selection_);
    // The filter's helper thread asks for its hits to be taken in on the window's thread.
    filter_ = std::make_unique<shell::TClipFilter>(core_->ClipList(), [this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                Guard([this] {
                    if (filter_ != nullptr)
                        filter_->Poll();
                });
            },
            Qt::QueuedConnection);
    });
    coreSubscriptions_.push_back(filter_->RowsChanged.Subscribe([this] { lvClips_->FilterChanged(); }));
    lvClips_->SetFilter(filter_.get());
    filterBox_->Attach(lvClips_, filter_.get());
    find_ = std::make_unique<shell::TFind>(*core_);
    findEditor_ = std::make_unique<TFindEditor>(*pane_->TextEditor());
    find_->SetEditor(findEditor_.get());
    // The optional buttons stay hidden when the bar is expanded again.
    commands_->SearchButton()->setVisible(settings.ShowSearch);
    commands_->NoCrlfButton()->setVisible(settings.ShowNOCRLF);
    coreSubscriptions_.push_back(core_->ClipList().RowsReset.Subscribe([this] { OnListReset(); }));
    coreSubscriptions_.push_back(
        core_->ClipList().RowInserted.Subscribe([this](std::size_t row) { lvClips_->RowInserted(row); }));

    treeModel_ = new TCollectionTreeModel(core_->Tree(), this);
    treeModel_->SetDivertColor(TThemeColors(palette()).DivertingCollection());
    tvCollections_->setModel(treeModel_);
    connect(tvCollections_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { Guard([this] { OnTreeCurrentChanged(); }); });
    coreSubscriptions_.push_back(core_->Tree().Changed.Subscribe([this] { OnTreeChanged(); }));
    collCommands_ = std::make_unique<shell::TCollectionCommands>(*core_, *collDialogs_);
    collMenu_ = new TCollectionMenu(*tvCollections_, *treeModel_, *core_, *collCommands_);
    TWindowHelp::SetContext(*tvCollections_, shell::THelpTopics::CollectionTree);
    collMenu_->SetWhatsThis([this] { help_->WhatsThis(tvCollections_); });
    moves_ = std::make_unique<TCollectionMoves>(*this, *core_, *desktop_);
    listActions_ = std::make_unique<TClipListActions>(*this, *lvClips_, *core_, *desktop_, *selection_);
    editActions_ = std::make_unique<TEditPaneActions>(*this, *pane_->TextPage(), *lvClips_, *core_, *desktop_,
                                                      *selection_, *collDialogs_);
    // The pane's transformation buttons are there while the editor holds a line.
    connect(editActions_.get(), &TEditPaneActions::TransformsEnabled, this, [this](bool enabled) {
        for (const auto command : {TWindowCommands::CaseCycle, TWindowCommands::ShiftLeft, TWindowCommands::ShiftRight,
                                   TWindowCommands::PaneRemoveLineBreaks})
            commands_->Action(command)->setEnabled(enabled);
    });

    HCSelectItem_->SetShowTypeIcons(settings.ShowTypeIcons);
    pane_->SetCore(core_, selection_.get());
    transforms_ = std::make_unique<pastetools::TTransformCommands>(*core_, *selection_, desktop_->Keyboard(), *pane_);
    commands_->Action(TWindowCommands::WordWrap)->setChecked(settings.WrapText);
    if (settings.split1 > 0 && settings.split2 > 0) {
        Splitter1_->setSizes({settings.split1, std::max(width() - settings.split1, 100)});
        splitter2_->setSizes({settings.split2, std::max(height() - settings.split2, 100)});
    }
    connect(Splitter1_, &QSplitter::splitterMoved, this, [this] { SplitterMoved(false); });
    connect(splitter2_, &QSplitter::splitterMoved, this, [this] { SplitterMoved(true); });
    OnTreeChanged();
    OnListReset();
    // The views and modes: the stored view comes up at the start; its geometry is recorded at the end,
    // before the settings are written.
    modes_->SetCore(true);
    coreSubscriptions_.push_back(core_->Events().Started.Subscribe([this] { modes_->Start(); }));
    coreSubscriptions_.push_back(core_->Events().ShuttingDown.Subscribe([this] { modes_->RecordPosition(); }));
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
    if (editActions_ != nullptr)
        editActions_->SetPasteEnabled(enabled);
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

// ---------------------------------------------------------------------------------------------------
// The collection tree and the clip list

void TfrmBX::OnTreeChanged() {
    if (treeModel_ == nullptr || core_ == nullptr)
        return;
    const shell::TCollectionTree& tree = core_->Tree();
    syncing_ = true;
    treeModel_->Rebuild();
    for (std::size_t i = 0; i < tree.Count(); ++i)
        if (tree.At(i).Expanded)
            tvCollections_->expand(treeModel_->IndexOfNode(static_cast<int>(i)));
    syncing_ = false;
    SyncTreeSelection();
}

void TfrmBX::SyncTreeSelection() {
    if (treeModel_ == nullptr || core_ == nullptr)
        return;
    const QModelIndex index = treeModel_->IndexOfNode(core_->Tree().Selected());
    if (tvCollections_->currentIndex() == index)
        return;
    syncing_ = true;
    tvCollections_->setCurrentIndex(index);
    syncing_ = false;
}

void TfrmBX::OnTreeCurrentChanged() {
    if (syncing_ || core_ == nullptr)
        return;
    const int node = TCollectionTreeModel::NodeOf(tvCollections_->currentIndex());
    if (node < 0 || node == core_->Tree().Selected())
        return;
    core_->Tree().Select(node);
    rightPart_->setVisible(core_->ClipList().Coll() != nullptr);
    UpdateCaption();
}

void TfrmBX::OnListReset() {
    if (core_ == nullptr || !lvClips_->Reset())
        return;
    const TClipListModel& list = core_->ClipList();
    rightPart_->setVisible(list.Coll() != nullptr || core_->Tree().Selected() < 0);
    lvClips_->ShowSortArrow();
    // The collection button shows the icon of the collection shown last.
    if (list.Coll() != nullptr) {
        commands_->ShowCollectionImage(list.Coll()->ImageIndex);
    }
    lvClips_->SyncSelection();
    SyncTreeSelection();
    UpdateCaption();
    if (core_->HCSelectItemMessageMode())
        HCSelectItem_->ShowMessage(QString::fromStdString(core_->HCSelectItemText()));
}

void TfrmBX::SelectNextItem(bool next) {
    if (selection_ != nullptr)
        selection_->SelectNext(next);
}

void TfrmBX::Guard(const std::function<void()>& handler) {
    TWindowGuard::Run(core_, handler);
}

// ---------------------------------------------------------------------------------------------------
// Relayfeed

void TfrmBX::SetRelayfeed(pastetools::TRelayfeed* relayfeed) {
    relayfeedSubscriptions_.clear();
    relayfeed_ = relayfeed;
    if (relayfeed_ != nullptr) {
        relayfeedSubscriptions_.push_back(relayfeed_->StateChanged.Subscribe([this] { ShowRelayfeedState(); }));
        // A click on a direction lets go of a pinned preview, as the pin's own click would.
        relayfeedSubscriptions_.push_back(relayfeed_->Clicking.Subscribe([this] {
            if (Pinned())
                commands_->Action(TWindowCommands::PinPreview)->setChecked(false);
        }));
        relayfeedSubscriptions_.push_back(relayfeed_->RowAnnounced.Subscribe([this](int row) {
            lvClips_->ScrollToListRow(row);
            // The pane shows the run's clip; an edit of the one it showed is written back first.
            if (selection_ != nullptr && !Pinned()) {
                RescueEditing();
                selection_->EditClip = core_ != nullptr ? core_->CurrentClip() : nullptr;
            }
            UpdateMagView();
        }));
    }
    ShowRelayfeedState();
}

void TfrmBX::RelayfeedClick(pastetools::TRelayfeed::TRFDirection direction) {
    // Setting the marks from the run's state toggles the actions: that is no click.
    if (rfSyncing_)
        return;
    if (relayfeed_ != nullptr)
        relayfeed_->RFClick(direction);
    ShowRelayfeedState();
}

void TfrmBX::ShowRelayfeedState() {
    using Dir = pastetools::TRelayfeed::TRFDirection;
    const Dir direction = relayfeed_ != nullptr ? relayfeed_->RFDirection() : Dir::None;
    rfSyncing_ = true;
    commands_->Action(TWindowCommands::RelayfeedUp)->setChecked(direction == Dir::Up);
    commands_->Action(TWindowCommands::RelayfeedDown)->setChecked(direction == Dir::Down);
    rfSyncing_ = false;
}

void TfrmBX::SetGlue(pastetools::TGlue* glue) {
    glue_.reset();
    if (glue != nullptr && core_ != nullptr)
        glue_ = std::make_unique<TGlueControl>(*this, *lvClips_, *core_, *glue);
}

// ---------------------------------------------------------------------------------------------------
// Flashpick

void TfrmBX::SetFlashpick(pastetools::TFlashpick* flashpick) {
    fpWindow_.reset();
    if (fpPanel_ != nullptr)
        fpPanel_->Attach(nullptr, nullptr);
    flashpick_ = core_ != nullptr ? flashpick : nullptr;
    if (flashpick_ == nullptr)
        return;
    if (fpPanel_ == nullptr) {
        // The pick layout's parts: the panel below the list (in the preview pane's place while shown),
        // Toolbar3 in a row of its own under the main toolbar, the lock beside the tack.
        fpPanel_ = new TFlashpickPanel(splitter2_);
        fpPanel_->setObjectName("pnlFlashpick");
        splitter2_->addWidget(fpPanel_);
        addToolBarBreak(Qt::TopToolBarArea);
        addToolBar(Qt::TopToolBarArea, fpPanel_->Toolbar3());
        status_->AddButton(fpPanel_->LockButton());
        ConnectFlashpickHelp();
    }
    fpPanel_->Attach(flashpick_, core_);
    fpPanel_->ShowFPPanel(false);
    fpPanel_->ShowToolbar3(false);
    fpPanel_->ShowLockButton(false, false);
    commands_->Action(TWindowCommands::ShowFPAlternates)->setChecked(core_->Settings().ShowFPAlternates);
    fpWindow_ = std::make_unique<TFlashpickWindow>(*this, *fpPanel_, *flashpick_);
}

void TfrmBX::ConnectFlashpickHelp() {
    connect(fpPanel_, &TFlashpickPanel::HelpRequested, this,
            [this] { Guard([this] { help_->ShowTopic(shell::THelpTopics::Flashpick); }); });
    TWindowHelp::SetContext(*fpPanel_->Toolbar3(), shell::THelpTopics::Flashpick);
    TWindowHelp::SetContext(*fpPanel_->List(), shell::THelpTopics::FlashpickList);
    help_->GiveWhatsThisMenu(*fpPanel_->Toolbar3());
    help_->GiveWhatsThisMenu(*fpPanel_->List());
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
    if (find_ == nullptr)
        return;
    TfrmFind dialog(
        this, [this] { help_->ShowTopic(shell::THelpTopics::Find); }, BeforeDialog);
    const TNotOnTop below(*this);
    find_->FindClick(dialog, ExplorerView());
}

void TfrmBX::FindNextClick() {
    if (find_ != nullptr)
        find_->FindNextClip();
}

void TfrmBX::FocusFilter() {
    if (filter_ == nullptr)
        return;
    if (!ExplorerView() && !DroppedDown())
        DropDown(true);
    filterBox_->setFocus(Qt::ShortcutFocusReason);
    filterBox_->selectAll();
}

void TfrmBX::ShowFPAlternatesClick() {
    if (flashpick_ != nullptr)
        flashpick_->mnuShowFPAlternatesClick();
}

// ---------------------------------------------------------------------------------------------------
// The window's events

bool TfrmBX::WheelTurned(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Wheel || selection_ == nullptr)
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
    if (event->type() == QEvent::PaletteChange && treeModel_ != nullptr && core_ != nullptr) {
        // The window hears of a new palette before its parts: the tree's colours come from the window's.
        treeModel_->SetDivertColor(TThemeColors(palette()).DivertingCollection());
        // The collection button is drawn on the button face.
        if (const clipstore::TClipColl* shown = core_->ClipList().Coll(); shown != nullptr)
            commands_->ShowCollectionImage(shown->ImageIndex);
    }
    if (event->type() == QEvent::WindowStateChange && pane_->Stale() && isVisible() && !isMinimized())
        UpdateMagView();
    if (event->type() != QEvent::ActivationChange || isActiveWindow() || core_ == nullptr || selection_ == nullptr)
        return;
    // Leaving the program: an edit of the shown clip is written back and goes on the clipboard, so that
    // the other program pastes the edited text. Without an edit the clipboard is left alone (it may hold
    // what was just copied out of the editor).
    const int editsBefore = core_->Settings().Edits;
    RescueEditing();
    if (core_->Settings().Edits == editsBefore)
        return;
    // A pinned pane's clip is the one the user worked on: it becomes the current clip.
    if (selection_->Pinned && selection_->EditClip != nullptr)
        core_->SetCurrentClip(selection_->EditClip);
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

void TfrmBX::ExpandPane(bool expand) {
    if (expand) {
        Splitter1_->setSizes({1, width()});
        splitter2_->setSizes({1, height()});
        return;
    }
    const int split1 = core_ != nullptr && core_->Settings().split1 > 0 ? core_->Settings().split1 : 200;
    const int split2 = core_ != nullptr && core_->Settings().split2 > 0 ? core_->Settings().split2 : height() / 2;
    Splitter1_->setSizes({split1, std::max(width() - split1, 100)});
    splitter2_->setSizes({split2, std::max(height() - split2, 100)});
}

void TfrmBX::SplitterMoved(bool horizontal) {
    if (core_ == nullptr)
        return;
    if (horizontal) {
        // A list pushed to the top keeps a sliver, so that its splitter can be found again.
        int list = splitter2_->sizes().value(0);
        if (list <= MinListHeight) {
            const int total = splitter2_->sizes().value(0) + splitter2_->sizes().value(1);
            list = MinListHeight;
            QSignalBlocker block(splitter2_);
            splitter2_->setSizes({list, std::max(total - list, 0)});
        }
        core_->Settings().split2 = list;
    } else {
        core_->Settings().split1 = Splitter1_->sizes().value(0);
    }
    // Moving either splitter ends the expanded pane.
    QAction* expand = commands_->Action(TWindowCommands::ExpandPreview);
    QSignalBlocker block(expand);
    expand->setChecked(false);
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
