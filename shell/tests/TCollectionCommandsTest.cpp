// The collection commands on a running program: new, delete, rename and properties, icons, the order
// among siblings, data sources, and the context menu's enabled entries.
#include "TCollectionCommands.h"
#include "CoreTestFixture.h"
#include "ScriptedCollectionDialogs.h"
#include "TClipData.h"
#include "TCollectionMenuState.h"
#include "TCollectionProperties.h"
#include "TUtf8.h"

#include <algorithm>
#include <fstream>

namespace bx::shell::coretest {
namespace {

namespace fs = std::filesystem;
using clipstore::TClipColl;
using platform::MsgResult;

class CollectionCommandsTest : public CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        Start();
        commands = std::make_unique<TCollectionCommands>(*core, dialogs);
        boxes.Clear();
    }
    void TearDown() override {
        commands.reset();
        CoreFixture::TearDown();
    }

    int Node(const TClipColl* coll) const { return core->Tree().GetTreeNodeOfColl(coll); }
    int Node(const std::string& title) const { return Node(Coll(title)); }

    // A new collection under parent, named by the prompt's answer.
    TClipColl* New(const std::string& parent, const std::string& title) {
        dialogs.PromptAnswers.push_back(title);
        commands->NewCollection(Node(parent));
        return Coll(clipstore::TUtf8::CutBytes(title, 255));
    }

    static void AddClip(TClipColl& coll, const std::string& text) {
        auto clip = std::make_unique<clipstore::TClipObj>(coll.Context(), coll.GetNextSerialNum(), "editor");
        clip->SortKey = coll.GetNextClipSortKey();
        clip->SetColl(&coll);
        auto data = std::make_unique<clipstore::TClipData>(clipstore::TClipData::TypeBlock);
        Bytes bytes = TextBytes(text);
        data->Handle = platform::GlobalMemory::FromBytes(bytes.data(), bytes.size());
        data->DataSize = static_cast<std::int32_t>(bytes.size());
        data->FormatNum = platform::CF_TEXT;
        data->FormatName = "CF_TEXT";
        clip->Formats->push_back(std::move(data));
        clip->Online = true;
        clip->SetTitle(text);
        const std::string title = clip->Title;
        coll.MyAddObject(title, std::move(clip));
    }

    std::string LastBox() const { return boxes.Boxes().empty() ? std::string() : boxes.Boxes().back().text; }
    std::vector<std::string> Titles() const {
        std::vector<std::string> titles;
        for (std::size_t i = 0; i < core->Tree().Count(); ++i)
            titles.push_back(core->Tree().At(i).Coll->Title);
        return titles;
    }

    ScriptedCollectionDialogs dialogs;
    std::unique_ptr<TCollectionCommands> commands;
};

TEST_F(CollectionCommandsTest, NewCollectionsGetUniqueDirectoriesAndGoLast) {
    TClipColl* first = New("Short-Term", "Notes/2024.1");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->DirName, "Notes_2024_1");
    EXPECT_EQ(dialogs.Prompts.front(), "Create New Collection|Enter The Name Of The New Collection:|New Collection");
    TClipColl* second = New("Short-Term", "Notes:2024.1");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->DirName, "Notes_2024_2");
    EXPECT_TRUE(fs::is_directory(dataDir + "Short-Term/Notes_2024_2"));
    // After its siblings, the new one selected, its properties offered.
    EXPECT_EQ(first->SortKey, (1010 + 64000) / 2);
    EXPECT_EQ(second->SortKey, (first->SortKey + 64000) / 2);
    EXPECT_EQ(core->Tree().Selected(), Node(second));
    EXPECT_EQ(core->ClipList().Coll(), second);
    EXPECT_EQ(dialogs.PropertiesShown, 2);
    EXPECT_EQ(view.Statuses.back(), "New Collection Created");

    // A title that differs only in case is refused and asked for again; cancelling makes nothing.
    const std::size_t before = core->MasterList()->Count();
    dialogs.PromptAnswers.push_back("NOTES/2024.1");
    commands->NewCollection(Node("Short-Term"));
    EXPECT_EQ(LastBox(), "Collection Name Must Be Unique - This Name Is Already In Use:\nNOTES/2024.1");
    EXPECT_EQ(dialogs.Prompts.back(), "Create New Collection|Enter The Name Of The New Collection:|NOTES/2024.1");
    EXPECT_EQ(core->MasterList()->Count(), before);

    // Saved and loaded again, both are where they were.
    commands->SaveAll();
    core->LoadData();
    ASSERT_NE(Coll("Notes:2024.1"), nullptr);
    EXPECT_EQ(Coll("Notes:2024.1")->Parent, Coll("Short-Term"));
}

