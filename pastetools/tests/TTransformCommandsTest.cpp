// The transformation commands on a running program: the case button's cycle, the pane's clip and
// selection, every selected clip of the list, the Ctrl key, the status texts and the edit count.
#include "TTransformCommands.h"
#include "TransformTestFixture.h"

#include "TClipListModel.h"
#include "TClipListSelection.h"
#include "VirtualKeys.h"

namespace bx::pastetools {
namespace {

using clipstore::TClipObj;

class TransformCommandsTest : public transformtest::TransformFixture {
protected:
    void StartCommands() {
        StartIn();
        selection = std::make_unique<shell::TClipListSelection>(*core, desk);
        commands = std::make_unique<TTransformCommands>(*core, *selection, desk.Keyboard(), pane, QLocale("en_US"));
    }
    void TearDown() override {
        commands.reset();
        selection.reset();
        TransformFixture::TearDown();
    }
    // Shows the clip in the pane, as selecting it does.
    void ShowInPane(TClipObj* clip) {
        selection->EditClip = clip;
        selection->PreviewStale.Emit();
    }
    void ShowColl() { core->Tree().Select(core->Tree().GetTreeNodeOfColl(coll)); }

    transformtest::RecordingPane pane;
    std::unique_ptr<shell::TClipListSelection> selection;
    std::unique_ptr<TTransformCommands> commands;
};

TEST_F(TransformCommandsTest, TheCaseButtonCyclesAndAfterOtherCommandsConvertsNothingOnce) {
    StartCommands();
    TClipObj* clip = AddText("mIxed CASE. text", "t");
    ShowInPane(clip);
    const int edits = settings->Edits;
    // Four clicks: lower, UPPER, Mixed, Sentence.
    for (const char* expected : {"mixed case. text", "MIXED CASE. TEXT", "Mixed Case. Text", "Mixed case. Text"}) {
        commands->CaseClick();
        EXPECT_EQ(Text(*clip), expected);
    }
    EXPECT_EQ(settings->Edits, edits + 4);
    struct Case {
        TXFormKind kind;
        int position;
        const char* after; // the text after the click that follows the one that converts nothing
    } cases[] = {{TXFormKind::FlowText, TTransformCommands::FlowPosition, "MIXED CASE. TEXT"},
                 {TXFormKind::StripNonText, TTransformCommands::StripPosition, "Mixed Case. Text"}};
    for (const Case& c : cases) {
        commands->CaseClick(); // back to lower case
        commands->MagChangeCase(c.kind, c.position);
        const std::string before = Text(*clip);
        commands->CaseClick();
        EXPECT_EQ(Text(*clip), before) << "position " << c.position << " converts nothing";
        commands->CaseClick();
        EXPECT_EQ(Text(*clip), c.after);
    }
}

TEST_F(TransformCommandsTest, AnotherClipRepeatsTheLastClickedConversion) {
    StartCommands();
    TClipObj* first = AddText("First clip", "First clip");
    TClipObj* second = AddText("Second clip", "Second clip");
    ShowInPane(first);
    commands->CaseClick(); // lower
    commands->CaseClick(); // UPPER
    ShowInPane(second);
    commands->CaseClick();
    EXPECT_EQ(Text(*second), "SECOND CLIP");
    EXPECT_EQ(second->Title, "SECOND CLIP");
    // The same clip shown again keeps the cycle going.
    ShowInPane(second);
    commands->CaseClick();
    EXPECT_EQ(Text(*second), "Second Clip");
}

TEST_F(TransformCommandsTest, ThePaneCommandsWorkOnItsSelectionAndShowTheResult) {
    StartCommands();
    TClipObj* clip = AddText("one\ntwo\n\nthree\n x", "one");
    ShowInPane(clip);
    pane.Selected = {0, 14}; // up to the last line
    commands->MagChangeCase(TXFormKind::FlowText, TTransformCommands::FlowPosition);
    EXPECT_EQ(Text(*clip), "one two\n\nthree\n x");
    EXPECT_EQ(pane.ShownRange, (TTextRange{0, 14}));
    EXPECT_EQ(pane.Shown.back(), clip);
    EXPECT_EQ(view.Statuses.back(), "Converted -> Removed Line Breaks");
    EXPECT_GE(pane.Rescued, 1) << "the pending edit goes into the clip first";
    // With Ctrl held down, shift left drops the x too.
    desk.SimulatedKeyboard().Hold(platform::VK_CONTROL, true);
    pane.Selected = {};
    const int edits = settings->Edits;
    commands->Shift(false);
    EXPECT_EQ(Text(*clip), "ne two\n\nhree\nx");
    commands->Shift(true);
    EXPECT_EQ(Text(*clip), " ne two\n\n hree\n x");
    EXPECT_EQ(settings->Edits, edits + 2);
    EXPECT_EQ(pane.Shown.size(), 3u);
    EXPECT_EQ(pane.Changed.back(), clip);
}

TEST_F(TransformCommandsTest, TheMenuConvertsEverySelectedClipAndTheirRowsFollow) {
    StartCommands();
    for (const char* text : {"alpha", "beta", "gamma"})
        AddText(text, text);
    ShowColl();
    shell::TClipListModel& list = core->ClipList();
    list.ClearSelection();
    commands->MnuChangeCase(TXFormKind::Upper, TTransformCommands::UpperPosition);
    EXPECT_TRUE(view.Statuses.empty() || view.Statuses.back() != "Converted -> UPPER CASE") << "no row: nothing";
    ASSERT_EQ(list.Count(), 3u);
    list.SetSelection({0, 2}, -1);
    selection->EditClip = list.Clip(0);
    const std::string middle = Text(*list.Clip(1));
    commands->MnuChangeCase(TXFormKind::Upper, TTransformCommands::UpperPosition);
    EXPECT_EQ(Text(*list.Clip(1)), middle) << "not selected";
    for (const std::size_t row : {0u, 2u}) {
        TClipObj* clip = list.Clip(row);
        EXPECT_EQ(Text(*clip), QString::fromStdString(clip->Title).toUpper().toStdString());
        EXPECT_EQ(Text(*clip), clip->Title);
    }
    EXPECT_EQ(pane.Changed.size(), 2u) << "each row's caption";
    EXPECT_EQ(selection->EditClip, nullptr);
    EXPECT_EQ(core->CurrentClip(), nullptr);
    EXPECT_EQ(view.Statuses.back(), "Converted -> UPPER CASE");
    EXPECT_EQ(commands->CasePosition(), TTransformCommands::UpperPosition);
}

} // namespace
} // namespace bx::pastetools
