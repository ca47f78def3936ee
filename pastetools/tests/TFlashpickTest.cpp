// Flashpick on a running core with the list rules of the window: picking a clip by the arrow keys and
// pasting it into the program in front, the lock, the hot key pressed into the program itself, the grace
// time, Escape, the layouts it leaves, the alternate collection and a paste that fails.
#include "TFlashpick.h"
#include "CoreTestFixture.h"
#include "IFlashpickView.h"
#include "KeyText.h"
#include "LogHook.h"
#include "TClipListSelection.h"
#include "TPasteInto.h"
#include "TRelayfeed.h"
#include "TSendKey.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace bx::pastetools {
namespace {

using keytext::Text;
using platform::sim::SimApp;
using TFPList = IFlashpickView::TFPList;

// The pick layout as the main window keeps it, without widgets. Like the window, raising the list ends
// Flashpick and a list taking the focus tells Flashpick.
class FakeView : public IFlashpickView {
public:
    bool DroppedDown() const override { return Dropped; }
    void DropDown(bool down) override {
        Dropped = down;
        if (!down && flashpick != nullptr)
            flashpick->FPTerminate();
    }
    bool ExplorerView() const override { return Explorer; }
    void SetExplorerView(bool explorer) override {
        Explorer = explorer;
        ++ViewSwitches;
    }
    void ExpandIfShrunk() override { Shrunk = false; }
    void CollapseToolbarArea(bool collapse) override { ToolbarCollapsed = collapse; }
    void ShowToolbar3(bool show) override { Toolbar3 = show; }
    void ShowFPPanel(bool on) override { FPPanel = on; }
    void ShowLockButton(bool visible, bool down) override {
        LockVisible = visible;
        Lock = down;
    }
    bool LockDown() const override { return Lock; }
    void SuspendRepaint(bool suspend) override {
        Suspended += suspend ? 1 : -1;
        MaxSuspended = std::max(MaxSuspended, Suspended);
    }
    void FocusList(TFPList list) override {
        Focused = list;
        if (flashpick != nullptr)
            flashpick->lvClipsEnter(list);
    }
    void ShowMe() override {
        WasMin = Minimized;
        Minimized = false;
        windows->SetForegroundWindow(own);
        ++Shown;
    }
    bool WasMinimized() const override { return WasMin; }
    void HideAgain() override { Minimized = true; }
    void SetSingleSelection(bool single) override { Single = single; }

    platform::IWindows* windows = nullptr;
    platform::HWND own = platform::NoWindow;
    TFlashpick* flashpick = nullptr;

