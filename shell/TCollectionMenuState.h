#pragma once

namespace bx::shell {

class TCollectionTree;

// Which entries of the collection tree's context menu are enabled for a node: a function of the node
// and of where the menu was opened (on the tree, or from the toolbar's collection button, which acts on
// the selected node). "What's This?" and "Cancel" are always enabled.
struct TCollectionMenuState {
    bool Properties = false;
    bool ChangeIcon = false;
    bool DeleteCollection = false;
    bool MoveUp = false;
    bool MoveDown = false;
    bool AddCollection = false;
    bool AddDataSource = false;
    bool DeleteDataSource = false;

    // All false for a node outside the tree.
    static TCollectionMenuState For(const TCollectionTree& tree, int node, bool fromToolbar);

    bool operator==(const TCollectionMenuState&) const = default;
};

} // namespace bx::shell
