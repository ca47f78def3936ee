// Pasting into the target application on the simulated desktop: the target noted, the keys it receives
// (Ctrl+V, the Edit menu, a terminal's Ctrl+Shift+V, Tab and Enter), the waits on virtual time, the log,
// and a target that is gone.
#include "TPasteInto.h"
#include "CoreTestFixture.h"
#include "KeyText.h"
#include "LogHook.h"
#include "TSendKey.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace bx::pastetools {
namespace {

using keytext::Text;
using platform::sim::SimApp;

// Keeps the log lines of one test, then gives the log back to the program's log.
class LogLines : public platform::ILogSink {
public:
    LogLines() : previous_(platform::LogSink()) { platform::SetLogSink(this); }
    ~LogLines() override { platform::SetLogSink(previous_); }
    void Write(int level, std::string_view where, std::string_view what) override {
        if (where == "TfrmBX.PasteInto")
            Lines.push_back(std::to_string(level) + " " + std::string(what));
    }
    std::vector<std::string> Lines;

private:
    platform::ILogSink* previous_;
};

class TPasteIntoTest : public shell::coretest::CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        Start();
        sendKey = std::make_unique<TSendKey>(desk.Keyboard(), desk.Windows());
        paste = std::make_unique<TPasteInto>(desk, *core, *sendKey, noCtrlV);
    }
    void TearDown() override {
        paste.reset();
        CoreFixture::TearDown();
    }

    // As Flashpick does: the target is in front when the hot key comes, then the program's window is.
    void PickFrom(SimApp& target) {
        target.TakeForeground();
        paste->NoteTarget(desk.Windows().GetForegroundWindow());
        desk.Windows().SetForegroundWindow(core->Handle());
        desk.SimulatedKeyboard().ClearEvents();
        start = desk.SimulatedClock().Elapsed();
    }
    // When each key went down, counted from the paste's start, and where it went.
    std::string Downs() {
        std::string line;
        for (const auto& d : desk.SimulatedKeyboard().Deliveries())
            if ((d.event.flags & platform::KEYEVENTF_KEYUP) == 0)
                line += keytext::KeyName(d.event.vk) + "@" + std::to_string(d.tick - start) +
                        (d.window == paste->TargetWindow ? " " : "(elsewhere) ");
        return line;
    }

    std::unique_ptr<TSendKey> sendKey;
    std::unique_ptr<TPasteInto> paste;
    std::uint64_t start = 0;
};

TEST_F(TPasteIntoTest, TheTargetIsNotedByWindowTitleAndProgram) {
    SimApp writer(desk, "/opt/office/program/soffice.bin",
                  "A very long document title that goes on \xE2\x80\x93 and on - LibreOffice Writer");
    writer.TakeForeground();
    paste->NoteTarget(desk.Windows().GetForegroundWindow());
    EXPECT_EQ(paste->TargetWindow, writer.Window());
    EXPECT_EQ(paste->TargetFocus, writer.Window()) << "the top-level window takes the keys";
    EXPECT_EQ(paste->TargetTitle, "A very long document title that goes on") << "39 characters";
    EXPECT_EQ(paste->TargetProgram, "SOFFICE");

    const platform::HWND stray = desk.SimulatedWindows().CreateWindowOfProcess(
        "stray", [](platform::UINT, platform::WPARAM, platform::LPARAM) { return platform::LRESULT{0}; }, 4242);
    paste->NoteTarget(stray);
    EXPECT_EQ(paste->TargetProgram, "UNKNOWN") << "no process to name";
    desk.Windows().DestroyWindow(stray);
}

TEST_F(TPasteIntoTest, AnOrdinaryTargetIsActivatedAndGetsCtrlV) {
    LogLines log;
    PickFrom(editor);
    bool pastingMeanwhile = false;
    desk.SimulatedClock().After(50, [&] { pastingMeanwhile = paste->PastingNow(); });

    EXPECT_TRUE(paste->PasteInto({}));
    EXPECT_EQ(Text(editor.KeysReceived()), "Ctrl↓ V↓ V↑ Ctrl↑");
    EXPECT_EQ(Downs(), "Ctrl@0 V@0 ");
    EXPECT_EQ(desk.Windows().GetForegroundWindow(), editor.Window());
    EXPECT_EQ(desk.SimulatedClock().Elapsed() - start, 300u) << "100 ms after the keys, 200 ms at the end";
    EXPECT_TRUE(pastingMeanwhile);
    EXPECT_FALSE(paste->PastingNow());
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"64 >", "64 sent ^V", "64 <"}));
    EXPECT_EQ(view.Raised, 0) << "not locked: the program's window stays behind";
}

