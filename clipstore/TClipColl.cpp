#include "TClipColl.h"

#include "AtomicFile.h"
#include "AtomicFileWriter.h"
#include "DateTime.h"
#include "EMyStreamError.h"
#include "IMasterListLink.h"
#include "IMessageBoxes.h"
#include "LogHook.h"
#include "PrivateDirectories.h"
#include "TByteReader.h"
#include "TByteWriter.h"
#include "TChecksum.h"
#include "TClipContext.h"
#include "TClipData.h"
#include "TClipObj.h"
#include "TDirFiles.h"
#include "TJournalRecord.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <sys/stat.h>

namespace bx::clipstore {

using namespace platform;

namespace fs = std::filesystem;

namespace {

// The line break of texts the program makes up itself.
constexpr const char* LineBreak = "\n";
constexpr const char* BoxCaption = "Brindlex";

// Sort key counter of a program without a master list: the value a fresh master list hands out first.
constexpr std::int32_t FirstOldFileSortKey = 1000;

// How far stream recovery looks ahead for the next clip record.
constexpr std::size_t RecoveryWindow = 2048;

// No clip record, of any version, is shorter than this.
constexpr std::size_t MinClipRecordBytes = 20;

// The collection file is written in pieces of this size.
constexpr std::size_t SaveChunk = std::size_t{256} << 10;

// Two's-complement arithmetic: stored counters wrap instead of overflowing.
std::int32_t WrapAdd(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
std::int32_t WrapMul(std::int32_t a, std::uint32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * b);
}

// dir (ending in "/") and file name of a path.
std::pair<std::string, std::string> SplitPath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {"./", path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

bool IsRecordHeaderAt(std::span<const std::uint8_t> bytes, std::size_t k) {
    static constexpr const char* headers[] = {TClipObj::CheckedRecordHeader, TClipObj::RecordHeader, "CLIP.503"};
    if (k + 9 > bytes.size() || bytes[k] != 8)
        return false;
    for (const char* h : headers)
        if (std::memcmp(bytes.data() + k + 1, h, 8) == 0)
            return true;
    return false;
}

} // namespace

static_assert(alignof(TClipObj) > 1, "a clip's address must leave the reference bit free");

TClipColl::Entry TClipColl::Entry::Owning(std::unique_ptr<TClipObj> clip) {
    return Entry(reinterpret_cast<std::uintptr_t>(clip.release()));
}

TClipColl::Entry TClipColl::Entry::Reference(TClipObj* clip) {
    return Entry(reinterpret_cast<std::uintptr_t>(clip) | ReferenceBit);
}

std::unique_ptr<TClipObj> TClipColl::Entry::Release() {
    if (!Owns())
        return nullptr;
    return std::unique_ptr<TClipObj>(reinterpret_cast<TClipObj*>(std::exchange(bits_, 0)));
}

void TClipColl::Entry::Destroy() noexcept {
    // An owned clip is adopted for the moment it takes to destroy it; a reference is only dropped.
    if (Owns())
        std::unique_ptr<TClipObj>(Clip()).reset();
    bits_ = 0;
}

TClipColl::TClipColl(TClipContext& context, bool withDefaults, IMasterListLink* master)
    : Master(master), context_(&context) {
    if (withDefaults) {
        SortKey = 1010;
        ImageIndex = 10;
        DirName = "NEW Collection";
        Title = "NEW Collection";
        Dirty = true;
        MaxItems = 100;
        MaxDays = 10;
        AddOrder = 1;
        AcceptNewClips = true;
        SortColumn = 1;
    } else {
        DirName = "0";
    }
}

TClipColl::~TClipColl() {
    Clear();
}

void TClipColl::Clear() {
    // Owned clips are destroyed; references to other collections' clips are only dropped.
    entries_.clear();
    journalNotes_ = JournalNotes{};
}

TClipObj* TClipColl::Clip(std::size_t index) const {
    return index < entries_.size() ? entries_[index].Clip() : nullptr;
}

std::string TClipColl::EntryTitle(std::size_t index) const {
    return index < entries_.size() ? entries_[index].Clip()->Title : std::string();
}

int TClipColl::IndexOf(const TClipObj* clip) const {
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].Clip() == clip)
            return static_cast<int>(i);
    return -1;
}

