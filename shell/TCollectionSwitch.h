#pragma once

#include <functional>
#include <string>

namespace bx::shell {

class TBrindlexCore;
class TCollectionTree;

// The keys that jump to another collection: back to the last one shown ("Switch To &Last Collection",
// the setting "LastColl") and on to the next favorite ("Switch To Fa&vorite Collection ").
class TCollectionSwitch {
public:
    static constexpr int MaxFavoriteSteps = 101;
    static constexpr const char* NoLastText =
        "No LAST Collection Was Found.  Select a collection manually, to set the LAST Collection.";
    static constexpr const char* NoFavoriteText =
        "No FAVORITE Collections Were Found.  Set The FAVORITE Option In Collection Properties.";

    // The first node in display order whose text is title exactly; -1 when none is.
    static int NodeWithText(const TCollectionTree& tree, const std::string& title);
    // The next node after start (wrapping round) whose collection is a favorite, within
    // MaxFavoriteSteps steps; -1 when none is.
    static int NextFavorite(const TCollectionTree& tree, int start);

    // setAlternate makes a node's collection Flashpick's alternate collection.
    TCollectionSwitch(TBrindlexCore& core, std::function<void(int node)> setAlternate);

    void SwitchToLast();
    // flashpickList: the drop-down view with the Flashpick list focused; the favorite then becomes the
    // alternate collection, counted on from it.
    void SwitchToFavorite(bool flashpickList);

private:
    TBrindlexCore& core_;
    std::function<void(int)> setAlternate_;
};

} // namespace bx::shell
