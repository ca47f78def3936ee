#include "CoreTestFixture.h"

#include "GlobalMemory.h"
#include "TClipView5.h"

#include <cstring>

namespace bx::shell {
namespace {

using namespace coretest;
using clipstore::TClipColl;
using clipstore::TClipObj;
using platform::CF_TEXT;

class StartupShutdownTest : public CoreFixture {
protected:
    bool ClipboardHasIgnoreMarker() {
        return desk.Clipboard().IsClipboardFormatAvailable(core->ClipView().IgnoreFormat());
    }

    std::size_t ShortTermCount() { return Coll("Short-Term")->Count(); }
};

TEST_F(StartupShutdownTest, ASelectedClipGoesBackAndIsNotCapturedAgain) {
    Start();
    CopyText(editor, "alpha");
    CopyText(editor, "beta");
    TClipColl* shortTerm = Coll("Short-Term");
    ASSERT_EQ(shortTerm->Count(), 2u);
    TClipObj* alpha = shortTerm->Clip(1);
    ASSERT_EQ(alpha->Title, "alpha");

    core->ClipList().SelectOnly(static_cast<std::size_t>(core->ClipList().RowOf(alpha)));
    EXPECT_EQ(core->CurrentClip(), alpha);
    EXPECT_EQ(ClipboardText(), "alpha");
    EXPECT_TRUE(ClipboardHasIgnoreMarker());
    EXPECT_EQ(core->StatusText(), "Clip Item [alpha] Copied To System Clipboard.");
    EXPECT_EQ(settings->CopiedBack, 1);
    Settle();
    EXPECT_EQ(shortTerm->Count(), 2u) << "our own copy is not captured";

    // Another program's change within the quiet time after a copy is captured when the quiet time ends.
    core->CopyItem(alpha);
    desk.Advance(400);
    ASSERT_TRUE(editor.CopyText("too soon"));
    desk.Advance(static_cast<std::uint64_t>(settings->DelayOnClipboardUpdate) + 100);
    EXPECT_EQ(shortTerm->Count(), 2u);
    desk.Advance(600);
    ASSERT_EQ(shortTerm->Count(), 3u);
    EXPECT_EQ(shortTerm->Clip(0)->Title, "too soon");
    // Our own copy in the quiet time is still not captured, and neither is the next one.
    core->CopyItem(alpha);
    desk.Advance(400);
    core->CopyItem(alpha);
    desk.Advance(2000);
    EXPECT_EQ(shortTerm->Count(), 3u);
}

TEST_F(StartupShutdownTest, NothingIsCapturedOrCopiedBeforeTheDataIsLoaded) {
    core = std::make_unique<TBrindlexCore>(
        TBrindlexCore::Environment{desk, *settings, sources, boxes, dateFormat, root + "log/", &view});
    core->Startup({});
    EXPECT_TRUE(core->StartingUp());
    EXPECT_TRUE(core->SuppressListEvents());
    TClipObj loose(core->ClipContext(), 1, "test");
    EXPECT_FALSE(core->CopyItem(&loose));
    desk.Advance(200);
    ASSERT_TRUE(editor.CopyText("during start-up"));
    desk.Advance(500);
    EXPECT_EQ(core->MasterList()->Count(), 0u) << "not loaded yet";
    desk.Advance(1000);
    EXPECT_FALSE(core->StartingUp());
    // Once loaded, what was copied meanwhile is the first clip.
    ASSERT_EQ(ShortTermCount(), 1u);
    EXPECT_EQ(Coll("Short-Term")->Clip(0)->Title, "during start-up");
}

TEST_F(StartupShutdownTest, NoCaptureOnTheCommandLineInAnyCase) {
    Start({"noCapture"});
    EXPECT_FALSE(core->ClipView().Capturing);
    CopyText(editor, "ignored");
    EXPECT_EQ(ShortTermCount(), 0u);
    EXPECT_EQ(core->StatusText(), "New Data Ignored (Capture Is Off).");
}

// What another program left on the clipboard before the start is kept, never overwritten; the newest
// clip goes back only onto an empty clipboard.
TEST_F(StartupShutdownTest, AnotherProgramsClipboardAtStartIsCapturedAndOnlyAnEmptyOneGetsTheNewestClip) {
    Start();
    CopyText(editor, "older");
    CopyText(editor, "newest");
    ASSERT_TRUE(core->FormCloseQuery());
    core.reset();

    for (const bool initialCapture : {false, true}) {
        SCOPED_TRACE(initialCapture ? "initial capture set" : "initial capture clear");
        settings->AutoCaptureInitialClip1 = initialCapture;
        const std::string text = std::string("copied while we were away ") + (initialCapture ? "2" : "1");
        ASSERT_TRUE(editor.CopyText(text));
        desk.Advance(1000);
        Start();
        Settle();
        EXPECT_EQ(ClipboardText(), text) << "left as it was";
        EXPECT_EQ(Coll("Short-Term")->Clip(0)->Title, text);
        EXPECT_EQ(Coll("Short-Term")->Clip(0)->Creator, "GEDIT");
        EXPECT_EQ(ShortTermCount(), initialCapture ? 4u : 3u);
        ASSERT_TRUE(core->FormCloseQuery());
        core.reset();
    }

    // A password manager's copy at start is not captured.
    ASSERT_TRUE(editor.Copy(
        {{CF_TEXT, TextBytes("hunter2")}, {editor.RegisterFormat(platform::IgnoreFormatName), TextBytes("x")}}));
    desk.Advance(1000);
    Start();
    Settle();
    EXPECT_EQ(ShortTermCount(), 4u);
    EXPECT_EQ(ClipboardText(), "hunter2");
    ASSERT_TRUE(core->FormCloseQuery());
    core.reset();

    // An empty clipboard gets the newest clip.
    ASSERT_TRUE(editor.Copy({}));
    Start();
    EXPECT_EQ(core->CurrentClip(), Coll("Short-Term")->Clip(0));
    EXPECT_EQ(ClipboardText(), "copied while we were away 2");
    Settle();
    EXPECT_EQ(ShortTermCount(), 4u);
}

// A logout while a message box is open (its own event loop runs): the program ends once the operation
// that opened the box has finished, its boxes answered at once, never under that operation's feet.
TEST_F(StartupShutdownTest, TheSessionEndingWhileABoxIsOpenEndsTheProgramAfterTheOperation) {
    for (const bool duringLoad : {false, true}) {
        SCOPED_TRACE(duringLoad ? "during the load" : "during the start");
        boxes.Clear();
        sources.Source(0)->AutoLoad = false; // each start and load warns about the data sources
        core = std::make_unique<TBrindlexCore>(
            TBrindlexCore::Environment{desk, *settings, sources, boxes, dateFormat, root + "log/", &view});
        int closed = 0;
        const platform::TSubscription onClosed = core->Events().Closed.Subscribe([&] { ++closed; });
        // What a stop signal does (the simulated session ends once per desktop).
        auto endWhileOpen = [&] { boxes.WhileOpen([&] { desk.Session().OnEndSession(); }); };
        if (!duringLoad)
            endWhileOpen();
        core->Startup({});
        if (duringLoad) {
            EXPECT_FALSE(core->Ended());
            endWhileOpen();
            desk.Advance(1100);
        }
        EXPECT_TRUE(core->Ended());
        EXPECT_EQ(closed, 1);
        EXPECT_TRUE(boxes.Closed());
        EXPECT_EQ(core->MasterList(), nullptr);
        EXPECT_FALSE(core->ClipView().Active());
        core.reset();
        boxes = platform::sim::SimMessageBoxes();
        sources.Source(0)->AutoLoad = true;
    }
}

// A picture another program still holds from before the last run is not stored again at each start.
TEST_F(StartupShutdownTest, APictureKeptInTheLastRunIsNotStoredAgainAtTheNextStart) {
    Start();
    ASSERT_TRUE(paint.Copy({{platform::CF_BITMAP, SeededDib(1)}}));
    Settle();
    ASSERT_EQ(ShortTermCount(), 1u);
    for (const int run : {1, 2}) {
        SCOPED_TRACE(run);
        ASSERT_TRUE(core->FormCloseQuery());
        core.reset();
        Start();
        Settle();
        EXPECT_EQ(ShortTermCount(), 1u);
    }
    ASSERT_TRUE(core->FormCloseQuery());
    core.reset();
    ASSERT_TRUE(paint.Copy({{platform::CF_BITMAP, SeededDib(2)}}));
    Start();
    Settle();
    EXPECT_EQ(ShortTermCount(), 2u) << "another picture is kept";
}

TEST_F(StartupShutdownTest, AutosaveWaitsForTheIntervalAndForAQuietList) {
    settings->AutoSaveInterval = 2;
    Start();
    const std::string file = dataDir + "Short-Term/_COLL.BX4";
    const auto before = std::filesystem::last_write_time(file);
    desk.Advance(3 * 60000);
    EXPECT_EQ(std::filesystem::last_write_time(file), before) << "nothing to save: the countdown does not run";

    CopyText(editor, "unsaved");
    EXPECT_TRUE(core->MasterList()->Dirty);
    desk.Advance(60000);
    EXPECT_TRUE(core->MasterList()->Dirty);
    // A selection change in the last 15 seconds defers the save to the next tick.
    core->SetLastListChange(desk.Clock().Now());
    core->SetAutoSaveCountdown(1);
    core->AutoSaveTimer();
    EXPECT_EQ(core->StatusText(), "AutoSave Deferred - Too Busy.");
    EXPECT_TRUE(core->MasterList()->Dirty);
    EXPECT_LT(core->AutoSaveCountdown(), 1);
    desk.Advance(60000);
    EXPECT_EQ(core->StatusText(), "AutoSave Complete");
    EXPECT_FALSE(core->MasterList()->Dirty);
    EXPECT_NE(std::filesystem::last_write_time(file), before);
}

TEST_F(StartupShutdownTest, SuspendSavesAtOnceAndResumeRestartsTheAutosave) {
    Start();
    CopyText(editor, "before sleeping");
    desk.SimulatedSession().Suspend();
    EXPECT_FALSE(core->MasterList()->Dirty);
    EXPECT_EQ(core->StatusText(), "AutoSave Complete");

    CopyText(editor, "after waking");
    settings->AutoSaveInterval = 1;
    core->SetAutoSaveCountdown(1);
    desk.Advance(2 * 60000);
    EXPECT_TRUE(core->MasterList()->Dirty) << "no autosave while asleep";
    desk.SimulatedSession().Resume();
    desk.Advance(60000);
    EXPECT_FALSE(core->MasterList()->Dirty);
}

TEST_F(StartupShutdownTest, TheSessionEndSavesTheDataAndTheSettingsOnce) {
    Start();
    CopyText(editor, "keep me");
    int closed = 0;
    const platform::TSubscription onClosed = core->Events().Closed.Subscribe([&] { ++closed; });
    const std::string trash = core->MasterList()->TrashCan->GetPath();
    EXPECT_EQ(std::filesystem::status(trash).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_all)
        << "the Trash Can holds clips: private to the user";
    desk.SimulatedSession().EndSession();
    desk.SimulatedSession().EndSession();
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(core->MasterList(), nullptr);
    EXPECT_FALSE(core->ClipView().Active()) << "the program left the viewer chain";
    EXPECT_FALSE(std::filesystem::exists(trash));
    EXPECT_EQ(
        desk.Registry().ReadValue(std::string(TAppSettings::DefaultRootKey) + "\\Preferences", "InstalledAlready"),
        "1");
    EXPECT_EQ(desk.Registry().ReadValue(std::string(TAppSettings::DefaultRootKey) + "\\Stats", "Captured"), "1");
    EXPECT_TRUE(core->FormCloseQuery()) << "a second close request is granted at once";

    core.reset();
    Start();
    ASSERT_EQ(ShortTermCount(), 1u);
    EXPECT_EQ(Coll("Short-Term")->Clip(0)->Title, "keep me");
}

} // namespace
} // namespace bx::shell
