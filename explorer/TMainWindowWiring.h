#pragma once

#include "TEvent.h"

#include <QObject>

#include <memory>
#include <vector>

namespace bx::platform {
class IDesktop;
}

namespace bx::shell {
class TBrindlexCore;
class TClipFilter;
class TClipListSelection;
class TCollectionCommands;
class TFind;
} // namespace bx::shell

namespace bx::pastetools {
class TTransformCommands;
}

namespace bx::explorer {

class TClipListActions;
class TCollectionMenu;
class TCollectionMoves;
class TCollectionTreeModel;
class TEditPaneActions;
class TFindEditor;
class TfrmBX;

// What the main window holds while it shows a core: the selection rules, the filter and find, the collection
// tree's model and context menu, the commands on clips, collections and the pane's text, and the
// subscriptions and connections that keep the window's parts in step with the core's models. TfrmBX::SetCore
// makes it for a core and destroys it to disconnect the window; the parts go before the selection rules and
// the tree model they use.
class TMainWindowWiring : public QObject {
public:
    TMainWindowWiring(TfrmBX& window, shell::TBrindlexCore& core, platform::IDesktop& desktop);
    ~TMainWindowWiring() override;
    TMainWindowWiring(const TMainWindowWiring&) = delete;
    TMainWindowWiring& operator=(const TMainWindowWiring&) = delete;

    shell::TClipListSelection* Selection() const { return selection_.get(); }
    shell::TClipFilter* Filter() const { return filter_.get(); }
    shell::TFind* Find() const { return find_.get(); }
    shell::TCollectionCommands* CollectionCommands() const { return collCommands_.get(); }
    TCollectionMenu* CollectionMenu() const { return collMenu_; }
    TCollectionMoves* Moves() const { return moves_.get(); }
    TClipListActions* ListActions() const { return listActions_.get(); }
    TEditPaneActions* EditActions() const { return editActions_.get(); }
    pastetools::TTransformCommands* Transforms() const { return transforms_.get(); }

    // The tree shows the core's nodes, their expanded state and the selected node.
    void OnTreeChanged();
    // The list's rows were rebuilt: the part right of the tree, the sort arrow, the collection button, the
    // selection in both views and the caption follow.
    void OnListReset();
    // The window's palette changed: the tree's colours come from it.
    void ShowThemeColors();

private:
    void ConnectSelection();
    void ConnectFilterAndFind();
    void ConnectTree();
    void ConnectActions();
    void SyncTreeSelection();
    void OnTreeCurrentChanged();

    TfrmBX& window_;
    shell::TBrindlexCore& core_;
    platform::IDesktop& desktop_;
    std::unique_ptr<shell::TClipListSelection> selection_;
    std::unique_ptr<shell::TClipFilter> filter_;
    std::unique_ptr<shell::TFind> find_;
    std::unique_ptr<TFindEditor> findEditor_;
    TCollectionTreeModel* treeModel_ = nullptr;
    std::unique_ptr<shell::TCollectionCommands> collCommands_;
    TCollectionMenu* collMenu_ = nullptr;
    std::unique_ptr<TCollectionMoves> moves_;
    std::unique_ptr<TClipListActions> listActions_;
    std::unique_ptr<TEditPaneActions> editActions_;
    std::unique_ptr<pastetools::TTransformCommands> transforms_;
    // What the window hears of the core's models and the selection rules while it shows a core.
    std::vector<platform::TSubscription> subscriptions_;
    bool syncing_ = false; // the tree's current node is being set from the core's
};

} // namespace bx::explorer
