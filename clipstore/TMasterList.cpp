#include "TMasterList.h"

#include "AtomicFile.h"
#include "HeapTuning.h"
#include "IMessageBoxes.h"
#include "LogHook.h"
#include "TCaptureJournal.h"
#include "TClipColl.h"
#include "TClipContext.h"
#include "TClipMoveJournal.h"
#include "TClipObj.h"
#include "TCollectionRelocation.h"
#include "TDataSource.h"
#include "TDataSourceList.h"
#include "TDirFiles.h"
#include "TJournalRecord.h"
#include "TJournalReplay.h"
#include "TLeftoverFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <system_error>

#include <unistd.h>

namespace bx::clipstore {

using namespace platform;

namespace fs = std::filesystem;

namespace {

constexpr const char* BoxCaption = "Brindlex";
constexpr const char* LineBreak = "\n";
constexpr const char* CollBase = "_COLL";
// The sort-key counter for collections read from old files grows by this much per collection.
constexpr std::int32_t OldFileSortKeyStep = 250;

// The collection file's companion with another extension, in whatever case it has on disk.
std::string Companion(const std::string& dir, const std::string& extension) {
    const std::string name = CollBase + extension;
    return TDirFiles::Find(dir, name).value_or(dir + name);
}

std::string CollectionFile(const std::string& dir) {
    return TDirFiles::Find(dir, TClipColl::FileName).value_or(dir + TClipColl::FileName);
}

std::string ErrnoText() {
    return std::strerror(errno);
}

// Keeps a copy of file as backup, replacing an older backup in one step: a second name for the same
// bytes where the file system allows it, else a copy.
bool KeepBackup(const std::string& file, const std::string& backup) {
    const std::string fresh = backup + ".new";
    ::unlink(fresh.c_str());
    if (::link(file.c_str(), fresh.c_str()) == 0) {
        if (::rename(fresh.c_str(), backup.c_str()) == 0)
            return true;
        ::unlink(fresh.c_str());
    }
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        return false;
    return AtomicFile::Write(backup, bytes);
}

} // namespace

TMasterList::TMasterList(TClipContext& context, TDataSourceList& dataSources, IMessageBoxes* boxes)
    : context_(context), dataSources_(dataSources), boxes_(boxes) {
    context_.MasterListExists = true;
}

TMasterList::~TMasterList() {
    FlushJournals();
    SyncJournals();
    Clear();
    context_.MasterListExists = false;
}

TClipColl* TMasterList::Item(std::size_t index) const {
    return index < items_.size() ? items_[index].get() : nullptr;
}

int TMasterList::IndexOf(const TClipColl* coll) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == coll)
            return static_cast<int>(i);
    return -1;
}

TClipColl* TMasterList::Append(std::unique_ptr<TClipColl> coll) {
    coll->Master = this;
    items_.push_back(std::move(coll));
    return items_.back().get();
}

std::unique_ptr<TClipColl> TMasterList::Remove(const TClipColl* coll) {
    const auto it = std::find_if(items_.begin(), items_.end(), [coll](const auto& item) { return item.get() == coll; });
    if (it == items_.end())
        return nullptr;
    FlushJournals();
    std::unique_ptr<TClipColl> removed = std::move(*it);
    items_.erase(it);
    std::erase_if(journals_, [&](const auto& journal) { return journal.first == removed.get(); });
    removed->Master = nullptr;
    if (Designated == removed.get())
        Designated = nullptr;
    return removed;
}

void TMasterList::Clear() {
    FlushJournals();
    SyncJournals();
    journals_.clear();
    TrashCan = nullptr;
    SearchResults = nullptr;
    Designated = nullptr;
    // The search results refer to other collections' clips: they go first.
    for (auto& coll : items_)
        if (coll->CollType == TClipColl::SearchResultsColl)
            coll.reset();
    items_.clear();
}

void TMasterList::SetDirty(bool value) {
    if (value)
        Dirty = true;
}

void TMasterList::JournalNoted() {
    if (OnJournalNoted)
        OnJournalNoted();
}

TCaptureJournal& TMasterList::JournalOf(const TClipColl& root) {
    for (auto& [owner, journal] : journals_)
        if (owner == &root)
            return *journal;
    journals_.emplace_back(&root, std::make_unique<TCaptureJournal>(TDirFiles::WithSlash(root.DirName)));
    return *journals_.back().second;
}