    bool Dropped = false, Explorer = false, Shrunk = false, ToolbarCollapsed = false, Toolbar3 = false;
    bool FPPanel = false, LockVisible = false, Lock = false, Minimized = false, WasMin = false, Single = false;
    int Suspended = 0, MaxSuspended = 0, Shown = 0, ViewSwitches = 0;
    std::optional<TFPList> Focused;
};

// The level-64 lines of Flashpick's steps; a fault can be planted at one of them.
class FlashpickLog : public platform::ILogSink {
public:
    FlashpickLog() : previous_(platform::LogSink()) { platform::SetLogSink(this); }
    ~FlashpickLog() override { platform::SetLogSink(previous_); }
    void Write(int level, std::string_view where, std::string_view what) override {
        if (where == ThrowWhere && what == ThrowWhat)
            throw std::runtime_error("the keys could not be sent");
        if (level == platform::LogDetail && where.starts_with("TfrmBX.") && where != "TfrmBX.PasteInto")
            Lines.push_back(std::string(where.substr(where.find('.') + 1)) + ": " + std::string(what));
    }
    std::vector<std::string> Lines;
    std::string ThrowWhere, ThrowWhat;

private:
    platform::ILogSink* previous_;
};

class FlashpickTest : public shell::coretest::CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        MakeCore();
        sendKey = std::make_unique<TSendKey>(desk.Keyboard(), desk.Windows());
        paste = std::make_unique<TPasteInto>(desk, *core, *sendKey, noCtrlV);
        relay = std::make_unique<TRelayfeed>(*core, desk, boxes);
        selection = std::make_unique<shell::TClipListSelection>(*core, desk);
        flashpick = std::make_unique<TFlashpick>(*core, desk, boxes, *paste, *relay);
        fake.windows = &desk.Windows();
        fake.own = core->Handle();
        fake.flashpick = flashpick.get();
        flashpick->SetView(&fake);
        Run();
    }
    void TearDown() override {
        fake.flashpick = nullptr;
        flashpick.reset();
        selection.reset();
        relay.reset();
        paste.reset();
        CoreFixture::TearDown();
    }

    // Clips "clip 1" .. "clip n" in the shown collection (the newest on top), the target in front.
    void WithClips(int count) {
        for (int i = 1; i <= count; ++i)
            CopyText(editor, "clip " + std::to_string(i));
        target.TakeForeground();
    }
    void LongTermClips(int count) {
        core->Tree().Select(core->Tree().GetTreeNodeOfColl(Coll("Long-Term")));
        for (int i = 1; i <= count; ++i)
            CopyText(editor, "kept " + std::to_string(i));
        core->Tree().Select(core->Tree().GetTreeNodeOfColl(Coll("Short-Term")));
        flashpick->mnuSetFPAlternate(-1);
        // Past the time in which the viewer takes a change for the echo of showing the collection.
        desk.Advance(1500);
    }
    // The hot key in the target, and the grace time over.
    void PickFromTarget() {
        target.TakeForeground();
        flashpick->Flashpick();
        desk.SimulatedKeyboard().ClearEvents();
        desk.Advance(TFlashpick::GraceMs);
    }
    // The target pastes 50 ms after the keys of the next paste arrive; what it gets lands in pasted.
    void PastedOnCtrlV() {
        desk.SimulatedClock().After(50, [this] { pasted = PasteText(target); });
    }
    static std::string PasteText(SimApp& app) {
        if (!app.Paste({platform::CF_TEXT}) || app.Pastes().back().count(platform::CF_TEXT) == 0)
            return "(nothing)";
        const platform::sim::Bytes& bytes = app.Pastes().back().at(platform::CF_TEXT);
        const auto* text = reinterpret_cast<const char*>(bytes.data());
        return std::string(text, strnlen(text, bytes.size()));
    }
    // The arrow key in a list: the next row alone is selected (and placed when the key comes up).
    void Down(shell::TClipListModel& list) {
        const int row = list.FocusedRow() >= 0 ? list.FocusedRow() : -1;
        list.SelectOnly(static_cast<std::size_t>(row + 1));
        desk.Advance(10);
    }
    // The program loses the activation: the window's rules run unless Flashpick keeps it.
    void Deactivate() {
        if (flashpick->IgnoresDeactivation())
            return;
        flashpick->FPTerminate();
    }
    std::string Title(std::size_t row) const { return core->ClipList().Clip(row)->Title; }
    // Every key went to the target window.
    bool AllKeysWentToTarget() {
        for (const auto& d : desk.SimulatedKeyboard().Deliveries())
            if (d.window != target.Window())
                return false;
        return !desk.SimulatedKeyboard().Deliveries().empty();
    }

    SimApp target{desk, "/usr/bin/mousepad", "letter.txt - Mousepad"};
    std::unique_ptr<TSendKey> sendKey;
    std::unique_ptr<TPasteInto> paste;
    std::unique_ptr<TRelayfeed> relay;
    std::unique_ptr<shell::TClipListSelection> selection;
    std::unique_ptr<TFlashpick> flashpick;
    FakeView fake;
    std::string pasted;
};

