// Glue on a running core with the list rules of the window: the separator's codes, gluing selected clips
// in the order the selection was extended, the trailing line break of a piece, nothing to glue, and
// auto-glue collecting the texts other programs copy until a picture, the Glue command or another
// command ends it.
#include "TGlue.h"
#include "CoreTestFixture.h"
#include "TClipListCommands.h"
#include "TClipListSelection.h"
#include "TClipMover.h"
#include "TCollectionSwitch.h"
#include "TFind.h"
#include "TRelayfeed.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace bx::pastetools {
namespace {

using clipstore::TClipObj;

TEST(GlueSeparatorTest, TheSettingsCodesBecomeCharactersAndTheSeparatorKeepsAtMost80OfThem) {
    const std::string dashes79(79, '-');
    std::string umlauts85, umlauts80;
    for (int i = 0; i < 85; ++i)
        umlauts85 += "\xC3\xA4";
    for (int i = 0; i < 80; ++i)
        umlauts80 += "\xC3\xA4";
    const struct {
        std::string setting, separator;
    } cases[] = {
        {"\\n", "\n"},
        {"\\n---\\n", "\n---\n"},
        {"\\N\\t\\T", "\n\t\t"},
        {"a\\\\b", "a\\b"},
        {"\\x", "?"},
        {"[\\\xC3\xA9]", "[?]"}, // a character of two bytes after the backslash is used up whole
        {"end\\", "end\\"},
        {"", ""},
        {" | ", " | "},
        {std::string(85, '-'), std::string(80, '-')},
        {dashes79 + "\\n", dashes79 + "\n"},   // a line break as the 80th character stays
        {dashes79 + "-\\n", dashes79 + "-"},   // one beyond the 80th goes
        {dashes79 + "\\x\\n", dashes79 + "?"}, // a "?" as the 80th
        {umlauts85, umlauts80},                // characters are counted, not bytes
        {"caf\xE9", "caf\xC3\xA9"},            // an older setting in Windows-1252
    };
    for (const auto& c : cases)
        EXPECT_EQ(TGlue::ParseSeparator(c.setting), c.separator) << "setting: " << c.setting;
}

class GlueTest : public shell::coretest::CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        settings->GlueSeparator = separatorSetting;
        MakeCore();
        selection = std::make_unique<shell::TClipListSelection>(*core, desk);
        glue = std::make_unique<TGlue>(*core, boxes);
        Run();
    }
    void TearDown() override {
        glue.reset();
        selection.reset();
        CoreFixture::TearDown();
    }

    // Selects row from, then extends the selection one row at a time to row to, as a Shift+arrow does.
    void ExtendSelection(int from, int to) {
        const int step = to >= from ? 1 : -1;
        std::vector<std::size_t> rows;
        for (int row = from;; row += step) {
            rows.push_back(static_cast<std::size_t>(row));
            core->ClipList().SetSelection(rows, row);
            if (row == to)
                break;
        }
        desk.Advance(10);
    }
    void GlueClick() { glue->cmdGlueClick(selection->PrevSelIndex, selection->CurSelIndex); }
    // A copy at a user's pace: after the pause in which the program takes no change after its own put-back
    // (a glue clip goes on the clipboard when it is made and after every text appended).
    void CopyLater(const std::string& text) {
        desk.Advance(static_cast<std::uint64_t>(settings->DelayAfterCopy));
        CopyText(editor, text);
    }

    // The clip's text format: its bytes up to the zero that ends them.
    static std::string Text(TClipObj& clip) {
        int index = -1;
        if (!clip.HasFormat(platform::CF_TEXT, index))
            return "(no text)";
        const std::size_t size = clip.Lock(platform::CF_TEXT);
        const auto* start = reinterpret_cast<const char*>(clip.LockedData);
        std::string text(start, strnlen(start, size));
        EXPECT_LT(text.size(), size) << "the text ends with a zero";
        clip.Unlock();
        return text;
    }
    // The clip added last (the highest serial number).
    TClipObj& Newest() {
        TClipObj* newest = core->ClipList().Clip(0);
        for (std::size_t row = 1; row < Rows(); ++row)
            if (core->ClipList().Clip(row)->SerialNbr > newest->SerialNbr)
                newest = core->ClipList().Clip(row);
        return *newest;
    }
    long GlueSounds() {
        const std::vector<std::string> events = SoundEvents();
        return std::count(events.begin(), events.end(), TGlue::SoundGlue);
    }
    std::size_t Rows() const { return core->ClipList().Count(); }

    std::string separatorSetting = "\\n---\\n";
    std::unique_ptr<shell::TClipListSelection> selection;
    std::unique_ptr<TGlue> glue;
};

