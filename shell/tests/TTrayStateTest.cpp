// Where the main window goes when the user puts it away, with and without a tray, and how a window
// hidden in a tray that goes away gets its way back.
#include "TTrayState.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace bx::shell {
namespace {

using TAway = TTrayState::TAway;

struct PutAwayCase {
    const char* name;
    bool iconWanted;
    bool trayAvailable;
    bool close; // closed, else minimized
    TAway expected;
    bool minimized; // AppMinimized afterwards
};

void PrintTo(const PutAwayCase& c, std::ostream* os) {
    *os << c.name;
}

class TrayPutAwayTest : public ::testing::TestWithParam<PutAwayCase> {};

TEST_P(TrayPutAwayTest, TheWindowGoesWhereItCanComeBackFrom) {
    const PutAwayCase& c = GetParam();
    TTrayState state;
    state.SetIconWanted(c.iconWanted);
    state.SetTrayAvailable(c.trayAvailable);
    EXPECT_EQ(c.close ? state.CloseRequested() : state.Minimized(), c.expected);
    EXPECT_EQ(state.AppMinimized(), c.minimized);
    EXPECT_EQ(state.HiddenInTray(), c.expected == TAway::HideInTray);
    state.Restored();
    EXPECT_FALSE(state.AppMinimized());
    EXPECT_FALSE(state.HiddenInTray());
    // Shown again after a time in the tray, the window keeps its taskbar button hidden.
    EXPECT_EQ(state.TaskbarButtonHidden(), c.expected == TAway::HideInTray);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrayPutAwayTest,
    ::testing::Values(PutAwayCase{"minimized with a tray", true, true, false, TAway::HideInTray, true},
                      PutAwayCase{"closed with a tray", true, true, true, TAway::HideInTray, true},
                      PutAwayCase{"minimized without a tray", true, false, false, TAway::Minimized, true},
                      PutAwayCase{"closed without a tray", true, false, true, TAway::EndProgram, false},
                      PutAwayCase{"minimized with the icon switched off", false, true, false, TAway::Minimized, true},
                      PutAwayCase{"closed with the icon switched off", false, true, true, TAway::EndProgram, false}),
    [](const ::testing::TestParamInfo<PutAwayCase>& p) { return "Case" + std::to_string(p.index); });

TEST(TrayStateTest, ExitEndsTheProgramEvenWithATray) {
    TTrayState state;
    state.SetIconWanted(true);
    state.SetTrayAvailable(true);
    state.ExitRequested();
    EXPECT_EQ(state.CloseRequested(), TAway::EndProgram);
}

// The tray goes away (its host ended) or the icon is switched off while the window is hidden in it: the
// window must come back, minimized, with its taskbar button; a visible window needs nothing.
TEST(TrayStateTest, AWindowHiddenInATrayThatGoesComesBackMinimized) {
    TTrayState state;
    state.SetIconWanted(true);
    state.SetTrayAvailable(true);
    EXPECT_FALSE(state.SetTrayAvailable(false)) << "the window was not hidden";
    state.SetTrayAvailable(true);
    ASSERT_EQ(state.Minimized(), TAway::HideInTray);
    EXPECT_FALSE(state.SetTrayAvailable(true)) << "the tray is still there";
    EXPECT_TRUE(state.SetTrayAvailable(false));
    EXPECT_FALSE(state.HiddenInTray());
    EXPECT_TRUE(state.AppMinimized());
    EXPECT_FALSE(state.TaskbarButtonHidden());
    EXPECT_FALSE(state.SetTrayAvailable(false)) << "it came back once";

    // The tray is back: the next minimize hides the window there again.
    state.SetTrayAvailable(true);
    state.Restored();
    ASSERT_EQ(state.CloseRequested(), TAway::HideInTray);
    EXPECT_TRUE(state.SetIconWanted(false));
    EXPECT_FALSE(state.HiddenInTray());
}

} // namespace
} // namespace bx::shell
