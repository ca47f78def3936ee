// The program on the X desktop with a window manager (openbox, under Xvfb), driven by X tools as the user
// drives it. The program's window is a real X window, whatever platform the test run chose for itself.
#pragma once

#include "ProgramFixture.h"
#include "WindowManagerRun.h"

#include <string>
#include <utility>
#include <vector>

namespace bx::apptest {

// A program test that needs the window manager and the tools it names: it skips without a display, without
// one of the tools or when the window manager cannot be started, and says which. The window manager is
// started for the test (unless one runs already) and ended after it.
class DesktopProgramTest : public ProgramTest {
protected:
    explicit DesktopProgramTest(std::vector<const char*> tools) : tools_(std::move(tools)) {}

    void SetUp() override {
        ProgramTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        env_.insert("QT_QPA_PLATFORM", "xcb");
        if (const std::string why = MissingTool(tools_); !why.empty())
            GTEST_SKIP() << why;
        if (const std::string why = wm_.Start(env_); !why.empty())
            GTEST_SKIP() << why;
    }

    void TearDown() override {
        ProgramTest::TearDown();
        wm_.Stop();
    }

    pastetools::x11test::WindowManagerRun wm_;

private:
    std::vector<const char*> tools_;
};

} // namespace bx::apptest