void TMasterList::FlushJournals() {
    for (const auto& coll : items_) {
        if (!coll->HasJournalNotes())
            continue;
        TClipColl::JournalNotes notes = coll->TakeJournalNotes();
        const TClipColl* root = TCaptureJournal::RootOf(*coll);
        const std::string name = TCaptureJournal::CollectionName(*coll);
        // A clip that left the collection since it was noted is not looked at: it may be gone.
        std::vector<TClipObj*> present;
        const auto held = [&coll](const TClipObj* clip) {
            // New clips are at either end; the addresses alone are compared.
            const std::size_t n = coll->Count();
            return n > 0 && (coll->Clip(0) == clip || coll->Clip(n - 1) == clip || coll->IndexOf(clip) >= 0);
        };
        for (const auto& [clip, kind] : notes.Clips)
            if (held(clip)) {
                clip->JournalNoted = false;
                present.push_back(clip);
            }
        if (root == nullptr || name.empty() || root->DataSource == nullptr || root->DataSource->Read_Only)
            continue;
        TCaptureJournal& journal = JournalOf(*root);
        for (const std::int32_t serial : notes.Deleted)
            journal.Append(TJournalRecord::OfDeletion(name, serial), name);
        std::size_t i = 0;
        for (const auto& [clip, kind] : notes.Clips) {
            if (i >= present.size() || present[i] != clip)
                continue;
            ++i;
            try {
                journal.AppendClip(kind, name, *clip);
            } catch (const std::exception& e) {
                LogMsg(LogErrors, "TMasterList.FlushJournals",
                       "Item " + std::to_string(clip->SerialNbr) + " not journalled: " + e.what());
            }
        }
    }
}

bool TMasterList::SyncJournals() {
    bool ok = true;
    for (auto& journal : journals_)
        ok = journal.second->Sync() && ok;
    return ok;
}

bool TMasterList::JournalsUnsynced() const {
    return std::any_of(journals_.begin(), journals_.end(), [](const auto& j) { return j.second->Unsynced(); });
}

void TMasterList::RetireSavedJournals() {
    for (auto& [root, journal] : journals_) {
        if (journal->Named().empty())
            continue;
        bool saved = true;
        for (const auto& coll : items_)
            if (coll->Dirty && !coll->ReadOnly && coll->CollType == TClipColl::NormalColl &&
                TCaptureJournal::RootOf(*coll) == root &&
                journal->Named().count(TCaptureJournal::CollectionName(*coll)) > 0)
                saved = false;
        if (saved)
            journal->Retire();
    }
}

void TMasterList::ReplayJournal(TClipColl& root) {
    if (root.DataSource == nullptr || root.DataSource->Read_Only)
        return;
    std::vector<TClipColl*> colls;
    for (const auto& coll : items_)
        if (TCaptureJournal::RootOf(*coll) == &root)
            colls.push_back(coll.get());
    const int replayed = TJournalReplay::Replay(JournalOf(root), colls);
    journalReplayed_ += replayed;
    if (replayed > 0)
        Dirty = true;
}

std::int32_t TMasterList::NextOldFileSortKey() {
    const std::int32_t key = oldFileSortKey_;
    oldFileSortKey_ += OldFileSortKeyStep;
    return key;
}

std::string TMasterList::CurrentDataSourceDirectory() const {
    if (dataSources_.CurrentDataSource >= dataSources_.Count())
        return std::string();
    const TDataSource* source = dataSources_.Source(dataSources_.CurrentDataSource);
    return source != nullptr ? TDirFiles::WithSlash(source->Directory) : std::string();
}

void TMasterList::ShowBox(const std::string& text, bool error) const {
    if (boxes_ != nullptr)
        boxes_->MessageBox(text, BoxCaption, error ? MsgType::Error : MsgType::Information, MsgButtons::Ok);
}

bool TMasterList::IsSafeDirName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

bool TMasterList::IsSafeDataSourceDirectory(const std::string& dir) {
    if (dir.empty() || dir.front() != '/' || dir.find('\0') != std::string::npos)
        return false;
    std::size_t start = 1;
    while (start < dir.size()) {
        std::size_t end = dir.find('/', start);
        if (end == std::string::npos)
            end = dir.size();
        const std::string part = dir.substr(start, end - start);
        if (part == "." || part == "..")
            return false;
        start = end + 1;
    }
    return true;
}

bool TMasterList::Load() {
    // Thousands of small clips at once: room for them where few pages need to be touched.
    const HeapTuning::BulkLoad bulk;
    const int replayedBefore = journalReplayed_;
    bool found = false;
    for (const auto& entry : dataSources_.Entries())
        if (entry.Source != nullptr && entry.Source->AutoLoad)
            found = LoadDataSource(*entry.Source) || found;
    // Moves of clips that a crash cut short between their two collection files are finished.
    std::vector<TClipColl*> colls;
    for (const auto& coll : items_)
        colls.push_back(coll.get());
    TClipMoveJournal::Recover(colls, [this](TClipColl& coll) { SaveCollection(coll); });
    // Clips put back from a capture journal are saved at the next save.
    Dirty = replayedBefore != journalReplayed_;
    return found;
}

