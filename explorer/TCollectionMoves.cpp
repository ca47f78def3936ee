#include "TCollectionMoves.h"

#include "IDesktop.h"
#include "TBrindlexCore.h"
#include "TClipListView.h"
#include "TFlashpick.h"
#include "TFlashpickPanel.h"
#include "TImages.h"
#include "TTreeDropFilter.h"
#include "TWindowGuard.h"
#include "TfrmBX.h"

#include <QAction>
#include <QMenu>
#include <QScreen>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

namespace bx::explorer {

TCollectionMoves::TCollectionMoves(TfrmBX& window, shell::TBrindlexCore& core, platform::IDesktop& desktop)
    : window_(window), core_(core), mover_(core, desktop.Keyboard()),
      pickMenu_(core, mover_, [this](int node) { SetAlternate(node); }),
      switch_(core, [this](int node) { SetAlternate(node); }), drag_(core), menu_(std::make_unique<QMenu>()) {
    menu_->setObjectName("PopupMenuPick");
    dropFilter_ = std::make_unique<TTreeDropFilter>(*window.Tree(), core, drag_, mover_);
    if (auto* list = dynamic_cast<TClipListView*>(window.List()))
        list->Dragging = [this](bool started) {
            if (started)
                drag_.StartDrag(-1);
            else
                drag_.EndDrag();
        };
    if (QToolBar* bar = window.MainToolbar()) {
        AttachDropDown(bar->findChild<QToolButton*>("cmdMoveItem"), shell::TPickMenu::PurposeFile);
        AttachDropDown(bar->findChild<QToolButton*>("cmdCollection"), shell::TPickMenu::PurposeShow);
    }
    if (TFlashpickPanel* panel = window.FlashpickPanel())
        panel->FillSetMenuWith = [this](QMenu& menu) { FillMenu(menu, shell::TPickMenu::PurposeAlternate); };
}

TCollectionMoves::~TCollectionMoves() {
    if (auto* list = dynamic_cast<TClipListView*>(window_.List()))
        list->Dragging = nullptr;
    if (TFlashpickPanel* panel = window_.FlashpickPanel())
        panel->FillSetMenuWith = nullptr;
    for (const QPointer<QMenu>& menu : dropDowns_)
        delete menu.data();
}

int TCollectionMoves::LinesPerColumn() const {
    const QScreen* screen = window_.screen();
    const int line = menu_->fontMetrics().height() + 6;
    return screen != nullptr && line > 0 ? screen->availableGeometry().height() / line - 4 : 0;
}

void TCollectionMoves::SetAlternate(int node) {
    if (window_.Flashpick() != nullptr)
        window_.Flashpick()->mnuSetFPAlternate(node);
}

void TCollectionMoves::AddItems(QMenu& menu, const std::vector<shell::TPickMenu::Item>& items) {
    for (const shell::TPickMenu::Item& item : items) {
        const QIcon icon(TImages::CollectionImage(item.Image));
        if (item.Submenu) {
            QMenu* sub = menu.addMenu(icon, QString::fromStdString(item.Caption));
            AddItems(*sub, item.Children);
            continue;
        }
        QAction* action = menu.addAction(icon, QString::fromStdString(item.Caption));
        action->setEnabled(item.Enabled);
        action->setCheckable(item.Checked);
        action->setChecked(item.Checked);
        action->setData(item.Node);
        const int node = item.Node;
        connect(action, &QAction::triggered, this,
                [this, node] { TWindowGuard::Run(&core_, [this, node] { pickMenu_.Choose(node); }); });
    }
}

void TCollectionMoves::FillMenu(QMenu& menu, int purpose) {
    menu.clear();
    AddItems(menu, pickMenu_.Open(purpose, LinesPerColumn()));
}

void TCollectionMoves::Popup(int purpose, QWidget* anchor, QPoint offset) {
    FillMenu(*menu_, purpose);
    const QPoint at = anchor != nullptr && anchor->isVisible() ? anchor->mapToGlobal(offset)
                                                               : window_.mapToGlobal(QPoint(0, 0)) + offset;
    menu_->popup(at);
}

void TCollectionMoves::AttachDropDown(QToolButton* button, int purpose) {
    if (button == nullptr)
        return;
    auto* raw = new QMenu(button);
    connect(raw, &QMenu::aboutToShow, this,
            [this, raw, purpose] { TWindowGuard::Run(&core_, [this, raw, purpose] { FillMenu(*raw, purpose); }); });
    button->setMenu(raw);
    button->setPopupMode(QToolButton::MenuButtonPopup);
    dropDowns_.push_back(raw);
}

void TCollectionMoves::MoveItemToCollection(bool copy) {
    mover_.SetPendingMode(copy ? shell::TClipMover::ModeCopy : shell::TClipMover::ModeMove);
    QToolBar* bar = window_.MainToolbar();
    Popup(shell::TPickMenu::PurposeFile, bar != nullptr ? bar->findChild<QToolButton*>("cmdMoveItem") : nullptr,
          MenuOffset);
}

void TCollectionMoves::SelectCollection() {
    QToolBar* bar = window_.MainToolbar();
    Popup(shell::TPickMenu::PurposeShow, bar != nullptr ? bar->findChild<QToolButton*>("cmdCollection") : nullptr,
          MenuOffset);
}

void TCollectionMoves::MoveButtonClick() {
    if (mover_.MoveButtonClick()) {
        QToolBar* bar = window_.MainToolbar();
        Popup(shell::TPickMenu::PurposeFile, bar != nullptr ? bar->findChild<QToolButton*>("cmdMoveItem") : nullptr,
              MenuOffset);
    }
}

void TCollectionMoves::SwitchToFavorite() {
    TFlashpickPanel* panel = window_.FlashpickPanel();
    const bool inPickList = !window_.ExplorerView() && panel != nullptr && panel->List()->hasFocus();
    switch_.SwitchToFavorite(inPickList);
}

} // namespace bx::explorer
