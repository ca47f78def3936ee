#include "TFlashpickPanel.h"

#include "TAppSettings.h"
#include "TBrindlexCore.h"
#include "TClipColl.h"
#include "TClipListModel.h"
#include "TClipObj.h"
#include "TClipTableModel.h"
#include "TClipTitleDelegate.h"
#include "TCollectionTree.h"
#include "TFlashpick.h"
#include "TWindowGuard.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace bx::explorer {

using pastetools::TFlashpick;
using shell::TClipListModel;

namespace {

QToolButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QString& tip) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(text);
    button->setToolTip(tip);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return button;
}

} // namespace

TFlashpickPanel::TFlashpickPanel(QWidget* parent) : QWidget(parent) {
    setObjectName("pnlFlashpick");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    pnlFPAlternate_ = new QLabel(this);
    pnlFPAlternate_->setObjectName("pnlFPAlternate");
    pnlFPAlternate_->setFrameShape(QFrame::Panel);
    pnlFPAlternate_->setFrameShadow(QFrame::Raised);
    layout->addWidget(pnlFPAlternate_);

    lvFP_ = new QTableView(this);
    lvFP_->setObjectName("lvFP");
    lvFP_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvFP_->setSelectionMode(QAbstractItemView::SingleSelection);
    // The clips of the alternate list are picked here, never edited.
    lvFP_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvFP_->setShowGrid(false);
    lvFP_->setWordWrap(false);
    lvFP_->verticalHeader()->hide();
    lvFP_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lvFP_->verticalHeader()->setDefaultSectionSize(std::max(fontMetrics().height(), 16) + 2);
    lvFP_->horizontalHeader()->setSectionsClickable(true);
    lvFP_->horizontalHeader()->setHighlightSections(false);
    lvFP_->horizontalHeader()->setMinimumSectionSize(TClipListModel::FormatColumnWidth);
    lvFP_->installEventFilter(this);
    lvFP_->viewport()->installEventFilter(this);
    layout->addWidget(lvFP_, 1);
    connect(lvFP_, &QAbstractItemView::doubleClicked, this,
            [this] { Guard([this] { flashpick_->ProcessFlashpickSelection(); }); });
    connect(lvFP_->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this] { Guard([this] { flashpick_->AlternateList().PickListColumnClick(); }); });

    BuildToolbar();
    cmdFPLock_ = MakeButton(this, "cmdFPLock", "FP", "Lock Flashpick open");
    cmdFPLock_->setCheckable(true);
    cmdFPLock_->hide();
    connect(cmdFPLock_, &QToolButton::clicked, this,
            [this](bool down) { Guard([this, down] { flashpick_->cmdFPLockClick(down); }); });
    ShowFPPanel(false);
}

TFlashpickPanel::~TFlashpickPanel() {
    Attach(nullptr, nullptr);
}

void TFlashpickPanel::BuildToolbar() {
    Toolbar3_ = new QToolBar(this);
    Toolbar3_->setObjectName("Toolbar3");
    Toolbar3_->setMovable(false);
    Toolbar3_->setFixedHeight(Toolbar3Height);
    Toolbar3_->hide();

    cmdFlashpickSetAlternate_ =
        MakeButton(Toolbar3_, "cmdFlashpickSetAlternate", "Set", "Set the alternate collection");
    setMenu_ = new QMenu(cmdFlashpickSetAlternate_);
    setMenu_->setObjectName("mnuFPAlternate");
    cmdFlashpickSetAlternate_->setMenu(setMenu_);
    cmdFlashpickSetAlternate_->setPopupMode(QToolButton::InstantPopup);
    connect(setMenu_, &QMenu::aboutToShow, this, [this] { FillSetMenu(); });
    Toolbar3_->addWidget(cmdFlashpickSetAlternate_);
    Toolbar3_->addSeparator();

    cmdFPTab_ = MakeButton(Toolbar3_, "cmdFPTab", "Tab", "Send Tab to the target after pasting");
    cmdFPEnter_ = MakeButton(Toolbar3_, "cmdFPEnter", "Enter", "Send Enter to the target after pasting");
    chkFPStickyButtons_ = new QCheckBox("Sticky?", Toolbar3_);
    chkFPStickyButtons_->setObjectName("chkFPStickyButtons");
    chkFPStickyButtons_->setToolTip("Tab and Enter stay down and follow every paste");
    chkFPStickyButtons_->installEventFilter(this);
    cmdFPPasteIt_ = MakeButton(Toolbar3_, "cmdFPPasteIt", "Paste", "Paste and keep Flashpick open");
    cmdFPHelp_ = MakeButton(Toolbar3_, "cmdFPHelp", "?", "Flashpick help");
    for (QWidget* widget : std::initializer_list<QWidget*>{cmdFPTab_, cmdFPEnter_, chkFPStickyButtons_})
        Toolbar3_->addWidget(widget);
    Toolbar3_->addSeparator();
    Toolbar3_->addWidget(cmdFPPasteIt_);
    Toolbar3_->addWidget(cmdFPHelp_);

    connect(cmdFPTab_, &QToolButton::clicked, this,
            [this](bool down) { Guard([this, down] { flashpick_->cmdFPTabClick(down); }); });
    connect(cmdFPEnter_, &QToolButton::clicked, this,
            [this](bool down) { Guard([this, down] { flashpick_->cmdFPEnterClick(down); }); });
    // Only the user's click: setting the box from the settings changes nothing.
    connect(chkFPStickyButtons_, &QCheckBox::clicked, this,
            [this](bool sticky) { Guard([this, sticky] { flashpick_->chkFPStickyButtonsClick(sticky); }); });
    connect(cmdFPPasteIt_, &QToolButton::clicked, this, [this] { Guard([this] { flashpick_->cmdFPPasteItClick(); }); });
    connect(cmdFPHelp_, &QToolButton::clicked, this, &TFlashpickPanel::HelpRequested);
}

