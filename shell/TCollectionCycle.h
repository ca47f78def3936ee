#pragma once

namespace bx::shell {

class TCollectionTree;

// The toolbar's collection button: the next collection after the selected node (or, with Ctrl held,
// after the first node) in display order, wrapping round after the last node. Folders are passed over;
// the search gives up after a few steps.
class TCollectionCycle {
public:
    static constexpr int MaxSteps = 9;

    // The node to select; -1 when none was found within MaxSteps steps.
    static int Next(const TCollectionTree& tree, bool fromFirst);
};

} // namespace bx::shell
