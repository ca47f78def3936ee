#pragma once

#include "TCollectionRelocation.h"

#include <string>

namespace bx::shell {

class TBrindlexCore;
class TCollectionTree;

// Dragging in the collection tree: where clips or a collection node may be dropped, and moving a
// collection (its directory, files and child collections) under another node.
class TTreeDrag {
public:
    enum class Kind { Clips, Node };
    struct Verdict {
        bool Allowed = false;
        std::string Status; // shown while the pointer is there; empty for none
    };
    static constexpr const char* DescendantText = "You cannot drop onto a descendant.";

    // May what is dragged (the clips of the selected node's collection, or the selected node itself)
    // be dropped on target? dragged is the selected node.
    static Verdict CanDrop(const TCollectionTree& tree, Kind kind, int dragged, int target);

    // rename: as clipstore::TCollectionRelocation's (empty for the system's).
    explicit TTreeDrag(TBrindlexCore& core, clipstore::TCollectionRelocation::RenameFunction rename = {});

    // A drag starts in the tree or a clip list ("Dragging..."), and ends, dropped or not.
    void StartDrag(int node);
    void EndDrag();
    bool InternalDrag() const { return internalDrag_; }
    int DraggedNode() const { return dragged_; }
    // Moves the collection of node under target; false when it did not move (refused or failed, the
    // reason shown). The tree is built again and the moved collection's new node is selected.
    bool RelocateNode(int node, int target);

private:
    TBrindlexCore& core_;
    clipstore::TCollectionRelocation relocation_;
    bool internalDrag_ = false;
    int dragged_ = -1;
};

} // namespace bx::shell