TEST_F(FlashpickTest, TheThirdClipPickedByArrowKeysIsPastedByEnterIntoTheTargetWhichKeepsTheFocus) {
    WithClips(5);
    FlashpickLog log;
    PickFromTarget();
    EXPECT_TRUE(flashpick->FPActive());
    EXPECT_TRUE(core->FlashpickActive());
    EXPECT_EQ(paste->TargetWindow, target.Window());
    EXPECT_EQ(desk.Windows().GetForegroundWindow(), core->Handle()) << "the program came up";
    EXPECT_TRUE(fake.Dropped);
    EXPECT_TRUE(fake.Toolbar3 && fake.LockVisible && fake.ToolbarCollapsed && fake.FPPanel);
    EXPECT_EQ(fake.Focused, TFPList::Clips);
    EXPECT_EQ(fake.MaxSuspended, 1);
    EXPECT_EQ(fake.Suspended, 0) << "the lists are painted again";
    EXPECT_EQ(view.Statuses.back(), "Flashpick -->letter.txt - Mousepad");

    Down(core->ClipList());
    EXPECT_EQ(ClipboardText(), Title(1)) << "each row goes on the clipboard as it is selected";
    Down(core->ClipList());
    EXPECT_EQ(ClipboardText(), Title(2));
    PastedOnCtrlV();
    flashpick->ProcessFlashpickSelection();
    EXPECT_EQ(pasted, "clip 3");

    EXPECT_EQ(Text(target.KeysReceived()), "Ctrl↓ V↓ V↑ Ctrl↑");
    EXPECT_TRUE(AllKeysWentToTarget());
    EXPECT_EQ(desk.Windows().GetForegroundWindow(), target.Window());
    EXPECT_EQ(ClipboardText(), "clip 3");
    EXPECT_FALSE(flashpick->FPActive());
    EXPECT_FALSE(core->FlashpickActive());
    EXPECT_FALSE(fake.Dropped || fake.Toolbar3 || fake.LockVisible || fake.ToolbarCollapsed || fake.FPPanel);
    EXPECT_EQ(view.Raised, 0);
    EXPECT_TRUE(flashpick->IgnoresClicks());
    desk.Advance(TFlashpick::IgnoreClicksMs);
    EXPECT_FALSE(flashpick->IgnoresClicks());
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"Flashpick: Beginning Flashpick",
                                                   "Flashpick: Flashpick -->letter.txt - Mousepad",
                                                   "Flashpick: Flashpick Ending", "ProcessFlashpickSelection: >",
                                                   "FPTerminate: End Flashpick", "ProcessFlashpickSelection: <"}));
}

TEST_F(FlashpickTest, LockedTwoEntersPasteTwoClipsAndThePickLayoutStaysUp) {
    WithClips(3);
    settings->FPLock = true;
    PickFromTarget();
    EXPECT_TRUE(fake.Lock);
    flashpick->ProcessFlashpickSelection();
    EXPECT_TRUE(target.Paste({platform::CF_TEXT}));
    Down(core->ClipList());
    flashpick->ProcessFlashpickSelection();
    EXPECT_EQ(Text(target.KeysReceived()), "Ctrl↓ V↓ V↑ Ctrl↑ Ctrl↓ V↓ V↑ Ctrl↑");
    EXPECT_EQ(ClipboardText(), "clip 2");
    EXPECT_TRUE(flashpick->FPActive());
    EXPECT_TRUE(fake.Dropped);
    EXPECT_EQ(view.Raised, 2) << "the program's window comes back after each paste";
    desk.Advance(TFlashpick::GraceMs);
    Deactivate();
    EXPECT_TRUE(flashpick->FPActive()) << "locked: the loss of the activation is ignored";

    fake.Lock = false;
    flashpick->cmdFPLockClick(false);
    Deactivate();
    EXPECT_FALSE(flashpick->FPActive());
    EXPECT_FALSE(settings->FPLock);
}

struct IntoItselfCase {
    const char* what;
    bool alreadyOpen;
    bool coreWindow; // else another window of the program's own process (as X11 reports our window)
};

void PrintTo(const IntoItselfCase& c, std::ostream* os) {
    *os << c.what;
}

class FlashpickIntoItselfTest : public FlashpickTest, public ::testing::WithParamInterface<IntoItselfCase> {};

