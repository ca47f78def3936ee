#include "TCollectionMenuState.h"

#include "TClipColl.h"
#include "TCollectionTree.h"

namespace bx::shell {

using clipstore::TClipColl;

namespace {

// Whether another node with the same parent comes before (step -1) or after (step 1) the node.
bool HasSibling(const TCollectionTree& tree, int node, int step) {
    const int parent = tree.At(static_cast<std::size_t>(node)).Parent;
    for (int i = node + step; i >= 0 && static_cast<std::size_t>(i) < tree.Count(); i += step)
        if (tree.At(static_cast<std::size_t>(i)).Parent == parent)
            return true;
    return false;
}

} // namespace

TCollectionMenuState TCollectionMenuState::For(const TCollectionTree& tree, int node, bool fromToolbar) {
    TCollectionMenuState state;
    if (node < 0 || static_cast<std::size_t>(node) >= tree.Count())
        return state;
    const TCollectionTree::Node& n = tree.At(static_cast<std::size_t>(node));
    const bool topLevel = n.Parent < 0;
    if (n.Coll == nullptr) {
        state.AddDataSource = !fromToolbar && topLevel;
        return state;
    }
    const TClipColl& coll = *n.Coll;
    const bool editable = !coll.IsSpecial() && !coll.ReadOnly;
    state.Properties = editable;
    state.AddCollection = editable;
    state.ChangeIcon = editable && !topLevel;
    state.DeleteCollection = state.ChangeIcon;
    state.MoveUp = state.ChangeIcon && HasSibling(tree, node, -1);
    state.MoveDown = state.ChangeIcon && HasSibling(tree, node, 1);
    state.AddDataSource = !fromToolbar && topLevel && !coll.IsSpecial();
    state.DeleteDataSource = !fromToolbar && topLevel && coll.DataSource != nullptr;
    return state;
}

} // namespace bx::shell