void TClipColl::SetDirty(bool value) {
    Dirty = value;
    if (Master != nullptr)
        Master->SetDirty(value);
}

std::string TClipColl::GetPath() const {
    if (Parent != nullptr)
        return Parent->GetPath() + DirName + "/";
    if (IsSpecial() || (Master != nullptr && Master->NeedDefaultCollections())) {
        const std::string root =
            Master != nullptr ? TDirFiles::WithSlash(Master->CurrentDataSourceDirectory()) : std::string();
        // Without a data source there is no directory: never a path relative to wherever we run.
        if (root.empty())
            return std::string();
        return root + DirName + "/";
    }
    return TDirFiles::WithSlash(DirName);
}

void TClipColl::SetImageIndex(std::int32_t index) {
    SetDirty(true);
    ImageIndex = index;
}

std::int32_t TClipColl::GetNextSerialNum() {
    LastSerialNbr = WrapAdd(LastSerialNbr, 1);
    if (LastSerialNbr < 1)
        LastSerialNbr = 1;
    return LastSerialNbr;
}

std::int32_t TClipColl::GetNextClipSortKey() {
    LastClipSortKey = WrapAdd(LastClipSortKey, 100);
    if (LastClipSortKey < 1)
        LastClipSortKey = 100;
    return LastClipSortKey;
}

int TClipColl::MyAddObject(const std::string& /*title*/, std::unique_ptr<TClipObj>&& clip) {
    if (ReadOnly || !clip)
        return 0;
    TClipObj& added = *clip;
    Entry entry = Entry::Owning(std::move(clip));
    if (AddOrder == 1)
        entries_.insert(entries_.begin(), std::move(entry));
    else
        entries_.push_back(std::move(entry));
    SetDirty(true);
    ListChanged = true;
    if (Journalled())
        NoteForJournal(added, TJournalRecord::Added);
    return AddOrder;
}

void TClipColl::InsertReplayed(std::size_t index, std::unique_ptr<TClipObj> clip) {
    if (!clip)
        return;
    const auto at = entries_.begin() + static_cast<std::ptrdiff_t>(std::min(index, entries_.size()));
    entries_.insert(at, Entry::Owning(std::move(clip)));
    ListChanged = true;
}

void TClipColl::ClipChanged(TClipObj& clip) {
    if (Journalled())
        NoteForJournal(clip, TJournalRecord::Changed);
}

void TClipColl::NoteForJournal(TClipObj& clip, std::uint8_t kind) {
    if (clip.JournalNoted) {
        // Noted already (most likely the last note): an addition stays one.
        if (kind == TJournalRecord::Added)
            for (auto it = journalNotes_.Clips.rbegin(); it != journalNotes_.Clips.rend(); ++it)
                if (it->first == &clip) {
                    it->second = kind;
                    break;
                }
        return;
    }
    clip.JournalNoted = true;
    journalNotes_.Clips.emplace_back(&clip, kind);
    Master->JournalNoted();
}

void TClipColl::NoteTakenOut(TClipObj& clip) {
    if (clip.JournalNoted) {
        clip.JournalNoted = false;
        auto& clips = journalNotes_.Clips;
        for (auto it = clips.rbegin(); it != clips.rend(); ++it)
            if (it->first == &clip) {
                clips.erase(std::next(it).base());
                break;
            }
    }
    // Purges while the program starts or ends are left out: a purged clip that comes back after a
    // crash does no harm.
    if (Journalled() && !Master->SuppressListEvents()) {
        journalNotes_.Deleted.push_back(clip.SerialNbr);
        Master->JournalNoted();
    }
}