TEST_P(FlashpickIntoItselfTest, SaysSoPastesNothingAndEndsAnOpenFlashpick) {
    const IntoItselfCase& c = GetParam();
    WithClips(2);
    if (c.alreadyOpen)
        PickFromTarget();
    const platform::HWND other = desk.SimulatedWindows().CreateWindowOfProcess(
        "Brindlex [Short-Term]",
        [](platform::UINT, platform::WPARAM, platform::LPARAM) { return platform::LRESULT{0}; }, desk.ProgramPid());
    desk.Windows().SetForegroundWindow(c.coreWindow ? core->Handle() : other);
    desk.SimulatedKeyboard().ClearEvents();
    flashpick->Flashpick();
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, std::string("You tried to Flashpick INTO Brindlex, which is not possible.\n") +
                                         "Please invoke the Flashpick hotkey from WITHIN the application which you "
                                         "want to paste into.");
    EXPECT_EQ(boxes.Boxes()[0].type, platform::MsgType::Confirmation);
    EXPECT_FALSE(flashpick->FPActive());
    EXPECT_FALSE(fake.Dropped || fake.Toolbar3);
    EXPECT_TRUE(desk.SimulatedKeyboard().Events().empty());
    flashpick->ProcessFlashpickSelection();
    EXPECT_TRUE(desk.SimulatedKeyboard().Events().empty()) << "Enter afterwards pastes nothing either";
    desk.Windows().DestroyWindow(other);
}

INSTANTIATE_TEST_SUITE_P(Cases, FlashpickIntoItselfTest,
                         ::testing::Values(IntoItselfCase{"the program's window in front", false, true},
                                           IntoItselfCase{"another window of the program in front", false, false},
                                           IntoItselfCase{"pressed again in the open pick layout", true, true}),
                         [](const ::testing::TestParamInfo<IntoItselfCase>& p) {
                             return "Case" + std::to_string(p.index);
                         });

TEST_F(FlashpickTest, ADeactivationWithinTheGraceTimeIsIgnoredAndEndsFlashpickAfterIt) {
    WithClips(2);
    FlashpickLog log;
    flashpick->Flashpick();
    desk.Advance(TFlashpick::GraceMs - 1);
    Deactivate();
    EXPECT_TRUE(flashpick->FPActive());
    EXPECT_NE(std::find(log.Lines.begin(), log.Lines.end(), "AppDeactivate: Ignored within Flashpick's grace time"),
              log.Lines.end());
    flashpick->lvClipsEnter(TFPList::FP);
    EXPECT_FALSE(flashpick->LastListWasFP()) << "focus changes within the grace time are ignored too";
    desk.Advance(1);
    Deactivate();
    EXPECT_FALSE(flashpick->FPActive());

    // The Paste button leaves Flashpick open; the activation's return to the program is heard later.
    PickFromTarget();
    flashpick->cmdFPPasteItClick();
    EXPECT_EQ(Text(target.KeysReceived()), "Ctrl↓ V↓ V↑ Ctrl↑");
    Deactivate();
    EXPECT_TRUE(flashpick->FPActive());
    desk.Advance(TFlashpick::GraceMs);
    Deactivate();
    EXPECT_FALSE(flashpick->FPActive());
}

TEST_F(FlashpickTest, TheHotKeyAgainInAnotherProgramTakesThatTargetAndKeepsTheLayoutItCameFrom) {
    WithClips(2);
    fake.Explorer = true;
    PickFromTarget();
    editor.TakeForeground();
    flashpick->Flashpick();
    EXPECT_EQ(paste->TargetWindow, editor.Window());
    EXPECT_FALSE(flashpick->WasDroppedDown()) << "the list Flashpick dropped is not the user's";
    EXPECT_TRUE(flashpick->LeftExplorerView());
    flashpick->EscapePressed();
    EXPECT_FALSE(fake.Dropped);
    EXPECT_TRUE(fake.Explorer);
    EXPECT_EQ(desk.Windows().GetForegroundWindow(), editor.Window());
}

struct EndCase {
    const char* what;
    bool droppedBefore;
    bool escape; // else the loss of the activation
    bool droppedAfter;
};

void PrintTo(const EndCase& c, std::ostream* os) {
    *os << c.what;
}