bool TMasterList::LoadDataSource(TDataSource& dataSource) {
    if (!IsSafeDataSourceDirectory(dataSource.Directory)) {
        LogMsg(LogErrors, "TMasterList.LoadDataSource", "Data Source Directory Not Usable: " + dataSource.Directory);
        return false;
    }
    auto root = std::make_unique<TClipColl>(context_, false, this);
    root->DirName = TDirFiles::WithSlash(dataSource.Directory);
    root->Title = dataSource.Description;
    root->SetImageIndex(FolderImage);
    root->CollType = TClipColl::FolderColl;
    root->DataSource = &dataSource;
    dataSource.Loaded = true;
    TClipColl* folder = Append(std::move(root));
    const bool found = LoadFromDirectory(folder->DirName, dataSource.Read_Only, folder);
    ReplayJournal(*folder);
    return found;
}

TMasterList::ReadResult TMasterList::ReadCollection(TClipColl& coll, const std::string& path) const {
    try {
        return coll.LoadFromFile(path) ? ReadResult::Read : ReadResult::Missing;
    } catch (const std::exception& e) {
        LogMsg(LogErrors, "TMasterList.LoadFromDirectory", "Error Reading: " + path + " " + e.what());
        return ReadResult::Failed;
    }
}

bool TMasterList::LoadNewestLeftover(TClipColl& coll, const std::string& dir, const std::string& name) {
    // A save that stopped half-way (or an older program) may have left the new file as ".tmp" and the
    // previous one as ".bak" without the collection file: take the newest one that reads.
    std::vector<std::pair<fs::file_time_type, std::string>> candidates;
    for (const char* extension : {TempExtension, BackupExtension}) {
        if (const auto path = TDirFiles::Find(dir, std::string(CollBase) + extension)) {
            std::error_code ec;
            const auto time = fs::last_write_time(*path, ec);
            if (!ec)
                candidates.emplace_back(time, *path);
        }
    }
    if (candidates.empty())
        return false;
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    ShowBox("Brindlex ERROR opening Collection: " + name + LineBreak + "An Attempt Will Be Made To Use Backup Copy.",
            true);
    for (const auto& candidate : candidates) {
        if (ReadCollection(coll, candidate.second) == ReadResult::Read) {
            ShowBox(std::string("Backup Read Successful! ") + LineBreak + "(It would be wise to save now.)", false);
            coll.SetDirty(true);
            return true;
        }
    }
    ShowBox("Brindlex ERROR opening BACKUP: " + name + LineBreak +
                "Please Restore Directory From Tape or Floppy Backup, Or Erase Directory.",
            true);
    return false;
}

