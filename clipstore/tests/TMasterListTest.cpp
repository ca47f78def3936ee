#include "TMasterList.h"
#include "CollTestFixture.h"
#include "TDataSource.h"
#include "TDataSourceList.h"
#include "TLeftoverFiles.h"

#include <fstream>

#include <algorithm>
#include <sys/stat.h>

namespace bx::clipstore {
namespace {

using namespace colltest;
namespace fs = std::filesystem;

class MasterListTest : public CollFixture {
protected:
    void SetUp() override {
        CollFixture::SetUp();
        AddSource(root, false);
    }

    void AddSource(const std::string& dir, bool readOnly, bool autoLoad = true) {
        const int n = static_cast<int>(sources.Count()) + 1;
        sources.Add("S" + std::to_string(n),
                    std::make_unique<TDataSource>(n, "Source " + std::to_string(n), dir, readOnly, autoLoad));
    }

    std::unique_ptr<TMasterList> NewList() {
        auto list = std::make_unique<TMasterList>(context, sources, &boxes);
        TMasterList::DetermineFirstGoodDataSource(sources, &boxes);
        return list;
    }

    // Writes a collection with the given texts into dir (relative to root).
    void WriteColl(const std::string& dir, const std::vector<std::string>& texts, std::int32_t sortKey = 500) {
        fs::create_directories(root + dir);
        auto coll = MakeColl(dir);
        coll->SortKey = sortKey;
        for (const auto& t : texts)
            AddText(*coll, t);
        ASSERT_TRUE(coll->SaveToFile(root + dir + "/_COLL.BX4"));
    }

    static std::vector<std::string> Titles(const TMasterList& list) {
        std::vector<std::string> titles;
        for (std::size_t i = 0; i < list.Count(); ++i)
            titles.push_back(list.Item(i)->Title);
        return titles;
    }

    static TClipColl* Find(const TMasterList& list, const std::string& title) {
        for (std::size_t i = 0; i < list.Count(); ++i)
            if (list.Item(i)->Title == title)
                return list.Item(i);
        return nullptr;
    }

    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const auto& b : boxes.Boxes())
            texts.push_back(b.text);
        return texts;
    }

    TDataSourceList sources;
    platform::sim::SimMessageBoxes boxes;
};

TEST_F(MasterListTest, FirstStartMakesTheDefaultCollectionsAndDesignatesShortTerm) {
    auto list = NewList();
    list->MakeDefaultCollections();
    EXPECT_TRUE(fs::exists(root + "Short-Term/_COLL.BX4"));
    EXPECT_TRUE(fs::exists(root + "Long-Term/_COLL.BX4"));
    ASSERT_TRUE(list->Load());
    EXPECT_FALSE(list->Dirty);
    ASSERT_EQ(list->Count(), 3u);
    EXPECT_EQ(list->Item(0)->Title, "Source 1");
    EXPECT_EQ(list->Item(0)->CollType, TClipColl::FolderColl);
    EXPECT_EQ(list->Item(0)->ImageIndex, 7);
    EXPECT_TRUE(sources.Source(0)->Loaded);

    TClipColl* shortTerm = Find(*list, "Short-Term");
    TClipColl* longTerm = Find(*list, "Long-Term");
    ASSERT_TRUE(shortTerm && longTerm);
    EXPECT_EQ(shortTerm->SortKey, 200);
    EXPECT_EQ(shortTerm->ImageIndex, 10);
    EXPECT_EQ(shortTerm->Retention, TClipColl::KeepMaxItems);
    EXPECT_EQ(longTerm->Retention, TClipColl::KeepAll);
    EXPECT_EQ(longTerm->ImageIndex, 11);
    EXPECT_EQ(shortTerm->Parent, list->Item(0));
    EXPECT_EQ(shortTerm->GetPath(), root + "Short-Term/");

    const auto order = list->DisplayOrder();
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order[1], shortTerm);
    EXPECT_EQ(order[2], longTerm);
    EXPECT_EQ(list->Designate(), shortTerm);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(MasterListTest, OnlyDirectoriesWithACollectionFileAndWithoutADotAreLoaded) {
    WriteColl("Good", {"one"});
    WriteColl("Good/Child", {"two"});
    WriteColl("dot.ted", {"never"});
    WriteColl("A/B", {"hidden below a plain directory"});
    fs::create_directories(root + "Good/Empty");
    fs::create_directories(root + "outside");
    WriteColl("outside/Coll", {"outside"});
    fs::create_directory_symlink(root + "outside/Coll", root + "Linked");

    auto list = NewList();
    ASSERT_TRUE(list->Load());
    auto titles = Titles(*list);
    std::sort(titles.begin(), titles.end());
    EXPECT_EQ(titles, (std::vector<std::string>{"Good", "Good/Child", "Source 1"}));
    EXPECT_EQ(Find(*list, "Good/Child")->Parent, Find(*list, "Good"));
    EXPECT_FALSE(fs::exists(root + "Good/Empty")) << "an empty directory of a collection is removed";
    EXPECT_TRUE(fs::exists(root + "outside/Coll/_COLL.BX4"));
}