TEST_F(CollectionCommandsTest, NamesNeverLeaveTheParentDirectory) {
    std::string longTitle;
    while (longTitle.size() < 300)
        longTitle += "\xC3\xA9"; // é, two bytes each
    const std::string escapes[] = {"../x", "a/../../b", ".hidden", "\x01", "..", longTitle};
    const std::string parentDir = dataDir + "Short-Term";
    for (const std::string& title : escapes) {
        SCOPED_TRACE(title.substr(0, 12));
        TClipColl* coll = New("Short-Term", title);
        ASSERT_NE(coll, nullptr);
        const fs::path dir = fs::path(coll->GetPath()).parent_path();
        EXPECT_EQ(dir.parent_path().string(), parentDir);
        EXPECT_TRUE(fs::is_directory(dir));
        const std::string name = dir.filename().string();
        EXPECT_NE(name.front(), '.');
        EXPECT_LE(name.size(), 255u);
        EXPECT_TRUE(clipstore::TUtf8::IsValid(name));
        EXPECT_EQ(name.find_first_of(std::string("/\x01", 2)), std::string::npos);
        EXPECT_LE(coll->Title.size(), 255u);
        EXPECT_TRUE(clipstore::TUtf8::IsValid(coll->Title));
    }
}

TEST_F(CollectionCommandsTest, DeletingNeedsAnEmptyLeaf) {
    TClipColl* parent = New("Short-Term", "Parent");
    TClipColl* child = New("Parent", "Child");
    ASSERT_NE(child, nullptr);
    AddClip(*parent, "one clip");
    const std::string parentDir = parent->GetPath();
    const std::string childDir = child->GetPath();

    commands->DeleteCollection(Node(parent));
    EXPECT_EQ(LastBox(), "This node has children - delete or move children first.");
    commands->DeleteCollection(Node(child));
    EXPECT_EQ(LastBox(), "Do you wish to delete the collection titled: Child?");
    EXPECT_EQ(Coll("Child"), nullptr);
    EXPECT_FALSE(fs::exists(childDir));
    EXPECT_EQ(view.Statuses.back(), "Delete Sucessful: " + childDir);
    EXPECT_EQ(core->Tree().Selected(), Node("Parent"));

    commands->DeleteCollection(Node(parent));
    EXPECT_EQ(LastBox(), "This collection has data in it.  Only empy collections may be deleted.  \n"
                         "Delete or move items before deleting the collection.");
    parent->RemoveItem(0, true);
    boxes.Answer(MsgResult::No);
    commands->DeleteCollection(Node(parent));
    EXPECT_NE(Coll("Parent"), nullptr);
    commands->DeleteCollection(Node(parent));
    EXPECT_EQ(Coll("Parent"), nullptr);
    EXPECT_FALSE(fs::exists(parentDir));
}

TEST_F(CollectionCommandsTest, ADirectoryThatIsALinkIsNotFollowedOnRenameOrDelete) {
    TClipColl* coll = New("Short-Term", "Linked");
    const std::string dir = fs::path(coll->GetPath()).parent_path().string();
    const std::string outside = root + "outside/";
    fs::create_directories(outside);
    std::ofstream(outside + "keep.txt") << "keep";
    fs::remove_all(dir);
    fs::create_directory_symlink(outside, dir);

    // Nor on a rename: the title stays as the directory does.
    dialogs.OnProperties = [](TCollectionProperties& form) {
        form.SetTitle("Renamed");
        return true;
    };
    commands->Properties(Node(coll));
    EXPECT_EQ(coll->Title, "Linked");
    EXPECT_TRUE(fs::is_symlink(dir));

    commands->DeleteCollection(Node(coll));
    EXPECT_TRUE(fs::exists(outside + "keep.txt"));
    EXPECT_EQ(view.Statuses.back(), "** Delete Failed!: " + dir + "/*");
}

