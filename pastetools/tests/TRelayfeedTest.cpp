// Relayfeed on a running core: runs pasted by a program in front, the end of a run, the requests that
// do not move it (a watcher's, the same paste asking again) and the failures.
#include "CoreTestFixture.h"

#include "TClipListSelection.h"
#include "TRelayfeed.h"

#include <algorithm>
#include <cstring>
#include <ostream>

namespace bx::pastetools {
namespace {

using namespace shell::coretest;
using platform::sim::SimApp;
using Dir = TRelayfeed::TRFDirection;
using TRFState = shell::TBrindlexCore::TRFState;

class RelayfeedTest : public CoreFixture {
protected:
    void StartWithClips(int count) {
        settings->UseSounds = true;
        Start();
        selection = std::make_unique<shell::TClipListSelection>(*core, desk);
        relay = std::make_unique<TRelayfeed>(*core, desk, boxes);
        changes = relay->StateChanged.Subscribe([this] { ++stateChanges; });
        for (int i = 1; i <= count; ++i)
            CopyText(editor, "clip " + std::to_string(i));
        target.TakeForeground();
    }
    void TearDown() override {
        relay.reset();
        selection.reset();
        CoreFixture::TearDown();
    }
    void Select(const std::vector<std::size_t>& rows) {
        core->ClipList().SetSelection(rows, static_cast<int>(rows.front()));
        desk.Advance(10);
    }
    std::string Title(std::size_t row) const { return core->ClipList().Clip(row)->Title; }
    // The text a program's paste gets now (a paste opens the clipboard and reads CF_TEXT).
    static std::string Paste(SimApp& app) {
        if (!app.Paste({platform::CF_TEXT}))
            return "(open failed)";
        const auto& got = app.Pastes().back();
        const auto it = got.find(platform::CF_TEXT);
        if (it == got.end())
            return "(nothing)";
        const auto* p = reinterpret_cast<const char*>(it->second.data());
        return std::string(p, strnlen(p, it->second.size()));
    }
    // The paste and the delay after it, as the user's next Ctrl+V comes.
    std::string PasteAndWait(SimApp& app) {
        std::string text = Paste(app);
        desk.Advance(relay->Interval() + 50);
        return text;
    }
    bool TextHasData() {
        const platform::ClipboardModel::Entry* e = desk.SimulatedClipboard().Find(platform::CF_TEXT);
        return e != nullptr && e->handle != 0;
    }
    int CompletionSounds() {
        const std::vector<std::string> events = SoundEvents();
        return static_cast<int>(std::count(events.begin(), events.end(), TRelayfeed::SoundComplete));
    }

