#include "TClipListCommands.h"

#include "IMessageBoxes.h"
#include "IShell.h"
#include "LogHook.h"
#include "LogLevels.h"
#include "StatusLevels.h"
#include "TAppSettings.h"
#include "TBrindlexCore.h"
#include "TClipColl.h"
#include "TClipListModel.h"
#include "TClipListSelection.h"
#include "TClipObj.h"
#include "TClipView5.h"
#include "TMasterList.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <vector>

namespace bx::shell {

using clipstore::TClipColl;
using clipstore::TClipObj;
using namespace platform;

namespace {

bool StartsWithNoCase(const std::string& text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}

} // namespace

TClipListCommands::TClipListCommands(TBrindlexCore& core, TClipListSelection& selection, IShell& shell)
    : core_(core), selection_(selection), shell_(shell), move_([&core](TClipColl& coll) {
          // Saving a collection purges it by its retention, which empties the Trash Can: the Trash Can is
          // never written (it starts every run empty) and keeps its clips until it is emptied.
          if (coll.CollType != TClipColl::TrashCanColl)
              core.LoadedMasterList().SaveCollection(coll);
      }) {}

int TClipListCommands::DeleteSelected() {
    SetTraceLocation("TfrmBX.mnuDeleteSelectedItemsClick");
    if (CancelDrag)
        CancelDrag();
    IMessageBoxes& boxes = core_.Boxes();
    if (core_.FlashpickActive()) {
        boxes.MessageBox(FlashpickText, "Brindlex", MsgType::Error, MsgButtons::Ok);
        return 0;
    }
    TClipListModel& list = core_.ClipList();
    TClipColl* coll = list.Coll();
    clipstore::TMasterList& master = core_.LoadedMasterList();
    if (coll == nullptr || coll == master.SearchResults || coll == master.TrashCan || coll->ReadOnly ||
        coll->CollType == TClipColl::SearchResultsColl || coll->CollType == TClipColl::TrashCanColl) {
        boxes.MessageBox(CannotDeleteText, "Brindlex", MsgType::Error, MsgButtons::Ok);
        return 0;
    }
    if (coll->Retention == TClipColl::KeepAll && core_.Settings().ConfirmDeleteFromSafe &&
        boxes.MessageBox(SafeText, "Brindlex", MsgType::Confirmation, MsgButtons::OkCancel) != MsgResult::Ok)
        return 0;
    core_.ClearSearchResults();
    core_.EndAutoGlue();
    if (list.SelectedCount() == 0) {
        core_.ShowStatus(StatusInBarAndItemBar, false, NothingText);
        return 0;
    }
    if (master.TrashCan == nullptr)
        throw std::runtime_error("No Trash Can");
    core_.ShowStatus(StatusInBarAndItemBar, true, DeletingText);
    selection_.Pinned = false;
    if (Unpin)
        Unpin();
    selection_.EditClip = nullptr;
    selection_.EditNode = -1;
    // A clip captured since the last save is journalled as added to its collection: a save retires the
    // journal before clips leave, or a replay after a crash would put a deleted clip back without its files.
    master.Save();
    std::vector<TClipObj*> clips;
    std::size_t first = list.Count();
    for (std::size_t row = 0; row < list.Count(); ++row)
        if (list.IsSelected(row)) {
            first = std::min(first, row);
            clips.push_back(list.Clip(row));
        }
    // The rows leave together, at the end; what was moved when a step fails is written as it belongs.
    std::vector<const TClipObj*> moved;
    try {
        for (TClipObj* clip : clips) {
            if (clip->Dirty && clip->NeedsDataFile()) {
                // The clip's data file must exist before it follows the clip.
                move_.Commit();
                master.Save();
            }
            move_.FileOne(*clip, *coll, false, *master.TrashCan);
            LogMsg(LogDeletion, "TfrmBX.mnuDeleteSelectedItemsClick", "To Trash Can: " + clip->Title);
            moved.push_back(clip);
        }
    } catch (...) {
        list.RemoveClips(moved);
        move_.Commit();
        throw;
    }
    list.RemoveClips(moved);
    coll->ListChanged = true;
    const bool filesMoved = move_.FilesMoved();
    move_.Commit();
    if (filesMoved)
        master.Save();
    core_.ShowStatus(StatusInBar, false, std::to_string(moved.size()) + " Items Deleted.");
    if (first < list.Count())
        list.SelectOnly(first);
    else if (list.Count() > 0)
        list.SelectOnly(0);
    if (list.SelectedCount() != 1) {
        // Nothing of the deleted clips stays on offer.
        cliplink::TClipView5& view = core_.ClipView();
        if (view.Open()) {
            view.clear();
            view.Close();
        }
    }
    return static_cast<int>(moved.size());
}

TClipObj* TClipListCommands::NewClip() {
    SetTraceLocation("TfrmBX.mnuPopupClips_NewClipClick");
    if (CancelDrag)
        CancelDrag();
    TClipListModel& list = core_.ClipList();
    TClipColl* coll = list.Coll();
    // The search results and folders keep no clips of their own: a clip made there would be lost.
    if (coll == nullptr || coll->ReadOnly || coll->CollType == TClipColl::SearchResultsColl ||
        coll->CollType == TClipColl::FolderColl) {
        core_.Boxes().MessageBox(ReadOnlyText, ReadOnlyCaption, MsgType::Error, MsgButtons::Ok);
        return nullptr;
    }
    core_.EndAutoGlue();
    auto owned = std::make_unique<TClipObj>(coll->Context(), coll->GetNextSerialNum(), NewClipCreator);
    TClipObj* clip = owned.get();
    clip->SetTitle("Untitled");
    clip->SetIcon(CF_TEXT);
    clip->SetColl(coll);
    clip->SortKey = coll->GetNextClipSortKey();
    clip->PutText("", 0);
    const int order = coll->MyAddObject(clip->Title, std::move(owned));
    coll->SetDirty(true);
    list.AddToLists(clip, true, order);
    core_.SetCurrentClip(clip);
    core_.CopyItem(clip);
    return clip;
}

bool TClipListCommands::DropOnRow(int target) {
    SetTraceLocation("TfrmBX.lvClipsDragDrop");
    core_.ShowStatus(StatusInBar, true, "Dropped...");
    TClipListModel& list = core_.ClipList();
    TClipColl* coll = list.Coll();
    // The search results only refer to clips: their order is their collections'.
    if (coll == nullptr || coll->ReadOnly || coll->CollType == TClipColl::SearchResultsColl || target < 0 ||
        static_cast<std::size_t>(target) >= list.Count() || list.IsSelected(static_cast<std::size_t>(target))) {
        core_.ShowStatus(StatusInBar, false, InvalidDropText);
        return false;
    }
    const auto row = static_cast<std::size_t>(target);
    const bool ascending = list.SortAscending();
    const std::int64_t targetKey = list.Clip(row)->SortKey;
    const auto n = static_cast<std::int64_t>(list.SelectedCount());
    std::int64_t above = 0;
    if (row > 0)
        above = list.Clip(row - 1)->SortKey;
    else if (!ascending)
        // A fresh key of the collection; one that has fallen below the top row's (keys set by hand) would
        // put the dropped rows below it.
        above = std::max<std::int64_t>(coll->GetNextClipSortKey(), targetKey + 100 * (n + 1));
    const std::int64_t gap = std::llabs(above - targetKey);
    const std::int64_t step = gap / (n + 1);
    const std::int64_t base = std::min(above, targetKey);
    std::int64_t offset = ascending ? 0 : gap;
    for (std::size_t r = 0; r < list.Count(); ++r) {
        if (!list.IsSelected(r))
            continue;
        offset = ascending ? offset + step : offset - step;
        list.Clip(r)->SortKey = static_cast<std::int32_t>(base + offset);
    }
    list.MoveSelectedBefore(row);
    coll->SetDirty(true);
    core_.ShowStatus(StatusInBar, false,
                     std::to_string(n) + " Clip" + (n > 1 ? "s" : "") + " Moved Within Collection.");
    return true;
}

void TClipListCommands::LocateLastClip() {
    const TClipObj* clip = core_.CurrentClip();
    if (clip != nullptr && clip->Coll != nullptr)
        core_.Boxes().MessageBox(std::string(LocatedText) + "\r\n" + clip->Coll->CollTitle(), "Brindlex",
                                 MsgType::Information, MsgButtons::Ok);
    else
        core_.Boxes().MessageBox(NotLocatedText, "Brindlex", MsgType::Information, MsgButtons::Ok);
}

bool TClipListCommands::OpenSourceUrl() {
    if (CancelDrag)
        CancelDrag();
    const TClipObj* clip = core_.CurrentClip();
    if (clip == nullptr || clip->SourceURL.str().empty() || !OpenUrl(clip->SourceURL.str())) {
        core_.Boxes().MessageBox(NoUrlText, NoUrlCaption, MsgType::Error, MsgButtons::Ok);
        return false;
    }
    return true;
}

bool TClipListCommands::IsOpenableUrl(const std::string& url) {
    if (url.empty() || url.size() > 2048)
        return false;
    for (const char c : url)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return false;
    for (const std::string_view scheme : {"http://", "https://", "ftp://", "mailto:", "file://"})
        if (StartsWithNoCase(url, scheme))
            return url.size() > scheme.size();
    if (url.front() != '/')
        return false;
    std::error_code ec;
    return std::filesystem::exists(url, ec);
}

bool TClipListCommands::OpenUrl(const std::string& url) {
    if (!IsOpenableUrl(url)) {
        LogMsg(LogErrors, "TfrmBX.OpenURL", "Not opened (no web, mail or file address): " + url);
        return false;
    }
    LogMsg(LogDataEvents, "TfrmBX.OpenURL", url);
    return shell_.ShellExecute("open", url, "");
}

} // namespace bx::shell
