#pragma once

#include "IClipCollection.h"
#include "PlatformTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace bx::clipstore {

class IMasterListLink;
class TByteReader;
class TClipContext;
class TByteWriter;
class TClipObj;
class TDataSource;

// A collection: a named, ordered list of clips (index 0 is the top) living in a directory of its own,
// with its rules for new clips, duplicates and automatic deletion. It hands out its clips' serial
// numbers and sort keys, removes clips together with their files, and reads and writes its collection
// file "_COLL.BX4", which holds the collection's settings and the records of its clips.
//
// Each entry is a clip, listed under the clip's own title. A collection owns its clips, except the
// search results, whose entries are references to clips of other collections.
class TClipColl : public IClipCollection {
public:
    static constexpr const char* FileName = "_COLL.BX4";
    static constexpr int FileVersion = 506;
    static constexpr const char* FileHeader = "COLL.506";
    static constexpr const char* UncheckedFileHeader = "COLL.505";
    // From this version the collection's fields and its clip count are followed by a checksum of their
    // bytes (TChecksum with ChecksumSeed): a damaged retention rule or serial number would otherwise
    // delete or overwrite clips.
    static constexpr int CheckedHeaderVersion = 506;
    static constexpr std::uint64_t ChecksumSeed = 0x434F4C4C48454144ull; // "COLLHEAD"
    // The longest header: its name, the fields (with a title of 255 bytes), the clip count and the checksum.
    static constexpr std::size_t MaxHeaderBytes = 9 + 1 + 4 + 4 * 1 + 3 * 4 + 256 + 2 * 4 + 1 + 2 * 4 + 1 + 1 + 4 + 4;

    // Retention rules.
    static constexpr std::uint8_t KeepMaxItems = 0;
    static constexpr std::uint8_t DeleteByAge = 1;
    static constexpr std::uint8_t KeepAll = 2;
    // Kinds of node.
    static constexpr std::uint8_t NormalColl = 0;
    static constexpr std::uint8_t FolderColl = 1;
    static constexpr std::uint8_t TrashCanColl = 2;
    static constexpr std::uint8_t SearchResultsColl = 3;

    // What one load of a collection file found.
    struct LoadReport {
        int Version = 0; // of the file's header; 0 for a file without one
        int Passed = 0;  // clips read and kept
        int Failed = 0;  // entries dropped
    };

    // With defaults: the settings a new collection gets. Without: the collection is about to be read
    // from its file; DirName is "0" and everything else zero. The collection's clips are made with
    // context, which outlives the collection. master may be nullptr (see IMasterListLink).
    TClipColl(TClipContext& context, bool withDefaults, IMasterListLink* master = nullptr);
    ~TClipColl() override;
    TClipColl(const TClipColl&) = delete;
    TClipColl& operator=(const TClipColl&) = delete;

    TClipColl* Parent = nullptr;
    TDataSource* DataSource = nullptr;
    std::int32_t SortKey = 0;
    std::int32_t LastSerialNbr = 0;
    std::int32_t LastClipSortKey = 0;
    std::int32_t ImageIndex = 0;
    std::string DirName;
    std::string Title;
    std::uint8_t Retention = 0;
    std::uint8_t CollType = 0;
    // The trash can and the search results: made by the program, never by the user.
    bool IsSpecial() const { return CollType == TrashCanColl || CollType == SearchResultsColl; }
    bool Dirty = false;
    std::uint8_t Reserved1 = 0;
    std::uint8_t Reserved2 = 0;
    std::int32_t MaxItems = 0;
    std::int32_t MaxDays = 0;
    std::int32_t AddOrder = 0;
    bool AcceptNewClips = false;
    bool ReadOnly = false;
    bool AllowDuplicates = false;
    std::int32_t SortColumn = 0;
    bool SortAscending = false;
    bool Favorite = false;
    bool ListChanged = true;
    // While set, changes of clips are not noted for the capture journal (loading, replaying).
    bool JournalQuiet = false;
    // The master list this collection reports to; not owned, may be nullptr.
    IMasterListLink* Master = nullptr;

    // The run's context the collection makes its clips with.
    TClipContext& Context() const { return *context_; }

    // The list.
    std::size_t Count() const { return entries_.size(); }
    // nullptr past the end.
    TClipObj* Clip(std::size_t index) const;
    // The title of the entry's clip; empty past the end.
    std::string EntryTitle(std::size_t index) const;
    // -1 when the clip is not in the list.
    int IndexOf(const TClipObj* clip) const;

    // IClipCollection. SetDirty also marks the master list.
    void SetDirty(bool value) override;
    // The collection's directory, ending in "/": the parent's path + DirName + "/"; without a parent,
    // for the trash can and the search results (and every collection while the default collections
    // are made) the current data source's directory + DirName + "/"; else DirName itself (a data
    // source's root folder holds the full path).
    std::string GetPath() const override;
    std::string CollTitle() const override { return Title; }
    // Notes the clip for the capture journal when the collection is journalled (it lies in a data
    // source, is neither special nor read only, and is not quiet).
    void ClipChanged(TClipObj& clip) override;