    SimApp target{desk, "/usr/bin/mousepad", "letter.txt - Mousepad"};
    SimApp watcher{desk, "/usr/bin/copyq", "CopyQ"};
    std::unique_ptr<shell::TClipListSelection> selection;
    std::unique_ptr<TRelayfeed> relay;
    platform::TSubscription changes;
    int stateChanges = 0;
};

struct RunCase {
    const char* what;
    int clips;
    std::vector<std::size_t> selected;
    Dir direction;
    std::vector<std::size_t> pasted; // the rows the target gets, one per paste
};

void PrintTo(const RunCase& c, std::ostream* os) {
    *os << c.what;
}

class RelayfeedRunTest : public RelayfeedTest, public ::testing::WithParamInterface<RunCase> {};

TEST_P(RelayfeedRunTest, EachPasteOfTheProgramInFrontTakesTheNextClipUntilTheRunEnds) {
    const RunCase& c = GetParam();
    StartWithClips(c.clips);
    Select(c.selected);
    relay->RFClick(c.direction);
    EXPECT_EQ(core->RFState(), TRFState::Armed);
    EXPECT_EQ(relay->RFSelectedOnly(), c.selected.size() > 1);
    EXPECT_FALSE(TextHasData()) << "the run's clip is announced, not written";
    for (std::size_t i = 0; i < c.pasted.size(); ++i) {
        const std::size_t row = c.pasted[i];
        EXPECT_EQ(core->ClipList().IsSelected(row), true) << "paste " << i;
        EXPECT_EQ(PasteAndWait(target), Title(row)) << "paste " << i;
        EXPECT_EQ(CompletionSounds(), i + 1 == c.pasted.size() ? 1 : 0) << "paste " << i;
    }
    EXPECT_EQ(core->RFState(), TRFState::Idle);
    EXPECT_EQ(relay->RFDirection(), Dir::None);
    EXPECT_EQ(relay->RFItem(), nullptr);
    // The last clip stays on the clipboard with its data.
    EXPECT_TRUE(TextHasData());
    EXPECT_EQ(PasteAndWait(target), Title(c.pasted.back()));
    EXPECT_EQ(target.Pastes().size(), c.pasted.size() + 1);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, RelayfeedRunTest,
    ::testing::Values(RunCase{"one selected row of five, down to the end", 5, {0}, Dir::Down, {0, 1, 2, 3, 4}},
                      RunCase{"rows 2 and 4 of six, down", 6, {1, 3}, Dir::Down, {1, 3}},
                      RunCase{"rows 2 and 4 of six, up", 6, {1, 3}, Dir::Up, {3, 1}},
                      RunCase{"the middle row of five, up", 5, {2}, Dir::Up, {2, 1, 0}},
                      RunCase{"the last row, down", 5, {4}, Dir::Down, {4}},
                      RunCase{"a one-row list", 1, {0}, Dir::Down, {0}}),
    [](const ::testing::TestParamInfo<RunCase>& p) { return "Case" + std::to_string(p.index); });

TEST_F(RelayfeedTest, TheSameDirectionAgainEndsTheRunAndPutsTheClipBackWithItsData) {
    StartWithClips(4);
    Select({1});
    relay->RFClick(Dir::Down);
    EXPECT_EQ(PasteAndWait(target), Title(1));
    EXPECT_FALSE(TextHasData()) << "row 3 is announced";
    relay->RFClick(Dir::Down);
    EXPECT_EQ(core->RFState(), TRFState::Idle);
    EXPECT_EQ(relay->RFDirection(), Dir::None);
    EXPECT_GE(stateChanges, 2);
    EXPECT_TRUE(TextHasData());
    EXPECT_EQ(ClipboardText(), Title(2));
    EXPECT_EQ(CompletionSounds(), 0);
}

TEST_F(RelayfeedTest, TheOtherDirectionStartsAfreshFromTheSelection) {
    StartWithClips(4);
    Select({2});
    relay->RFClick(Dir::Down);
    EXPECT_EQ(Paste(target), Title(2));
    relay->RFClick(Dir::Up); // before the advance: the pending advance of the old run is dropped
    EXPECT_EQ(relay->RFDirection(), Dir::Up);
    EXPECT_EQ(PasteAndWait(target), Title(2));
    EXPECT_EQ(PasteAndWait(target), Title(1));
}

TEST_F(RelayfeedTest, AForeignCopyEndsTheRunAndTheClipboardKeepsTheForeignData) {
    StartWithClips(3);
    Select({0});
    relay->RFClick(Dir::Down);
    EXPECT_EQ(PasteAndWait(target), Title(0));
    CopyText(watcher, "copied elsewhere");
    EXPECT_EQ(core->RFState(), TRFState::Idle);
    EXPECT_EQ(relay->RFDirection(), Dir::None);
    EXPECT_EQ(ClipboardText(), "copied elsewhere");
    EXPECT_EQ(PasteAndWait(target), "copied elsewhere");
}

TEST_F(RelayfeedTest, AWatchersRequestIsServedWithoutMovingTheRun) {
    StartWithClips(3);
    Select({0});
    relay->RFClick(Dir::Down);
    // A clipboard manager reads the new contents at once; the target stays in front.
    EXPECT_EQ(PasteAndWait(watcher), Title(0));
    EXPECT_EQ(core->RFState(), TRFState::Armed);
    EXPECT_EQ(relay->RFItem(), core->ClipList().Clip(0));
    EXPECT_FALSE(TextHasData()) << "the watcher's copy is taken back, so the target's paste asks again";
    EXPECT_EQ(PasteAndWait(target), Title(0));
    EXPECT_EQ(PasteAndWait(watcher), Title(1));
    EXPECT_EQ(PasteAndWait(target), Title(1));
    EXPECT_EQ(PasteAndWait(target), Title(2));
    EXPECT_EQ(core->RFState(), TRFState::Idle);
}

TEST_F(RelayfeedTest, RequestsOfTheSamePasteBeforeTheAdvanceGetTheSameClip) {
    StartWithClips(3);
    Select({0});
    relay->RFClick(Dir::Down);
    EXPECT_EQ(Paste(target), Title(0));
    desk.Advance(relay->Interval() / 2);
    // The program asks again (for the same or another target) before the next clip is announced.
    EXPECT_EQ(Paste(target), Title(0));
    EXPECT_EQ(core->RFState(), TRFState::Rendering);
    desk.Advance(relay->Interval());
    EXPECT_EQ(PasteAndWait(target), Title(1));
}

TEST_F(RelayfeedTest, OnlyADataRequestOfTheProgramInFrontCountsAsAPaste) {
    StartWithClips(1);
    const std::uint32_t own = desk.ProgramPid();
    struct Case {
        const char* what;
        platform::RenderRequest who;
        bool counts;
    };
    const Case cases[] = {
        {"the program in front asks for text", {1, "UTF8_STRING", 7, target.Pid(), "", "", true}, true},
        {"a program behind", {1, "UTF8_STRING", 7, watcher.Pid(), "", "", false}, false},
        {"the program in front asks for the targets", {0, "TARGETS", 7, target.Pid(), "", "", true}, false},
        {"the program in front asks for the time", {0, "TIMESTAMP", 7, target.Pid(), "", "", true}, false},
        {"this program, in front, reads its own clip", {1, "UTF8_STRING", 7, own, "", "", true}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(relay->CountsAsPaste(c.who), c.counts) << c.what;
}

TEST_F(RelayfeedTest, NoSelectedRowShowsTheErrorAndStartsNoRun) {
    StartWithClips(2);
    core->ClipList().ClearSelection();
    relay->RFClick(Dir::Down);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, TRelayfeed::NoStartText);
    EXPECT_EQ(core->RFState(), TRFState::Idle);
    EXPECT_EQ(relay->RFDirection(), Dir::None);
}

TEST_F(RelayfeedTest, AClipboardHeldOpenAtTheAdvanceEndsTheRunWithTheSound) {
    StartWithClips(3);
    Select({0});
    relay->RFClick(Dir::Down);
    EXPECT_EQ(Paste(target), Title(0));
    ASSERT_TRUE(watcher.OpenClipboard());
    desk.Advance(relay->Interval() + 10);
    ASSERT_TRUE(watcher.CloseClipboard());
    EXPECT_EQ(core->RFState(), TRFState::Idle);
    EXPECT_EQ(core->StatusText(), TRelayfeed::ClipboardOpenText);
    EXPECT_EQ(CompletionSounds(), 1);
    EXPECT_EQ(core->CurrentClip(), nullptr);
}

TEST_F(RelayfeedTest, TheUserMovesTheRunToARowAndAnotherCollectionEndsItWithPutBack) {
    StartWithClips(4);
    Select({0});
    relay->RFClick(Dir::Down);
    Select({2}); // a row picked during the run: the run goes on from there
    EXPECT_EQ(relay->RFItem(), core->ClipList().Clip(2));
    EXPECT_EQ(PasteAndWait(target), Title(2));
    const std::string next = Title(3);
    core->AnnounceUserMove({shell::TUserMove::Kind::OtherCollection});
    EXPECT_EQ(core->RFState(), TRFState::Idle);
    EXPECT_TRUE(TextHasData());
    EXPECT_EQ(ClipboardText(), next);
}

TEST_F(RelayfeedTest, TheDelayIsKeptWithinItsLimits) {
    StartWithClips(0);
    for (const auto& [delay, interval] : {std::pair{5, 100u}, {250, 250u}, {10000, 4000u}}) {
        settings->RelayfeedDelay = delay;
        EXPECT_EQ(relay->Interval(), interval) << delay;
    }
}

// A clip whose data cannot be rendered ends the run instead of leaving it rendering for ever.
TEST_F(RelayfeedTest, AFailedRenderEndsTheRun) {
    StartWithClips(3);
    Select({0});
    relay->RFClick(Dir::Down);
    (*core->ClipList().Clip(0)->Formats)[0]->Format_Type = 9; // a damaged record
    PasteAndWait(target);
    EXPECT_EQ(core->RFState(), TRFState::Idle);
    EXPECT_EQ(relay->RFDirection(), Dir::None);
    EXPECT_GE(stateChanges, 2) << "the window's marks follow";
}

} // namespace
} // namespace bx::pastetools
