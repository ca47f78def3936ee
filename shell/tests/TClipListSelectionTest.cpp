// The main clip list's selection rules on a running core: the delayed "nothing selected" report,
// several selected rows, the held arrow key and moving to the next or previous row.
#include "CoreTestFixture.h"

#include "GlobalMemory.h"
#include "TClipListSelection.h"

#include <cstring>

namespace bx::shell {
namespace {

using namespace coretest;
using clipstore::TClipColl;
using clipstore::TClipObj;

class ClipListSelectionTest : public CoreFixture {
protected:
    void StartWithClips(int count) {
        Start();
        selection = std::make_unique<TClipListSelection>(*core, desk);
        refreshed = selection->PreviewStale.Subscribe([this] { ++refreshes; });
        for (int i = 1; i <= count; ++i)
            CopyText(editor, "clip " + std::to_string(i));
    }
    void TearDown() override {
        selection.reset();
        CoreFixture::TearDown();
    }
    int NodeOf(const TClipColl* coll) const { return core->Tree().GetTreeNodeOfColl(coll); }

    std::unique_ptr<TClipListSelection> selection;
    platform::TSubscription refreshed;
    int refreshes = 0;
};

TEST_F(ClipListSelectionTest, AnEmptyCollectionReportsNoSelectionAfterTheWait) {
    StartWithClips(2);
    TClipColl* empty = nullptr;
    for (std::size_t i = 0; i < core->Tree().Count() && empty == nullptr; ++i) {
        TClipColl* coll = core->Tree().At(i).Coll;
        if (coll != nullptr && coll->Count() == 0 && coll->CollType == TClipColl::NormalColl)
            empty = coll;
    }
    ASSERT_NE(empty, nullptr);
    ASSERT_GT(core->ClipList().SelectedCount(), 0u);
    core->Tree().Select(NodeOf(empty));
    EXPECT_EQ(core->ClipList().SelectedCount(), 0u);
    desk.Advance(200);
    EXPECT_NE(core->StatusText(), "No Items Selected.");
    desk.Advance(100);
    EXPECT_EQ(core->StatusText(), "No Items Selected.");
    EXPECT_EQ(core->CurrentClip(), nullptr);
    EXPECT_GT(refreshes, 0);

    // A row selected again within the wait: nothing is reported.
    core->Tree().Select(NodeOf(Coll("Short-Term")));
    core->ClipList().ClearSelection();
    desk.Advance(100);
    core->ClipList().SelectOnly(1);
    desk.Advance(300);
    EXPECT_NE(core->StatusText(), "No Items Selected.");
    EXPECT_EQ(core->CurrentClip(), core->ClipList().Clip(1));
}

TEST_F(ClipListSelectionTest, SwitchingToACollectionPlacesItsTopClip) {
    StartWithClips(3);
    core->Tree().Select(NodeOf(Coll("Short-Term")));
    EXPECT_EQ(core->CurrentClip(), core->ClipList().Clip(0));
    EXPECT_EQ(ClipboardText(), core->ClipList().Clip(0)->Title);
    EXPECT_EQ(selection->EditClip, core->CurrentClip());
}

TEST_F(ClipListSelectionTest, HoldingDownThroughTenRowsPlacesOnlyTheTenth) {
    StartWithClips(12);
    core->Tree().Select(NodeOf(Coll("Short-Term")));
    TClipListModel& list = core->ClipList();
    const std::string first = ClipboardText();
    int copies = 0;
    selection->ArrowKeyDown();
    for (std::size_t row = 1; row <= 9; ++row) {
        list.SelectOnly(row);
        desk.Advance(30); // key repeat
        if (ClipboardText() != first)
            ++copies;
    }
    EXPECT_EQ(copies, 0);
    EXPECT_EQ(selection->CurSelIndex, 9);
    EXPECT_EQ(selection->PrevSelIndex, 8);
    selection->ArrowKeyUp();
    EXPECT_EQ(ClipboardText(), list.Clip(9)->Title);
    EXPECT_EQ(core->CurrentClip(), list.Clip(9));
}

TEST_F(ClipListSelectionTest, SeveralSelectedRowsClearTheCurrentClipUnlessPinned) {
    StartWithClips(3);
    core->Tree().Select(NodeOf(Coll("Short-Term")));
    TClipObj* shown = core->CurrentClip();
    selection->Pinned = true;
    selection->SelectAll();
    EXPECT_EQ(core->StatusText(), "3 Items Selected.");
    EXPECT_EQ(core->CurrentClip(), nullptr);
    EXPECT_EQ(selection->EditClip, shown); // the pinned pane keeps its clip
    selection->Pinned = false;
    core->ClipList().SelectOnly(2);
    core->ClipList().Select(1, true);
    EXPECT_EQ(core->StatusText(), "2 Items Selected.");
    EXPECT_EQ(selection->EditClip, nullptr);
}

TEST_F(ClipListSelectionTest, NextAndPreviousAreClampedToTheList) {
    StartWithClips(3);
    core->Tree().Select(NodeOf(Coll("Short-Term")));
    TClipListModel& list = core->ClipList();
    selection->SelectNext(false);
    EXPECT_TRUE(list.IsSelected(0));
    selection->SelectNext(true);
    selection->SelectNext(true);
    selection->SelectNext(true);
    EXPECT_TRUE(list.IsSelected(2));
    EXPECT_EQ(list.SelectedCount(), 1u);
    EXPECT_EQ(ClipboardText(), list.Clip(2)->Title);
    selection->SelectNext(false);
    EXPECT_EQ(core->CurrentClip(), list.Clip(1));
}

} // namespace
} // namespace bx::shell

