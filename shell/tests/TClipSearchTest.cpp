#include "TClipSearch.h"

#include "GlobalMemory.h"
#include "SimDesktop.h"
#include "TClipColl.h"
#include "TClipData.h"
#include "TClipObj.h"
#include "TCollectionTree.h"
#include "TDataSource.h"
#include "TDataSourceList.h"
#include "TMasterList.h"
#include "TProgramState.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace bx::shell {
namespace {

using clipstore::TClipColl;
using clipstore::TClipObj;

// A data source on disk with a master list, the search results and collections made in the test.
class ClipSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        root = (std::filesystem::temp_directory_path() /
                ("bx_search_" + std::to_string(::getpid()) + "_" + std::to_string(counter++)))
                   .string() +
               "/";
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
        clipstore::TProgramState::Get().Reset();
        clipstore::TProgramState::Get().Desktop = &desk;
        sources.Add("Data", std::make_unique<clipstore::TDataSource>(1, "Data", root, false, true));
        master = std::make_unique<clipstore::TMasterList>(sources, nullptr);
        master->Load();
        folder = master->Item(0);
        master->SearchResults = master->Append(master->MakeSearchResults());
        results = master->SearchResults;
    }
    void TearDown() override {
        master.reset();
        clipstore::TProgramState::Get().Reset();
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }

    TClipColl* MakeColl(const std::string& title) {
        auto coll = std::make_unique<TClipColl>(true, master.get());
        coll->Title = title;
        coll->DirName = title;
        coll->Parent = folder;
        coll->Retention = TClipColl::KeepAll;
        coll->AddOrder = 0;
        return master->Append(std::move(coll));
    }

    TClipObj* AddText(TClipColl& coll, const std::string& title, const std::string& text) {
        auto clip = std::make_unique<TClipObj>(coll.GetNextSerialNum(), "GEDIT");
        clip->SetColl(&coll);
        auto data = std::make_unique<clipstore::TClipData>(clipstore::TClipData::TypeBlock);
        data->Handle = platform::GlobalMemory::FromBytes(text.c_str(), text.size() + 1);
        data->DataSize = static_cast<std::int32_t>(text.size() + 1);
        data->FormatNum = platform::CF_TEXT;
        clip->Formats->push_back(std::move(data));
        clip->Online = true;
        clip->SetIcon(platform::CF_TEXT);
        clip->SetTitle(title);
        TClipObj* raw = clip.get();
        coll.MyAddObject(title, std::move(clip));
        return raw;
    }

    std::vector<std::string> ResultTitles() const {
        std::vector<std::string> titles;
        for (std::size_t i = 0; i < results->Count(); ++i)
            titles.push_back(results->EntryTitle(i));
        return titles;
    }

    platform::sim::SimDesktop desk;
    clipstore::TDataSourceList sources;
    std::unique_ptr<clipstore::TMasterList> master;
    TClipColl* folder = nullptr;
    TClipColl* results = nullptr;
    std::string root;
};

TEST_F(ClipSearchTest, MatchesTitleOrTextComparingOnlyTheLettersAToZWithoutCase) {
    TClipColl* coll = MakeColl("Notes");
    struct Case {
        const char* title;
        const char* text;
        bool match;
    };
    const Case cases[] = {
        {"My ABC list", "nothing to see", true},    // title only
        {"plain", "before xABCx after", true},      // text only
        {"plain too", "a b c", false},              // letters apart
        {"r\xC3\xA9sum\xC3\xA9", "none", false},    // no abc anywhere
        {"R\xC3\xA9sum\xC3\xA9 abc", "none", true}, // abc in the title
    };
    for (const Case& c : cases)
        AddText(*coll, c.title, c.text);

    EXPECT_EQ(TClipSearch::SearchCollection(*coll, "aBc", *results), 3u);
    EXPECT_EQ(ResultTitles(), (std::vector<std::string>{"My ABC list", "plain", "R\xC3\xA9sum\xC3\xA9 abc"}));
    TClipSearch::ClearResults(*results);
    // Accented letters are compared exactly: an upper-case E acute finds no lower-case one.
    EXPECT_EQ(TClipSearch::SearchCollection(*coll, "R\xC3\x89SUM\xC3\x89", *results), 0u);
    EXPECT_EQ(TClipSearch::SearchCollection(*coll, "R\xC3\xA9SUM\xC3\xA9", *results), 2u);
    EXPECT_EQ(ResultTitles(), (std::vector<std::string>{"r\xC3\xA9sum\xC3\xA9", "R\xC3\xA9sum\xC3\xA9 abc"}));

    // The results only refer to the clips: the collection keeps them, and clearing destroys none.
    TClipObj* first = coll->Clip(3);
    EXPECT_EQ(results->Clip(0), first);
    TClipSearch::ClearResults(*results);
    EXPECT_EQ(results->Count(), 0u);
    EXPECT_EQ(coll->Count(), 5u);
    EXPECT_EQ(coll->Clip(3), first);
}