bool TMasterList::LoadFromDirectory(const std::string& directory, bool readOnly, TClipColl* parent) {
    SetTraceLocation("TMasterList.LoadFromDirectory");
    LogMsg(LogDataEvents, ">TMasterList.LoadFromDirectory", "");
    const std::string dir = TDirFiles::WithSlash(directory);

    // Sub-directories in listing order; names with a dot are not collections. Links are never
    // followed: a collection lies inside its data source's tree. A sub-directory without any entry is
    // left over from a deleted collection and is removed (never in a read-only data source).
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->symlink_status(typeError).type() != fs::file_type::directory)
            continue;
        const std::string name = it->path().filename().string();
        if (!readOnly && TCollectionRelocation::IsTempName(name)) {
            // The copy of a move across file systems that stopped before it was complete.
            std::error_code removeError;
            fs::remove_all(it->path(), removeError);
            continue;
        }
        if (!IsSafeDirName(name) || name.find('.') != std::string::npos)
            continue;
        std::error_code emptyError;
        if (!readOnly && fs::is_empty(it->path(), emptyError) && !emptyError) {
            LogMsg(LogErrors, "TMasterList.LoadFromDirectory", "Deleting Empty Directory: " + dir + name + "/");
            std::error_code removeError;
            fs::remove(it->path(), removeError);
            continue;
        }
        names.push_back(name);
    }
    if (names.empty()) {
        LogMsg(LogDataEvents, "<TMasterList.LoadFromDirectory", "Early Exit - No Subdirectories under: " + dir);
        return false;
    }

    bool found = false;
    for (const std::string& name : names) {
        const std::string collDir = dir + name + "/";
        if (TCollectionRelocation::IsMovedAway(collDir, readOnly))
            continue;
        if (!readOnly)
            TLeftoverFiles::Remove(collDir);
        const auto file = TDirFiles::Find(collDir, TClipColl::FileName);
        auto make = [&] {
            auto coll = std::make_unique<TClipColl>(context_, false, this);
            coll->ReadOnly = readOnly;
            coll->Parent = parent;
            coll->DirName = name;
            return coll;
        };
        auto coll = make();
        bool kept = false;
        bool loadChildren = false;
        if (!file) {
            if (!LoadNewestLeftover(*coll, collDir, name))
                continue;
            kept = true;
            loadChildren = true;
        } else if (ReadCollection(*coll, *file) == ReadResult::Read) {
            kept = true;
            loadChildren = true;
        } else if (const auto backup = TDirFiles::Find(collDir, std::string(CollBase) + BackupExtension)) {
            ShowBox("Brindlex ERROR opening Collection: " + name + LineBreak +
                        "An Attempt Will Be Made To Use Backup Copy.",
                    true);
            coll = make();
            if (ReadCollection(*coll, *backup) == ReadResult::Read) {
                ShowBox(std::string("Backup Read Successful! ") + LineBreak + "(It would be wise to save now.)", false);
                coll->SetDirty(true);
                kept = true;
            } else {
                ShowBox("Brindlex ERROR opening BACKUP: " + name + LineBreak +
                            "Please Restore Directory From Tape or Floppy Backup, Or Erase Directory.",
                        true);
            }
        } else if (!readOnly) {
            // Unreadable and without a backup: shown as a folder, its files left as they are.
            coll = make();
            coll->Title = name;
            coll->CollType = TClipColl::FolderColl;
            coll->ImageIndex = FolderImage;
            kept = true;
        }
        if (!kept)
            continue;
        if (readOnly) {
            coll->ReadOnly = true;
            coll->Title += " (Read Only)";
        }
        found = true;
        TClipColl* added = Append(std::move(coll));
        if (loadChildren && LoadFromDirectory(collDir, readOnly, added))
            LogMsg(LogDataEvents, "Recursive LoadDirectory Call Found Children!", "");
    }
    LogMsg(LogDataEvents, "<TMasterList.LoadFromDirectory", "Normal Exit");
    return found;
}

bool TMasterList::SaveCollection(TClipColl& coll) {
    const std::string dir = coll.GetPath();
    if (dir.empty())
        throw std::runtime_error("No directory");
    const std::string file = CollectionFile(dir);
    const std::string temp = Companion(dir, TempExtension);
    coll.Purge();
    if (!coll.SaveToFile(temp))
        return false;
    try {
        std::error_code ec;
        if (fs::exists(file, ec) && !KeepBackup(file, Companion(dir, BackupExtension)))
            LogMsg(LogErrors, "MasterList SaveToFile", "Could Not Keep Backup Copy: " + file);
        if (::rename(temp.c_str(), file.c_str()) != 0)
            throw std::runtime_error("Could not rename " + temp + ": " + ErrnoText());
        AtomicFile::SyncDirectory(dir);
        TLeftoverFiles::Remove(dir);
    } catch (...) {
        // The new file did not take the collection file's place: the next save must write it again.
        coll.SetDirty(true);
        throw;
    }
    return true;
}

void TMasterList::Save() {
    SetTraceLocation("TMasterList.Save");
    LogMsg(LogDataEvents, "MasterList Save", "Begin Save");
    // What the journal has not heard yet stays there should a collection fail to save.
    FlushJournals();
    for (const auto& coll : items_) {
        if (coll->ReadOnly || coll->CollType != TClipColl::NormalColl)
            continue;
        try {
            if (SaveCollection(*coll))
                LogMsg(LogDataEvents, "SaveToFile", "Save Completed for collection: " + coll->DirName);
        } catch (const std::exception& e) {
            LogMsg(LogDataEvents, "MasterList SaveToFile",
                   "Save Bombed for collection: " + coll->Title + " " + e.what());
            ShowBox("Brindlex ERROR Saving Collection: " + coll->Title + LineBreak +
                        "Last Good Copy, or Backup Copy Will Be Used During Next Session",
                    true);
        }
    }
    Dirty = false;
    // A collection that could not be saved is still changed.
    for (const auto& coll : items_)
        if (coll->Dirty && !coll->ReadOnly && coll->CollType == TClipColl::NormalColl)
            Dirty = true;
    RetireSavedJournals();
    LogMsg(LogDataEvents, "MasterList Save", "End Save");
}

