#include "TMainWindowWiring.h"

#include "IDesktop.h"
#include "TAppSettings.h"
#include "TBrindlexCore.h"
#include "TClipColl.h"
#include "TClipFilter.h"
#include "TClipListActions.h"
#include "TClipListModel.h"
#include "TClipListSelection.h"
#include "TClipListView.h"
#include "TCollectionCommands.h"
#include "TCollectionMenu.h"
#include "TCollectionMoves.h"
#include "TCollectionTree.h"
#include "TCollectionTreeModel.h"
#include "TEditPaneActions.h"
#include "TFilterBox.h"
#include "TFind.h"
#include "TFindEditor.h"
#include "TQtCollectionDialogs.h"
#include "TSelectItemBar.h"
#include "TThemeColors.h"
#include "TTransformCommands.h"
#include "TTrayIcon.h"
#include "TWindowCommands.h"
#include "TWindowHelp.h"
#include "TfrmBX.h"

#include <QAction>
#include <QTreeView>

namespace bx::explorer {

TMainWindowWiring::TMainWindowWiring(TfrmBX& window, shell::TBrindlexCore& core, platform::IDesktop& desktop)
    : window_(window), core_(core), desktop_(desktop) {
    // Back from the tray, a shrunk strip expands.
    subscriptions_.push_back(window_.tray_->CameBack.Subscribe([this] { window_.ExpandIfShrunk(); }));
    ConnectSelection();
    ConnectFilterAndFind();
    subscriptions_.push_back(core_.ClipList().RowsReset.Subscribe([this] { OnListReset(); }));
    subscriptions_.push_back(
        core_.ClipList().RowInserted.Subscribe([this](std::size_t row) { window_.lvClips_->RowInserted(row); }));
    ConnectTree();
    ConnectActions();
    // The views and modes: the stored view comes up at the start; its geometry is recorded at the end,
    // before the settings are written.
    subscriptions_.push_back(core_.Events().Started.Subscribe([this] { window_.modes_->Start(); }));
    subscriptions_.push_back(core_.Events().ShuttingDown.Subscribe([this] { window_.modes_->RecordPosition(); }));
}

TMainWindowWiring::~TMainWindowWiring() {
    editActions_.reset();
    transforms_.reset();
    listActions_.reset();
    moves_.reset();
    window_.filterBox_->Attach(nullptr, nullptr);
    window_.lvClips_->SetFilter(nullptr);
    filter_.reset();
    find_.reset();
    findEditor_.reset();
    window_.lvClips_->Detach();
    subscriptions_.clear();
    window_.modes_->SetCore(false);
    window_.pane_->SetCore(nullptr, nullptr);
    selection_.reset();
    delete collMenu_;
    collCommands_.reset();
    window_.tvCollections_->setModel(nullptr);
    delete treeModel_;
}

void TMainWindowWiring::ConnectSelection() {
    selection_ = std::make_unique<shell::TClipListSelection>(core_, desktop_);
    subscriptions_.push_back(selection_->PreviewStale.Subscribe([this] { window_.UpdateMagView(); }));
    subscriptions_.push_back(selection_->EditLeaving.Subscribe([this] { window_.RescueEditing(); }));
    subscriptions_.push_back(selection_->SelectionSeen.Subscribe([this] {
        window_.lvClips_->SyncSelection();
        window_.commands_->SelectionChanged(core_.ClipList().SelectedCount());
    }));
    window_.lvClips_->Attach(core_, desktop_, *selection_);
}

void TMainWindowWiring::ConnectFilterAndFind() {
    // The filter's helper thread asks for its hits to be taken in on the window's thread.
    filter_ = std::make_unique<shell::TClipFilter>(core_.ClipList(), [this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                window_.Guard([this] {
                    if (filter_ != nullptr)
                        filter_->Poll();
                });
            },
            Qt::QueuedConnection);
    });
    subscriptions_.push_back(filter_->RowsChanged.Subscribe([this] { window_.lvClips_->FilterChanged(); }));
    window_.lvClips_->SetFilter(filter_.get());
    window_.filterBox_->Attach(window_.lvClips_, filter_.get());
    find_ = std::make_unique<shell::TFind>(core_);
    findEditor_ = std::make_unique<TFindEditor>(*window_.pane_->TextEditor());
    find_->SetEditor(findEditor_.get());
}