void TClipColl::AddReference(const std::string& /*title*/, TClipObj* clip) {
    if (clip == nullptr)
        return;
    entries_.push_back(Entry::Reference(clip));
    ListChanged = true;
}

void TClipColl::RemoveClipFiles(TClipObj& clip) const {
    const std::string dir = GetPath();
    if (dir.empty())
        return;
    bool bitmap = false;
    bool metafile = false;
    try {
        bitmap = clip.HasFormat(CF_BITMAP);
        metafile = clip.HasFormat(CF_METAFILEPICT);
    } catch (const std::exception& e) {
        // The clip's data cannot be read: its picture files, named by its serial number, go with it.
        LogMsg(LogErrors, "TClipColl.RemoveItem", std::string("Formats not known, removing all files: ") + e.what());
        bitmap = true;
        metafile = true;
    }
    if (bitmap)
        TDirFiles::Remove(dir, TClipData::PictureName(clip.SerialNbr, ".bmp"));
    if (metafile) {
        TDirFiles::Remove(dir, TClipData::PictureName(clip.SerialNbr, ".wmf"));
        TDirFiles::Remove(dir, TClipData::PictureName(clip.SerialNbr, ".emf"));
    }
    if (clip.DataInFile)
        TDirFiles::Remove(dir, TClipObj::DataFileName(clip.SerialNbr));
}

std::unique_ptr<TClipObj> TClipColl::RemoveItem(int index, bool free) {
    if (ReadOnly || index < 0 || static_cast<std::size_t>(index) >= entries_.size())
        return nullptr;
    SetTraceLocation("TClipColl.RemoveItem");
    const auto at = entries_.begin() + index;
    std::unique_ptr<TClipObj> owned = at->Release();
    // A reference's files belong to the collection that owns the clip.
    if (owned) {
        NoteTakenOut(*owned);
        RemoveClipFiles(*owned);
    }
    entries_.erase(at);
    ListChanged = true;
    SetDirty(true);
    if (free)
        owned.reset();
    return owned;
}

std::unique_ptr<TClipObj> TClipColl::TakeItem(int index) {
    if (ReadOnly || index < 0 || static_cast<std::size_t>(index) >= entries_.size() ||
        !entries_[static_cast<std::size_t>(index)].Owns())
        return nullptr;
    std::unique_ptr<TClipObj> owned = entries_[static_cast<std::size_t>(index)].Release();
    entries_.erase(entries_.begin() + index);
    NoteTakenOut(*owned);
    ListChanged = true;
    SetDirty(true);
    return owned;
}

std::int64_t TClipColl::DayNumber(TDateTime date) {
    // Dates from damaged files are kept within the calendar (years 1 to 9999).
    if (!std::isfinite(date))
        date = 0;
    date = std::clamp(date, -693593.0, 2958465.0);
    const DateTimeParts parts = DecodeDateTime(date);
    return (static_cast<std::int64_t>(parts.year) - 1980) * 365 + parts.month * 30 + parts.day;
}

void TClipColl::RemoveForPurge(int index, const char* where) {
    const TClipObj* clip = entries_[static_cast<std::size_t>(index)].Clip();
    LogMsg(LogDeletion, where, "Item:" + std::to_string(index) + " " + clip->Title);
    RemoveItem(index, true);
    Dirty = true;
}

void TClipColl::Purge() {
    const bool busy = Master != nullptr && Master->SuppressListEvents();
    if (CollType != TrashCanColl && !busy)
        return;
    // Nothing can be removed from a read-only collection.
    if (ReadOnly)
        return;
    SetTraceLocation("TClipColl.Purge");
    LogMsg(LogDeletion, "BEGIN PURGE", Title);
    const int count = static_cast<int>(entries_.size());
    if (Retention == KeepMaxItems) {
        // A negative limit keeps nothing, like 0.
        const int limit = std::max<std::int32_t>(MaxItems, 0);
        if (count > limit) {
            if (AddOrder == 1) {
                for (int i = count - 1; i >= limit; --i)
                    RemoveForPurge(i, "DELETING (LENGTH)");
            } else {
                for (int i = count - 1 - limit; i >= 0; --i)
                    RemoveForPurge(i, "DELETING (LENGTH)");
            }
        }
    } else if (Retention == DeleteByAge) {
        const std::int64_t today = DayNumber(context_->Now());
        for (int i = count - 1; i >= 0; --i) {
            const TClipObj* clip = entries_[static_cast<std::size_t>(i)].Clip();
            if (today - DayNumber(clip->TimeStamp) >= MaxDays)
                RemoveForPurge(i, "DELETING (AGE)");
        }
    }
    LogMsg(LogDeletion, "END PURGE", Title);
}

