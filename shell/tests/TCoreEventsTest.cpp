// The core's events on a running core: listeners hear the life cycle, the captures and the clip list's
// selection in order, and none of them displaces the core's own work.
#include "CoreTestFixture.h"

#include "TClipListSelection.h"

namespace bx::shell {
namespace {

using namespace coretest;
using clipstore::TClipObj;

class CoreEventsTest : public CoreFixture {};

TEST_F(CoreEventsTest, ListenersHearTheStartTheCapturesAndTheSelectionBesideTheCoresOwnWork) {
    MakeCore();
    TCoreEvents& events = core->Events();
    std::vector<std::string> heard;
    auto note = [&heard](const char* what) { return [&heard, what] { heard.push_back(what); }; };
    const platform::TSubscription started = events.Started.Subscribe(note("started"));
    const platform::TSubscription loaded = events.DataLoaded.Subscribe([&] {
        // The data is there when the listener hears it.
        heard.push_back(Coll("Short-Term") != nullptr ? "loaded" : "loaded without data");
    });
    const platform::TSubscription done = events.StartupDone.Subscribe(note("done"));
    const platform::TSubscription secondLoaded = events.DataLoaded.Subscribe(note("loaded too"));
    std::vector<TClipObj*> captures;
    const platform::TSubscription captured =
        events.CaptureEnded.Subscribe([&captures](TClipObj* stored) { captures.push_back(stored); });
    Run();
    EXPECT_EQ(heard, (std::vector<std::string>{"started", "loaded", "loaded too", "done"}));

    CopyText(editor, "first");
    CopyText(editor, "second");
    CopyText(editor, "second"); // a duplicate: heard, nothing stored
    ASSERT_EQ(core->ClipList().Count(), 2u);
    EXPECT_EQ(captures, (std::vector<TClipObj*>{core->ClipList().Clip(1), core->ClipList().Clip(0), nullptr}));

    // A listener of the selection hears the change after the core has answered it: the selected clip
    // is the current one and on the clipboard. With the clip list's selection rules in place they
    // answer it instead (Taken), and the listener still hears it.
    for (const bool rules : {false, true}) {
        SCOPED_TRACE(rules ? "the selection rules answer" : "the core answers");
        std::unique_ptr<TClipListSelection> selection;
        if (rules)
            selection = std::make_unique<TClipListSelection>(*core, desk);
        std::vector<bool> taken;
        TClipObj* currentWhenHeard = nullptr;
        const platform::TSubscription listener =
            events.ListSelectionChanged.Subscribe([&](TListSelectionChange& change) {
                taken.push_back(change.Taken);
                currentWhenHeard = core->CurrentClip();
            });
        const std::size_t row = rules ? 0 : 1;
        core->ClipList().SelectOnly(row);
        TClipObj* clip = core->ClipList().Clip(row);
        EXPECT_EQ(taken, std::vector<bool>{rules});
        EXPECT_EQ(currentWhenHeard, clip);
        EXPECT_EQ(core->CurrentClip(), clip);
        EXPECT_EQ(ClipboardText(), clip->Title);
    }
    // A listener whose subscription is gone hears nothing more.
    heard.clear();
    { const platform::TSubscription gone = events.DataLoaded.Subscribe(note("gone")); }
    core->LoadData();
    EXPECT_EQ(heard, (std::vector<std::string>{"loaded", "loaded too"}));
}

} // namespace
} // namespace bx::shell