TEST_F(CollectionCommandsTest, MovingUpAndDownTakesTheMeanOfTheNeighbours) {
    struct Case {
        bool up;
        std::int32_t key;
        std::vector<std::string> order;
    };
    const Case cases[] = {{true, 500, {"B", "A", "C"}}, {false, 33500, {"A", "C", "B"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.up ? "up" : "down");
        TClipColl* holder = New("Long-Term", c.up ? "Up" : "Down");
        std::vector<TClipColl*> kids;
        for (const char* name : {"A", "B", "C"}) {
            const std::string title = std::string(name) + (c.up ? "1" : "2");
            kids.push_back(New(holder->Title, title));
        }
        for (int i = 0; i < 3; ++i)
            kids[static_cast<std::size_t>(i)]->SortKey = 1000 * (i + 1);
        commands->RefreshTree(holder);
        commands->Sort(Node(kids[1]), c.up);
        EXPECT_EQ(kids[1]->SortKey, c.key);
        EXPECT_TRUE(kids[1]->Dirty);
        std::vector<std::string> order;
        for (std::size_t i = 0; i < core->Tree().Count(); ++i)
            if (core->Tree().At(i).Coll->Parent == holder)
                order.push_back(core->Tree().At(i).Coll->Title.substr(0, 1));
        EXPECT_EQ(order, c.order);
        EXPECT_EQ(core->Tree().Selected(), Node(kids[1]));
    }
}

TEST_F(CollectionCommandsTest, PropertiesRetentionIconAndCleanOk) {
    struct Case {
        std::int32_t icon;
        std::int32_t expected;
    };
    for (const Case c : {Case{25, 25}, Case{10, 12}}) {
        SCOPED_TRACE(c.icon);
        TClipColl* coll = Coll("Short-Term");
        coll->ImageIndex = c.icon;
        dialogs.OnProperties = [](TCollectionProperties& form) {
            form.ChooseRetention(TClipColl::DeleteByAge);
            EXPECT_TRUE(form.MaxDaysEnabled());
            EXPECT_FALSE(form.MaxItemsEnabled());
            form.SetMaxDays("7");
            return true;
        };
        commands->Properties(Node(coll));
        EXPECT_EQ(coll->ImageIndex, c.expected);
        EXPECT_EQ(coll->Retention, TClipColl::DeleteByAge);
        EXPECT_EQ(coll->MaxDays, 7);
        EXPECT_EQ(core->Tree().At(static_cast<std::size_t>(Node(coll))).Image, c.expected);
    }

    // OK without a change writes nothing.
    commands->SaveAll();
    TClipColl* coll = Coll("Long-Term");
    ASSERT_FALSE(coll->Dirty);
    dialogs.OnProperties = [](TCollectionProperties&) { return true; };
    commands->Properties(Node(coll));
    EXPECT_FALSE(coll->Dirty);
    EXPECT_FALSE(core->MasterList()->Dirty);

    // A number field without a number stops the writing there; what came before stays.
    dialogs.OnProperties = [](TCollectionProperties& form) {
        form.SetFavorite(true);
        form.SetSortKey("12a");
        return true;
    };
    EXPECT_THROW(commands->Properties(Node(coll)), std::invalid_argument);
    EXPECT_TRUE(coll->Favorite);
    EXPECT_EQ(coll->SortKey, 400);
    // A negative limit would empty the collection at the next purge: refused the same way.
    dialogs.OnProperties = [](TCollectionProperties& form) {
        form.SetMaxItems("-1");
        return true;
    };
    EXPECT_THROW(commands->Properties(Node(coll)), std::invalid_argument);
    EXPECT_EQ(coll->MaxItems, 100);
}

TEST_F(CollectionCommandsTest, RenamingMovesTheDirectory) {
    TClipColl* coll = New("Short-Term", "Work");
    AddClip(*coll, "kept");
    commands->SaveAll();
    const std::string oldDir = coll->GetPath();

    // Another collection's title, in other letters, keeps the dialog open.
    dialogs.OnProperties = [](TCollectionProperties& form) {
        form.SetTitle("long-term");
        return true;
    };
    commands->Properties(Node(coll));
    EXPECT_EQ(LastBox(), "Collection Name Must Be Unique - This Name Is Already In Use.\nlong-term");
    EXPECT_EQ(coll->Title, "Work");

    // A full stop stays in the title and becomes "_" in the directory.
    dialogs.OnProperties = [](TCollectionProperties& form) {
        form.SetTitle("Work.");
        return true;
    };
    commands->Properties(Node(coll));
    EXPECT_EQ(LastBox(), "Directory Rename Successful.");
    EXPECT_EQ(coll->Title, "Work.");
    EXPECT_EQ(coll->DirName, "Work_");
    EXPECT_FALSE(fs::exists(oldDir));
    EXPECT_TRUE(fs::exists(coll->GetPath() + clipstore::TClipColl::FileName));
    EXPECT_EQ(core->Tree().At(static_cast<std::size_t>(Node(coll))).Coll->Title, "Work.");

    commands->SaveAll();
    core->LoadData();
    ASSERT_NE(Coll("Work."), nullptr);
    EXPECT_EQ(Coll("Work.")->Count(), 1u);
}

TEST_F(CollectionCommandsTest, AMadeAndRenamedCollectionIsThereAfterARestart) {
    TClipColl* coll = New("Long-Term", "Recipes");
    AddClip(*coll, "pancakes");
    dialogs.OnProperties = [](TCollectionProperties& form) {
        form.SetTitle("Recipes 2025");
        form.SetFavorite(true);
        return true;
    };
    commands->Properties(Node(coll));
    ASSERT_TRUE(core->FormCloseQuery());
    commands.reset();
    core.reset();

    Start();
    TClipColl* again = Coll("Recipes 2025");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Parent, Coll("Long-Term"));
    EXPECT_EQ(again->DirName, "Recipes 2025");
    EXPECT_TRUE(again->Favorite);
    ASSERT_EQ(again->Count(), 1u);
    EXPECT_EQ(again->Clip(0)->Title, "pancakes");
    commands = std::make_unique<TCollectionCommands>(*core, dialogs);
}

