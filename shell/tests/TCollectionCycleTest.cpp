// The collection button: the next collection in display order, folders passed over, wrapping round.
#include "CoreTestFixture.h"

#include "TCollectionCycle.h"

namespace bx::shell {
namespace {

using namespace coretest;
using clipstore::TClipColl;

class CollectionCycleTest : public CoreFixture {};

TEST_F(CollectionCycleTest, VisitsEveryCollectionInOrderAndWrapsRound) {
    Start();
    TCollectionTree& tree = core->Tree();
    ASSERT_GT(tree.Count(), 2u);
    std::vector<int> collections;
    for (std::size_t i = 0; i < tree.Count(); ++i)
        if (tree.At(i).Coll != nullptr && tree.At(i).Coll->CollType != TClipColl::FolderColl)
            collections.push_back(static_cast<int>(i));
    ASSERT_GE(collections.size(), 2u);
    // From the first node (a folder): the first collection after it.
    tree.Select(0);
    EXPECT_EQ(TCollectionCycle::Next(tree, true), collections.front() == 0 ? collections[1] : collections.front());
    // From each collection, the next one; from the last, round to the first.
    for (std::size_t k = 0; k < collections.size(); ++k) {
        tree.Select(collections[k]);
        EXPECT_EQ(TCollectionCycle::Next(tree, false), collections[(k + 1) % collections.size()]);
    }
    tree.Clear();
    EXPECT_EQ(TCollectionCycle::Next(tree, false), -1);
}

} // namespace
} // namespace bx::shell
