#pragma once

#include "TEvent.h"

#include <functional>
#include <string>
#include <vector>

namespace bx::clipstore {
class TClipColl;
}

namespace bx::shell {

class TBrindlexCore;
class TClipMover;
class TCollectionTree;

// The pick-collection menu: one menu of the tree's collections shared by three purposes (show the
// collection, move or copy the selected clips to it, make it Flashpick's alternate collection). It is
// built when it opens empty and emptied whenever the tree changes; the window draws the items.
class TPickMenu {
public:
    static constexpr int PurposeShow = 1;
    static constexpr int PurposeFile = 2;
    static constexpr int PurposeAlternate = 3;
    static constexpr int NestedStyle = 2;
    static constexpr int ColumnStyle = 0;
    static constexpr const char* ClipsInPrefix = "Clips In: ";

    struct Item {
        std::string Caption;
        int Image = -1;
        int Node = -1; // the tree node it stands for
        bool Enabled = true;
        bool Checked = false;
        bool NewColumn = false;     // a new menu column starts here
        std::vector<Item> Children; // a submenu's items
        bool Submenu = false;
    };

    // The items for the tree. menuStyle: 2 nested, else flat (0: in columns of linesPerColumn items);
    // shown: the collection the clip list shows (its flat item is checked unless it is the first).
    static std::vector<Item> BuildItems(const TCollectionTree& tree, int menuStyle, const clipstore::TClipColl* shown,
                                        int linesPerColumn);

    // setAlternate makes a node's collection Flashpick's alternate collection.
    TPickMenu(TBrindlexCore& core, TClipMover& mover, std::function<void(int node)> setAlternate);

    // Opens for a purpose: the items, built when the menu is empty ("Building Menu...").
    // linesPerColumn: the screen's height in menu lines, less 4.
    const std::vector<Item>& Open(int purpose, int linesPerColumn);
    int Purpose() const { return purpose_; }
    bool Built() const { return built_; }
    // Frees the items (the menu is built again when it next opens).
    void Empty();
    // An item was chosen: acts by the purpose it was opened for.
    void Choose(int node);

    // The items were freed: the window drops the menu it made from them.
    platform::TEvent<> Emptied;

private:
    TBrindlexCore& core_;
    TClipMover& mover_;
    std::function<void(int)> setAlternate_;
    std::vector<Item> items_;
    bool built_ = false;
    int purpose_ = 0;
    platform::TSubscription treeChanged_;
    platform::TSubscription loaded_;
    platform::TSubscription dropped_;
    platform::TSubscription shuttingDown_;
};

} // namespace bx::shell
