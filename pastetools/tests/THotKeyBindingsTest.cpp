// The global hot keys on a running core: the identifiers handed out, the combinations other programs
// hold, the next and previous clip at the ends of the list, the keys ignored while the preferences
// dialog is open, and the release at shut-down.
#include "CoreTestFixture.h"

#include "IHotKeys.h"
#include "TClipListSelection.h"
#include "THotKeyBindings.h"

#include <algorithm>
#include <array>
#include <ostream>

namespace bx::pastetools {
namespace {

using namespace shell::coretest;
using platform::MOD_ALT;
using platform::MOD_CONTROL;
using platform::MOD_SHIFT;
using platform::UINT;
using Key = THotKeyBindings::THotKey;

struct Combination {
    UINT mods;
    UINT vk;
};
constexpr Combination CtrlAltC{MOD_CONTROL | MOD_ALT, 'C'};
constexpr Combination CtrlAltN{MOD_CONTROL | MOD_ALT, 'N'};
constexpr Combination CtrlAltP{MOD_CONTROL | MOD_ALT, 'P'};
constexpr Combination ShiftCtrlQ{MOD_SHIFT | MOD_CONTROL, 'Q'};

std::string FailureText(const std::string& shortcut, const std::string& purpose) {
    return "Warning: Could not reserve the following hotkey:\n" + shortcut + "\nwhich Brindlex wants to use for: [" +
           purpose + "]\nIt is recommended that you use User Preferences to change this setting to something else.";
}

class HotKeyTest : public CoreFixture {
protected:
    // The program with `clips` clips: the core made, the hot keys and the list's rules attached as the
    // entry attaches them, then started (the hot keys register when the core has started).
    void StartWith(int clips) {
        MakeCore();
        selection = std::make_unique<shell::TClipListSelection>(*core, desk);
        hotKeys = std::make_unique<THotKeyBindings>(*core, desk, boxes);
        subscriptions.push_back(hotKeys->Activate.Subscribe([this] { ++activations; }));
        subscriptions.push_back(hotKeys->SelectRow.Subscribe([this](bool next) { selection->SelectNext(next); }));
        subscriptions.push_back(hotKeys->Flashpick.Subscribe([this] { ++flashpicks; }));
        subscriptions.push_back(core->Events().UserMoving.Subscribe([this](const shell::TUserMove& move) {
            if (move.What == shell::TUserMove::Kind::OtherRow)
                ++rowMoves;
        }));
        Run();
        for (int i = 1; i <= clips; ++i)
            CopyText(editor, "clip " + std::to_string(i));
    }
    void TearDown() override {
        subscriptions.clear();
        hotKeys.reset();
        selection.reset();
        CoreFixture::TearDown();
    }
    bool Press(Combination c) {
        const bool reached = desk.SimulatedHotKeys().Press(c.mods, c.vk);
        desk.Advance(10);
        return reached;
    }
    bool Registered(Combination c) { return desk.SimulatedHotKeys().IsRegistered(c.mods, c.vk); }
    int SelectedRow() const {
        const shell::TClipListModel& list = core->ClipList();
        return list.SelectedCount() == 1 ? list.RowOf(list.FirstSelected()) : -1;
    }
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const auto& shown : boxes.Boxes())
            texts.push_back(shown.text);
        return texts;
    }

    std::unique_ptr<shell::TClipListSelection> selection;
    std::unique_ptr<THotKeyBindings> hotKeys;
    std::vector<platform::TSubscription> subscriptions;
    int activations = 0;
    int flashpicks = 0;
    int rowMoves = 0;
};

struct RegistrationCase {
    const char* what;
    std::array<const char*, 4> settings; // HKActivate, HKSelectNext, HKSelectPrev, HKFlashpick
    std::vector<Combination> heldElsewhere;
    std::array<int, 4> ids;
    int count;
    std::vector<std::string> boxes; // the information messages, then the warning
};

void PrintTo(const RegistrationCase& c, std::ostream* os) {
    *os << c.what;
}

const std::string Warning = THotKeyBindings::MultipleFailuresText;

class HotKeyRegistrationTest : public HotKeyTest, public ::testing::WithParamInterface<RegistrationCase> {};

