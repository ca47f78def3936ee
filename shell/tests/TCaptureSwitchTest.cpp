// Automatic capture as the user switches it: the switch hears every change, whoever made it, and a
// change it makes decides what the next clipboard change does.
#include "CoreTestFixture.h"

#include "TCaptureSwitch.h"
#include "TClipView5.h"

#include <memory>
#include <vector>

namespace bx::shell {
namespace {

class CaptureSwitchTest : public coretest::CoreFixture {
protected:
    // The switch exists before the start, as the window's does.
    void StartWithSwitch(const std::vector<std::string>& args = {}) {
        MakeCore();
        capture = std::make_unique<TCaptureSwitch>(*core);
        changed = capture->Changed.Subscribe([this](bool on) { heard.push_back(on); });
        Run(args);
    }
    std::size_t Rows() const { return core->ClipList().Count(); }

    std::unique_ptr<TCaptureSwitch> capture;
    platform::TSubscription changed;
    std::vector<bool> heard;
};

// The start switches capture on, the command line's "NOCAPTURE" off again: the switch shows the last.
TEST_F(CaptureSwitchTest, TheStartAndTheCommandLineAreHeard) {
    StartWithSwitch({"NoCapture"});
    EXPECT_EQ(heard, (std::vector<bool>{true, false}));
    EXPECT_FALSE(capture->On());
}

TEST_F(CaptureSwitchTest, SwitchedOffNothingIsCapturedAndSwitchedOnAgainTheNextCopyIs) {
    StartWithSwitch();
    heard.clear();
    CopyText(editor, "kept");
    const std::size_t rows = Rows();
    capture->Toggle();
    EXPECT_FALSE(core->ClipView().Capturing);
    CopyText(editor, "while off");
    EXPECT_EQ(Rows(), rows);
    EXPECT_EQ(core->StatusText(), "New Data Ignored (Capture Is Off).");
    capture->Set(true);
    CopyText(editor, "after");
    EXPECT_EQ(Rows(), rows + 1);
    EXPECT_EQ(heard, (std::vector<bool>{false, true}));
}

// A menu clicked while the program shuts down does not switch the closed viewer on again.
TEST_F(CaptureSwitchTest, AfterTheShutDownTheSwitchStaysOff) {
    StartWithSwitch();
    ASSERT_TRUE(core->FormCloseQuery());
    heard.clear();
    capture->Set(true);
    EXPECT_FALSE(core->ClipView().Capturing);
    EXPECT_TRUE(heard.empty());
}

} // namespace
} // namespace bx::shell
