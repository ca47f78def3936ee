// Filtering the clip list as the user types: titles and texts in memory at once, texts kept only in data
// files by the filter's helper thread, whose hits join later in the list's order.
#include "TClipFilter.h"
#include "CoreTestFixture.h"
#include "TClipListModel.h"
#include "TCollectionTree.h"

#include <atomic>

namespace bx::shell {
namespace {

using clipstore::TClipColl;
using clipstore::TClipObj;

class ClipFilterTest : public coretest::CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        Start();
        coll = Coll("Long-Term");
        ASSERT_NE(coll, nullptr);
    }
    void TearDown() override {
        filter.reset();
        CoreFixture::TearDown();
    }
    TClipObj* Add(const std::string& title, const std::string& text) {
        auto clip = std::make_unique<TClipObj>(coll->Context(), coll->GetNextSerialNum(), "editor");
        clip->SortKey = coll->GetNextClipSortKey();
        clip->SetColl(coll);
        clip->PutText(text, 0);
        clip->SetTitle(title);
        TClipObj* raw = clip.get();
        coll->MyAddObject(raw->Title, std::move(clip));
        return raw;
    }
    // Shows the collection with its long texts only in their data files, and filters it.
    void ShowUnloaded() {
        core->SaveAllClips();
        for (std::size_t i = 0; i < coll->Count(); ++i)
            coll->Clip(i)->UnLoad();
        core->Tree().Select(core->Tree().GetTreeNodeOfColl(coll));
        filter = std::make_unique<TClipFilter>(core->ClipList(), [this] { ++notified; });
        changesSeen = filter->RowsChanged.Subscribe([this] { ++changes; });
    }
    std::vector<std::string> Shown() const {
        std::vector<std::string> titles;
        for (std::size_t i = 0; i < filter->Count(); ++i)
            titles.push_back(core->ClipList().Clip(filter->ListRow(i))->Title);
        return titles;
    }
    static std::string Long(const std::string& word) { return std::string(3000, 'x') + " " + word + " end"; }

    TClipColl* coll = nullptr;
    std::unique_ptr<TClipFilter> filter;
    std::atomic<int> notified{0};
    int changes = 0;
    platform::TSubscription changesSeen;
};

TEST_F(ClipFilterTest, TypingNarrowsTheRowsToTitlesOrTextsHoldingTheText) {
    Add("My ABC list", "nothing");
    Add("plain", "before xABCx after");
    Add("other", "a b c");
    Add("stored", Long("abc"));
    ShowUnloaded();
    ASSERT_FALSE(coll->Clip(0)->Online);
    // The collection puts new clips at the top; the rows keep its order.
    struct Case {
        const char* text;
        std::vector<std::string> shown; // before the helper's hits
    };
    const Case cases[] = {
        {"a", {"other", "plain", "My ABC list"}},
        {"ab", {"plain", "My ABC list"}},
        {"aBc", {"plain", "My ABC list"}},
        {"xabcx", {"plain"}},
        {"zzz", {}},
        {"", {"stored", "other", "plain", "My ABC list"}}, // no filter: every row
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        filter->SetText(c.text);
        EXPECT_EQ(Shown(), c.shown);
        EXPECT_EQ(filter->Active(), *c.text != 0);
    }
    // A row added to the list is filtered too.
    filter->SetText("new");
    EXPECT_EQ(filter->Count(), 0u);
    core->ClipList().AddToLists(Add("new one", "n"), false, 1);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"new one"}));
    EXPECT_EQ(filter->ShownRow(0), 0);
    EXPECT_EQ(filter->ShownRow(1), -1);

    struct TitleCase {
        const char* title;
        const char* text;
        std::optional<std::size_t> at;
    };
    const TitleCase titles[] = {{"My ABC list", "abc", 3},
                                {"caf\xC3\xA9 Bar", "bar", 6},
                                {"abc", "", std::nullopt},
                                {"abc", "abcd", std::nullopt}};
    for (const TitleCase& t : titles)
        EXPECT_EQ(TClipFilter::FindInTitle(t.title, t.text), t.at) << t.title;
}

TEST_F(ClipFilterTest, ATextOnlyInItsDataFileJoinsLaterInTheListsOrderAndALaterKeystrokeDropsEarlierHits) {
    Add("first", Long("needle"));
    Add("middle needle", "short");
    Add("last", Long("NEEDLE"));
    Add("none", Long("hay"));
    ShowUnloaded();
    // The list shows the latest first: none, last, middle needle, first.
    filter->SetText("needle");
    EXPECT_EQ(Shown(), (std::vector<std::string>{"middle needle"}));
    filter->WaitForHelper();
    EXPECT_FALSE(filter->Searching());
    EXPECT_GE(notified.load(), 1);
    changes = 0;
    EXPECT_TRUE(filter->Poll());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"last", "middle needle", "first"}));
    EXPECT_FALSE(filter->Poll()); // taken in once
    for (std::size_t i = 0; i < coll->Count(); ++i)
        EXPECT_FALSE(coll->Clip(i)->DataInFile && coll->Clip(i)->Online) << i; // nothing was loaded

    // The next keystroke comes before the helper's hits are taken in: they never show.
    filter->SetText("needle");
    filter->SetText("needles");
    filter->WaitForHelper();
    EXPECT_FALSE(filter->Poll());
    EXPECT_EQ(Shown(), std::vector<std::string>{});
    // Nor when the list is rebuilt meanwhile.
    filter->SetText("needle");
    core->UpdateLVClips();
    filter->WaitForHelper();
    filter->Poll();
    EXPECT_EQ(Shown(), (std::vector<std::string>{"last", "middle needle", "first"}));

    // Typing on looks again at the rows shown and at those left to the files, whether their hits came
    // in or not.
    const struct {
        const char* text;
        bool poll;
        std::vector<std::string> shown;
    } typed[] = {{"e", true, {"none", "last", "middle needle", "first"}},
                 {"ee", false, {"middle needle"}},
                 {"eed", true, {"last", "middle needle", "first"}},
                 {"needle e", true, {"last", "first"}}};
    for (const auto& t : typed) {
        SCOPED_TRACE(t.text);
        filter->SetText(t.text);
        filter->WaitForHelper();
        if (t.poll)
            filter->Poll();
        EXPECT_EQ(Shown(), t.shown);
    }
}

TEST_F(ClipFilterTest, SelectingAFilteredRowSelectsItsClipAndClearingKeepsTheSelection) {
    Add("alpha", "a");
    Add("beta", "b");
    Add("gamma", "g");
    Add("beta two", "b2");
    ShowUnloaded();
    TClipListModel& list = core->ClipList();
    list.SelectOnly(3);
    ASSERT_EQ(list.FirstSelected()->Title, "alpha");
    filter->SetText("BETA");
    ASSERT_EQ(Shown(), (std::vector<std::string>{"beta two", "beta"}));
    // The hidden clip is no longer selected: a delete or a move could not reach it unseen.
    EXPECT_EQ(list.SelectedCount(), 0u);

    list.SelectOnly(filter->ListRow(1));
    EXPECT_EQ(list.FirstSelected()->Title, "beta");
    EXPECT_EQ(core->CurrentClip()->Title, "beta");
    filter->SetText("");
    EXPECT_EQ(filter->Count(), 4u);
    EXPECT_EQ(list.SelectedCount(), 1u);
    EXPECT_EQ(filter->ShownRow(static_cast<std::size_t>(list.RowOf(list.FirstSelected()))),
              list.RowOf(list.FirstSelected()));
}

} // namespace
} // namespace bx::shell
