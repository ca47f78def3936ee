// The edit pane's commands on a running core: launching addresses from the pane and from the list, the
// clipboard commands, one-level undo, the selection as title, renaming, dropping clips into the text.
#include "CoreTestFixture.h"
#include "ScriptedCollectionDialogs.h"

#include "StatusLevels.h"
#include "TClipColl.h"
#include "TClipListSelection.h"
#include "TEditCommands.h"

#include <QString>

#include <algorithm>
#include <vector>

namespace bx::pastetools {
namespace {

using namespace shell::coretest;
using platform::sim::SimShell;

// The editor as a text of characters with a caret and a selection (anchor..caret), and an undo stack as an
// editor keeps one.
class FakePane : public IEditPane {
public:
    std::u32string text;
    std::size_t caret = 0;
    std::size_t anchor = 0;
    bool editable = true;
    bool modified = false;
    std::vector<std::u32string> undo;
    TEditEnabling shown;

    static std::u32string U32(const std::string& s) { return QString::fromStdString(s).toStdU32String(); }
    static std::string U8(const std::u32string& s) { return QString::fromStdU32String(s).toStdString(); }

    void Set(const std::string& t, std::size_t selStart, std::size_t selEnd) {
        text = U32(t);
        anchor = selStart;
        caret = selEnd;
    }
    void Edit(std::u32string now) {
        undo.push_back(text);
        text = std::move(now);
        modified = true;
    }

    std::string Text() const override { return U8(text); }
    std::size_t Length() const override { return text.size(); }
    bool HasSelection() const override { return anchor != caret; }
    std::string SelectedText() const override {
        const auto [from, to] = std::minmax(anchor, caret);
        return U8(text.substr(from, to - from));
    }
    bool Editable() const override { return editable; }
    std::size_t Caret() const override { return caret; }
    void SetCaret(std::size_t position) override { caret = anchor = position; }
    void ReplaceSelection(const std::string& with) override {
        const auto [from, to] = std::minmax(anchor, caret);
        Edit(text.substr(0, from) + U32(with) + text.substr(to));
        caret = anchor = from + U32(with).size();
    }
    void InsertAt(std::size_t position, const std::string& what) override {
        Edit(text.substr(0, position) + U32(what) + text.substr(position));
        caret = anchor = position + U32(what).size();
    }
    bool CanUndo() const override { return !undo.empty(); }
    void Undo() override {
        text = undo.back();
        undo.pop_back();
    }
    void ClearUndo() override { undo.clear(); }
    void ShowEnabling(const TEditEnabling& enabling) override { shown = enabling; }
};

class EditCommandsTest : public CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        Start();
        selection = std::make_unique<shell::TClipListSelection>(*core, desk);
        commands = std::make_unique<TEditCommands>(*core, desk, *selection, dialogs);
        commands->SetPane(&pane);
        titles = commands->TitleChanged.Subscribe(
            [this](const clipstore::TClipObj& clip) { retitled.push_back(clip.Title); });
    }
    void TearDown() override {
        titles.Reset();
        commands.reset();
        selection.reset();
        CoreFixture::TearDown();
    }
    SimShell& Shell() { return desk.SimulatedShell(); }
    std::vector<std::string> Opened() {
        std::vector<std::string> targets;
        for (const auto& r : Shell().Requests())
            targets.push_back(r.target);
        return targets;
    }
    std::vector<std::string> BoxTexts() {
        std::vector<std::string> texts;
        for (const auto& b : boxes.Boxes())
            texts.push_back(b.text);
        return texts;
    }
    void Select(const std::vector<std::size_t>& rows, int focused) {
        core->ClipList().SetSelection(rows, focused);
        desk.Advance(10);
    }
    clipstore::TClipObj* Row(std::size_t row) { return core->ClipList().Clip(row); }

    ScriptedCollectionDialogs dialogs;
    FakePane pane;
    std::unique_ptr<shell::TClipListSelection> selection;
    std::unique_ptr<TEditCommands> commands;
    platform::TSubscription titles;
    std::vector<std::string> retitled;
};

