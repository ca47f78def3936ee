#include "TCollectionCommands.h"

#include "ECreateDirectory.h"
#include "ICollectionDialogs.h"
#include "IMainView.h"
#include "IMessageBoxes.h"
#include "LogHook.h"
#include "LogLevels.h"
#include "PrivateDirectories.h"
#include "StatusLevels.h"
#include "TBrindlexCore.h"
#include "TClipColl.h"
#include "TCollectionDirName.h"
#include "TCollectionImport.h"
#include "TCollectionProperties.h"
#include "TDataSource.h"
#include "TDataSourceList.h"
#include "TDirFiles.h"
#include "TMasterList.h"
#include "TUtf8.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>

namespace bx::shell {

namespace fs = std::filesystem;
using clipstore::TClipColl;
using clipstore::TCollectionDirName;
using clipstore::TDataSource;
using platform::LogMsg;
using platform::MsgButtons;
using platform::MsgResult;
using platform::MsgType;

namespace {

constexpr const char* BoxCaption = "Brindlex";
constexpr const char* LineBreak = "\n";

bool MentionsData(const std::string& path) {
    std::string lower = path;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return lower.find("data") != std::string::npos;
}

} // namespace

TCollectionCommands::TCollectionCommands(TBrindlexCore& core, ICollectionDialogs& dialogs)
    : core_(core), dialogs_(dialogs) {}

void TCollectionCommands::Info(const std::string& text) const {
    core_.Boxes().MessageBox(text, BoxCaption, MsgType::Information, MsgButtons::Ok);
}

void TCollectionCommands::Error(const std::string& text) const {
    core_.Boxes().MessageBox(text, BoxCaption, MsgType::Error, MsgButtons::Ok);
}

bool TCollectionCommands::Ask(const std::string& text) const {
    return core_.Boxes().MessageBox(text, BoxCaption, MsgType::Confirmation, MsgButtons::YesNo) == MsgResult::Yes;
}

TClipColl* TCollectionCommands::CollOf(int node) const {
    const TCollectionTree& tree = core_.Tree();
    if (core_.MasterList() == nullptr || node < 0 || static_cast<std::size_t>(node) >= tree.Count())
        return nullptr;
    return tree.At(static_cast<std::size_t>(node)).Coll;
}

int TCollectionCommands::MainMenuNode() const {
    const TCollectionTree& tree = core_.Tree();
    if (tree.Selected() >= 0)
        return tree.Selected();
    return tree.Count() > 0 ? 0 : -1;
}

void TCollectionCommands::RefreshTree(const TClipColl* select) {
    clipstore::TMasterList* master = core_.MasterList();
    if (master == nullptr)
        return;
    TCollectionTree& tree = core_.Tree();
    core_.BuildTree(*master);
    const int node = tree.GetTreeNodeOfColl(select);
    if (node >= 0) {
        tree.MakeVisible(static_cast<std::size_t>(node));
        tree.Changed.Emit();
    }
    tree.Select(node);
}

// ---------------------------------------------------------------------------------------------------
// Everything

void TCollectionCommands::SaveAll() {
    core_.SaveAllClips();
}

void TCollectionCommands::Reload() {
    core_.SaveAllClips();
    core_.LoadData();
}

void TCollectionCommands::ReloadAll() {
    if (Ask(std::string("This will save all data, and re-load from disk.  This option is usually only useful for "
                        "refreshing ") +
            LineBreak + "data from shared data sources, such as in a workgroup setting." + LineBreak + "Continue?"))
        Reload();
}

void TCollectionCommands::EmptyTrash() {
    clipstore::TMasterList* master = core_.MasterList();
    if (master == nullptr || master->TrashCan == nullptr)
        return;
    TClipColl* trash = master->TrashCan;
    // Nothing shown may keep a clip that is freed: the window lets go of its clips, the list of its rows.
    if (trash->Count() > 0 && core_.View() != nullptr)
        core_.View()->ForgetClips();
    const bool shown = core_.ClipList().Coll() == trash;
    if (shown) {
        core_.SetCurrentClip(nullptr);
        core_.ClipList().Clear();
    }
    trash->Purge();
    if (shown)
        core_.ClipList().Bind(trash);
    core_.UpdateLVClips();
}

// ---------------------------------------------------------------------------------------------------
// One collection

bool TCollectionCommands::NameNewCollection(TClipColl& coll, const TClipColl& parent) {
    std::string text = "New Collection";
    for (;;) {
        const auto answer = dialogs_.TextPrompt("Create New Collection", "Enter The Name Of The New Collection:", text);
        if (!answer)
            return false;
        text = *answer;
        coll.Title = clipstore::TUtf8::CutBytes(text, TCollectionDirName::MaxBytes);
        if (TCollectionProperties::TitleInUse(*core_.MasterList(), coll.Title, nullptr)) {
            Error("Collection Name Must Be Unique - This Name Is Already In Use:" + std::string(LineBreak) +
                  coll.Title);
            continue;
        }
        const std::string parentDir = parent.GetPath();
        const auto dirName =
            TCollectionDirName::Unique(TCollectionDirName::FromTitle(text), [&parentDir](const std::string& name) {
                return TCollectionDirName::ExistsIn(parentDir, name);
            });
        std::error_code ec;
        if (dirName && !parentDir.empty()) {
            coll.DirName = *dirName;
            platform::CreatePrivateDirectories(coll.GetPath());
            if (fs::symlink_status(fs::path(coll.GetPath()).parent_path(), ec).type() == fs::file_type::directory)
                return true;
        }
        Error("There is still a problem creating the collection by that name.  Try again." + std::string(LineBreak) +
              coll.Title);
    }
}

void TCollectionCommands::NewCollection(int node) {
    platform::SetTraceLocation("TfrmBX.mnuNewCollectionClick");
    TClipColl* parent = CollOf(node);
    if (parent == nullptr || parent->IsSpecial() || parent->ReadOnly)
        return;
    clipstore::TMasterList& master = *core_.MasterList();
    auto coll = std::make_unique<TClipColl>(master.Context(), true, &master);
    coll->Parent = parent;
    if (!NameNewCollection(*coll, *parent))
        return;
    std::int32_t last = coll->SortKey;
    for (std::size_t i = 0; i < master.Count(); ++i)
        if (master.Item(i)->Parent == parent)
            last = std::max(last, master.Item(i)->SortKey);
    coll->SortKey = (last + SortKeyBound) / 2;
    coll->SetDirty(true);
    TClipColl* made = master.Append(std::move(coll));
    LogMsg(platform::LogDataEvents, "NewCollection", made->GetPath());
    // On disk at once: a load finds a collection by its file, so the clips the capture journal holds for it
    // come back after a crash.
    master.SaveCollection(*made);
    RefreshTree(made);
    core_.ShowStatus(StatusInBar, false, "New Collection Created");
    Properties(core_.Tree().GetTreeNodeOfColl(made));
}

void TCollectionCommands::DeleteCollection(int node) {
    platform::SetTraceLocation("TfrmBX.mnuDeleteCollectionClick");
    TClipColl* coll = CollOf(node);
    if (coll == nullptr || coll->Parent == nullptr || coll->IsSpecial() || coll->ReadOnly)
        return;
    const TCollectionTree& tree = core_.Tree();
    for (std::size_t i = 0; i < tree.Count(); ++i)
        if (tree.At(i).Parent == node) {
            Error("This node has children - delete or move children first.");
            return;
        }
    if (coll->Count() > 0) {
        Error(std::string("This collection has data in it.  Only empy collections may be deleted.  ") + LineBreak +
              "Delete or move items before deleting the collection.");
        return;
    }
    if (!Ask("Do you wish to delete the collection titled: " + coll->Title + "?"))
        return;
    const std::string path = coll->GetPath();
    core_.ShowStatus(StatusInBar, true, "Deleting Collection: " + path);
    LogMsg(platform::LogDataEvents, "", "CollectionDelete Started.");
    const bool wiped = coll->WipeFiles();
    TClipColl* parent = coll->Parent;
    // The tree and the list let go of the collection before it goes.
    std::unique_ptr<TClipColl> removed = core_.MasterList()->Remove(coll);
    if (core_.ClipList().Coll() == coll)
        core_.ClipList().Clear();
    RefreshTree(parent);
    removed.reset();
    core_.ShowStatus(StatusInBar, false, wiped ? "Delete Sucessful: " + path : "** Delete Failed!: " + path + "*");
    LogMsg(platform::LogDataEvents, "", "CollectionDelete Ended.");
}

void TCollectionCommands::Properties(int node) {
    platform::SetTraceLocation("TfrmBX.mnuCollectionPropertiesClick");
    core_.EndAutoGlue();
    TClipColl* coll = CollOf(node);
    if (coll == nullptr)
        return;
    if (coll->IsSpecial()) {
        Info("Sorry, Properties For Special Collection [" + coll->Title + "] Are Not Available");
        return;
    }
    if (coll->Parent == nullptr) {
        if (coll->DataSource != nullptr &&
            dialogs_.DataSourceProperties(*coll->DataSource) == ICollectionDialogs::DataSourceOk) {
            coll->Title = coll->DataSource->Description;
            RefreshTree(coll);
        }
        return;
    }
    if (coll->ReadOnly)
        return;
    TCollectionProperties form(*coll, *core_.MasterList(), core_.Boxes());
    if (!dialogs_.CollectionProperties(form))
        return;
    // A rename moves the directory. The capture journal names collections by their paths, so a save retires
    // it first, and the renamed collection is written at once, so that its file names it by its new title.
    const bool renaming = form.Title() != coll->Title;
    if (renaming)
        core_.MasterList()->Save();
    try {
        form.Apply();
    } catch (...) {
        RefreshTree(coll);
        throw;
    }
    if (renaming)
        core_.MasterList()->Save();
    RefreshTree(coll);
}

void TCollectionCommands::ChangeIcon(int node) {
    TClipColl* coll = CollOf(node);
    if (coll == nullptr || coll->IsSpecial() || coll->ReadOnly || coll->Parent == nullptr)
        return;
    const auto icon = dialogs_.PickBitmap(coll->ImageIndex);
    if (!icon)
        return;
    coll->SetImageIndex(*icon);
    RefreshTree(coll);
}

void TCollectionCommands::Sort(int node, bool up) {
    TClipColl* coll = CollOf(node);
    if (coll == nullptr || coll->IsSpecial() || coll->ReadOnly || coll->Parent == nullptr)
        return;
    const TCollectionTree& tree = core_.Tree();
    std::vector<TClipColl*> siblings;
    int own = -1;
    for (std::size_t i = 0; i < tree.Count(); ++i)
        if (tree.At(i).Parent == tree.At(static_cast<std::size_t>(node)).Parent) {
            if (static_cast<int>(i) == node)
                own = static_cast<int>(siblings.size());
            siblings.push_back(tree.At(i).Coll);
        }
    const int neighbour = own + (up ? -1 : 1);
    if (own < 0 || neighbour < 0 || neighbour >= static_cast<int>(siblings.size()))
        return;
    const auto keyOf = [](const TClipColl* c) { return c != nullptr ? c->SortKey : 0; };
    const int beyond = neighbour + (up ? -1 : 1);
    const std::int32_t a = keyOf(siblings[static_cast<std::size_t>(neighbour)]);
    const std::int32_t b = beyond >= 0 && beyond < static_cast<int>(siblings.size())
                               ? keyOf(siblings[static_cast<std::size_t>(beyond)])
                               : (up ? 0 : SortKeyBound);
    coll->SortKey = static_cast<std::int32_t>((static_cast<std::int64_t>(a) + b) / 2);
    coll->SetDirty(true);
    RefreshTree(coll);
}

// ---------------------------------------------------------------------------------------------------
// Data sources

void TCollectionCommands::AddDataSource() {
    platform::SetTraceLocation("TfrmBX.AddDataSourceClick");
    clipstore::TDataSourceList& sources = core_.DataSources();
    Info(std::string("In the next dialog, pick your new data directory. If it does not already exist, it will be "
                     "created.  ") +
         LineBreak + "You should NOT have multiple data sources using the same directory.");
    std::string start = core_.MasterList() != nullptr ? core_.MasterList()->CurrentDataSourceDirectory() : "";
    if (!start.empty() && start.back() == '/')
        start.pop_back();
    if (!MentionsData(start))
        start += "/data";
    auto picked = dialogs_.PickFolder("Select A New Data Directory", start, true);
    if (!picked || picked->empty()) {
        core_.ShowStatus(StatusInBar, false, "Cancelled");
        return;
    }
    std::string path = *picked;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (!MentionsData(path) && Ask("Would you like to add \"/data\" to the end of that path?"))
        path += "/data";
    sources.NextDataSourceNumber += 1;
    auto source = std::make_unique<TDataSource>(sources.NextDataSourceNumber, "New Data Source", path, false, true);
    std::error_code ec;
    if (!clipstore::TMasterList::IsSafeDataSourceDirectory(path + "/") || !platform::CreatePrivateDirectories(path) ||
        !fs::is_directory(path, ec)) {
        LogMsg(platform::LogErrors, "AddDataSourceClick", "Could Not Create Directory:" + path);
        throw ECreateDirectory(path);
    }
    if (dialogs_.DataSourceProperties(*source) != ICollectionDialogs::DataSourceOk) {
        core_.ShowStatus(StatusInBar, false, "Cancelled");
        return;
    }
    // The entry's name is its settings key: one per data source, without the key separator.
    std::string name = source->Description;
    std::replace(name.begin(), name.end(), '\\', '_');
    if (name.empty() || sources.IndexOf(name) >= 0)
        name += " " + std::to_string(source->Number);
    sources.Add(name, std::move(source));
    core_.ShowStatus(StatusInBar, false, "Created");
    Info(std::string("The data source has been added to the list of sources to load.  ") + LineBreak +
         "When you click OK, " + "Brindlex" + " will reload data.");
    core_.ShowStatus(StatusInBar, false, "Loading Data...");
    Reload();
}

void TCollectionCommands::DeleteDataSource(int node) {
    platform::SetTraceLocation("TfrmBX.DeleteDataSourceClick");
    TClipColl* coll = CollOf(node);
    clipstore::TDataSourceList& sources = core_.DataSources();
    const int index = coll != nullptr && coll->DataSource != nullptr ? sources.IndexOf(coll->DataSource) : -1;
    if (index <= 0) {
        core_.ShowStatus(StatusInBar, false, "Failed - Could Not Match DataSource To Master List.");
        return;
    }
    // Saved before the entry goes: no collection refers to a data source that is gone while it is written.
    core_.SaveAllClips();
    sources.Delete(static_cast<std::size_t>(index));
    core_.ShowStatus(StatusInBar, false, "Data Source Deleted");
    Info(std::string("The data source has been removed from the list of sources to load.  ") + LineBreak +
         "The directory remains on disk.  When you click OK, " + "Brindlex" + " will reload data.");
    core_.LoadData();
}

// ---------------------------------------------------------------------------------------------------
// Import

void TCollectionCommands::Import() {
    platform::SetTraceLocation("TfrmBX.mnuImportClick");
    clipstore::TDataSourceList& sources = core_.DataSources();
    if (sources.Empty() || sources.Source(0) == nullptr)
        return;
    Info(std::string("In the next dialog box, please select your OLD data folder.  ") + LineBreak +
         "This will be the PARENT folder of the short-term, long-term, etc. collection folders.  ");
    const auto folder = dialogs_.PickFolder("Select Your Old Data Folder", std::string(), false);
    if (!folder || folder->empty())
        return;
    clipstore::TCollectionImport import(
        core_.Boxes(), {[this] { core_.SaveAllClips(); },
                        [this](const std::string& text, bool busy) { core_.ShowStatus(StatusInBar, busy, text); }});
    if (import.Run(*folder, sources.Source(0)->Directory) == 0)
        return;
    core_.ShowStatus(StatusInBar, false, "Re-Loading Data...");
    Reload();
    core_.ShowStatus(StatusInBar, false, "Import Complete.");
    Info(std::string("Import Complete!") + LineBreak +
         "You may want to change collection names and icons accordingly.  " + LineBreak +
         "Old icon assignments are not retained, and default to the type of storage assigned to the collection. " +
         LineBreak);
}

} // namespace bx::shell