int TClipColl::HeaderVersion(const std::string& header) {
    if (header.size() != 8 || header.compare(0, 4, "COLL") != 0)
        return 0;
    return TByteReader::HeaderDigits(header, 5);
}

void TClipColl::SaveToStream(TByteWriter& stream) {
    if (ReadOnly)
        return;
    SetTraceLocation("TClipColl.SaveToStream");
    platform::CreatePrivateDirectories(GetPath());
    const std::size_t mark = stream.Mark();
    stream.WriteString(FileHeader);
    stream.WriteBool(AcceptNewClips);
    stream.WriteI32(LastSerialNbr);
    stream.WriteU8(Retention);
    stream.WriteBool(Dirty);
    Dirty = false;
    stream.WriteU8(Reserved1);
    stream.WriteU8(Reserved2);
    stream.WriteI32(MaxItems);
    stream.WriteI32(MaxDays);
    stream.WriteI32(AddOrder);
    stream.WriteString(Title);
    stream.WriteI32(ImageIndex);
    stream.WriteI32(SortKey);
    stream.WriteBool(AllowDuplicates);
    stream.WriteI32(LastClipSortKey);
    stream.WriteI32(SortColumn);
    stream.WriteBool(SortAscending);
    stream.WriteBool(Favorite);
    stream.WriteI32(static_cast<std::int32_t>(entries_.size()));
    const std::uint32_t sum = TChecksum::Of(std::as_bytes(stream.Since(mark)), ChecksumSeed);
    stream.Release();
    stream.WriteU32(sum);
    for (const Entry& e : entries_) {
        e.Clip()->SaveToStream(stream);
        e.Clip()->UnLoad();
    }
}

bool TClipColl::Recover(TByteReader& stream, const std::string& failedTitle) const {
    const std::size_t p = stream.Position();
    std::size_t n = stream.Size() - p;
    if (n > RecoveryWindow)
        n = RecoveryWindow;
    else if (n > 10)
        n -= 10;
    else
        return false;
    const auto window = stream.Peek(n);
    for (std::size_t k = 0; k < n; ++k) {
        if (!IsRecordHeaderAt(window, k))
            continue;
        stream.Seek(p + k);
        LogMsg(LogErrors, "Stream Recovery Sucessful",
               "Read past " + std::to_string(k) + " bytes, discarding item: " + failedTitle);
        return true;
    }
    return false;
}

void TClipColl::ReportFailures(int failed) {
    IMessageBoxes* boxes = Master != nullptr ? Master->MessageBoxes() : nullptr;
    if (boxes != nullptr) {
        const std::string text = std::string("There were problems reading some of the items in collection: ") +
                                 LineBreak + "  " + Title + LineBreak +
                                 " This may be due to problems saving data from the last session, or  a system "
                                 "crash." +
                                 LineBreak + "The number of failed items is: " + std::to_string(failed) + LineBreak +
                                 " You may proceed normally.";
        boxes->MessageBox(text, BoxCaption, MsgType::Error, MsgButtons::Ok);
    }
    SetDirty(true);
}