TEST_F(GlueTest, ThreeSelectedClipsAreGluedInTheOrderTheSelectionWasExtendedInto) {
    CopyText(editor, "one");
    CopyText(editor, "zwei \xC3\xA4");
    CopyText(editor, "caf\xE9"); // an older text in Windows-1252
    std::vector<TClipObj*> texts;
    for (std::size_t row = 0; row < Rows(); ++row)
        texts.push_back(core->ClipList().Clip(row));
    ASSERT_EQ(texts.size(), 3u);
    // The rows are in the list's order, whichever end the new clips go to.
    const std::string one = "one", zwei = "zwei \xC3\xA4", cafe = "caf\xC3\xA9";
    const std::string sep = "\n---\n";
    const bool oldestOnTop = Text(*texts[0]) == one;
    const std::string topDown = oldestOnTop ? one + sep + zwei + sep + cafe : cafe + sep + zwei + sep + one;
    const std::string bottomUp = oldestOnTop ? cafe + sep + zwei + sep + one : one + sep + zwei + sep + cafe;
    const struct {
        bool downward;
        std::string glued;
    } cases[] = {{true, topDown}, {false, bottomUp}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.downward ? "downward" : "upward");
        const int top = core->ClipList().RowOf(texts[0]);
        const int bottom = core->ClipList().RowOf(texts[2]);
        ASSERT_EQ(bottom, top + 2);
        if (c.downward)
            ExtendSelection(top, bottom);
        else
            ExtendSelection(bottom, top);
        const std::size_t before = Rows();
        GlueClick();
        ASSERT_EQ(Rows(), before + 1);
        ASSERT_NE(core->CurrentClip(), nullptr);
        TClipObj& clip = *core->CurrentClip();
        EXPECT_EQ(Text(clip), c.glued);
        EXPECT_EQ(clip.Title, "Glue: (3 Items)");
        EXPECT_EQ(clip.Creator.str(), TGlue::GlueCreator);
        EXPECT_EQ(clip.FormatCount(), 1);
        EXPECT_EQ(core->ClipList().FirstSelected(), &clip);
        EXPECT_EQ(core->ClipList().SelectedCount(), 1u);
        EXPECT_EQ(ClipboardText(), c.glued) << "the glue clip is on the clipboard";
        EXPECT_TRUE(clip.FindInbody("WEI")) << "find reads the glued text";
        EXPECT_FALSE(glue->AutoGlueOn());
    }
    Settle();
    EXPECT_EQ(Rows(), 5u) << "the put-back is not captured again";
}

class GlueLineBreakTest : public GlueTest,
                          public ::testing::WithParamInterface<std::tuple<bool, std::string, std::string>> {};

// Before the separator one line break at the end of the earlier text goes (CR LF, LF or CR), never more
// and never a character that is not a line break; the last piece keeps its own.
TEST_P(GlueLineBreakTest, OneTrailingLineBreakOfTheEarlierTextIsDroppedBeforeTheSeparator) {
    const auto& [omit, first, glued] = GetParam();
    settings->GlueOmitExistingCRLF = omit;
    glue->ParseGlueSeparator();
    CopyText(editor, first);
    CopyText(editor, "z\n");
    // From the older clip to the newer one.
    const int older = core->ClipList().RowOf(&Newest()) == 0 ? 1 : 0;
    ExtendSelection(older, 1 - older);
    GlueClick();
    EXPECT_EQ(Text(Newest()), glued);
}