TEST_F(ClipSearchTest, SearchAllReplacesTheResultsAndWalksTheTreeWithoutSearchingTheResults) {
    TClipColl* work = MakeColl("Work");
    TClipColl* home = MakeColl("Home");
    AddText(*work, "invoice 1", "pay qqq by Friday");
    AddText(*work, "memo", "nothing");
    AddText(*home, "list", "milk, QQQ, bread");
    AddText(*home, "recipe", "flour");
    TCollectionTree tree;
    tree.Build(*master, [](const TClipColl&) { return -1; });
    const std::vector<TClipColl*> order = TClipSearch::TreeOrder(tree);
    ASSERT_NE(std::find(order.begin(), order.end(), results), order.end());

    std::vector<std::string> searched;
    const auto progress = [&](const TClipColl& coll) { searched.push_back(coll.Title); };
    EXPECT_EQ(TClipSearch::SearchAll(order, "qqq", *results, progress), 2u);
    EXPECT_EQ(ResultTitles(), (std::vector<std::string>{"invoice 1", "list"}));
    EXPECT_EQ(std::find(searched.begin(), searched.end(), "Search Results"), searched.end());
    EXPECT_NE(std::find(searched.begin(), searched.end(), "Home"), searched.end());

    // A second search replaces the first one's results; searching the results again finds them once.
    EXPECT_EQ(TClipSearch::SearchAll(order, "flour", *results), 1u);
    EXPECT_EQ(ResultTitles(), (std::vector<std::string>{"recipe"}));
    // An empty text matches nothing and leaves the results empty.
    EXPECT_EQ(TClipSearch::SearchAll(order, "", *results), 0u);
    EXPECT_EQ(results->Count(), 0u);
}

TEST_F(ClipSearchTest, TextsInDataFilesAreReadForTheTestAndDroppedAgainAndAnUnreadableClipIsPassedOver) {
    TClipColl* coll = MakeColl("Long");
    const std::string filler(3000, 'x');
    TClipObj* missing = AddText(*coll, "first", filler + " needle");
    TClipObj* stored = AddText(*coll, "second", filler + " NEEDLE " + filler);
    AddText(*coll, "third", filler);
    master->Save();
    ASSERT_FALSE(master->Dirty);
    for (std::size_t i = 0; i < coll->Count(); ++i) {
        ASSERT_TRUE(coll->Clip(i)->DataInFile);
        coll->Clip(i)->UnLoad();
        ASSERT_FALSE(coll->Clip(i)->Online);
    }
    std::filesystem::remove(coll->GetPath() + TClipObj::DataFileName(missing->SerialNbr));

    TCollectionTree tree;
    tree.Build(*master, [](const TClipColl&) { return -1; });
    EXPECT_EQ(TClipSearch::SearchAll(TClipSearch::TreeOrder(tree), "needle", *results), 1u);
    EXPECT_EQ(results->Clip(0), stored);
    for (std::size_t i = 0; i < coll->Count(); ++i)
        EXPECT_FALSE(coll->Clip(i)->Online) << i;
}

} // namespace
} // namespace bx::shell