TEST_P(HotKeyRegistrationTest, IdentifiersAreNumberedAmongTheSetKeysAndEveryFailureIsTold) {
    const RegistrationCase& c = GetParam();
    settings->HKActivate = c.settings[0];
    settings->HKSelectNext = c.settings[1];
    settings->HKSelectPrev = c.settings[2];
    settings->HKFlashpick = c.settings[3];
    for (const Combination held : c.heldElsewhere)
        desk.SimulatedHotKeys().TakeByOtherProgram(held.mods, held.vk);
    StartWith(0);
    EXPECT_EQ(hotKeys->HotKeyCount(), c.count);
    for (const Key key : {Key::HKActivate, Key::HKSelectNext, Key::HKSelectPrev, Key::HKFlashpick})
        EXPECT_EQ(hotKeys->ID(key), c.ids[key]) << THotKeyBindings::Purposes[key];
    EXPECT_EQ(BoxTexts(), c.boxes);
    const bool warned = !c.boxes.empty() && c.boxes.back() == Warning;
    if (warned) {
        EXPECT_EQ(boxes.Boxes().back().caption, THotKeyBindings::MultipleFailuresCaption);
        EXPECT_EQ(boxes.Boxes().back().type, platform::MsgType::Warning);
    }
    for (const auto& shown : boxes.Boxes())
        EXPECT_EQ(shown.type, shown.text == Warning ? platform::MsgType::Warning : platform::MsgType::Information);
    // The registration showed its progress in the status line and the selected-item bar.
    const std::vector<std::string>& statuses = view.Statuses;
    const auto registering = std::find(statuses.begin(), statuses.end(), THotKeyBindings::RegisteringText);
    ASSERT_NE(registering, statuses.end());
    EXPECT_NE(std::find(statuses.begin(), registering, THotKeyBindings::UnregisteringText), registering);
    EXPECT_EQ(*(registering + 1), "");
}

INSTANTIATE_TEST_SUITE_P(
    Settings, HotKeyRegistrationTest,
    ::testing::Values(
        RegistrationCase{
            "the defaults", {"Ctrl+Alt+C", "Ctrl+Alt+N", "Ctrl+Alt+P", "Shift+Ctrl+Q"}, {}, {1, 2, 3, 4}, 4, {}},
        RegistrationCase{
            "no activation key", {"", "Ctrl+Alt+N", "Ctrl+Alt+P", "Shift+Ctrl+Q"}, {}, {0, 1, 2, 3}, 3, {}},
        RegistrationCase{"only Flashpick", {"", "", "", "^q"}, {}, {0, 0, 0, 1}, 1, {}},
        RegistrationCase{"the activation key held by another program",
                         {"Ctrl+Alt+C", "Ctrl+Alt+N", "Ctrl+Alt+P", "Shift+Ctrl+Q"},
                         {CtrlAltC},
                         {0, 2, 3, 4},
                         4,
                         {FailureText("Ctrl+Alt+C", "Activate Brindlex")}},
        RegistrationCase{
            "two keys held: the extra warning",
            {"Ctrl+Alt+C", "Ctrl+Alt+N", "Ctrl+Alt+P", "Shift+Ctrl+Q"},
            {CtrlAltN, ShiftCtrlQ},
            {1, 0, 3, 0},
            4,
            {FailureText("Ctrl+Alt+N", "Select Next Clip"), FailureText("Shift+Ctrl+Q", "Flashpick"), Warning}},
        RegistrationCase{"a text that names no key, and the same combination twice",
                         {"Ctrl+Alt+Banana", "Ctrl+Alt+N", "ctrl+alt+n", "Shift+Ctrl+Q"},
                         {},
                         {0, 2, 0, 4},
                         4,
                         {FailureText("Ctrl+Alt+Banana", "Activate Brindlex"),
                          FailureText("ctrl+alt+n", "Select Prev Clip"), Warning}}),
    [](const ::testing::TestParamInfo<RegistrationCase>& p) { return "Case" + std::to_string(p.index); });

TEST_F(HotKeyTest, WithoutAnActivationKeyTheNextClipKeySelectsWithoutBringingTheWindowUp) {
    settings->HKActivate = "";
    StartWith(3);
    ASSERT_EQ(SelectedRow(), 0);
    EXPECT_FALSE(Press(CtrlAltC)) << "nobody holds the activation combination";
    EXPECT_TRUE(Press(CtrlAltN));
    EXPECT_EQ(SelectedRow(), 1);
    EXPECT_EQ(ClipboardText(), "clip 2");
    EXPECT_EQ(activations, 0);
    EXPECT_TRUE(Press(ShiftCtrlQ));
    EXPECT_EQ(flashpicks, 1);
    EXPECT_EQ(activations, 0);
    EXPECT_EQ(SelectedRow(), 1);
}

TEST_F(HotKeyTest, TheActivationKeyActivatesOnly) {
    StartWith(3);
    EXPECT_TRUE(Press(CtrlAltC));
    EXPECT_EQ(activations, 1);
    EXPECT_EQ(flashpicks, 0);
    EXPECT_EQ(rowMoves, 0);
    EXPECT_EQ(SelectedRow(), 0);
}