INSTANTIATE_TEST_SUITE_P(Pieces, GlueLineBreakTest,
                         ::testing::Values(std::make_tuple(true, "a\r\n", "a\n---\nz\n"),
                                           std::make_tuple(true, "a\n", "a\n---\nz\n"),
                                           std::make_tuple(true, "a\r", "a\n---\nz\n"),
                                           std::make_tuple(true, "x\ny", "x\ny\n---\nz\n"),
                                           std::make_tuple(true, "a\n\n", "a\n\n---\nz\n"),
                                           std::make_tuple(true, "a\r\n\r\n", "a\r\n\n---\nz\n"),
                                           std::make_tuple(false, "a\r\n", "a\r\n\n---\nz\n")));

TEST_F(GlueTest, TwoClipsWithoutTextGiveTheMessageAndNoClip) {
    ASSERT_TRUE(paint.Copy({{platform::CF_BITMAP, shell::coretest::SeededDib(1)}}));
    Settle();
    ASSERT_TRUE(paint.Copy({{platform::CF_BITMAP, shell::coretest::SeededDib(2)}}));
    Settle();
    ASSERT_EQ(Rows(), 2u);
    ExtendSelection(0, 1);
    GlueClick();
    EXPECT_EQ(Rows(), 2u);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, TGlue::NothingText);
    EXPECT_EQ(boxes.Boxes()[0].caption, TGlue::NothingCaption);
    EXPECT_FALSE(glue->AutoGlueOn());
}

TEST_F(GlueTest, AutoGlueCollectsTheCopiedTextsInOneClipUntilGlueIsClickedAgain) {
    CopyText(editor, "before");
    GlueClick();
    ASSERT_TRUE(glue->AutoGlueOn());
    ASSERT_EQ(Rows(), 2u);
    TClipObj& clip = Newest();
    EXPECT_EQ(glue->GlueClip(), &clip);
    EXPECT_EQ(clip.Title, "Glue: (0 Items)");
    EXPECT_EQ(Text(clip), "");
    const std::vector<std::string> copies = {"first\n", "zweite \xC3\xA4", "third"};
    const std::vector<std::string> glued = {"first\n", "first\n---\nzweite \xC3\xA4",
                                            "first\n---\nzweite \xC3\xA4\n---\nthird"};
    for (std::size_t i = 0; i < copies.size(); ++i) {
        SCOPED_TRACE(copies[i]);
        CopyLater(copies[i]);
        EXPECT_EQ(Rows(), 2u) << "no clip of its own, and the put-back is not captured";
        EXPECT_EQ(Text(clip), glued[i]);
        EXPECT_EQ(clip.Title, "Glue: (" + std::to_string(i + 1) + ") Items");
        EXPECT_EQ(ClipboardText(), glued[i]) << "the clipboard holds the whole glued text";
    }
    EXPECT_EQ(GlueSounds(), 3);
    EXPECT_EQ(core->HCSelectItemText(), "Glue: (3) Items");
    GlueClick();
    EXPECT_FALSE(glue->AutoGlueOn());
    EXPECT_FALSE(core->AutoGlueMode());
    EXPECT_EQ(clip.Title, "Glue Complete: (3) Items");
    CopyLater("after");
    EXPECT_EQ(Rows(), 3u);
    EXPECT_EQ(Text(Newest()), "after");
    EXPECT_EQ(Text(clip), glued.back());
}