TEST_F(MasterListTest, DamagedCollectionFileFallsBackToItsBackup) {
    WriteColl("Coll", {"kept in the backup"});
    WriteColl("Coll/Child", {"child"});
    fs::copy_file(root + "Coll/_COLL.BX4", root + "Coll/_COLL.bak");
    Bytes damaged = FileBytes(root + "Coll/_COLL.BX4");
    damaged[19] ^= 0x04; // the most clips kept: the header fails its checksum
    PutFile(root + "Coll/_COLL.BX4", damaged);

    auto list = NewList();
    ASSERT_TRUE(list->Load());
    ASSERT_EQ(BoxTexts().size(), 2u);
    EXPECT_EQ(BoxTexts()[0], "Brindlex ERROR opening Collection: Coll\nAn Attempt Will Be Made To Use Backup Copy.");
    EXPECT_EQ(BoxTexts()[1], "Backup Read Successful! \n(It would be wise to save now.)");
    EXPECT_EQ(boxes.Boxes()[0].type, platform::MsgType::Error);
    EXPECT_EQ(boxes.Boxes()[1].type, platform::MsgType::Information);
    TClipColl* coll = Find(*list, "Coll");
    ASSERT_NE(coll, nullptr);
    EXPECT_TRUE(coll->Dirty);
    ASSERT_EQ(coll->Count(), 1u);
    EXPECT_EQ(Find(*list, "Coll/Child"), nullptr) << "children of a collection read from its backup wait a run";
}

TEST_F(MasterListTest, UnreadableCollectionWithoutUsableBackup) {
    WriteColl("NoBackup", {"x"});
    PutFile(root + "NoBackup/_COLL.BX4", Bytes{1});
    WriteColl("BadBackup", {"y"});
    PutFile(root + "BadBackup/_COLL.BX4", Bytes{1});
    PutFile(root + "BadBackup/_COLL.bak", Bytes{2});

    auto list = NewList();
    list->Load();
    TClipColl* folder = Find(*list, "NoBackup");
    ASSERT_NE(folder, nullptr) << "shown as a folder";
    EXPECT_EQ(folder->CollType, TClipColl::FolderColl);
    EXPECT_EQ(folder->ImageIndex, 7);
    EXPECT_EQ(Find(*list, "BadBackup"), nullptr);
    EXPECT_EQ(BoxTexts().back(), "Brindlex ERROR opening BACKUP: BadBackup\nPlease Restore Directory From Tape or "
                                 "Floppy Backup, Or Erase Directory.");
    // Saving leaves the unreadable file alone.
    list->Save();
    EXPECT_EQ(FileBytes(root + "NoBackup/_COLL.BX4"), Bytes{1});
}

TEST_F(MasterListTest, SaveWritesTheNewFileAndKeepsThePreviousAsBackup) {
    auto list = NewList();
    list->MakeDefaultCollections();
    list->Load();
    TClipColl* shortTerm = Find(*list, "Short-Term");
    const std::string dir = root + "Short-Term/";
    const Bytes first = FileBytes(dir + "_COLL.BX4");

    AddText(*shortTerm, "a new clip");
    EXPECT_TRUE(list->Dirty);
    list->Save();
    EXPECT_FALSE(list->Dirty);
    EXPECT_EQ(FileBytes(dir + "_COLL.bak"), first);
    EXPECT_FALSE(fs::exists(dir + "_COLL.tmp"));
    const Bytes second = FileBytes(dir + "_COLL.BX4");
    EXPECT_NE(second, first);

    // Unchanged collections are not written again: file and backup stay as they are.
    list->Save();
    list->Save();
    EXPECT_EQ(FileBytes(dir + "_COLL.BX4"), second);
    EXPECT_EQ(FileBytes(dir + "_COLL.bak"), first);

    auto reloaded = std::make_unique<TMasterList>(context, sources, &boxes);
    list.reset();
    reloaded->Load();
    ASSERT_NE(Find(*reloaded, "Short-Term"), nullptr);
    EXPECT_EQ(Find(*reloaded, "Short-Term")->Count(), 1u);
}

