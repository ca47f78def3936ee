#include "TCollectionSwitch.h"

#include "IMessageBoxes.h"
#include "TAppSettings.h"
#include "TBrindlexCore.h"
#include "TClipColl.h"
#include "TCollectionTree.h"

namespace bx::shell {

using namespace platform;

int TCollectionSwitch::NodeWithText(const TCollectionTree& tree, const std::string& title) {
    for (std::size_t i = 0; i < tree.Count(); ++i)
        if (tree.At(i).Coll != nullptr && tree.At(i).Coll->Title == title)
            return static_cast<int>(i);
    return -1;
}

int TCollectionSwitch::NextFavorite(const TCollectionTree& tree, int start) {
    const int count = static_cast<int>(tree.Count());
    if (count == 0)
        return -1;
    int node = start < 0 ? count - 1 : start;
    for (int step = 0; step < MaxFavoriteSteps; ++step) {
        node = (node + 1) % count;
        const clipstore::TClipColl* coll = tree.At(static_cast<std::size_t>(node)).Coll;
        if (coll != nullptr && coll->Favorite)
            return node;
    }
    return -1;
}

TCollectionSwitch::TCollectionSwitch(TBrindlexCore& core, std::function<void(int)> setAlternate)
    : core_(core), setAlternate_(std::move(setAlternate)) {}

void TCollectionSwitch::SwitchToLast() {
    core_.AnnounceUserMove({TUserMove::Kind::OtherCollection});
    const std::string last = core_.Settings().LastColl;
    if (last.empty())
        return;
    const int node = NodeWithText(core_.Tree(), last);
    if (node < 0) {
        core_.Boxes().MessageBox(NoLastText, "Brindlex", MsgType::Error, MsgButtons::Ok);
        return;
    }
    core_.Tree().MakeVisible(static_cast<std::size_t>(node));
    core_.Tree().Select(node);
}

void TCollectionSwitch::SwitchToFavorite(bool flashpickList) {
    core_.AnnounceUserMove({TUserMove::Kind::OtherCollection});
    TCollectionTree& tree = core_.Tree();
    int start = tree.Selected();
    if (flashpickList) {
        const int alternate = NodeWithText(tree, core_.Settings().FPAlternateColl);
        if (alternate >= 0)
            start = alternate;
    }
    const int node = NextFavorite(tree, start);
    if (node < 0) {
        core_.Boxes().MessageBox(NoFavoriteText, "Brindlex", MsgType::Error, MsgButtons::Ok);
        return;
    }
    if (flashpickList && setAlternate_) {
        setAlternate_(node);
        return;
    }
    tree.MakeVisible(static_cast<std::size_t>(node));
    tree.Select(node);
}

} // namespace bx::shell
