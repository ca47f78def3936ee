#include "TPickMenu.h"

#include "ISound.h"
#include "LogHook.h"
#include "StatusLevels.h"
#include "TAppSettings.h"
#include "TBrindlexCore.h"
#include "TClipColl.h"
#include "TClipMover.h"
#include "TCollectionTree.h"

#include <string>

namespace bx::shell {

using clipstore::TClipColl;
using namespace platform;

namespace {

constexpr int LogMenu = 64;

bool IsFolder(const TCollectionTree::Node& node) {
    return node.Coll != nullptr && node.Coll->CollType == TClipColl::FolderColl;
}

std::string Text(const TCollectionTree::Node& node) {
    return node.Coll != nullptr ? node.Coll->Title : std::string();
}

TPickMenu::Item Nested(const TCollectionTree& tree, int index) {
    const TCollectionTree::Node& node = tree.At(static_cast<std::size_t>(index));
    TPickMenu::Item item;
    item.Caption = Text(node);
    item.Image = node.Image;
    item.Node = index;
    for (std::size_t child = static_cast<std::size_t>(index) + 1; child < tree.Count(); ++child) {
        if (tree.At(child).Parent != index)
            continue;
        if (!item.Submenu && !IsFolder(node)) {
            TPickMenu::Item clipsIn;
            clipsIn.Caption = TPickMenu::ClipsInPrefix + Text(node);
            clipsIn.Image = node.Image;
            clipsIn.Node = index;
            item.Children.push_back(std::move(clipsIn));
        }
        item.Submenu = true;
        item.Children.push_back(Nested(tree, static_cast<int>(child)));
    }
    item.Enabled = item.Submenu || !IsFolder(node);
    return item;
}

} // namespace

std::vector<TPickMenu::Item> TPickMenu::BuildItems(const TCollectionTree& tree, int menuStyle, const TClipColl* shown,
                                                   int linesPerColumn) {
    std::vector<Item> items;
    if (menuStyle == NestedStyle) {
        for (std::size_t i = 0; i < tree.Count(); ++i)
            if (tree.At(i).Parent < 0)
                items.push_back(Nested(tree, static_cast<int>(i)));
        return items;
    }
    for (std::size_t p = 0; p < tree.Count(); ++p) {
        const TCollectionTree::Node& node = tree.At(p);
        Item item;
        item.Caption = std::string(static_cast<std::size_t>(node.Level) * 4, ' ') + Text(node);
        item.Image = node.Image;
        item.Node = static_cast<int>(p);
        item.Enabled = !IsFolder(node);
        item.Checked = p > 0 && shown != nullptr && node.Coll == shown;
        item.NewColumn = menuStyle == ColumnStyle && linesPerColumn > 0 && p > 1 &&
                         p % static_cast<std::size_t>(linesPerColumn) == 0;
        items.push_back(std::move(item));
    }
    return items;
}

TPickMenu::TPickMenu(TBrindlexCore& core, TClipMover& mover, std::function<void(int)> setAlternate)
    : core_(core), mover_(mover), setAlternate_(std::move(setAlternate)) {
    treeChanged_ = core_.Tree().Changed.Subscribe([this] { Empty(); });
    loaded_ = core_.Events().DataLoaded.Subscribe([this] { Empty(); });
    dropped_ = mover_.ClipsDropped.Subscribe([this] { Empty(); });
    shuttingDown_ = core_.Events().ShuttingDown.Subscribe([this] { Empty(); });
}

const std::vector<TPickMenu::Item>& TPickMenu::Open(int purpose, int linesPerColumn) {
    purpose_ = purpose;
    if (!built_) {
        core_.ShowStatus(StatusInBar, true, "Building Menu...");
        LogMsg(LogMenu, "TfrmBX.BuildPopupMenu", "Building Popup Menu");
        items_ = BuildItems(core_.Tree(), core_.Settings().MenuStyle, core_.ClipList().Coll(), linesPerColumn);
        built_ = true;
        LogMsg(LogMenu, "TfrmBX.BuildPopupMenu", std::to_string(items_.size()) + " Items");
        core_.ShowStatus(StatusInBar, false, "");
    }
    return items_;
}

void TPickMenu::Empty() {
    if (!built_)
        return;
    LogMsg(LogMenu, "TfrmBX.DeallocatePopupMenu", "Deallocating Popup Menu");
    items_.clear();
    built_ = false;
    Emptied.Emit();
}

void TPickMenu::Choose(int node) {
    switch (purpose_) {
    case PurposeShow:
        if (node >= 0 && static_cast<std::size_t>(node) < core_.Tree().Count())
            core_.Tree().Select(node);
        break;
    case PurposeFile:
        mover_.PickTarget(node);
        break;
    case PurposeAlternate:
        if (setAlternate_)
            setAlternate_(node);
        break;
    default:
        LogMsg(LogMenu, "Invalid Selection:", std::to_string(purpose_));
        core_.PlaySoundOrBeep(std::string());
        break;
    }
}

} // namespace bx::shell