TEST_F(MasterListTest, FailedSaveIsReportedAndTheCollectionStaysChanged) {
    WriteColl("Locked", {"one"});
    WriteColl("Open", {"two"});
    auto list = NewList();
    list->Load();
    AddText(*Find(*list, "Locked"), "three");
    AddText(*Find(*list, "Open"), "four");
    const Bytes before = FileBytes(root + "Locked/_COLL.BX4");
    // A directory where the new collection file is to be written makes the write fail (for root too).
    fs::create_directories(root + "Locked/_COLL.tmp/x");
    list->Save();
    fs::remove_all(root + "Locked/_COLL.tmp");

    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Brindlex ERROR Saving Collection: Locked\nLast Good Copy, or "
                                                    "Backup Copy Will Be Used During Next Session"}));
    EXPECT_EQ(FileBytes(root + "Locked/_COLL.BX4"), before);
    EXPECT_TRUE(Find(*list, "Locked")->Dirty);
    EXPECT_TRUE(list->Dirty) << "the autosave must try again";
    EXPECT_FALSE(Find(*list, "Open")->Dirty);
    list->Save();
    EXPECT_FALSE(list->Dirty);
    EXPECT_NE(FileBytes(root + "Locked/_COLL.BX4"), before);
}

TEST_F(MasterListTest, CollectionFileMissingBesideLeftoversLoadsTheNewestLeftover) {
    WriteColl("Coll", {"old"});
    fs::rename(root + "Coll/_COLL.BX4", root + "Coll/_COLL.bak");
    WriteColl("Coll", {"old", "new"});
    fs::rename(root + "Coll/_COLL.BX4", root + "Coll/_COLL.tmp");
    fs::last_write_time(root + "Coll/_COLL.bak", fs::file_time_type::clock::now() - std::chrono::hours(1));

    auto list = NewList();
    list->Load();
    TClipColl* coll = Find(*list, "Coll");
    ASSERT_NE(coll, nullptr);
    EXPECT_EQ(coll->Count(), 2u);
    EXPECT_TRUE(coll->Dirty);
    ASSERT_EQ(BoxTexts().size(), 2u);
    EXPECT_EQ(BoxTexts()[1], "Backup Read Successful! \n(It would be wise to save now.)");
    list->Save();
    EXPECT_TRUE(fs::exists(root + "Coll/_COLL.BX4"));
}

TEST_F(MasterListTest, ReadOnlyDataSourceIsShownButNeverWrittenOrDesignated) {
    const std::string other = root + "ro/";
    fs::create_directories(other + "Shared");
    {
        TClipColl coll(context, true);
        coll.DirName = other + "Shared";
        coll.Title = "Shared";
        coll.SortKey = 1;
        AddText(coll, "shared clip");
        ASSERT_TRUE(coll.SaveToFile(other + "Shared/_COLL.BX4"));
    }
    sources.Clear();
    AddSource(other, true);
    AddSource(root + "rw/", false);
    fs::create_directories(root + "rw/Mine");
    {
        TClipColl coll(context, true);
        coll.DirName = root + "rw/Mine";
        coll.Title = "Mine";
        coll.SortKey = 900;
        ASSERT_TRUE(coll.SaveToFile(root + "rw/Mine/_COLL.BX4"));
    }
    const Bytes before = FileBytes(other + "Shared/_COLL.BX4");

    auto list = NewList();
    EXPECT_EQ(sources.CurrentDataSource, 1u);
    list->Load();
    TClipColl* shared = Find(*list, "Shared (Read Only)");
    ASSERT_NE(shared, nullptr);
    EXPECT_TRUE(shared->ReadOnly);
    EXPECT_EQ(list->Designate(), Find(*list, "Mine"));
    shared->SetDirty(true);
    list->Save();
    EXPECT_EQ(FileBytes(other + "Shared/_COLL.BX4"), before);
    EXPECT_FALSE(fs::exists(other + "Shared/_COLL.bak"));
}

TEST_F(MasterListTest, WithoutAcceptingCollectionsTheSecondNodeIsDesignatedWithAMessage) {
    WriteColl("Zeta", {}, 300);
    WriteColl("Alpha", {}, 100);
    auto list = NewList();
    list->Load();
    for (std::size_t i = 0; i < list->Count(); ++i)
        list->Item(i)->AcceptNewClips = false;
    EXPECT_EQ(list->Designate(), Find(*list, "Alpha"));
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"There are NO collections available that will accept new clips, "
                                                    "\nso (Alpha) will be designated as the collection to receive "
                                                    "new clips."}));
}