// The capture journal finds a collection by its path and its file: a new collection is on disk at once, and a
// rename retires the journal before the directory moves.
TEST_F(CollectionCommandsTest, TheClipsOfANewOrRenamedCollectionOutliveACrash) {
    AddClip(*New("Long-Term", "Fresh"), "in a new collection");
    TClipColl* renamed = New("Long-Term", "Before");
    AddClip(*renamed, "before the rename");
    desk.Advance(1000);
    dialogs.OnProperties = [](TCollectionProperties& form) {
        form.SetTitle("After");
        return true;
    };
    commands->Properties(Node(renamed));
    AddClip(*renamed, "after the rename");
    desk.Advance(1000);
    // The program ends without its closing: no save.
    commands.reset();
    core.reset();

    Start();
    commands = std::make_unique<TCollectionCommands>(*core, dialogs);
    const std::pair<const char*, std::vector<std::string>> expected[] = {
        {"Fresh", {"in a new collection"}}, {"After", {"after the rename", "before the rename"}}};
    for (const auto& [title, clips] : expected) {
        const TClipColl* coll = Coll(title);
        ASSERT_NE(coll, nullptr) << title;
        std::vector<std::string> shown;
        for (std::size_t i = 0; i < coll->Count(); ++i)
            shown.push_back(coll->Clip(i)->Title);
        std::sort(shown.begin(), shown.end());
        EXPECT_EQ(shown, clips) << title;
    }
}

TEST_F(CollectionCommandsTest, ChangeIconAndEmptyTrash) {
    TClipColl* coll = Coll("Long-Term");
    dialogs.Bitmap = 30;
    commands->ChangeIcon(Node(coll));
    EXPECT_EQ(dialogs.BitmapShownWith, std::vector<int>{11});
    EXPECT_EQ(coll->ImageIndex, 30);
    EXPECT_TRUE(coll->Dirty);

    TClipColl* trash = core->MasterList()->TrashCan;
    AddClip(*trash, "gone");
    core->Tree().Select(Node(trash));
    ASSERT_EQ(core->ClipList().Count(), 1u);
    commands->EmptyTrash();
    EXPECT_EQ(trash->Count(), 0u);
    EXPECT_EQ(core->ClipList().Count(), 0u);
}