    // What the capture journal has yet to hear of this collection: clips added or changed, with their
    // record's kind (TJournalRecord::Kind; a clip that may have left the collection since is looked up
    // before it is used), and the serial numbers of clips taken out. Handed over and forgotten.
    struct JournalNotes {
        std::vector<std::pair<TClipObj*, std::uint8_t>> Clips;
        std::vector<std::int32_t> Deleted;
    };
    bool HasJournalNotes() const { return !journalNotes_.Clips.empty() || !journalNotes_.Deleted.empty(); }
    JournalNotes TakeJournalNotes() { return std::exchange(journalNotes_, JournalNotes{}); }
    // Puts a clip read back from the capture journal at index (at most the end), noting nothing.
    void InsertReplayed(std::size_t index, std::unique_ptr<TClipObj> clip);

    void SetImageIndex(std::int32_t index);
    // The next serial number; it wraps to 1 past the largest value. Does not mark the collection dirty.
    std::int32_t GetNextSerialNum();
    // The next clip sort key, a step of 100 on; it wraps to 100 past the largest value.
    std::int32_t GetNextClipSortKey();

    // Adds a clip: at the top when AddOrder is 1, else at the bottom. Returns AddOrder, which tells the
    // caller where the entry went. A read-only collection ignores the call, leaves the clip with the
    // caller and returns 0. The title is the clip's as the caller knows it; the entry shows the clip's
    // own Title, so that it follows later changes of the title.
    int MyAddObject(const std::string& title, std::unique_ptr<TClipObj>&& clip);
    // Adds a reference to a clip that another collection owns (the search results); at the bottom.
    // The collection never destroys such a clip.
    void AddReference(const std::string& title, TClipObj* clip);
    // Removes the entry at index and the clip's files in the collection's directory. With free the
    // clip is destroyed; without, an owned clip is handed back. A read-only collection, or an index
    // outside the list, changes nothing.
    std::unique_ptr<TClipObj> RemoveItem(int index, bool free);
    // Takes the entry at index out and hands an owned clip back, leaving its files alone (the clip is
    // moving to another collection). nullptr for a reference, a read-only collection or a bad index.
    std::unique_ptr<TClipObj> TakeItem(int index);
    // Deletes old clips by the retention rule; runs only for the trash can or while the program is
    // busy starting or shutting down.
    void Purge();

    // The collection file. SaveToStream writes nothing for a read-only collection. LoadFromStream
    // raises EMyStreamError when the file ends inside the collection's own fields; damaged clip
    // records are dropped, counted and reported.
    void SaveToStream(TByteWriter& stream);
    LoadReport LoadFromStream(TByteReader& stream);
    // Writes the collection file to path when the collection is dirty; true when written (and for a
    // read-only collection or the search results, which are never written). Raises when writing fails;
    // the collection then stays dirty.
    bool SaveToFile(const std::string& path);
    // Reads the file at path (its name found without regard to case); none when there is no such file.
    std::optional<LoadReport> LoadFromFile(const std::string& path);
    // Deletes the files directly in the collection's directory and then the directory; true when the
    // directory was removed.
    bool WipeFiles();

    // The day number of the age rule: every month counts 30 days and every year 365.
    static std::int64_t DayNumber(platform::TDateTime date);
    // The version a collection file's first string gives: the number in characters 6 to 8 of an
    // 8-character string that begins with "COLL"; 0 for anything else.
    static int HeaderVersion(const std::string& header);

private:
    // One entry: a clip the collection owns, or a reference to a clip of another collection. A
    // collection holds many thousands of entries, so an entry is one word: the clip's address, its
    // lowest bit (always 0 in an object's address) set for a reference.
    class Entry {
    public:
        static Entry Owning(std::unique_ptr<TClipObj> clip);
        static Entry Reference(TClipObj* clip);
        Entry(Entry&& other) noexcept : bits_(std::exchange(other.bits_, 0)) {}
        Entry& operator=(Entry&& other) noexcept {
            if (this != &other) {
                Destroy();
                bits_ = std::exchange(other.bits_, 0);
            }
            return *this;
        }
        Entry(const Entry&) = delete;
        Entry& operator=(const Entry&) = delete;
        ~Entry() { Destroy(); }

        TClipObj* Clip() const { return reinterpret_cast<TClipObj*>(bits_ & ~ReferenceBit); }
        bool Owns() const { return (bits_ & ReferenceBit) == 0; }
        // The owned clip, handed over (the entry is empty afterwards); nothing for a reference.
        std::unique_ptr<TClipObj> Release();

    private:
        static constexpr std::uintptr_t ReferenceBit = 1;
        explicit Entry(std::uintptr_t bits) : bits_(bits) {}
        void Destroy() noexcept;

        std::uintptr_t bits_ = 0;
    };

    void Clear();
    // The collection's own fields of its file; returns the file's version.
    int ReadFields(TByteReader& stream);
    // The count clip records that follow them, counted into report.
    void ReadClips(TByteReader& stream, std::int32_t count, LoadReport& report);
    void RemoveClipFiles(TClipObj& clip) const;
    void RemoveForPurge(int index, const char* where);
    bool Recover(TByteReader& stream, const std::string& failedTitle) const;
    void ReportFailures(int failed);
    bool Journalled() const {
        return Master != nullptr && !JournalQuiet && !ReadOnly && !IsSpecial() && Parent != nullptr;
    }
    void NoteForJournal(TClipObj& clip, std::uint8_t kind);
    void NoteTakenOut(TClipObj& clip);

    TClipContext* context_;
    std::vector<Entry> entries_;
    JournalNotes journalNotes_;
};

} // namespace bx::clipstore
