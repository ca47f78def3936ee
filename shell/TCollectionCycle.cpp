#include "TCollectionCycle.h"

#include "TClipColl.h"
#include "TCollectionTree.h"

namespace bx::shell {

int TCollectionCycle::Next(const TCollectionTree& tree, bool fromFirst) {
    const int count = static_cast<int>(tree.Count());
    if (count == 0)
        return -1;
    int node = fromFirst || tree.Selected() < 0 ? 0 : tree.Selected();
    for (int step = 0; step < MaxSteps; ++step) {
        node = (node + 1) % count;
        const clipstore::TClipColl* coll = tree.At(static_cast<std::size_t>(node)).Coll;
        if (coll != nullptr && coll->CollType != clipstore::TClipColl::FolderColl)
            return node;
    }
    return -1;
}

} // namespace bx::shell