TEST_F(CollectionCommandsTest, ReloadAllAsksAndSavesFirst) {
    int loads = 0;
    const auto counted = core->Events().DataLoaded.Subscribe([&loads] { ++loads; });
    TClipColl* coll = New("Short-Term", "Fresh");
    AddClip(*coll, "unsaved");
    boxes.Answer(MsgResult::No);
    commands->ReloadAll();
    EXPECT_EQ(loads, 0);
    EXPECT_EQ(LastBox().rfind("This will save all data, and re-load from disk.", 0), 0u);
    commands->ReloadAll();
    EXPECT_EQ(loads, 1);
    ASSERT_NE(Coll("Fresh"), nullptr);
    EXPECT_EQ(Coll("Fresh")->Count(), 1u);
}

TEST_F(CollectionCommandsTest, DataSourcesAddedAndDeleted) {
    // The first data source is never deleted from the tree.
    commands->DeleteDataSource(0);
    EXPECT_EQ(view.Statuses.back(), "Failed - Could Not Match DataSource To Master List.");
    EXPECT_EQ(sources.Count(), 1u);

    const std::string picked = root + "shared";
    dialogs.Folders.push_back(picked);
    boxes.Answer(MsgResult::Ok);  // the information box
    boxes.Answer(MsgResult::Yes); // add "/data"
    dialogs.OnDataSource = [](clipstore::TDataSource& source) {
        EXPECT_EQ(source.Description, "New Data Source");
        source.Description = "Team";
        return ICollectionDialogs::DataSourceOk;
    };
    commands->AddDataSource();
    ASSERT_EQ(sources.Count(), 2u);
    EXPECT_EQ(sources.Source(1)->Directory, picked + "/data/");
    EXPECT_EQ(sources.Source(1)->Number, sources.NextDataSourceNumber);
    EXPECT_TRUE(fs::is_directory(picked + "/data"));
    const int team = Node("Team");
    ASSERT_GE(team, 0);
    EXPECT_EQ(core->Tree().At(static_cast<std::size_t>(team)).Parent, -1);

    commands->DeleteDataSource(team);
    EXPECT_EQ(sources.Count(), 1u);
    EXPECT_EQ(Node("Team"), -1);
    EXPECT_TRUE(fs::is_directory(picked + "/data"));
    EXPECT_NE(std::find(view.Statuses.begin(), view.Statuses.end(), "Data Source Deleted"), view.Statuses.end());

    // A cancelled picker adds nothing.
    commands->AddDataSource();
    EXPECT_EQ(view.Statuses.back(), "Cancelled");
    EXPECT_EQ(sources.Count(), 1u);
}

TEST_F(CollectionCommandsTest, ContextMenuEnabledEntries) {
    TClipColl* only = New("Long-Term", "Only");
    ASSERT_NE(only, nullptr);
    const TCollectionTree& tree = core->Tree();
    const int trash = Node(core->MasterList()->TrashCan);
    using S = TCollectionMenuState;
    // Properties, icon, delete, up, down, new, add source, delete source.
    const auto state = [](bool p, bool i, bool d, bool u, bool w, bool n, bool a, bool x) {
        return S{p, i, d, u, w, n, a, x};
    };
    struct Case {
        int node;
        bool toolbar;
        S expected;
    };
    const Case cases[] = {
        {0, false, state(true, false, false, false, false, true, true, true)},                 // data-source root
        {0, true, state(true, false, false, false, false, true, false, false)},                // from the toolbar
        {Node("Short-Term"), false, state(true, true, true, false, true, true, false, false)}, // first child
        {Node("Long-Term"), false, state(true, true, true, true, false, true, false, false)},  // last child
        {Node(only), false, state(true, true, true, false, false, true, false, false)},        // a lone leaf
        {trash, false, state(false, false, false, false, false, false, false, false)},         // the trash can
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.node);
        EXPECT_EQ(S::For(tree, c.node, c.toolbar), c.expected);
    }
}

} // namespace
} // namespace bx::shell::coretest
