#pragma once

#include "TClipMove.h"
#include "TEvent.h"

#include <cstdint>

namespace bx::clipstore {
class TClipColl;
class TClipObj;
} // namespace bx::clipstore

namespace bx::platform {
class IKeyboard;
}

namespace bx::shell {

class TBrindlexCore;

// Moving and copying the clips selected in the clip list to another collection (through the pick menu,
// the toolbar's move button, a drop on the tree) and moving them to the top or bottom of their own
// collection's user order. It keeps the last target and the pending mode. The files and the safe order
// in which the collections are written are clipstore::TClipMove's.
class TClipMover {
public:
    static constexpr int ModeNone = 0;
    static constexpr int ModeMove = 1;
    static constexpr int ModeCopy = 2;
    static constexpr const char* ReadOnlyText = "Sorry, The Target collection is Read Only.";
    static constexpr const char* ReadOnlyCaption = "Program Error";
    static constexpr const char* NotHereText = "Cannot Move Or Copy Items To This Collection: ";
    static constexpr const char* NotHereReason =
        "Either it is already IN this collection, or the collection is invalid.";
    static constexpr const char* SortFirstText =
        "Sorry, It is only useful to do this when you have sorted on the MySort column.";
    static constexpr const char* SortFirstCaption = "Invalid Operation";

    // keyboard tells whether Ctrl is held down.
    TClipMover(TBrindlexCore& core, platform::IKeyboard& keyboard);

    // Moves or copies one clip (the move's collections are written at the end of the command).
    clipstore::TClipObj* FileOne(clipstore::TClipObj& clip, clipstore::TClipColl& source, bool copy,
                                 clipstore::TClipColl& target);
    // The selected clips to target; with Ctrl held down they are copied. Returns the number handled.
    int DoMoveCopyFromToolbar(bool copy, clipstore::TClipColl* target);
    // The selected clips dropped on a tree node (dragged: the node being dragged, -1 for none).
    int DoDropClipsOnColl(bool copy, int node, int dragged = -1);
    // "Move To &Top Of Sort Order" / "Move To &Bottom Of Sort Order".
    void MoveWithinCollection(bool top);

    // "Move Item To Collection" / "Copy Item To Collection": the mode for the pick menu that opens next.
    void SetPendingMode(int mode) { pendingMode_ = mode; }
    int PendingMode() const { return pendingMode_; }
    // The toolbar's move button was clicked: repeats the last move or copy and returns false; true
    // when there is no last target and the pick menu is to open.
    bool MoveButtonClick();
    // A collection was chosen in the pick menu for moving or copying (a tree node).
    void PickTarget(int node);

    clipstore::TClipColl* LastTarget() const { return lastTarget_; }
    // A collection or data source was deleted: no repeating into it.
    void ForgetLastTarget() { lastTarget_ = nullptr; }

    // Clips were dropped on the tree (the pick menu is built again).
    platform::TEvent<> ClipsDropped;

private:
    // The mode a command without one of its own uses: the pending mode, else "MoveCopyMode".
    bool CopyMode() const;
    int MoveSelected(bool copy, clipstore::TClipColl& target, const char* busyText);
    bool RefuseTarget(const clipstore::TClipColl* target) const;

    TBrindlexCore& core_;
    platform::IKeyboard& keyboard_;
    clipstore::TClipMove move_;
    clipstore::TClipColl* lastTarget_ = nullptr;
    int pendingMode_ = ModeNone;
    platform::TSubscription loaded_;
    platform::TSubscription treeChanged_;
};

} // namespace bx::shell