namespace bx::shell {
namespace {

TEST_F(ClipListSelectionTest, ARowSelectedDuringRelayfeedBecomesTheRunsNextClip) {
    StartWithClips(4);
    core->Tree().Select(NodeOf(Coll("Short-Term")));
    TClipListModel& list = core->ClipList();
    for (const bool hooked : {false, true}) {
        std::vector<int> rows;
        platform::TSubscription runRows;
        if (hooked)
            runRows = core->Events().UserMoving.Subscribe([&rows](const TUserMove& move) {
                if (move.What == TUserMove::Kind::RunRow)
                    rows.push_back(move.Row);
            });
        core->SetRFState(TBrindlexCore::TRFState::Rendering);
        const int before = refreshes;
        const std::uint32_t sequence = desk.Clipboard().GetClipboardSequenceNumber();
        list.SelectOnly(hooked ? 2 : 1);
        const std::size_t row = hooked ? 2 : 1;
        EXPECT_EQ(core->RFState(), TBrindlexCore::TRFState::Armed);
        EXPECT_EQ(core->CurrentClip(), list.Clip(row));
        EXPECT_EQ(selection->EditClip, list.Clip(row));
        EXPECT_GT(refreshes, before);
        EXPECT_EQ(rows, hooked ? std::vector<int>{2} : std::vector<int>{});
        // The clip is announced on the clipboard.
        EXPECT_NE(desk.Clipboard().GetClipboardSequenceNumber(), sequence);
        EXPECT_TRUE(desk.Clipboard().IsClipboardFormatAvailable(platform::CF_TEXT));
        // The run selecting the clip it announced moves nothing; a held arrow key waits for its release.
        list.SelectOnly(row);
        EXPECT_EQ(rows.size(), hooked ? 1u : 0u);
        selection->ArrowKeyDown();
        list.SelectOnly(3);
        EXPECT_EQ(core->CurrentClip(), list.Clip(row));
        selection->ArrowKeyUp();
        EXPECT_EQ(core->CurrentClip(), list.Clip(3));
        EXPECT_EQ(rows, hooked ? (std::vector<int>{2, 3}) : std::vector<int>{});
        core->SetRFState(TBrindlexCore::TRFState::Idle);
        list.SelectOnly(0);
    }
}

TEST_F(ClipListSelectionTest, ChangingCollectionOrRowByCommandIsAnnouncedToAutoGlueAndRelayfeed) {
    StartWithClips(3);
    core->Tree().Select(NodeOf(Coll("Short-Term")));
    // Without listeners nothing breaks.
    core->StartAutoGlue();
    selection->SelectNext(true);
    // Two listeners as the auto-glue and Relayfeed will be: each ends its own mode.
    int glueEnds = 0;
    std::vector<bool> rfOffs;
    using Kind = TUserMove::Kind;
    const platform::TSubscription glue = core->Events().UserMoving.Subscribe([&](const TUserMove& move) {
        if (core->AutoGlueMode() && (move.What == Kind::OtherCollection || move.What == Kind::OtherRow)) {
            ++glueEnds;
            core->EndAutoGlue();
        }
    });
    const platform::TSubscription relay = core->Events().UserMoving.Subscribe([&](const TUserMove& move) {
        if (move.What == Kind::OtherCollection && core->RFState() != TBrindlexCore::TRFState::Idle) {
            rfOffs.push_back(true);
            core->SetRFState(TBrindlexCore::TRFState::Idle);
        }
    });
    selection->SelectNext(true);
    EXPECT_EQ(glueEnds, 1);
    EXPECT_TRUE(rfOffs.empty());
    core->StartAutoGlue();
    core->SetRFState(TBrindlexCore::TRFState::Armed);
    core->Tree().Select(NodeOf(Coll("Long-Term")));
    EXPECT_EQ(glueEnds, 2);
    EXPECT_EQ(rfOffs, std::vector<bool>{true});
}

} // namespace
} // namespace bx::shell
