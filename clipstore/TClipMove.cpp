#include "TClipMove.h"

#include "EMyStreamError.h"
#include "LogHook.h"
#include "TClipColl.h"
#include "TClipObj.h"
#include "TDirFiles.h"

#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

namespace bx::clipstore {

using namespace platform;

bool TClipMove::CopyFiles(TClipColl& from, TClipColl& to, std::int32_t oldSerial, std::int32_t newSerial) {
    const std::string fromDir = from.GetPath();
    const std::string toDir = to.GetPath();
    const std::vector<std::string> names = TClipMoveJournal::SerialFiles(fromDir, oldSerial);
    if (names.empty())
        return false;
    TClipObj::RelocateFiles(from, to, oldSerial, newSerial, true);
    const std::string oldText = std::to_string(oldSerial);
    for (const std::string& name : names) {
        // "D10.DAT" becomes "D41.DAT": the first letter, the number, the extension as the source has it.
        const std::string target = name.substr(0, 1) + std::to_string(newSerial) + name.substr(1 + oldText.size());
        std::error_code a, b;
        const auto copied = TDirFiles::Find(toDir, target);
        const bool whole = copied &&
                           std::filesystem::file_size(*copied, a) == std::filesystem::file_size(fromDir + name, b) &&
                           !a && !b;
        if (!whole) {
            TClipMoveJournal::RemoveSerialFiles(toDir, {newSerial});
            throw EMyStreamError("Could Not Copy File: " + fromDir + name + " To:" + toDir + target);
        }
    }
    return true;
}

TClipObj* TClipMove::FileOne(TClipObj& clip, TClipColl& source, bool copy, TClipColl& target) {
    SetTraceLocation("TfrmBX.FileOne");
    const std::int32_t oldSerial = clip.SerialNbr;
    const std::int32_t newSerial = target.GetNextSerialNum();
    const std::int32_t key = target.GetNextClipSortKey();
    if (copy) {
        auto made = std::make_unique<TClipObj>(target.Context(), newSerial, clip.Creator);
        made->SortKey = key;
        made->SetColl(&target);
        made->CloneClipObj(clip);
        if (clip.DataInFile)
            CopyFiles(source, target, oldSerial, newSerial);
        TClipObj* copied = made.get();
        target.MyAddObject(copied->Title, std::move(made));
        target.SetDirty(true);
        return copied;
    }
    const int index = source.IndexOf(&clip);
    if (index < 0)
        throw EMyStreamError("Item " + std::to_string(oldSerial) + " is not in collection " + source.Title);
    // Only a clip kept in a data file has files (its pictures go with the data file).
    const bool files = clip.DataInFile && CopyFiles(source, target, oldSerial, newSerial);
    std::unique_ptr<TClipObj> owned = source.TakeItem(index);
    if (!owned) {
        TClipMoveJournal::RemoveSerialFiles(target.GetPath(), {newSerial});
        throw EMyStreamError("Item " + std::to_string(oldSerial) + " cannot leave collection " + source.Title);
    }
    clip.SerialNbr = newSerial;
    clip.SortKey = key;
    clip.SetColl(&target);
    target.MyAddObject(clip.Title, std::move(owned));
    source.SetDirty(true);
    target.SetDirty(true);
    filesMoved_ = filesMoved_ || files;
    Group* group = nullptr;
    for (Group& g : pending_)
        if (g.Source == &source && g.Target == &target)
            group = &g;
    if (group == nullptr) {
        pending_.push_back({&source, &target, {source.GetPath(), {}}});
        group = &pending_.back();
    }
    group->Note.Entries.push_back({oldSerial, newSerial, clip.TimeStamp});
    return &clip;
}

void TClipMove::Commit() {
    SetTraceLocation("TClipMove.Commit");
    while (!pending_.empty()) {
        const Group group = pending_.front();
        pending_.erase(pending_.begin());
        const std::string targetDir = group.Target->GetPath();
        std::string error;
        if (!TClipMoveJournal::Write(targetDir, group.Note, &error))
            throw EMyStreamError("Error Writing File: " + targetDir + TClipMoveJournal::FileName + " " + error);
        // The target first: until the source is written the clips are in both, and the note says which
        // copy a load keeps.
        save_(*group.Target);
        save_(*group.Source);
        std::vector<std::int32_t> serials;
        for (const TClipMoveJournal::Entry& e : group.Note.Entries)
            serials.push_back(e.OldSerial);
        TClipMoveJournal::RemoveSerialFiles(group.Note.SourceDir, serials);
        TClipMoveJournal::Remove(targetDir);
        LogMsg(LogDataEvents, "TClipMove.Commit",
               std::to_string(group.Note.Entries.size()) + " Moved From " + group.Note.SourceDir + " To " + targetDir);
    }
    filesMoved_ = false;
}

} // namespace bx::clipstore