void TFlashpickPanel::Guard(const std::function<void()>& handler) {
    if (flashpick_ != nullptr)
        TWindowGuard::Run(core_, handler);
}

void TFlashpickPanel::Attach(TFlashpick* flashpick, shell::TBrindlexCore* core) {
    subscriptions_.clear();
    if (model_ != nullptr) {
        lvFP_->setModel(nullptr);
        lvFP_->setItemDelegateForColumn(TClipListModel::ColTitle, nullptr);
        delete model_;
        delete titleDelegate_;
        model_ = nullptr;
        titleDelegate_ = nullptr;
    }
    flashpick_ = flashpick;
    core_ = core;
    if (flashpick_ == nullptr || core_ == nullptr) {
        flashpick_ = nullptr;
        core_ = nullptr;
        pnlFPAlternate_->clear();
        return;
    }
    TClipListModel& list = flashpick_->AlternateList();
    model_ = new TClipTableModel(list, this);
    model_->SetShowTypeIcons(core_->Settings().ShowTypeIcons);
    lvFP_->setModel(model_);
    titleDelegate_ = new TClipTitleDelegate(this);
    lvFP_->setItemDelegateForColumn(TClipListModel::ColTitle, titleDelegate_);
    for (int column = 0; column < TClipListModel::ColumnCount; ++column)
        lvFP_->horizontalHeader()->resizeSection(column,
                                                 TClipListModel::ColumnWidths[static_cast<std::size_t>(column)]);
    connect(lvFP_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { Guard([this] { OnViewSelectionChanged(); }); });
    subscriptions_.push_back(list.RowsReset.Subscribe([this] { ListReset(); }));
    subscriptions_.push_back(list.SelectionChanged.Subscribe([this] { SyncSelection(); }));
    subscriptions_.push_back(flashpick_->AlternateChanged.Subscribe([this] { ShowAlternate(); }));
    subscriptions_.push_back(flashpick_->ButtonsChanged.Subscribe([this] { ShowButtonStates(); }));
    ListReset();
    ShowAlternate();
    ShowButtonStates();
    cmdFPLock_->setChecked(core_->Settings().FPLock);
}

void TFlashpickPanel::ShowButtonStates() {
    const shell::TAppSettings& settings = core_->Settings();
    const bool sticky = settings.FPStickyButtons;
    chkFPStickyButtons_->setChecked(sticky);
    cmdFPTab_->setCheckable(sticky);
    cmdFPEnter_->setCheckable(sticky);
    cmdFPTab_->setChecked(sticky && settings.FPTabButtonDown);
    cmdFPEnter_->setChecked(sticky && settings.FPEnterButtonDown);
}

void TFlashpickPanel::ShowAlternate() {
    pnlFPAlternate_->setText(QString::fromStdString(flashpick_->AlternateTitle()));
}

void TFlashpickPanel::FillSetMenu() {
    setMenu_->clear();
    if (core_ == nullptr)
        return;
    if (FillSetMenuWith) {
        Guard([this] { FillSetMenuWith(*setMenu_); });
        return;
    }
    const shell::TCollectionTree& tree = core_->Tree();
    for (std::size_t i = 0; i < tree.Count(); ++i) {
        const shell::TCollectionTree::Node& node = tree.At(i);
        if (node.Coll == nullptr)
            continue;
        const QString indent(node.Level * 4, QChar(' '));
        QAction* action = setMenu_->addAction(indent + QString::fromStdString(node.Coll->Title));
        action->setCheckable(true);
        action->setChecked(node.Coll == flashpick_->AlternateColl());
        const int index = static_cast<int>(i);
        connect(action, &QAction::triggered, this,
                [this, index] { Guard([this, index] { flashpick_->mnuSetFPAlternate(index); }); });
    }
}

