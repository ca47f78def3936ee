#pragma once

#include "TClipMover.h"
#include "TCollectionSwitch.h"
#include "TPickMenu.h"
#include "TTreeDrag.h"

#include <QObject>
#include <QPoint>
#include <QPointer>

#include <memory>
#include <vector>

class QMenu;
class QToolButton;
class QWidget;

namespace bx::platform {
class IDesktop;
}

namespace bx::explorer {

class TfrmBX;
class TTreeDropFilter;

// The window's side of moving clips and collections: it owns the behaviour (shell::TClipMover,
// shell::TPickMenu, shell::TCollectionSwitch, shell::TTreeDrag) for the window's core, draws the pick
// menu from its items (popped up by a command, or as the drop-down of the toolbar's move and collection
// buttons and of Flashpick's "Set" button), and lets the tree take drops (TTreeDropFilter).
class TCollectionMoves : public QObject {
    Q_OBJECT
public:
    // The point inside the button that asked for the menu where it opens.
    static constexpr QPoint MenuOffset{32, 32};
    static constexpr QPoint SetButtonOffset{25, 25};

    TCollectionMoves(TfrmBX& window, shell::TBrindlexCore& core, platform::IDesktop& desktop);
    ~TCollectionMoves() override;

    shell::TClipMover& Mover() { return mover_; }
    shell::TPickMenu& PickMenu() { return pickMenu_; }
    shell::TTreeDrag& Drag() { return drag_; }
    shell::TCollectionSwitch& Switch() { return switch_; }
    QMenu* Menu() const { return menu_.get(); }

    // "Move Item To Collection" / "Copy Item To Collection".
    void MoveItemToCollection(bool copy);
    // "Select Collection": the pick menu at the collection button.
    void SelectCollection();
    // The toolbar's move button.
    void MoveButtonClick();
    // "Switch To Fa&vorite Collection ": in the drop-down view with the Flashpick list focused, it
    // sets the alternate collection.
    void SwitchToFavorite();
    // Fills menu with the pick menu's items for purpose.
    void FillMenu(QMenu& menu, int purpose);

private:
    // Shows the pick menu for purpose at offset inside anchor.
    void Popup(int purpose, QWidget* anchor, QPoint offset);
    // A tool button's drop-down: the pick menu for purpose.
    void AttachDropDown(QToolButton* button, int purpose);
    void AddItems(QMenu& menu, const std::vector<shell::TPickMenu::Item>& items);
    int LinesPerColumn() const;
    void SetAlternate(int node);

    TfrmBX& window_;
    shell::TBrindlexCore& core_;
    shell::TClipMover mover_;
    shell::TPickMenu pickMenu_;
    shell::TCollectionSwitch switch_;
    shell::TTreeDrag drag_;
    std::unique_ptr<QMenu> menu_;
    // The buttons' drop-downs, owned by their buttons; taken away with this object.
    std::vector<QPointer<QMenu>> dropDowns_;
    std::unique_ptr<TTreeDropFilter> dropFilter_;
};

} // namespace bx::explorer