class FlashpickEndTest : public FlashpickTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(FlashpickEndTest, EndingRaisesTheListUnlessItWasDownBeforeAndEscapeGivesTheTargetTheForeground) {
    const EndCase& c = GetParam();
    WithClips(2);
    fake.Dropped = c.droppedBefore;
    PickFromTarget();
    EXPECT_EQ(flashpick->WasDroppedDown(), c.droppedBefore);
    if (c.escape) {
        flashpick->EscapePressed();
    } else {
        desk.Windows().SetForegroundWindow(editor.Window());
        Deactivate();
    }
    EXPECT_FALSE(flashpick->FPActive());
    EXPECT_EQ(fake.Dropped, c.droppedAfter);
    EXPECT_EQ(desk.Windows().GetForegroundWindow(), c.escape ? target.Window() : editor.Window());
    EXPECT_TRUE(desk.SimulatedKeyboard().Events().empty()) << "nothing pasted";
}

INSTANTIATE_TEST_SUITE_P(Cases, FlashpickEndTest,
                         ::testing::Values(EndCase{"Escape, the list dropped by Flashpick", false, true, false},
                                           EndCase{"Escape, the list down before", true, true, false},
                                           EndCase{"deactivation, the list dropped by Flashpick", false, false, false},
                                           EndCase{"deactivation, the list down before", true, false, true}),
                         [](const ::testing::TestParamInfo<EndCase>& p) { return "Case" + std::to_string(p.index); });

struct LayoutCase {
    const char* what;
    bool alternates;
    bool explorerBefore;
    bool explorerDuring;
    bool droppedDuring;
};

void PrintTo(const LayoutCase& c, std::ostream* os) {
    *os << c.what;
}

class FlashpickLayoutTest : public FlashpickTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(FlashpickLayoutTest, ThePickLayoutFollowsShowFPAlternatesAndEnterPastesTheSame) {
    const LayoutCase& c = GetParam();
    WithClips(3);
    settings->ShowFPAlternates = c.alternates;
    fake.Explorer = c.explorerBefore;
    PickFromTarget();
    EXPECT_EQ(fake.FPPanel, c.alternates);
    EXPECT_EQ(fake.Explorer, c.explorerDuring);
    EXPECT_EQ(fake.Dropped, c.droppedDuring);
    EXPECT_EQ(flashpick->LeftExplorerView(), c.explorerBefore && !c.explorerDuring);
    Down(core->ClipList());
    flashpick->ProcessFlashpickSelection();
    EXPECT_EQ(Text(target.KeysReceived()), "Ctrl↓ V↓ V↑ Ctrl↑");
    EXPECT_EQ(ClipboardText(), "clip 2");
    EXPECT_FALSE(flashpick->FPActive());
    EXPECT_EQ(fake.Explorer, c.explorerBefore) << "the view it started from";
    EXPECT_FALSE(fake.Dropped);
    EXPECT_FALSE(flashpick->LeftExplorerView());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FlashpickLayoutTest,
    ::testing::Values(LayoutCase{"alternates, traditional view", true, false, false, true},
                      LayoutCase{"alternates, explorer view: the traditional view meanwhile", true, true, false, true},
                      LayoutCase{"no alternates, traditional view", false, false, false, true},
                      LayoutCase{"no alternates, explorer view: it stays", false, true, true, false}),
    [](const ::testing::TestParamInfo<LayoutCase>& p) { return "Case" + std::to_string(p.index); });

TEST_F(FlashpickTest, CtrlF11HidesTheAlternateListInFlashpickAndFocusesTheClipList) {
    WithClips(2);
    LongTermClips(2);
    target.TakeForeground();
    PickFromTarget();
    flashpick->lvClipsEnter(TFPList::FP);
    flashpick->mnuShowFPAlternatesClick();
    EXPECT_FALSE(settings->ShowFPAlternates);
    EXPECT_FALSE(fake.FPPanel);
    EXPECT_EQ(fake.Focused, TFPList::Clips);
    EXPECT_FALSE(flashpick->LastListWasFP());
    flashpick->mnuShowFPAlternatesClick();
    EXPECT_TRUE(fake.FPPanel);
}

