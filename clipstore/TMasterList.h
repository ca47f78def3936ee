#pragma once

#include "IMasterListLink.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace bx::platform {
class IMessageBoxes;
}

namespace bx::clipstore {

class TCaptureJournal;
class TClipColl;
class TClipContext;
class TDataSource;
class TDataSourceList;

// Every collection of the run, in load order: for each auto-load data source its root folder and then
// its collections depth first; last the trash can and the search results. Owns the collections. While
// it exists the clip store may read and write clip data: it marks that in the run's context
// (TClipContext::MasterListExists), which it hands to every collection it makes.
//
// Saving keeps three files per collection directory: the collection file "_COLL.BX4", the previous one
// as "_COLL.bak", and "_COLL.tmp" while a new one is written. The new file is written and flushed
// completely before it replaces "_COLL.BX4" in one rename, so the collection file on disk is always a
// complete save.
class TMasterList : public IMasterListLink {
public:
    static constexpr const char* BackupExtension = ".bak";
    static constexpr const char* TempExtension = ".tmp";
    static constexpr std::int32_t SpecialSortKey = 64001;
    static constexpr std::int32_t FolderImage = 7;

    // The list uses the program's data sources and context (both outlive it); boxes may be nullptr (no
    // message boxes).
    TMasterList(TClipContext& context, TDataSourceList& dataSources, platform::IMessageBoxes* boxes);
    ~TMasterList() override;
    TMasterList(const TMasterList&) = delete;
    TMasterList& operator=(const TMasterList&) = delete;

    // Some collection changed since the last save or load.
    bool Dirty = false;
    // The program's busy flag (SuppressListEvents); false when not set.
    std::function<bool()> IsBusy;
    // Called when a collection noted a change for the capture journal: the journal is to be written
    // (FlushJournals) and made durable (SyncJournals) soon, within a second.
    std::function<void()> OnJournalNoted;
    // The special collections and the one that receives new clips; nullptr until LoadData makes them.
    TClipColl* TrashCan = nullptr;
    TClipColl* SearchResults = nullptr;
    TClipColl* Designated = nullptr;

    TClipContext& Context() const { return context_; }
    std::size_t Count() const { return items_.size(); }
    // nullptr past the end.
    TClipColl* Item(std::size_t index) const;
    int IndexOf(const TClipColl* coll) const;
    // Appends a collection (it reports to this list from now on); returns it.
    TClipColl* Append(std::unique_ptr<TClipColl> coll);
    // Takes a collection out of the list, handing it to the caller; nullptr when it is not in the list.
    std::unique_ptr<TClipColl> Remove(const TClipColl* coll);
    // Destroys every collection.
    void Clear();

    // Loads every auto-load data source; true when any collection was found.
    bool Load();
    bool LoadDataSource(TDataSource& dataSource);
    // Loads the collections in the sub-directories of dir (ending in "/") as children of parent.
    bool LoadFromDirectory(const std::string& dir, bool readOnly, TClipColl* parent);
    // Writes every changed collection that is neither read only nor special; a collection that fails
    // is reported and the others are still saved. Each data source's capture journal is retired once
    // every collection it names is saved.
    void Save();
    // Appends what the collections noted to their data sources' capture journals ("_JOURNAL.BX4").
    void FlushJournals();
    // Makes the appended records durable; true when every journal was flushed.
    bool SyncJournals();
    bool JournalsUnsynced() const;
    // The clips replayed from capture journals by the loads so far.
    int JournalReplayed() const { return journalReplayed_; }
    // Writes one collection now (when it is changed); true when written. Raises when it cannot be
    // written; the collection then stays changed.
    bool SaveCollection(TClipColl& coll);
    // The collection that receives new clips when the one shown does not accept them.
    TClipColl* Designate();
    // The collections in the order the collection tree shows them: depth first, siblings by SortKey
    // (equal keys in list order); a collection whose parent is not in the list is shown at the top.
    std::vector<TClipColl*> DisplayOrder() const;

    // Writes "Short-Term" and "Long-Term" into the current data source's directory.
    void MakeDefaultCollections();
    // Makes the trash can and the search results (their directories wiped), not yet in the list.
    std::unique_ptr<TClipColl> MakeTrashCan();
    std::unique_ptr<TClipColl> MakeSearchResults();

    // Chooses the data source that receives the special and new top-level collections.
    static void DetermineFirstGoodDataSource(TDataSourceList& dataSources, platform::IMessageBoxes* boxes);
    // A directory name that can be a collection's: one path component, not "." or "..".
    static bool IsSafeDirName(const std::string& name);
    // A data-source directory the program may load: absolute, without "." or ".." components.
    static bool IsSafeDataSourceDirectory(const std::string& dir);

    // IMasterListLink.
    void SetDirty(bool value) override;
    void JournalNoted() override;
    std::int32_t NextOldFileSortKey() override;
    bool SuppressListEvents() const override { return IsBusy && IsBusy(); }
    std::string CurrentDataSourceDirectory() const override;
    bool NeedDefaultCollections() const override { return makingDefaults_; }
    platform::IMessageBoxes* MessageBoxes() override { return boxes_; }

private:
    enum class ReadResult { Read, Failed, Missing };
    ReadResult ReadCollection(TClipColl& coll, const std::string& dir) const;
    bool LoadNewestLeftover(TClipColl& coll, const std::string& dir, const std::string& name);
    std::unique_ptr<TClipColl> MakeSpecial(const char* title, const char* dirName, std::uint8_t type,
                                           std::int32_t image);
    void ShowBox(const std::string& text, bool error) const;
    TCaptureJournal& JournalOf(const TClipColl& root);
    void RetireSavedJournals();
    void ReplayJournal(TClipColl& root);

    TClipContext& context_;
    TDataSourceList& dataSources_;
    platform::IMessageBoxes* boxes_;
    // Before the collections: they may flush into them while they go.
    std::vector<std::pair<const TClipColl*, std::unique_ptr<TCaptureJournal>>> journals_;
    std::vector<std::unique_ptr<TClipColl>> items_;
    int journalReplayed_ = 0;
    std::int32_t oldFileSortKey_ = 1000;
    bool makingDefaults_ = false;
};

} // namespace bx::clipstore
