#include "TClipMover.h"

#include "IKeyboard.h"
#include "IMessageBoxes.h"
#include "LogHook.h"
#include "StatusLevels.h"
#include "TAppSettings.h"
#include "TBrindlexCore.h"
#include "TClipColl.h"
#include "TClipObj.h"
#include "TCollectionTree.h"
#include "TMasterList.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace bx::shell {

using clipstore::TClipColl;
using clipstore::TClipObj;
using namespace platform;

TClipMover::TClipMover(TBrindlexCore& core, IKeyboard& keyboard)
    : core_(core), keyboard_(keyboard), move_([&core](TClipColl& coll) {
          // Saving purges by the retention rule, which empties the Trash Can at once: it is never written
          // (it starts every run empty) and keeps what is moved there until it is emptied.
          if (coll.CollType != TClipColl::TrashCanColl)
              core.LoadedMasterList().SaveCollection(coll);
      }) {
    // A reload makes new collections: the last target is gone with the old ones.
    loaded_ = core_.Events().DataLoaded.Subscribe([this] { lastTarget_ = nullptr; });
    // A deleted collection is forgotten at once, before a new one could take its place in memory.
    treeChanged_ = core_.Tree().Changed.Subscribe([this] {
        if (lastTarget_ != nullptr && (core_.MasterList() == nullptr || core_.MasterList()->IndexOf(lastTarget_) < 0))
            lastTarget_ = nullptr;
    });
}

TClipObj* TClipMover::FileOne(TClipObj& clip, TClipColl& source, bool copy, TClipColl& target) {
    return move_.FileOne(clip, source, copy, target);
}

bool TClipMover::CopyMode() const {
    const int mode = pendingMode_ != ModeNone ? pendingMode_ : core_.Settings().MoveCopyMode;
    return mode == ModeCopy;
}

bool TClipMover::RefuseTarget(const TClipColl* target) const {
    // Folders and the search results are never written with clips in them: nothing may go there.
    const bool refused = target == nullptr || target->ReadOnly || target->CollType == TClipColl::FolderColl ||
                         target->CollType == TClipColl::SearchResultsColl;
    if (refused)
        core_.Boxes().MessageBox(ReadOnlyText, ReadOnlyCaption, MsgType::Error, MsgButtons::Ok);
    return refused;
}

int TClipMover::MoveSelected(bool copy, TClipColl& target, const char* busyText) {
    core_.EndAutoGlue();
    TClipListModel& list = core_.ClipList();
    // A clip captured since the last save is journalled as added to its collection; once it has moved,
    // a replay after a crash would put it back there. A save retires the journal before clips leave.
    if (!copy && &target != list.Coll())
        core_.LoadedMasterList().Save();
    std::vector<TClipObj*> clips;
    if (&target != list.Coll())
        for (std::size_t row = 0; row < list.Count(); ++row)
            if (list.IsSelected(row))
                clips.push_back(list.Clip(row));
    int n = 0;
    if (!clips.empty()) {
        core_.ShowStatus(StatusInBar, true, busyText != nullptr ? busyText : (copy ? "Copying " : "Moving "));
        // The rows of the moved clips leave the list together, at the end.
        std::vector<const TClipObj*> moved;
        try {
            for (TClipObj* clip : clips) {
                ++n;
                auto* source = dynamic_cast<TClipColl*>(clip->Coll);
                if (source == nullptr || source == &target)
                    continue; // (a row of the search results whose clip is there already)
                if (clip->Dirty && clip->NeedsDataFile()) {
                    // The clip's data file must exist before it is copied; the moves so far are written
                    // in their own order first.
                    move_.Commit();
                    core_.LoadedMasterList().Save();
                }
                FileOne(*clip, *source, copy, target);
                if (!copy)
                    moved.push_back(clip);
            }
        } catch (...) {
            // What was moved so far is written as it belongs.
            list.RemoveClips(moved);
            move_.Commit();
            throw;
        }
        list.RemoveClips(moved);
        const bool filesMoved = move_.FilesMoved();
        move_.Commit();
        if (filesMoved)
            core_.LoadedMasterList().Save();
    }
    core_.ShowStatus(StatusInBar, false,
                     std::string(copy ? "Copied " : "Moved ") + std::to_string(n) + " clip" + (n > 1 ? "s" : "") +
                         " to " + target.Title);
    return n;
}