TEST_F(MasterListTest, SpecialCollectionsLieInTheCurrentDataSourceAndStartEmpty) {
    auto list = NewList();
    fs::create_directories(root + "TrashCan");
    PutFile(root + "TrashCan/D1.DAT", Bytes{1, 2, 3});
    auto trash = list->MakeTrashCan();
    EXPECT_EQ(trash->GetPath(), root + "TrashCan/");
    EXPECT_FALSE(fs::exists(root + "TrashCan/D1.DAT"));
    EXPECT_EQ(trash->CollType, TClipColl::TrashCanColl);
    EXPECT_EQ(trash->SortKey, 64001);
    EXPECT_FALSE(trash->AcceptNewClips);
    auto results = list->MakeSearchResults();
    EXPECT_EQ(results->Title, "Search Results");
    EXPECT_EQ(results->ImageIndex, 8);
    EXPECT_EQ(results->GetPath(), root + "SearchResults/");
}

TEST_F(MasterListTest, DataSourceChoiceAndUnsafeDirectories) {
    struct Case {
        const char* dir;
        bool readOnly;
        bool autoLoad;
    };
    const Case cases[] = {{"/data/a/", true, true},   // read only
                          {"/data/b/", false, false}, // not loaded at start
                          {"/data/../etc/", false, true},
                          {"relative/", false, true},
                          {"/data/good/", false, true}};
    sources.Clear();
    for (const Case& c : cases)
        AddSource(c.dir, c.readOnly, c.autoLoad);
    TMasterList::DetermineFirstGoodDataSource(sources, &boxes);
    EXPECT_EQ(sources.CurrentDataSource, 4u);
    EXPECT_TRUE(boxes.Boxes().empty());

    sources.Delete(4);
    TMasterList::DetermineFirstGoodDataSource(sources, &boxes);
    EXPECT_EQ(sources.CurrentDataSource, 0u);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "There is a problem with the data sources.  Please go into the DATA tab of "
                                     "User Preferences\nand add a valid, writeable data source.");

    TMasterList list(context, sources, &boxes);
    EXPECT_FALSE(list.LoadDataSource(*sources.Source(2)));
    EXPECT_EQ(list.Count(), 0u);
}

// What a save killed part-way left behind goes when the collection is loaded; only names the program
// itself writes, and files only.
TEST_F(MasterListTest, TemporaryFilesOfABrokenSaveAreRemovedWhenTheCollectionIsLoaded) {
    WriteColl("Notes", {"one"});
    const std::string dir = root + "Notes/";
    const std::vector<std::string> leftovers{"_COLL.tmp.Ab3xYz", "_COLL.bak.q1w2e3", "_coll.BAK.Q1W2E3",
                                             "D12.DAT.Ab3xYz",   "I7.BMP.q1w2e3",    "I7.emf.000000",
                                             "_COLL.bak.new"};
    const std::vector<std::string> kept{"_COLL.tmp",        "D12.DAT",        "D12.DAT.abc",    "Dx.DAT.abcdef",
                                        "notes.txt.abcdef", "D12.DAT.abc-ef", "X12.DAT.abcdef", "D12.TXT.abcdef"};
    for (const auto& name : leftovers)
        std::ofstream(dir + name) << "partial";
    for (const auto& name : kept)
        std::ofstream(dir + name) << "keep";
    fs::create_directories(dir + "D1.DAT.abcdef");
    fs::create_symlink(dir + "D12.DAT", dir + "D2.DAT.abcdef");
    for (const auto& name : leftovers)
        EXPECT_TRUE(TLeftoverFiles::IsLeftover(name)) << name;
    for (const auto& name : kept)
        EXPECT_FALSE(TLeftoverFiles::IsLeftover(name)) << name;

    auto list = NewList();
    list->Load();
    ASSERT_NE(Find(*list, "Notes"), nullptr);
    for (const auto& name : leftovers)
        EXPECT_FALSE(fs::exists(dir + name)) << name;
    for (const auto& name : kept)
        EXPECT_TRUE(fs::exists(dir + name)) << name;
    EXPECT_TRUE(fs::is_directory(dir + "D1.DAT.abcdef"));
    EXPECT_TRUE(fs::is_symlink(dir + "D2.DAT.abcdef"));
}

} // namespace
} // namespace bx::clipstore
