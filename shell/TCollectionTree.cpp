#include "TCollectionTree.h"

#include "TClipColl.h"
#include "TMasterList.h"

#include <exception>
#include <map>

namespace bx::shell {

using clipstore::TClipColl;

void TCollectionTree::Build(const clipstore::TMasterList& master,
                            const std::function<int(const TClipColl&)>& stateIndex) {
    nodes_.clear();
    selected_ = -1;
    std::map<const TClipColl*, int> indexOf;
    for (TClipColl* coll : master.DisplayOrder()) {
        Node node;
        node.Coll = coll;
        const auto parent = coll->Parent != nullptr ? indexOf.find(coll->Parent) : indexOf.end();
        if (parent != indexOf.end()) {
            node.Parent = parent->second;
            node.Level = nodes_[static_cast<std::size_t>(parent->second)].Level + 1;
        } else {
            node.Expanded = true;
        }
        try {
            node.Image = coll->ImageIndex;
            node.StateImage = stateIndex ? stateIndex(*coll) : -1;
        } catch (const std::exception&) {
            node.Image = -1;
            node.StateImage = -1;
        }
        indexOf[coll] = static_cast<int>(nodes_.size());
        nodes_.push_back(node);
    }
    Changed.Emit();
}

void TCollectionTree::Clear() {
    nodes_.clear();
    selected_ = -1;
    Changed.Emit();
}

int TCollectionTree::GetTreeNodeOfColl(const TClipColl* coll) const {
    if (coll == nullptr)
        return -1;
    for (std::size_t i = 0; i < nodes_.size(); ++i)
        if (nodes_[i].Coll == coll)
            return static_cast<int>(i);
    return -1;
}

void TCollectionTree::SetStateImage(std::size_t index, int image) {
    if (index < nodes_.size() && nodes_[index].StateImage != image) {
        nodes_[index].StateImage = image;
        Changed.Emit();
    }
}

void TCollectionTree::MakeVisible(std::size_t index) {
    if (index >= nodes_.size())
        return;
    for (int parent = nodes_[index].Parent; parent >= 0; parent = nodes_[static_cast<std::size_t>(parent)].Parent)
        nodes_[static_cast<std::size_t>(parent)].Expanded = true;
}

void TCollectionTree::Select(int index) {
    selected_ = index >= 0 && static_cast<std::size_t>(index) < nodes_.size() ? index : -1;
    NodeSelected.Emit(selected_);
}

} // namespace bx::shell