TEST_F(FlashpickTest, TheAlternateListPutsItsClipOnTheClipboardAndTheNextFlashpickStartsThere) {
    WithClips(2);
    LongTermClips(3);
    EXPECT_EQ(flashpick->AlternateTitle(), "Alternate Collection: Long-Term");
    ASSERT_EQ(flashpick->AlternateList().Count(), 3u);
    shell::TClipListModel& fp = flashpick->AlternateList();
    PickFromTarget();
    flashpick->lvClipsEnter(TFPList::FP);
    EXPECT_TRUE(flashpick->LastListWasFP());
    EXPECT_TRUE(fp.IsSelected(0)) << "the first row when none was selected";
    EXPECT_EQ(ClipboardText(), fp.Clip(0)->Title);
    Down(fp);
    EXPECT_EQ(ClipboardText(), fp.Clip(1)->Title);
    PastedOnCtrlV();
    flashpick->ProcessFlashpickSelection();
    EXPECT_EQ(Text(target.KeysReceived()), "Ctrl↓ V↓ V↑ Ctrl↑");
    EXPECT_EQ(pasted, fp.Clip(1)->Title) << "the paste had the alternate list's clip";
    EXPECT_EQ(ClipboardText(), Title(0)) << "afterwards the clip list's row is placed again";

    // The next Flashpick starts in the alternate list, with its row on the clipboard again.
    target.TakeForeground();
    flashpick->Flashpick();
    EXPECT_EQ(fake.Focused, TFPList::FP);
    EXPECT_EQ(ClipboardText(), fp.Clip(1)->Title);
}

TEST_F(FlashpickTest, TheAlternateCollectionIsTheFirstNodeNamedExactlyAndAMissingOneChangesNothing) {
    LongTermClips(2);
    clipstore::TClipColl* longTerm = Coll("Long-Term");
    ASSERT_EQ(flashpick->AlternateColl(), longTerm);
    for (const char* name : {"Gone", "long-term", "Long-Term ", ""}) {
        settings->FPAlternateColl = name;
        flashpick->mnuSetFPAlternate(-1);
        EXPECT_EQ(flashpick->AlternateColl(), longTerm) << name;
        EXPECT_EQ(flashpick->AlternateList().Count(), 2u) << name;
        EXPECT_EQ(settings->FPAlternateColl, name);
    }
    settings->FPAlternateColl = "Short-Term";
    flashpick->mnuSetFPAlternate(-1);
    EXPECT_EQ(flashpick->AlternateColl(), Coll("Short-Term"));
    // Chosen from the "Set" menu by its node.
    flashpick->mnuSetFPAlternate(core->Tree().GetTreeNodeOfColl(longTerm));
    EXPECT_EQ(flashpick->AlternateColl(), longTerm);
    EXPECT_EQ(settings->FPAlternateColl, "Long-Term");
    flashpick->mnuSetFPAlternate(1000);
    EXPECT_EQ(flashpick->AlternateColl(), longTerm) << "a node past the tree";

    // A reload frees every collection: the list lets go first and finds its collection again after.
    core->SaveAllClips();
    core->LoadData();
    ASSERT_NE(Coll("Long-Term"), nullptr);
    EXPECT_EQ(flashpick->AlternateColl(), Coll("Long-Term"));
    EXPECT_EQ(flashpick->AlternateList().Count(), 2u);
}

TEST_F(FlashpickTest, ANewClipInTheAlternateCollectionReachesTheListAtTheNextFlashpick) {
    WithClips(1);
    LongTermClips(1);
    settings->FPAlternateColl = "Short-Term";
    flashpick->mnuSetFPAlternate(-1);
    ASSERT_EQ(flashpick->AlternateList().Count(), 1u);
    CopyText(editor, "newer");
    ASSERT_EQ(Coll("Short-Term")->Count(), 2u);
    PickFromTarget();
    EXPECT_EQ(flashpick->AlternateList().Count(), 2u);
}

struct FailureCase {
    const char* what;
    bool locked;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.what;
}