void TMainWindowWiring::ConnectTree() {
    QTreeView& tree = *window_.tvCollections_;
    treeModel_ = new TCollectionTreeModel(core_.Tree(), &window_);
    ShowThemeColors();
    tree.setModel(treeModel_);
    connect(tree.selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { window_.Guard([this] { OnTreeCurrentChanged(); }); });
    subscriptions_.push_back(core_.Tree().Changed.Subscribe([this] { OnTreeChanged(); }));
    collCommands_ = std::make_unique<shell::TCollectionCommands>(core_, *window_.collDialogs_);
    collMenu_ = new TCollectionMenu(tree, *treeModel_, core_, *collCommands_);
    TWindowHelp::SetContext(tree, shell::THelpTopics::CollectionTree);
    collMenu_->SetWhatsThis([this] { window_.help_->WhatsThis(window_.tvCollections_); });
}

void TMainWindowWiring::ConnectActions() {
    moves_ = std::make_unique<TCollectionMoves>(window_, core_, desktop_);
    listActions_ = std::make_unique<TClipListActions>(window_, *window_.lvClips_, core_, desktop_, *selection_);
    editActions_ = std::make_unique<TEditPaneActions>(window_, *window_.pane_->TextPage(), *window_.lvClips_, core_,
                                                      desktop_, *selection_, *window_.collDialogs_);
    // The pane's transformation buttons are there while the editor holds a line.
    connect(editActions_.get(), &TEditPaneActions::TransformsEnabled, this, [this](bool enabled) {
        for (const auto command : {TWindowCommands::CaseCycle, TWindowCommands::ShiftLeft, TWindowCommands::ShiftRight,
                                   TWindowCommands::PaneRemoveLineBreaks})
            window_.commands_->Action(command)->setEnabled(enabled);
    });
    window_.pane_->SetCore(&core_, selection_.get());
    transforms_ =
        std::make_unique<pastetools::TTransformCommands>(core_, *selection_, desktop_.Keyboard(), *window_.pane_);
}

void TMainWindowWiring::ShowThemeColors() {
    treeModel_->SetDivertColor(TThemeColors(window_.palette()).DivertingCollection());
}

void TMainWindowWiring::OnTreeChanged() {
    if (treeModel_ == nullptr)
        return;
    const shell::TCollectionTree& tree = core_.Tree();
    syncing_ = true;
    treeModel_->Rebuild();
    for (std::size_t i = 0; i < tree.Count(); ++i)
        if (tree.At(i).Expanded)
            window_.tvCollections_->expand(treeModel_->IndexOfNode(static_cast<int>(i)));
    syncing_ = false;
    SyncTreeSelection();
}

void TMainWindowWiring::SyncTreeSelection() {
    if (treeModel_ == nullptr)
        return;
    const QModelIndex index = treeModel_->IndexOfNode(core_.Tree().Selected());
    if (window_.tvCollections_->currentIndex() == index)
        return;
    syncing_ = true;
    window_.tvCollections_->setCurrentIndex(index);
    syncing_ = false;
}

void TMainWindowWiring::OnTreeCurrentChanged() {
    if (syncing_)
        return;
    const int node = TCollectionTreeModel::NodeOf(window_.tvCollections_->currentIndex());
    if (node < 0 || node == core_.Tree().Selected())
        return;
    core_.Tree().Select(node);
    window_.rightPart_->setVisible(core_.ClipList().Coll() != nullptr);
    window_.UpdateCaption();
}

void TMainWindowWiring::OnListReset() {
    if (!window_.lvClips_->Reset())
        return;
    const shell::TClipListModel& list = core_.ClipList();
    window_.rightPart_->setVisible(list.Coll() != nullptr || core_.Tree().Selected() < 0);
    window_.lvClips_->ShowSortArrow();
    // The collection button shows the icon of the collection shown last.
    if (list.Coll() != nullptr) {
        window_.commands_->ShowCollectionImage(list.Coll()->ImageIndex);
    }
    window_.lvClips_->SyncSelection();
    SyncTreeSelection();
    window_.UpdateCaption();
    if (core_.HCSelectItemMessageMode())
        window_.HCSelectItem_->ShowMessage(QString::fromStdString(core_.HCSelectItemText()));
}

} // namespace bx::explorer