TEST_F(EditCommandsTest, LaunchesFromThePaneExactlyOrAtTheCaret) {
    struct Case {
        const char* text;
        std::size_t from, to; // the selection (from == to: the caret)
        bool smart;
        const char* opened; // "" : nothing opened
        const char* status;
    };
    const Case cases[] = {
        {"see a.b/c, thanks", 9, 9, true, "https://a.b/c,", "Launching: a.b/c,"},
        {"(a.b)", 4, 4, true, "https://a.b", "Launching: a.b"},
        {"nothing to see", 3, 3, true, "", "Could Not Determine URL."},
        {"call javascript:a.b now", 10, 10, true, "", "Could Not Determine URL."},
        {"x https://x.org/a y", 2, 17, false, "https://x.org/a", ""},
        {"x https://x.org/a y", 17, 2, false, "https://x.org/a", ""},
        {"run smb://srv/x.y", 4, 17, false, "", "Could Not Determine URL."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::size_t before = Shell().Requests().size();
        boxes.Clear();
        core->ShowStatus(shell::StatusInBar, false, "");
        pane.Set(c.text, c.from, c.to);
        const bool launched = c.smart ? commands->LaunchSmart() : commands->LaunchExact();
        EXPECT_EQ(launched, *c.opened != '\0');
        if (*c.opened != '\0') {
            ASSERT_EQ(Shell().Requests().size(), before + 1);
            EXPECT_EQ(Shell().Requests().back(), (SimShell::Request{"open", c.opened, ""}));
        } else {
            EXPECT_EQ(Shell().Requests().size(), before);
        }
        EXPECT_EQ(core->StatusText(), c.status);
        // Only the smart launch that failed says so in a box.
        const bool box = c.smart && *c.opened == '\0';
        EXPECT_EQ(BoxTexts(), box ? std::vector<std::string>{TEditCommands::NoUrlText} : std::vector<std::string>{});
    }
}

TEST_F(EditCommandsTest, LaunchesTheAddressOfTheOneSelectedClip) {
    dirs.Home = "/home/tester/";
    Shell().AddPath("/home/tester/notes.txt");
    ASSERT_TRUE(paint.Copy({{platform::CF_BITMAP, SeededDib(1)}}));
    Settle();
    for (const char* text :
         {"no address in here", "Hello. See www.x.org/p today", "~/notes.txt is it.", "~/gone.txt is it."})
        CopyText(editor, text);
    ASSERT_EQ(core->ClipList().Count(), 5u);
    // The rows from the top: the texts in reverse order, then the picture.
    struct Case {
        std::vector<std::size_t> rows;
        std::string opened;
        std::string box;
    };
    const Case cases[] = {
        {{}, "", TEditCommands::SelectOneText},
        {{1, 2}, "", TEditCommands::SelectOneText},
        {{4}, "", TEditCommands::TextOnlyText},
        {{3}, "", TEditCommands::NoUrlText},
        // The first full stop ends a sentence; the address is at the next one.
        {{2}, "https://www.x.org/p", ""},
        {{1}, "/home/tester/notes.txt", ""},
        {{0}, "", TEditCommands::NoUrlText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows.empty() ? -1 : static_cast<int>(c.rows.front()));
        Select(c.rows, c.rows.empty() ? -1 : static_cast<int>(c.rows.front()));
        boxes.Clear();
        const std::vector<std::string> before = Opened();
        EXPECT_EQ(commands->LaunchSelectedClip(), !c.opened.empty());
        std::vector<std::string> expected = before;
        if (!c.opened.empty())
            expected.push_back(c.opened);
        EXPECT_EQ(Opened(), expected);
        EXPECT_EQ(BoxTexts(), c.box.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.box});
    }
}

TEST_F(EditCommandsTest, CutAndCopyAreCapturedAndPasteInsertsTheClipboardText) {
    pane.Set("hello wörld", 6, 11);
    ASSERT_TRUE(commands->Copy());
    Settle();
    EXPECT_EQ(ClipboardText(), "wörld");
    ASSERT_EQ(core->ClipList().Count(), 1u);
    EXPECT_EQ(Row(0)->Title, "wörld");

    pane.Set("hello wörld", 0, 5);
    ASSERT_TRUE(commands->Cut());
    Settle();
    EXPECT_EQ(pane.Text(), " wörld");
    EXPECT_TRUE(pane.modified);
    ASSERT_EQ(core->ClipList().Count(), 2u);
    EXPECT_EQ(Row(0)->Title, "hello");

    CopyText(editor, "ünï");
    pane.SetCaret(0);
    ASSERT_TRUE(commands->Paste());
    EXPECT_EQ(pane.Text(), "ünï wörld");
    EXPECT_EQ(pane.Caret(), 3u);

    // A text shown in part is not changed; copying from it still works.
    pane.editable = false;
    pane.Set("part", 0, 4);
    EXPECT_FALSE(commands->Cut());
    EXPECT_FALSE(commands->Paste());
    EXPECT_EQ(pane.Text(), "part");
    EXPECT_TRUE(commands->Copy());
}

