// Find on a running program: the collection searches with their results in the Search Results
// collection, the search within the shown clip's editor, and the dialog's text and scope.
#include "TFind.h"
#include "CoreTestFixture.h"
#include "IFindEditor.h"
#include "TClipListModel.h"
#include "TCollectionTree.h"

#include <algorithm>

namespace bx::shell {
namespace {

using clipstore::TClipColl;
using clipstore::TClipObj;

// The editor as a string and a selection.
class StringEditor : public IFindEditor {
public:
    std::string Text() const override { return text; }
    std::size_t SelStart() const override { return start; }
    std::size_t SelLength() const override { return length; }
    void SelectAndFocus(std::size_t s, std::size_t l) override {
        start = s;
        length = l;
        ++focused;
    }
    std::string text;
    std::size_t start = 0;
    std::size_t length = 0;
    int focused = 0;
};

// A dialog whose user changes the text and the scope, then presses OK or Cancel.
class ScriptedFindDialog : public TFind::IDialog {
public:
    bool Execute(TFind::TDialogState& state) override {
        shown = state;
        state.Text = text;
        state.Checked = checked;
        return ok;
    }
    std::string text;
    int checked = TFind::CurrentCollection;
    bool ok = true;
    TFind::TDialogState shown;
};

class FindTest : public coretest::CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        Start();
        find = std::make_unique<TFind>(*core);
        shortTerm = Coll("Short-Term");
        longTerm = Coll("Long-Term");
        results = core->MasterList()->SearchResults;
        ASSERT_NE(shortTerm, nullptr);
        ASSERT_NE(longTerm, nullptr);
        Add(*shortTerm, "My ABC list", "nothing to see");
        Add(*shortTerm, "plain", "before xABCx after");
        Add(*shortTerm, "other", "a b c");
        Add(*longTerm, "kept", "abc again");
        Show(shortTerm);
    }
    void TearDown() override {
        find.reset();
        CoreFixture::TearDown();
    }
    void Add(TClipColl& coll, const std::string& title, const std::string& text) {
        auto clip = std::make_unique<TClipObj>(coll.Context(), coll.GetNextSerialNum(), "editor");
        clip->SortKey = coll.GetNextClipSortKey();
        clip->SetColl(&coll);
        clip->PutText(text, 0);
        clip->SetTitle(title);
        TClipObj* raw = clip.get();
        coll.MyAddObject(raw->Title, std::move(clip));
    }
    void Show(TClipColl* coll) { core->Tree().Select(core->Tree().GetTreeNodeOfColl(coll)); }
    std::vector<std::string> ResultTitles() const {
        std::vector<std::string> titles;
        for (std::size_t i = 0; i < results->Count(); ++i)
            titles.push_back(results->EntryTitle(i));
        return titles;
    }
    bool Run(int scope, const std::string& text) {
        find->SetScope(scope);
        find->SetText(text);
        view.Statuses.clear();
        return find->FindNextClip();
    }
    bool Said(const std::string& status) const {
        return std::find(view.Statuses.begin(), view.Statuses.end(), status) != view.Statuses.end();
    }

    std::unique_ptr<TFind> find;
    TClipColl* shortTerm = nullptr;
    TClipColl* longTerm = nullptr;
    TClipColl* results = nullptr;
};