int TClipMover::DoMoveCopyFromToolbar(bool copy, TClipColl* target) {
    SetTraceLocation("TfrmBX.DoMoveCopyFromToolbar");
    if (RefuseTarget(target))
        return 0;
    if (keyboard_.IsKeyDown(VK_CONTROL))
        copy = true;
    return MoveSelected(copy, *target, nullptr);
}

int TClipMover::DoDropClipsOnColl(bool copy, int node, int dragged) {
    SetTraceLocation("TfrmBX.DoDropClipsOnColl");
    const TCollectionTree& tree = core_.Tree();
    if (node < 0 || static_cast<std::size_t>(node) >= tree.Count() || node == dragged)
        return 0;
    TClipColl* target = tree.At(static_cast<std::size_t>(node)).Coll;
    if (target == nullptr)
        return 0;
    if (RefuseTarget(target))
        return 0;
    const int n = MoveSelected(copy, *target, "Dropped...");
    ClipsDropped.Emit();
    return n;
}

bool TClipMover::MoveButtonClick() {
    core_.AnnounceUserMove({TUserMove::Kind::OtherCollection});
    pendingMode_ = core_.Settings().MoveCopyMode;
    // A collection deleted since is no target any more.
    if (lastTarget_ != nullptr && (core_.MasterList() == nullptr || core_.MasterList()->IndexOf(lastTarget_) < 0))
        lastTarget_ = nullptr;
    if (lastTarget_ == nullptr)
        return true;
    DoMoveCopyFromToolbar(pendingMode_ == ModeCopy, lastTarget_);
    return false;
}

void TClipMover::PickTarget(int node) {
    const TCollectionTree& tree = core_.Tree();
    if (node < 0 || static_cast<std::size_t>(node) >= tree.Count())
        return;
    TClipColl* coll = tree.At(static_cast<std::size_t>(node)).Coll;
    if (coll == nullptr || coll == core_.ClipList().Coll()) {
        core_.Boxes().MessageBox(std::string(NotHereText) + (coll != nullptr ? coll->Title : std::string()) + "\r\n" +
                                     NotHereReason,
                                 "Brindlex", MsgType::Error, MsgButtons::Ok);
        return;
    }
    DoMoveCopyFromToolbar(CopyMode(), coll);
    lastTarget_ = coll;
    pendingMode_ = ModeNone;
}

void TClipMover::MoveWithinCollection(bool top) {
    SetTraceLocation("TfrmBX.MoveWithinCollection");
    TClipListModel& list = core_.ClipList();
    TClipColl* coll = list.Coll();
    if (coll == nullptr)
        return;
    if (coll->SortColumn != TClipListModel::ColMySort) {
        core_.Boxes().MessageBox(SortFirstText, SortFirstCaption, MsgType::Error, MsgButtons::Ok);
        return;
    }
    core_.ShowStatus(StatusInBar, true, "Moving...");
    const std::size_t n = list.SelectedCount();
    if (n > 0 && list.Count() > 0) {
        const bool asc = list.SortAscending();
        const std::int64_t first = list.Clip(0)->SortKey;
        const std::int64_t last = list.Clip(list.Count() - 1)->SortKey;
        const std::int64_t high = std::max<std::int64_t>(std::max(first, last) + 10, coll->GetNextClipSortKey());
        const std::int64_t end = (top && asc) || (!top && !asc) ? 0 : high;
        const std::int64_t from = top ? first : last;
        const std::int64_t distance = std::llabs(end - from);
        const std::int64_t step = distance / static_cast<std::int64_t>(n + 1);
        std::int64_t v = asc ? 0 : distance;
        const std::int64_t base = std::min(end, from);
        for (std::size_t row = 0; row < list.Count(); ++row) {
            if (!list.IsSelected(row))
                continue;
            v = asc ? v + step : v - step;
            list.Clip(row)->SortKey = static_cast<std::int32_t>(base + v);
        }
        list.Sort(TClipListModel::ColMySort, asc);
    }
    coll->SetDirty(true);
    core_.ShowStatus(StatusInBar, false,
                     std::to_string(n) + " Clip" + (n > 1 ? "s" : "") + " Moved Within Collection.");
}

} // namespace bx::shell
