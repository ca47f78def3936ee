#include "TClipSearch.h"

#include "GlobalMemory.h"
#include "SimDesktop.h"
#include "TByteWriter.h"
#include "TClipColl.h"
#include "TClipContext.h"
#include "TClipData.h"
#include "TClipObj.h"
#include "TCollectionTree.h"
#include "TDataSource.h"
#include "TDataSourceList.h"
#include "TMasterList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <filesystem>
#include <fstream>
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
        sources.Add("Data", std::make_unique<clipstore::TDataSource>(1, "Data", root, false, true));
        master = std::make_unique<clipstore::TMasterList>(context, sources, nullptr);
        master->Load();
        folder = master->Item(0);
        master->SearchResults = master->Append(master->MakeSearchResults());
        results = master->SearchResults;
    }
    void TearDown() override {
        master.reset();
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }

    TClipColl* MakeColl(const std::string& title) {
        auto coll = std::make_unique<TClipColl>(context, true, master.get());
        coll->Title = title;
        coll->DirName = title;
        coll->Parent = folder;
        coll->Retention = TClipColl::KeepAll;
        coll->AddOrder = 0;
        return master->Append(std::move(coll));
    }

    TClipObj* AddText(TClipColl& coll, const std::string& title, const std::string& text) {
        auto clip = std::make_unique<TClipObj>(context, coll.GetNextSerialNum(), "GEDIT");
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
    clipstore::TClipContext context{desk.Clock(), desk.Clipboard()};
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

// Texts of unloaded clips are searched straight from their data files on two threads; whatever the
// file holds, the hits must be those of loading and searching one clip after another.
TEST_F(ClipSearchTest, SearchingDataFilesFindsWhatLoadingEachClipFinds) {
    TClipColl* coll = MakeColl("Mixed");
    std::string words;
    for (int i = 0; words.size() < 9000; ++i)
        words += "word" + std::to_string(i * 7919 % 1000) + (i % 11 == 0 ? ".\n" : " ");
    std::string noise;
    for (std::uint32_t i = 0, x = 12345; noise.size() < 3000; ++i) {
        x = x * 1103515245u + 12345u;
        noise += static_cast<char>(33 + (x >> 16) % 94);
    }
    const std::string umlauts = "Gr\xC3\xBC\xC3\x9F"
                                "e aus M\xC3\xBCnchen ";
    const std::vector<std::string> texts = {
        "short needle text",                                    // inline
        "short text",                                           // inline
        words + "needle",                                       // packed, hit at the very end
        "NeEdLe" + words,                                       // packed, hit at the start
        words.substr(0, 4090) + "needle" + words,               // packed, hit across the 4 KiB mark
        words,                                                  // packed, no hit
        noise,                                                  // stored as it is
        noise + "needle",                                       // stored as it is
        umlauts + words,                                        // non-ASCII text, packed
        words + umlauts,                                        //
        std::string("before a zero") + '\0' + "needle" + words, // the text ends at its zero byte
    };
    for (int round = 0; round < 4; ++round)
        for (std::size_t i = 0; i < texts.size(); ++i)
            AddText(*coll, "clip " + std::to_string(round) + "." + std::to_string(i) + (i == 6 ? " needle" : ""),
                    texts[i]);
    master->Save();
    for (std::size_t i = 0; i < coll->Count(); ++i)
        coll->Clip(i)->UnLoad();
    const std::string dir = coll->GetPath();
    // An old data file (plain records), a missing one, a damaged packed one and one of many records.
    const auto writeFile = [&](TClipObj* clip, const std::vector<std::uint8_t>& bytes) {
        std::ofstream(dir + TClipObj::DataFileName(clip->SerialNbr), std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    };
    const auto plainRecord = [](clipstore::TByteWriter& w, std::uint16_t format, const std::string& data) {
        w.WriteString("TCLIPDATA.510");
        w.WriteU32(0);
        w.WriteString(format == platform::CF_TEXT ? "TEXT" : "OEMTEXT");
        w.WriteU16(format);
        w.WriteI32(static_cast<std::int32_t>(data.size() + 1));
        w.WriteBool(true);
        w.WriteU32(static_cast<std::uint32_t>(data.size() + 1));
        w.WriteBytes(reinterpret_cast<const std::uint8_t*>(data.c_str()), data.size() + 1);
    };
    clipstore::TByteWriter old;
    plainRecord(old, platform::CF_TEXT, words + " needle in an old file");
    writeFile(coll->Clip(5), old.Take());
    std::filesystem::remove(dir + TClipObj::DataFileName(coll->Clip(2)->SerialNbr));
    auto damaged = [&] {
        std::ifstream in(dir + TClipObj::DataFileName(coll->Clip(3)->SerialNbr), std::ios::binary);
        return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }();
    ASSERT_GT(damaged.size(), 200u);
    damaged[damaged.size() - 100] ^= 0x55;
    writeFile(coll->Clip(3), damaged);
    clipstore::TByteWriter two;
    plainRecord(two, platform::CF_OEMTEXT, "needle in the other text");
    plainRecord(two, platform::CF_TEXT, words);
    writeFile(coll->Clip(4), two.Take());
    coll->Clip(4)->StoredFormatCount = 2;

    for (const char* needle : {"needle", "NEEDLE",
                               "gr\xC3\xBC\xC3\x9F"
                               "e",
                               "M\xC3\x9CNCHEN", "word7 ", "zero"}) {
        SCOPED_TRACE(needle);
        std::vector<TClipObj*> expected;
        for (std::size_t i = 0; i < coll->Count(); ++i) {
            TClipObj* clip = coll->Clip(i);
            try {
                if (clip->FindInTitle(needle) || clip->FindInbody(needle))
                    expected.push_back(clip);
            } catch (const std::exception&) {
            }
        }
        TClipSearch::ClearResults(*results);
        EXPECT_EQ(TClipSearch::SearchCollection(*coll, needle, *results), expected.size());
        std::vector<TClipObj*> found;
        for (std::size_t i = 0; i < results->Count(); ++i)
            found.push_back(results->Clip(i));
        EXPECT_EQ(found, expected);
        for (std::size_t i = 0; i < coll->Count(); ++i)
            EXPECT_FALSE(coll->Clip(i)->DataInFile && coll->Clip(i)->Online) << i;
    }
    // The series is not empty: inline, packed and plain texts, the old file and a title give hits;
    // the missing and the damaged file and the text format after another one do not.
    TClipSearch::ClearResults(*results);
    TClipSearch::SearchCollection(*coll, "needle", *results);
    std::vector<std::string> titles = ResultTitles();
    titles.resize(6);
    EXPECT_EQ(titles, (std::vector<std::string>{"clip 0.0", "clip 0.5", "clip 0.6 needle", "clip 0.7", "clip 1.0",
                                                "clip 1.2"}));
}

} // namespace
} // namespace bx::shell
