#include "TTreeDrag.h"

#include "IMessageBoxes.h"
#include "LogHook.h"
#include "StatusLevels.h"
#include "TBrindlexCore.h"
#include "TClipColl.h"
#include "TCollectionTree.h"
#include "TDataSource.h"
#include "TMasterList.h"

#include <exception>

namespace bx::shell {

using clipstore::TClipColl;
using namespace platform;

namespace {

bool IsBelow(const TCollectionTree& tree, int node, int ancestor) {
    for (int p = tree.At(static_cast<std::size_t>(node)).Parent; p >= 0;
         p = tree.At(static_cast<std::size_t>(p)).Parent)
        if (p == ancestor)
            return true;
    return false;
}

// A collection of a read-only data source (its folder included, which is not marked itself).
bool IsReadOnly(const TClipColl& coll) {
    const TClipColl* root = &coll;
    while (root->Parent != nullptr)
        root = root->Parent;
    return coll.ReadOnly || (root->DataSource != nullptr && root->DataSource->Read_Only);
}

} // namespace

TTreeDrag::Verdict TTreeDrag::CanDrop(const TCollectionTree& tree, Kind kind, int dragged, int target) {
    const int count = static_cast<int>(tree.Count());
    if (target < 0 || target >= count || target == dragged)
        return {};
    const TClipColl* coll = tree.At(static_cast<std::size_t>(target)).Coll;
    if (coll == nullptr || IsReadOnly(*coll))
        return {};
    if (kind == Kind::Clips) {
        const bool takesClips =
            coll->CollType != TClipColl::FolderColl && coll->CollType != TClipColl::SearchResultsColl;
        return {takesClips, {}};
    }
    if (dragged < 0 || dragged >= count)
        return {};
    const TCollectionTree::Node& node = tree.At(static_cast<std::size_t>(dragged));
    // Only an ordinary collection moves: not a data source's folder, the trash can or the search results;
    // and nothing goes under those two.
    if (node.Coll == nullptr || node.Parent < 0 || IsReadOnly(*node.Coll) ||
        node.Coll->CollType != TClipColl::NormalColl || coll->IsSpecial())
        return {};
    if (target == node.Parent)
        return {};
    if (IsBelow(tree, target, dragged))
        return {false, DescendantText};
    return {true, {}};
}

TTreeDrag::TTreeDrag(TBrindlexCore& core, clipstore::TCollectionRelocation::RenameFunction rename)
    : core_(core), relocation_(std::move(rename)) {}

void TTreeDrag::StartDrag(int node) {
    internalDrag_ = true;
    dragged_ = node;
    core_.ShowStatus(StatusInBar, false, "Dragging...");
}

void TTreeDrag::EndDrag() {
    internalDrag_ = false;
    dragged_ = -1;
}

bool TTreeDrag::RelocateNode(int node, int target) {
    SetTraceLocation("TfrmBX.RelocateNode");
    TCollectionTree& tree = core_.Tree();
    clipstore::TMasterList* master = core_.MasterList();
    if (master == nullptr || !CanDrop(tree, Kind::Node, node, target).Allowed)
        return false;
    TClipColl* coll = tree.At(static_cast<std::size_t>(node)).Coll;
    TClipColl* parent = tree.At(static_cast<std::size_t>(target)).Coll;
    const std::string from = coll->GetPath();
    const std::string to = parent->GetPath() + coll->DirName;
    core_.ShowStatus(StatusInBar, true, "Moving " + coll->Title);
    // The capture journal names collections by their paths: a save retires it before the path changes.
    master->Save();
    bool removed = true;
    try {
        removed = relocation_.Move(from, to);
    } catch (const std::exception& e) {
        LogMsg(LogErrors, "TfrmBX.RelocateNode", e.what());
        core_.ShowStatus(StatusInBar, false, e.what());
        core_.Boxes().MessageBox(e.what(), "Brindlex", MsgType::Error, MsgButtons::Ok);
        return false;
    }
    coll->Parent = parent;
    if (!removed)
        core_.Boxes().MessageBox("Directory Delete Failed: " + from, "Brindlex", MsgType::Error, MsgButtons::Ok);
    core_.BuildTree(*master);
    const int moved = tree.GetTreeNodeOfColl(coll);
    if (moved >= 0) {
        tree.MakeVisible(static_cast<std::size_t>(moved));
        tree.Select(moved);
    }
    EndDrag();
    core_.ShowStatus(StatusInBar, false, "Move Complete");
    return true;
}

} // namespace bx::shell