TEST_F(EditCommandsTest, EnablingFollowsTextSelectionAndUndo) {
    pane.Set("", 0, 0);
    commands->SelectionChanged();
    EXPECT_EQ(pane.shown, TEditEnabling{});
    pane.Set("abc", 1, 2);
    commands->SelectionChanged();
    // No clip in the pane: no title from the selection.
    EXPECT_EQ(pane.shown, (TEditEnabling{true, true, true, false, true, false}));
    CopyText(editor, "shown");
    selection->EditClip = Row(0);
    pane.Edit(U"abcd");
    commands->SelectionChanged();
    EXPECT_EQ(pane.shown, (TEditEnabling{true, true, true, true, true, true}));
    pane.editable = false;
    commands->SelectionChanged();
    EXPECT_EQ(pane.shown, (TEditEnabling{false, false, true, true, true, false}));
}

TEST_F(EditCommandsTest, UndoIsOneLevelDeep) {
    pane.Set("a", 1, 1);
    pane.Edit(U"ab");
    pane.Edit(U"abc");
    commands->Undo();
    EXPECT_EQ(pane.Text(), "ab");
    EXPECT_FALSE(pane.shown.Undo);
    commands->Undo();
    EXPECT_EQ(pane.Text(), "ab");
}

TEST_F(EditCommandsTest, SelectionBecomesTheTitleCutAtSixtyCharacters) {
    CopyText(editor, "old title");
    selection->EditClip = Row(0);
    struct Case {
        std::string selected;
        std::string title;
    };
    const std::string greek60 = [] {
        std::string s;
        for (int i = 0; i < 30; ++i)
            s += "αβ";
        return s;
    }();
    const Case cases[] = {
        {greek60 + "γδ", greek60},
        {"line one\r\nline two", "line one  line two"},
        {"x", "x"},
    };
    for (const Case& c : cases) {
        pane.Set(c.selected, 0, FakePane::U32(c.selected).size());
        ASSERT_TRUE(commands->MakeTitle());
        EXPECT_EQ(Row(0)->Title, c.title);
        EXPECT_EQ(retitled.back(), c.title);
    }
    pane.SetCaret(0);
    EXPECT_FALSE(commands->MakeTitle());
    EXPECT_EQ(retitled.size(), 3u);
}

TEST_F(EditCommandsTest, RenameAsksForTheTitleUnlessTheCollectionIsReadOnly) {
    CopyText(editor, "first");
    CopyText(editor, "second");
    Select({0}, 0);
    core->ClipList().Coll()->ReadOnly = true;
    dialogs.PromptAnswers.push_back("never asked");
    EXPECT_FALSE(commands->Rename());
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Sorry, The current collection is Read Only.");
    EXPECT_EQ(boxes.Boxes()[0].caption, "Program Error");
    EXPECT_EQ(boxes.Boxes()[0].type, platform::MsgType::Error);
    EXPECT_TRUE(dialogs.Prompts.empty());
    EXPECT_EQ(Row(0)->Title, "second");

    core->ClipList().Coll()->ReadOnly = false;
    dialogs.PromptAnswers.clear();
    dialogs.PromptAnswers.push_back(std::string(70, 'n'));
    EXPECT_TRUE(commands->Rename());
    EXPECT_EQ(dialogs.Prompts, (std::vector<std::string>{"Rename Clip Item|Enter The New Name For The Item:|second"}));
    EXPECT_EQ(Row(0)->Title, std::string(60, 'n'));
    EXPECT_EQ(retitled, (std::vector<std::string>{std::string(60, 'n')}));
    EXPECT_TRUE(Row(0)->Dirty);

    // Cancelled, or not exactly one row: nothing changes.
    EXPECT_FALSE(commands->Rename());
    Select({0, 1}, 0);
    dialogs.PromptAnswers.push_back("two rows");
    EXPECT_FALSE(commands->Rename());
    EXPECT_EQ(Row(0)->Title, std::string(60, 'n'));
    EXPECT_EQ(dialogs.Prompts.size(), 2u);
}

TEST_F(EditCommandsTest, DroppedClipsGoInAtTheCaret) {
    CopyText(editor, "B");
    CopyText(editor, "A");
    CopyText(editor, "other");
    selection->Pinned = true;
    struct Case {
        std::size_t caret;
        std::string text;
        std::size_t caretAfter;
    };
    const Case cases[] = {{1, "xABy", 1}, {2, "xyAB", 4}, {0, "ABxy", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        pane.Set("xy", c.caret, c.caret);
        pane.modified = false;
        Select({1, 2}, 2);
        view.Statuses.clear();
        commands->DropClips();
        EXPECT_EQ(pane.Text(), c.text);
        EXPECT_EQ(pane.Caret(), c.caretAfter);
        EXPECT_TRUE(pane.modified);
        EXPECT_NE(std::find(view.Statuses.begin(), view.Statuses.end(), "Dropped..."), view.Statuses.end());
        // The dropped rows are deselected and the focused one selected.
        EXPECT_EQ(core->ClipList().SelectedCount(), 1u);
        EXPECT_TRUE(core->ClipList().IsSelected(2));
    }
}

} // namespace
} // namespace bx::pastetools