struct RowCase {
    const char* what;
    int clips;
    int selected; // -1: none
    bool next;
    int expected; // -1: no single row selected
};

void PrintTo(const RowCase& c, std::ostream* os) {
    *os << c.what;
}

class HotKeyRowTest : public HotKeyTest, public ::testing::WithParamInterface<RowCase> {};

TEST_P(HotKeyRowTest, TheNextAndPreviousKeysStayWithinTheList) {
    const RowCase& c = GetParam();
    StartWith(c.clips);
    if (c.selected >= 0)
        core->ClipList().SelectOnly(static_cast<std::size_t>(c.selected));
    else
        core->ClipList().ClearSelection();
    desk.Advance(300);
    const std::string before = ClipboardText();
    EXPECT_TRUE(Press(c.next ? CtrlAltN : CtrlAltP));
    EXPECT_EQ(SelectedRow(), c.expected);
    EXPECT_EQ(rowMoves, 1) << "auto-glue ends at every press, also when nothing moves";
    const std::string expected =
        c.expected >= 0 && c.clips >= 2 ? core->ClipList().Clip(static_cast<std::size_t>(c.expected))->Title : before;
    EXPECT_EQ(ClipboardText(), expected);
    EXPECT_EQ(activations, 0);
}

// Row 0 is the newest clip, at the top; "next" goes down.
INSTANTIATE_TEST_SUITE_P(Rows, HotKeyRowTest,
                         ::testing::Values(RowCase{"the first row, previous: stays", 3, 0, false, 0},
                                           RowCase{"the last row, next: stays", 3, 2, true, 2},
                                           RowCase{"the first row, next", 3, 0, true, 1},
                                           RowCase{"the last row, previous", 3, 2, false, 1},
                                           RowCase{"nothing selected, next: the second row", 3, -1, true, 1},
                                           RowCase{"nothing selected, previous: the first row", 3, -1, false, 0},
                                           RowCase{"one row: nothing happens", 1, 0, true, 0},
                                           RowCase{"an empty list: nothing happens", 0, -1, true, -1}),
                         [](const ::testing::TestParamInfo<RowCase>& p) { return "Case" + std::to_string(p.index); });

TEST_F(HotKeyTest, WithoutHotKeysOnTheDesktopNothingIsRegisteredAndNobodyIsAskedToChooseOthers) {
    // A run without a display: four boxes asking for other combinations would be wrong, and modal.
    desk.SimulatedHotKeys().SetAvailable(false);
    StartWith(3);
    EXPECT_EQ(hotKeys->HotKeyCount(), 0);
    for (const Key key : {Key::HKActivate, Key::HKSelectNext, Key::HKSelectPrev, Key::HKFlashpick})
        EXPECT_EQ(hotKeys->ID(key), 0);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(HotKeyTest, WhileTheSettingsDialogIsOpenAPressIsOnlyReported) {
    StartWith(3);
    hotKeys->SettingsDialogOpen = true;
    for (const Combination c : {CtrlAltC, CtrlAltN, CtrlAltP, ShiftCtrlQ}) {
        view.Statuses.clear();
        EXPECT_TRUE(Press(c));
        EXPECT_EQ(view.Statuses, std::vector<std::string>{THotKeyBindings::IgnoredText});
    }
    EXPECT_EQ(core->HCSelectItemText(), THotKeyBindings::IgnoredText) << "also in the selected-item bar";
    EXPECT_EQ(activations + flashpicks + rowMoves, 0);
    EXPECT_EQ(SelectedRow(), 0);
    hotKeys->SettingsDialogOpen = false;
    EXPECT_TRUE(Press(CtrlAltN));
    EXPECT_EQ(SelectedRow(), 1);
}

TEST_F(HotKeyTest, ChangedKeysAreRegisteredAfreshAndEveryKeyIsReleasedAtShutDown) {
    StartWith(1);
    settings->HKSelectNext = "Alt+F9";
    hotKeys->SetHotKeys();
    EXPECT_FALSE(Registered(CtrlAltN));
    EXPECT_TRUE(Registered({MOD_ALT, platform::VK_F9}));
    EXPECT_EQ(hotKeys->ID(Key::HKSelectNext), 2);
    EXPECT_TRUE(boxes.Boxes().empty());
    ASSERT_TRUE(core->FormCloseQuery());
    for (const Combination c : {CtrlAltC, CtrlAltP, ShiftCtrlQ, Combination{MOD_ALT, platform::VK_F9}})
        EXPECT_FALSE(Registered(c)) << c.vk;
    EXPECT_EQ(hotKeys->HotKeyCount(), 0);
    EXPECT_EQ(hotKeys->ID(Key::HKActivate), 0);
}

} // namespace
} // namespace bx::pastetools