TEST_F(TPasteIntoTest, ATitleOnTheNoCtrlVListGetsTheEditMenusPasteMatchedWithCase) {
    noCtrlV = {"Calc", "- gedit"};
    PickFrom(editor);
    EXPECT_TRUE(paste->PasteInto({}));
    EXPECT_EQ(Text(editor.KeysReceived()), "Alt↓ E↓ E↑ Alt↑ P↓ P↑");
    EXPECT_EQ(Downs(), "Alt@0 E@0 P@100 ");
    EXPECT_EQ(desk.SimulatedClock().Elapsed() - start, 300u);

    noCtrlV = {"- GEDIT"};
    PickFrom(editor);
    paste->PasteInto({});
    EXPECT_EQ(Text(editor.KeysReceived()), "Ctrl↓ V↓ V↑ Ctrl↑") << "the title test heeds case";
}

TEST_F(TPasteIntoTest, ATerminalGetsCtrlShiftVWhateverTheNoCtrlVListSays) {
    SimApp terminal(desk, "/usr/libexec/gnome-terminal-server", "ann@host: ~/src");
    noCtrlV = {"ann@host"};
    LogLines log;
    PickFrom(terminal);
    EXPECT_TRUE(paste->TargetIsTerminal());
    EXPECT_TRUE(paste->PasteInto({}));
    EXPECT_EQ(Text(terminal.KeysReceived()), "Ctrl↓ Shift↓ Shift↓ V↓ V↑ Shift↑ Shift↑ Ctrl↑");
    EXPECT_EQ(desk.SimulatedClock().Elapsed() - start, 300u);
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"64 >", "64 Sent ^~v to Terminal Window", "64 <"}));

    // Taken off the list (the setting names it in any case), it is an ordinary program again.
    std::erase_if(settings->TerminalPrograms, [](const std::string& p) { return p == "gnome-terminal-server"; });
    settings->TerminalPrograms.push_back("GNOME-Terminal-Server");
    PickFrom(terminal);
    EXPECT_TRUE(paste->TargetIsTerminal()) << "compared without case";
    std::erase(settings->TerminalPrograms, "GNOME-Terminal-Server");
    noCtrlV.clear();
    PickFrom(terminal);
    paste->PasteInto({});
    EXPECT_EQ(Text(terminal.KeysReceived()), "Ctrl↓ V↓ V↑ Ctrl↑");
}

TEST_F(TPasteIntoTest, TabAndEnterFollowThePasteAfterTheirWaitsAndALockBringsTheProgramBack) {
    PickFrom(editor);
    EXPECT_TRUE(paste->PasteInto({.Tab = true, .Enter = true, .Lock = true}));
    EXPECT_EQ(Text(editor.KeysReceived()), "Ctrl↓ V↓ V↑ Ctrl↑ Tab↓ Tab↑ Enter↓ Enter↑");
    // The paste, 100 + 200 ms; then 200 ms before and after Tab, and again for Enter.
    EXPECT_EQ(Downs(), "Ctrl@0 V@0 Tab@500 Enter@900 ");
    EXPECT_EQ(desk.SimulatedClock().Elapsed() - start, 1100u);
    EXPECT_EQ(view.Raised, 1);
    EXPECT_FALSE(paste->PastingNow());
}

TEST_F(TPasteIntoTest, AGoneTargetGetsNothingAndNoOtherWindowGetsItsKeys) {
    LogLines log;
    auto target = std::make_unique<SimApp>(desk, "/usr/bin/mousepad", "list.txt - Mousepad");
    PickFrom(*target);
    target.reset();
    EXPECT_FALSE(paste->PasteInto({.Tab = true, .Enter = true, .Lock = true}));
    EXPECT_TRUE(desk.SimulatedKeyboard().Events().empty());
    EXPECT_EQ(desk.Windows().GetForegroundWindow(), core->Handle());
    EXPECT_FALSE(paste->PastingNow());
    EXPECT_EQ(view.Raised, 1) << "a locked Flashpick still comes back";
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"64 >", "2 The target window is gone: ^V not sent", "64 <"}));

    // Gone between the Edit menu and its Paste: the P goes nowhere, Tab and Enter are not sent.
    noCtrlV = {"Mousepad"};
    target = std::make_unique<SimApp>(desk, "/usr/bin/mousepad", "list.txt - Mousepad");
    PickFrom(*target);
    desk.SimulatedClock().After(50, [&] { target.reset(); });
    EXPECT_FALSE(paste->PasteInto({.Tab = true, .Enter = true}));
    EXPECT_EQ(Downs(), "Alt@0 E@0 ");
    EXPECT_EQ(Text(desk.SimulatedKeyboard().Events()), "Alt↓ E↓ E↑ Alt↑");
}

TEST_F(TPasteIntoTest, SendToTargetTypesIntoTheTargetAlone) {
    PickFrom(editor);
    EXPECT_TRUE(paste->SendToTarget("{TAB}"));
    EXPECT_EQ(Text(editor.KeysReceived()), "Tab↓ Tab↑");
    EXPECT_EQ(desk.SimulatedClock().Elapsed(), start) << "no wait of its own";
    paste->TargetWindow = platform::NoWindow;
    EXPECT_FALSE(paste->SendToTarget("{ENTER}"));
    EXPECT_EQ(Text(desk.SimulatedKeyboard().Events()), "Tab↓ Tab↑") << "no target: nothing typed anywhere";
}

} // namespace
} // namespace bx::pastetools
