#pragma once

#include "TEvent.h"

#include <cstddef>
#include <functional>
#include <vector>

namespace bx::clipstore {
class TClipColl;
class TMasterList;
} // namespace bx::clipstore

namespace bx::shell {

// The collection tree as the window shows it: one node per collection in display order (depth first,
// siblings by sort key), each with its icon, its state icon and whether it is expanded, and the
// selected node. The window draws it through a view; the program's core keeps it up to date.
class TCollectionTree {
public:
    struct Node {
        clipstore::TClipColl* Coll = nullptr;
        int Parent = -1; // index of the parent node; -1 at the top
        int Level = 0;
        int Image = -1;
        int StateImage = -1;
        bool Expanded = false;
    };

    // Builds the nodes from the master list; stateIndex gives each node's state icon. Top-level nodes
    // are expanded. When working out a node's icons raises, both are -1.
    void Build(const clipstore::TMasterList& master, const std::function<int(const clipstore::TClipColl&)>& stateIndex);
    void Clear();

    std::size_t Count() const { return nodes_.size(); }
    const Node& At(std::size_t index) const { return nodes_.at(index); }
    // Index of the first node holding the collection; -1 when none does.
    int GetTreeNodeOfColl(const clipstore::TClipColl* coll) const;
    void SetStateImage(std::size_t index, int image);
    // Expands the node's parents so that it can be seen.
    void MakeVisible(std::size_t index);
    // -1 when no node is selected.
    int Selected() const { return selected_; }
    // Marks the node selected and emits NodeSelected (index -1 selects nothing).
    void Select(int index);

    // Emitted after a node was selected (the core shows its collection).
    platform::TEvent<int> NodeSelected;
    // Emitted after the nodes or their images changed.
    platform::TEvent<> Changed;

private:
    std::vector<Node> nodes_;
    int selected_ = -1;
};

} // namespace bx::shell
