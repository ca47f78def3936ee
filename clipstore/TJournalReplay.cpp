#include "TJournalReplay.h"

#include "EMyStreamError.h"
#include "LogHook.h"
#include "TBitmap.h"
#include "TByteReader.h"
#include "TCaptureJournal.h"
#include "TClipColl.h"
#include "TClipData.h"
#include "TClipObj.h"
#include "TJournalRecord.h"
#include "TMetafile.h"

#include <filesystem>
#include <map>
#include <memory>
#include <utility>

namespace bx::clipstore {

using namespace platform;

namespace {

int IndexOfSerial(const TClipColl& coll, std::int32_t serial) {
    for (std::size_t i = 0; i < coll.Count(); ++i)
        if (coll.Clip(i)->SerialNbr == serial)
            return static_cast<int>(i);
    return -1;
}

// The record's pictures become the clip's picture files, so that its format records read them.
bool WritePictures(const TJournalRecord::Entry& e, const std::string& dir) {
    try {
        for (const TJournalRecord::Picture& p : e.Pictures) {
            if (p.Kind == TJournalRecord::BitmapDib) {
                TBitmap bitmap;
                if (!bitmap.LoadFromDib(p.Bytes))
                    return false;
                bitmap.SaveToFile(dir + TClipData::PictureName(e.SerialNbr, ".bmp"));
            } else {
                TMetafile metafile;
                if (!metafile.LoadFromBytes(p.Bytes))
                    return false;
                metafile.SaveToFile(dir + TClipData::PictureName(e.SerialNbr, ".emf"));
            }
        }
    } catch (const std::exception& ex) {
        LogMsg(LogErrors, "TJournalReplay", std::string("Picture not written: ") + ex.what());
        return false;
    }
    return true;
}

std::unique_ptr<TClipObj> ReadClip(const TJournalRecord::Entry& e, TClipColl& coll) {
    const std::string dir = coll.GetPath();
    if (dir.empty() || !WritePictures(e, dir))
        return nullptr;
    auto clip = std::make_unique<TClipObj>(coll.Context(), e.SerialNbr, std::string());
    clip->Coll = &coll;
    TByteReader reader(e.ClipRecord);
    bool read = false;
    try {
        read = clip->LoadFromStream(reader);
    } catch (const std::exception& ex) {
        LogMsg(LogErrors, "TJournalReplay", std::string("Clip record not read: ") + ex.what());
    }
    if (!read || clip->SerialNbr != e.SerialNbr)
        return nullptr;
    clip->SortKey = e.SortKey;
    clip->Dirty = true;
    return clip;
}

} // namespace

int TJournalReplay::Replay(TCaptureJournal& journal, const std::vector<TClipColl*>& colls) {
    SetTraceLocation("TJournalReplay.Replay");
    std::vector<std::uint8_t> bytes;
    try {
        if (!std::filesystem::exists(journal.Path()))
            return 0;
        bytes = TByteReader::FromFile(journal.Path()).Release();
    } catch (const EMyStreamError& e) {
        LogMsg(LogErrors, "TJournalReplay", "Journal not read: " + journal.Path() + " " + e.what());
        return 0;
    }
    const TJournalRecord::ReadResult read = TJournalRecord::Read(bytes);
    if (read.Damaged) {
        LogMsg(LogErrors, "TJournalReplay",
               "Journal " + journal.Path() + ": " + std::to_string(bytes.size() - read.GoodBytes) +
                   " bytes after record " + std::to_string(read.Entries.size()) + " are damaged or torn; cut off");
        journal.CutTo(read.GoodBytes);
    }

    std::map<std::string, TClipColl*> byName;
    for (TClipColl* coll : colls)
        if (const std::string name = TCaptureJournal::CollectionName(*coll); !name.empty())
            byName.emplace(name, coll);
    // The last record of each clip counts.
    std::map<std::pair<std::string, std::int32_t>, std::size_t> last;
    for (std::size_t i = 0; i < read.Entries.size(); ++i)
        last[{read.Entries[i].Collection, read.Entries[i].SerialNbr}] = i;

    int replayed = 0;
    for (std::size_t i = 0; i < read.Entries.size(); ++i) {
        const TJournalRecord::Entry& e = read.Entries[i];
        const auto coll = byName.find(e.Collection);
        if (coll == byName.end()) {
            LogMsg(LogErrors, "TJournalReplay", "Collection not loaded: " + e.Collection);
            continue;
        }
        journal.Name(e.Collection);
        if (last[{e.Collection, e.SerialNbr}] != i)
            continue;
        TClipColl& target = *coll->second;
        const int at = IndexOfSerial(target, e.SerialNbr);
        if (e.Kind == TJournalRecord::Deleted) {
            // Deleted or moved away after its collection was saved. Its files stay: a clip moved away
            // may still need them, and nothing else is ever numbered like it.
            if (at >= 0) {
                LogMsg(LogDataEvents, "TJournalReplay",
                       "Taken Out Item " + std::to_string(e.SerialNbr) + " Of " + e.Collection);
                target.JournalQuiet = true;
                target.TakeItem(at);
                target.JournalQuiet = false;
                target.SetDirty(true);
                ++replayed;
            }
            continue;
        }
        if (at >= 0 && e.Kind == TJournalRecord::Added)
            continue; // saved before the crash
        std::unique_ptr<TClipObj> clip = ReadClip(e, target);
        if (!clip) {
            LogMsg(LogErrors, "TJournalReplay",
                   "Clip " + std::to_string(e.SerialNbr) + " of " + e.Collection +
                       " not replayed: its record does not read");
            continue;
        }
        LogMsg(LogDataEvents, "TJournalReplay",
               std::string(at >= 0 ? "Changed" : "Put back") + " Item " + std::to_string(e.SerialNbr) + " In " +
                   e.Collection);
        std::size_t index = target.AddOrder == 1 ? 0 : target.Count();
        target.JournalQuiet = true;
        if (at >= 0) {
            index = static_cast<std::size_t>(at);
            target.TakeItem(at);
        }
        clip->SetColl(&target);
        target.InsertReplayed(index, std::move(clip));
        target.JournalQuiet = false;
        target.LastSerialNbr = std::max(target.LastSerialNbr, e.SerialNbr);
        target.LastClipSortKey = std::max(target.LastClipSortKey, e.SortKey);
        target.SetDirty(true);
        ++replayed;
    }
    if (replayed > 0)
        LogMsg(LogStartStop, "TJournalReplay",
               std::to_string(replayed) + " clips replayed from the capture journal " + journal.Path());
    return replayed;
}

} // namespace bx::clipstore