TClipColl::LoadReport TClipColl::LoadFromStream(TByteReader& stream) {
    SetTraceLocation("TClipColl.LoadFromStream");
    LogMsg(LogDataEvents, ">TClipColl.LoadFromStream", "");
    Clear();
    ListChanged = true;

    // Reading clips back is no change of theirs.
    struct Quiet {
        bool& flag;
        bool before;
        ~Quiet() { flag = before; }
    } quiet{JournalQuiet, std::exchange(JournalQuiet, true)};
    LoadReport report;
    // The fields stay in a streamed reader's window until their checksum is checked.
    stream.Peek(MaxHeaderBytes);
    const std::size_t start = stream.Position();
    report.Version = ReadFields(stream);
    const std::int32_t count = stream.ReadI32();
    if (report.Version >= CheckedHeaderVersion &&
        TChecksum::Of(std::as_bytes(stream.Held(start)), ChecksumSeed) != stream.ReadU32())
        throw EMyStreamError("the collection file's header fails its checksum");
    ReadClips(stream, count, report);

    if (report.Failed > 0)
        ReportFailures(report.Failed);
    if (ReadOnly)
        AcceptNewClips = false;
    LogMsg(LogDataEvents, "<TClipColl.LoadFromStream",
           "Passed: " + std::to_string(report.Passed) + " Failed: " + std::to_string(report.Failed));
    return report;
}

int TClipColl::ReadFields(TByteReader& stream) {
    const int version = HeaderVersion(stream.ReadRawString());
    AcceptNewClips = version >= 401 ? stream.ReadBool() : true;
    LastSerialNbr = stream.ReadI32();
    Retention = stream.ReadU8();
    stream.ReadU8(); // Dirty as it was written; a file just read is not dirty
    Reserved1 = stream.ReadU8();
    Reserved2 = stream.ReadU8();
    if (version < 500)
        stream.ReadU8(); // a byte of earlier files without meaning
    MaxItems = stream.ReadI32();
    MaxDays = stream.ReadI32();
    AddOrder = stream.ReadI32();
    Title = stream.ReadString();
    Dirty = false;
    if (version >= 500) {
        ImageIndex = stream.ReadI32();
    } else {
        switch (Retention) {
        case KeepMaxItems:
            ImageIndex = 10;
            break;
        case DeleteByAge:
            ImageIndex = 12;
            break;
        case KeepAll:
            ImageIndex = 11;
            break;
        default:
            ImageIndex = -1;
            break;
        }
    }
    if (version >= 501)
        SortKey = stream.ReadI32();
    else
        SortKey = Master != nullptr ? Master->NextOldFileSortKey() : FirstOldFileSortKey;
    AllowDuplicates = version >= 502 ? stream.ReadBool() : false;
    if (version >= 503) {
        LastClipSortKey = stream.ReadI32();
    } else {
        LastClipSortKey = 0;
        SetDirty(true);
    }
    if (version >= 504) {
        SortColumn = stream.ReadI32();
        SortAscending = stream.ReadBool();
    } else {
        SortColumn = 1;
        SortAscending = false;
    }
    Favorite = version >= 505 ? stream.ReadBool() : false;
    return version;
}

void TClipColl::ReadClips(TByteReader& stream, std::int32_t count, LoadReport& report) {
    // Room for the entries at once, as many as the bytes left can hold at the least.
    if (count > 0)
        entries_.reserve(std::min(static_cast<std::size_t>(count), stream.Remaining() / MinClipRecordBytes));
    // A clip is made by the stream until its record names the program it came from.
    static const TInternedString streamCreator("Stream");
    for (std::int32_t i = 0; i < count; ++i) {
        const std::size_t before = stream.Position();
        auto clip = std::make_unique<TClipObj>(*context_, 0, streamCreator);
        clip->SetColl(this);
        bool read = false;
        try {
            read = clip->LoadFromStream(stream);
        } catch (const std::exception& e) {
            LogMsg(LogErrors, "TClipColl.LoadFromStream", std::string("Clip record not read: ") + e.what());
        }
        bool audited = false;
        if (read) {
            try {
                audited = clip->Audit();
            } catch (const std::exception& e) {
                LogMsg(LogErrors, "TClipColl.LoadFromStream", std::string("Clip not audited: ") + e.what());
            }
        }
        if (read && audited) {
            ++report.Passed;
            TClipObj* raw = clip.get();
            entries_.push_back(Entry::Owning(std::move(clip)));
            if (raw->SortKey == 0) {
                raw->SortKey = WrapMul(raw->SerialNbr, 100);
                if (LastClipSortKey < raw->SortKey)
                    LastClipSortKey = raw->SortKey;
                SetDirty(true);
            }
            continue;
        }
        ++report.Failed;
        LogMsg(LogErrors, "Error Loading Item:", clip->Title);
        if (!read) {
            Recover(stream, clip->Title);
            if (stream.Position() == before) {
                // Nothing was consumed and nothing found: every remaining entry would fail right here.
                report.Failed += count - 1 - i;
                break;
            }
        }
    }
}