// The glue clip is the one auto-glue made, not whichever row the user clicked meanwhile: that clip keeps
// its text.
TEST_F(GlueTest, AClickOnAnotherRowLeavesThatClipAloneAndTheTextsGoOnTheGlueClip) {
    CopyText(editor, "kept as it is");
    TClipObj& kept = Newest();
    GlueClick();
    ASSERT_NE(glue->GlueClip(), nullptr);
    TClipObj& clip = *glue->GlueClip();
    CopyLater("one");
    core->ClipList().SelectOnly(static_cast<std::size_t>(core->ClipList().RowOf(&kept)));
    CopyLater("two");
    EXPECT_TRUE(glue->AutoGlueOn());
    EXPECT_EQ(Text(kept), "kept as it is");
    EXPECT_EQ(Text(clip), "one\n---\ntwo");
    EXPECT_EQ(clip.Title, "Glue: (2) Items");
}

TEST_F(GlueTest, APictureEndsAutoGlueAndBecomesAClipOfItsOwn) {
    settings->BeepOnGlue = false;
    GlueClick();
    TClipObj& clip = Newest();
    CopyLater("one");
    CopyLater("two");
    desk.Advance(static_cast<std::uint64_t>(settings->DelayAfterCopy));
    ASSERT_TRUE(paint.Copy({{platform::CF_BITMAP, shell::coretest::SeededDib(3)}}));
    Settle();
    EXPECT_FALSE(glue->AutoGlueOn());
    EXPECT_EQ(clip.Title, "Glue Complete: (2) Items");
    EXPECT_EQ(Text(clip), "one\n---\ntwo");
    ASSERT_EQ(Rows(), 2u);
    EXPECT_TRUE(Newest().HasFormat(platform::CF_BITMAP));
    EXPECT_FALSE(Newest().HasFormat(platform::CF_TEXT));
    EXPECT_EQ(GlueSounds(), 0);
}

// Every command that leaves the glue clip behind ends auto-glue through the core, and the clip gets its
// final title whichever it was.
TEST_F(GlueTest, CommandsEndAutoGlueWithTheFinalTitle) {
    shell::TClipListCommands listCommands(*core, *selection, desk.Shell());
    shell::TClipMover mover(*core, desk.Keyboard());
    shell::TCollectionSwitch switcher(*core, [](int) {});
    TRelayfeed relayfeed(*core, desk, boxes);
    shell::TFind find(*core);
    struct NoDialog : shell::TFind::IDialog {
        bool Execute(shell::TFind::TDialogState&) override { return false; }
    } noDialog;
    const auto shortTerm = [this] { core->Tree().Select(core->Tree().GetTreeNodeOfColl(Coll("Short-Term"))); };
    const struct {
        const char* name;
        std::function<void()> command;
    } cases[] = {
        {"save all", [this] { core->SaveAllClips(); }},
        {"next clip", [this] { selection->SelectNext(true); }},
        {"another collection", [this] { core->Tree().Select(core->Tree().GetTreeNodeOfColl(Coll("Long-Term"))); }},
        {"last collection", [&] { switcher.SwitchToLast(); }},
        {"new clip", [&] { listCommands.NewClip(); }},
        {"delete", [&] { listCommands.DeleteSelected(); }},
        {"move", [&] { mover.DoMoveCopyFromToolbar(false, Coll("Long-Term")); }},
        {"find", [&] { find.FindClick(noDialog, true); }},
        {"Relayfeed", [&] { relayfeed.RFClick(TRelayfeed::TRFDirection::Down); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        shortTerm();
        desk.Advance(1500);
        CopyText(editor, std::string("below ") + c.name);
        GlueClick();
        TClipObj* clip = glue->GlueClip();
        ASSERT_NE(clip, nullptr);
        CopyLater(c.name);
        ASSERT_EQ(clip->Title, "Glue: (1) Items");
        c.command();
        EXPECT_FALSE(glue->AutoGlueOn());
        EXPECT_EQ(glue->GlueClip(), nullptr);
        EXPECT_EQ(clip->Title, "Glue Complete: (1) Items");
        relayfeed.RFOff(false);
    }
}

} // namespace
} // namespace bx::pastetools