class FlashpickFailureTest : public FlashpickTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FlashpickFailureTest, APasteThatThrowsEndsFlashpickUnlessLocked) {
    WithClips(2);
    settings->FPLock = GetParam().locked;
    PickFromTarget();
    FlashpickLog log;
    log.ThrowWhere = "TfrmBX.PasteInto";
    log.ThrowWhat = "sent ^V";
    EXPECT_THROW(flashpick->ProcessFlashpickSelection(), std::runtime_error);
    EXPECT_EQ(flashpick->FPActive(), GetParam().locked);
    EXPECT_FALSE(paste->PastingNow());
    EXPECT_EQ(fake.Dropped, GetParam().locked);
}

INSTANTIATE_TEST_SUITE_P(Cases, FlashpickFailureTest,
                         ::testing::Values(FailureCase{"not locked", false}, FailureCase{"locked", true}),
                         [](const ::testing::TestParamInfo<FailureCase>& p) {
                             return "Case" + std::to_string(p.index);
                         });

TEST_F(FlashpickTest, TheStartEndsAutoGlueAndARelayfeedRunWithItsClipPutBack) {
    WithClips(2);
    core->ClipList().SelectOnly(1);
    desk.Advance(10);
    relay->RFClick(TRelayfeed::TRFDirection::Down);
    ASSERT_NE(core->RFState(), shell::TBrindlexCore::TRFState::Idle);
    core->StartAutoGlue();
    fake.Shrunk = true;
    PickFromTarget();
    EXPECT_FALSE(core->AutoGlueMode());
    EXPECT_EQ(core->RFState(), shell::TBrindlexCore::TRFState::Idle);
    EXPECT_FALSE(fake.Shrunk);
    EXPECT_EQ(ClipboardText(), "clip 1") << "the run's clip is back with its data";
}

TEST_F(FlashpickTest, PlainTabAndEnterGoToTheTargetAtOnceStickyOnesFollowEveryPaste) {
    WithClips(1);
    settings->FPStickyButtons = false;
    PickFromTarget();
    flashpick->cmdFPTabClick(false);
    flashpick->cmdFPEnterClick(false);
    EXPECT_EQ(Text(target.KeysReceived()), "Tab↓ Tab↑ Enter↓ Enter↑");
    EXPECT_EQ(view.Raised, 2) << "the program comes back after each";
    EXPECT_TRUE(flashpick->FPActive());

    desk.SimulatedKeyboard().ClearEvents();
    flashpick->chkFPStickyButtonsClick(true);
    flashpick->cmdFPEnterClick(true);
    EXPECT_TRUE(settings->FPEnterButtonDown);
    EXPECT_TRUE(desk.SimulatedKeyboard().Events().empty()) << "a sticky button only changes its state";
    flashpick->ProcessFlashpickSelection();
    EXPECT_EQ(Text(target.KeysReceived()), "Ctrl↓ V↓ V↑ Ctrl↑ Enter↓ Enter↑");

    flashpick->chkFPStickyButtonsClick(false);
    EXPECT_FALSE(settings->FPEnterButtonDown) << "plain buttons are released";
    flashpick->chkFPStickyButtonsClick(true);
    EXPECT_FALSE(settings->FPEnterButtonDown);
}

TEST_F(FlashpickTest, AClickAmongSeveralSelectedRowsTakesOneRowAtATimeUntilTheEnd) {
    WithClips(4);
    PickFromTarget();
    core->ClipList().SetSelection({1, 2}, 2);
    flashpick->lvClipsMouseDown();
    EXPECT_TRUE(fake.Single);
    core->ClipList().SetSelection({2}, 2);
    flashpick->EscapePressed();
    EXPECT_FALSE(fake.Single);
    EXPECT_EQ(core->ClipList().SelectedCount(), 1u);
    EXPECT_TRUE(core->ClipList().IsSelected(2));
    desk.Advance(300);
    EXPECT_EQ(ClipboardText(), Title(2)) << "the row's own handling ran again";
}

} // namespace
} // namespace bx::pastetools