bool TClipColl::SaveToFile(const std::string& path) {
    if (ReadOnly || CollType == SearchResultsColl)
        return true;
    SetTraceLocation("TClipColl.SaveToFile");
    bool result = false;
    if (Dirty) {
        LogMsg(LogDataEvents, "SaveToFile", "Saving collection: " + Title);
        try {
            platform::CreatePrivateDirectories(GetPath());
            const auto [dir, name] = SplitPath(path);
            // An existing file of that name is replaced whatever the case of its name.
            const std::string target = TDirFiles::Find(dir, name).value_or(path);
            std::string error;
            const auto fail = [&] { return EMyStreamError("Error Writing File: " + target + LineBreak + error); };
            // The records go to the file in chunks as they are made: a collection of many clips never
            // lies whole in memory, and no large buffer is grown and copied.
            AtomicFileWriter file;
            if (!file.Open(target, &error))
                throw fail();
            TByteWriter writer(
                [&](std::span<const std::uint8_t> bytes) {
                    if (!file.Append(bytes, &error))
                        throw fail();
                },
                SaveChunk);
            SaveToStream(writer);
            writer.Flush();
            if (!file.Commit(&error))
                throw fail();
        } catch (...) {
            // Nothing was written: the next save must try again.
            SetDirty(true);
            throw;
        }
        result = true;
    } else {
        LogMsg(LogDataEvents, "SaveToFile", "Not Saving, Because Not Dirty: " + Title);
    }
    Dirty = false;
    return result;
}

std::optional<TClipColl::LoadReport> TClipColl::LoadFromFile(const std::string& path) {
    const auto [dir, name] = SplitPath(path);
    const auto found = TDirFiles::Find(dir, name);
    if (!found)
        return std::nullopt;
    // Read on through a bounded window: the file is never held whole.
    TByteReader stream = TByteReader::Stream(*found);
    return LoadFromStream(stream);
}

bool TClipColl::WipeFiles() {
    const std::string path = GetPath();
    std::error_code ec;
    // A directory that is a link is never entered: what it points to is not the collection's.
    const fs::path own = fs::path(path).parent_path();
    if (ReadOnly || path.empty() || fs::symlink_status(own, ec).type() != fs::file_type::directory)
        return false;
    SetTraceLocation("TClipColl.WipeFiles");
    LogMsg(LogDataEvents, "WipeFiles", "About To Wipe Directory:" + path);
    std::vector<fs::path> files;
    for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        // Sub-directories stay; a link is removed itself, never what it points to.
        if (it->symlink_status(typeError).type() != fs::file_type::directory)
            files.push_back(it->path());
    }
    for (const fs::path& file : files) {
        std::error_code removeError;
        fs::remove(file, removeError);
    }
    std::error_code removeError;
    if (fs::remove(path, removeError) && !removeError) {
        LogMsg(LogDataEvents, "WipeFiles", "Directory Delete OK:" + path);
        return true;
    }
    LogMsg(LogErrors, "WipeFiles", "Directory Delete NOT Sucessful:" + path);
    return false;
}

} // namespace bx::clipstore