std::vector<TClipColl*> TMasterList::DisplayOrder() const {
    std::map<const TClipColl*, std::vector<TClipColl*>> children;
    std::vector<TClipColl*> roots;
    for (const auto& coll : items_) {
        if (coll->Parent != nullptr && IndexOf(coll->Parent) >= 0)
            children[coll->Parent].push_back(coll.get());
        else
            roots.push_back(coll.get());
    }
    auto bySortKey = [](const TClipColl* a, const TClipColl* b) { return a->SortKey < b->SortKey; };
    std::vector<TClipColl*> order;
    order.reserve(items_.size());
    auto visit = [&](auto&& self, std::vector<TClipColl*>& siblings) -> void {
        std::stable_sort(siblings.begin(), siblings.end(), bySortKey);
        for (TClipColl* coll : siblings) {
            order.push_back(coll);
            const auto found = children.find(coll);
            if (found != children.end())
                self(self, found->second);
        }
    };
    visit(visit, roots);
    return order;
}

TClipColl* TMasterList::Designate() {
    const std::vector<TClipColl*> order = DisplayOrder();
    for (TClipColl* coll : order)
        if (coll->AcceptNewClips && !coll->ReadOnly && coll->CollType == TClipColl::NormalColl)
            return coll;
    if (order.size() < 2)
        return order.empty() ? nullptr : order.front();
    TClipColl* fallback = order[1];
    ShowBox("There are NO collections available that will accept new clips, " + std::string(LineBreak) + "so (" +
                fallback->Title + ") will be designated as the collection to receive new clips.",
            false);
    return fallback;
}

void TMasterList::MakeDefaultCollections() {
    struct Default {
        const char* Name;
        std::uint8_t Retention;
        std::int32_t Image;
        std::int32_t SortKey;
    };
    static constexpr Default defaults[] = {{"Short-Term", TClipColl::KeepMaxItems, 10, 200},
                                           {"Long-Term", TClipColl::KeepAll, 11, 400}};
    makingDefaults_ = true;
    try {
        for (const Default& d : defaults) {
            TClipColl coll(context_, true, this);
            coll.Title = d.Name;
            coll.DirName = d.Name;
            coll.Retention = d.Retention;
            coll.ImageIndex = d.Image;
            coll.SortKey = d.SortKey;
            const std::string dir = coll.GetPath();
            if (!dir.empty())
                coll.SaveToFile(dir + TClipColl::FileName);
        }
    } catch (...) {
        makingDefaults_ = false;
        throw;
    }
    makingDefaults_ = false;
}

std::unique_ptr<TClipColl> TMasterList::MakeSpecial(const char* title, const char* dirName, std::uint8_t type,
                                                    std::int32_t image) {
    auto coll = std::make_unique<TClipColl>(context_, true, this);
    coll->Title = title;
    coll->DirName = dirName;
    coll->CollType = type;
    coll->Retention = TClipColl::DeleteByAge;
    coll->MaxDays = 0;
    coll->AcceptNewClips = false;
    coll->ImageIndex = image;
    coll->SortKey = SpecialSortKey;
    coll->WipeFiles();
    return coll;
}

std::unique_ptr<TClipColl> TMasterList::MakeTrashCan() {
    return MakeSpecial("Trash Can", "TrashCan", TClipColl::TrashCanColl, 9);
}

std::unique_ptr<TClipColl> TMasterList::MakeSearchResults() {
    return MakeSpecial("Search Results", "SearchResults", TClipColl::SearchResultsColl, 8);
}

void TMasterList::DetermineFirstGoodDataSource(TDataSourceList& dataSources, IMessageBoxes* boxes) {
    for (std::size_t i = 0; i < dataSources.Count(); ++i) {
        const TDataSource* source = dataSources.Source(i);
        if (source == nullptr)
            continue;
        LogMsg(LogStartStop, "DetermineFirstGoodDataSource", source->Directory);
        if (source->AutoLoad && !source->Read_Only && IsSafeDataSourceDirectory(source->Directory)) {
            dataSources.CurrentDataSource = i;
            return;
        }
    }
    dataSources.CurrentDataSource = 0;
    if (boxes != nullptr)
        boxes->MessageBox(std::string("There is a problem with the data sources.  Please go into the DATA tab of User "
                                      "Preferences") +
                              LineBreak + "and add a valid, writeable data source.",
                          BoxCaption, MsgType::Error, MsgButtons::Ok);
}

} // namespace bx::clipstore