void TFlashpickPanel::ListReset() {
    if (model_ == nullptr)
        return;
    syncing_ = true;
    model_->Reset();
    syncing_ = false;
    // Filling and sorting reset the list in a row: where the titles start is worked out when it is drawn.
    formatIconsStale_ = true;
    const clipstore::TClipColl* coll = flashpick_->AlternateColl();
    QHeaderView* header = lvFP_->horizontalHeader();
    header->setSortIndicatorShown(coll != nullptr);
    // The arrows are drawn the other way round, as in the clip list: up for a descending list.
    if (coll != nullptr)
        header->setSortIndicator(coll->SortColumn, flashpick_->AlternateList().SortAscending() ? Qt::DescendingOrder
                                                                                               : Qt::AscendingOrder);
    SyncSelection();
}

void TFlashpickPanel::UpdateFormatIconRoom() {
    if (!formatIconsStale_ || flashpick_ == nullptr || titleDelegate_ == nullptr)
        return;
    formatIconsStale_ = false;
    // The widest row of format images decides where every title starts.
    const TClipListModel& list = flashpick_->AlternateList();
    int maxIcons = 0;
    for (std::size_t row = 0; row < list.Count(); ++row)
        if (const clipstore::TClipObj* clip = list.Clip(row); clip != nullptr)
            maxIcons = std::max(maxIcons, TClipListModel::FormatIconCount(*clip));
    titleDelegate_->SetMaxFormatIcons(maxIcons);
}

void TFlashpickPanel::SyncSelection() {
    if (model_ == nullptr || syncing_)
        return;
    const TClipListModel& list = flashpick_->AlternateList();
    syncing_ = true;
    QItemSelectionModel* selection = lvFP_->selectionModel();
    selection->clearSelection();
    const int last = TClipListModel::ColumnCount - 1;
    for (std::size_t row = 0; row < list.Count(); ++row)
        if (list.IsSelected(row))
            selection->select(
                QItemSelection(model_->index(static_cast<int>(row), 0), model_->index(static_cast<int>(row), last)),
                QItemSelectionModel::Select);
    if (list.FocusedRow() >= 0) {
        const QModelIndex focused = model_->index(list.FocusedRow(), 0);
        selection->setCurrentIndex(focused, QItemSelectionModel::NoUpdate);
        lvFP_->scrollTo(focused);
    }
    syncing_ = false;
}

void TFlashpickPanel::OnViewSelectionChanged() {
    if (syncing_ || model_ == nullptr)
        return;
    std::vector<std::size_t> rows;
    for (const QModelIndex& index : lvFP_->selectionModel()->selectedRows())
        rows.push_back(static_cast<std::size_t>(index.row()));
    std::sort(rows.begin(), rows.end());
    const QModelIndex current = lvFP_->selectionModel()->currentIndex();
    syncing_ = true;
    flashpick_->AlternateList().SetSelection(rows, current.isValid() ? current.row() : -1);
    syncing_ = false;
}

void TFlashpickPanel::ShowFPPanel(bool on) {
    setVisible(on);
    setMaximumHeight(on ? QWIDGETSIZE_MAX : 0);
    cmdFlashpickSetAlternate_->setEnabled(on);
}

void TFlashpickPanel::ShowToolbar3(bool show) {
    Toolbar3_->setVisible(show);
}

void TFlashpickPanel::ShowLockButton(bool visible, bool down) {
    cmdFPLock_->setChecked(down);
    cmdFPLock_->setVisible(visible);
}

bool TFlashpickPanel::LockDown() const {
    return cmdFPLock_->isChecked();
}

void TFlashpickPanel::SuspendRepaint(bool suspend) {
    lvFP_->setUpdatesEnabled(!suspend);
}

void TFlashpickPanel::FocusFP() {
    lvFP_->setFocus(Qt::OtherFocusReason);
}

bool TFlashpickPanel::eventFilter(QObject* watched, QEvent* event) {
    const bool used = TWindowGuard::Filter(core_, [&] {
        if (flashpick_ == nullptr)
            return false;
        if (event->type() == QEvent::Paint && watched == lvFP_->viewport()) {
            UpdateFormatIconRoom();
            return false;
        }
        if (event->type() == QEvent::FocusIn && watched == lvFP_) {
            flashpick_->lvClipsEnter(TFlashpick::TFPList::FP);
            return false;
        }
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape && flashpick_->FPActive()) {
            flashpick_->EscapePressed();
            return true;
        }
        if (watched == lvFP_ && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            flashpick_->ProcessFlashpickSelection();
            return true;
        }
        return false;
    });
    return used || QWidget::eventFilter(watched, event);
}

} // namespace bx::explorer