TEST_F(FindTest, CollectionSearchesGatherTitleOrTextMatchesAndShowThem) {
    struct Case {
        const char* what;
        int scope;
        const char* text;
        std::vector<std::string> found;
    };
    const Case cases[] = {
        // In each collection's order (Short-Term puts new clips at the top), collections in tree order.
        {"title or text, without case", TFind::CurrentCollection, "abc", {"plain", "My ABC list"}},
        {"every collection", TFind::AllCollections, "ABC", {"plain", "My ABC list", "kept"}},
        {"nothing", TFind::AllCollections, "zzz", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Show(shortTerm);
        EXPECT_EQ(Run(c.scope, c.text), !c.found.empty());
        EXPECT_EQ(ResultTitles(), c.found);
        EXPECT_EQ(view.Statuses.front(), "Searching...");
        EXPECT_EQ(view.Statuses.back(), c.found.empty() ? "Not Found." : "Found It!");
        // Results are shown in the list; without any the tree stays where it was.
        EXPECT_EQ(core->ClipList().Coll(), c.found.empty() ? shortTerm : results);
        EXPECT_EQ(core->ClipList().Count(), c.found.empty() ? shortTerm->Count() : c.found.size());
    }
    EXPECT_TRUE(Said("Searching Long-Term..."));
    EXPECT_TRUE(Said("Searching Trash Can..."));
    EXPECT_FALSE(Said("Searching Search Results..."));
}

TEST_F(FindTest, EdgeCasesFindNothingAndEmptyTheResultsWithoutMovingTheTree) {
    ASSERT_TRUE(Run(TFind::AllCollections, "abc"));
    ASSERT_EQ(core->ClipList().Coll(), results);

    // Searching the shown collection while it is the Search Results: they are cleared first, and the
    // list no longer shows the dropped references.
    EXPECT_FALSE(Run(TFind::CurrentCollection, "abc"));
    EXPECT_EQ(results->Count(), 0u);
    EXPECT_EQ(core->ClipList().Count(), 0u);
    EXPECT_EQ(view.Statuses.back(), "Not Found.");

    struct Case {
        const char* what;
        int scope;
        const char* text;
    };
    const Case cases[] = {
        {"an empty text", TFind::CurrentCollection, ""},
        {"an empty text everywhere", TFind::AllCollections, ""},
        {"Find Next before any Find", TFind::NoScope, ""},
        {"a scope no one chose", 9, "abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Show(shortTerm);
        ASSERT_TRUE(Run(TFind::AllCollections, "abc"));
        Show(shortTerm);
        const int node = core->Tree().Selected();
        EXPECT_FALSE(Run(c.scope, c.text));
        EXPECT_EQ(view.Statuses.back(), "Not Found.");
        EXPECT_EQ(core->Tree().Selected(), node);
        EXPECT_EQ(core->ClipList().Coll(), shortTerm);
        if (c.scope == TFind::CurrentCollection || c.scope == TFind::AllCollections) {
            EXPECT_EQ(results->Count(), 0u);
        }
    }
}

TEST_F(FindTest, FindNextWithinTheClipSelectsEachOccurrenceThenReportsNotFound) {
    StringEditor pane;
    pane.text = "one abc, two ABC, caf\xC3\xA9 Abc end";
    find->SetEditor(&pane);
    const std::size_t expected[] = {4, 13, 24};
    find->SetScope(TFind::CurrentClip);
    find->SetText("aBc");
    for (const std::size_t at : expected) {
        view.Statuses.clear();
        ASSERT_TRUE(find->FindNextClip());
        EXPECT_EQ(pane.start, at);
        EXPECT_EQ(pane.length, 3u);
        EXPECT_EQ(view.Statuses, (std::vector<std::string>{"Searching...", "Found It!", "Found It!"}));
    }
    view.Statuses.clear();
    EXPECT_FALSE(find->FindNextClip());
    EXPECT_EQ(view.Statuses, (std::vector<std::string>{"Searching...", "Not Found", "Not Found."}));
    EXPECT_EQ(pane.start, 24u); // the last match stays selected
    EXPECT_EQ(pane.focused, 3);
    // The Search Results are left alone.
    EXPECT_EQ(core->ClipList().Coll(), shortTerm);

    // After a clipboard change the next search starts at the top again (past the time in which the
    // put-back of the selected clip keeps changes out).
    desk.Advance(5000);
    CopyText(editor, "a new clip");
    ASSERT_TRUE(find->FindNextClip());
    EXPECT_EQ(pane.start, 4u);

    // Find itself starts again at the top.
    ScriptedFindDialog dialog;
    dialog.text = "ABC";
    dialog.checked = TFind::CurrentClip;
    EXPECT_TRUE(find->FindClick(dialog, true));
    EXPECT_EQ(pane.start, 4u);
}

TEST_F(FindTest, TheDialogShowsTheStoredScopeAndKeepsTextAndScopeAlsoWhenCancelled) {
    struct Case {
        int saved;
        bool explorerView;
        int checked;
        bool currentClipEnabled;
    };
    const Case cases[] = {
        {TFind::CurrentClip, false, TFind::CurrentCollection, false},
        {TFind::CurrentClip, true, TFind::CurrentClip, true},
        {TFind::AllCollections, false, TFind::AllCollections, false},
        {TFind::CurrentCollection, true, TFind::CurrentCollection, true},
        {TFind::NoScope, true, TFind::CurrentCollection, true},
        {7, true, TFind::CurrentCollection, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.saved * 10 + c.explorerView);
        find->SetScope(c.saved);
        const TFind::TDialogState state = find->DialogState(c.explorerView);
        EXPECT_EQ(state.Checked, c.checked);
        EXPECT_EQ(state.CurrentClipEnabled, c.currentClipEnabled);
    }

    core->StartAutoGlue();
    find->SetText("first");
    ScriptedFindDialog dialog;
    dialog.text = "abc";
    dialog.checked = TFind::AllCollections;
    dialog.ok = false;
    EXPECT_FALSE(find->FindClick(dialog, true));
    EXPECT_EQ(dialog.shown.Text, "first");
    EXPECT_FALSE(core->AutoGlueMode());
    EXPECT_EQ(find->Text(), "abc");
    EXPECT_EQ(settings->FindScope, TFind::AllCollections);
    EXPECT_EQ(results->Count(), 0u); // nothing searched
    EXPECT_TRUE(find->FindNextClip());
    EXPECT_EQ(results->Count(), 3u);

    // The text is kept to 255 characters.
    dialog.text = std::string(300, 'q');
    find->FindClick(dialog, true);
    EXPECT_EQ(find->Text().size(), TFind::MaxText);
}

} // namespace
} // namespace bx::shell
