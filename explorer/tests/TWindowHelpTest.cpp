// The window's help on the simulated desktop: F1 in each view, Flashpick's help button and "What's This?" on
// a control open their sections of the user manual (the shell's request log shows what was opened), the
// status line tells each request, and a missing manual is told.
#include "ExplorerWindowFixture.h"

#include "TCollectionMenu.h"
#include "TFlashpick.h"
#include "TFlashpickPanel.h"
#include "THelp.h"
#include "TPasteInto.h"
#include "TRelayfeed.h"
#include "TSendKey.h"
#include "TStatusLine.h"
#include "TWindowCommands.h"
#include "TWindowHelp.h"

#include <QAction>
#include <QMenu>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace bx::explorer {
namespace {

using Commands = TWindowCommands;

class WindowHelpTest : public test::ExplorerWindowFixture {
protected:
    void SetUp() override {
        ExplorerWindowFixture::SetUp();
        // The program in <root>/bin, its manual where an installation puts it; no other place has one.
        dirs.Program = root + "bin/";
        dirs.Environment["XDG_DATA_DIRS"] = root + "nowhere";
        dirs.Environment["XDG_RUNTIME_DIR"] = root + "run";
        manual = root + "share/doc/brindlex/manual/index.html";
        std::filesystem::create_directories(root + "share/doc/brindlex/manual");
        std::ofstream(manual) << "<html></html>";
    }
    void TearDown() override {
        if (window != nullptr)
            window->SetFlashpick(nullptr);
        flashpick.reset();
        ExplorerWindowFixture::TearDown();
    }
    void StartFlashpick() {
        sendKey = std::make_unique<pastetools::TSendKey>(desk.Keyboard(), desk.Windows());
        paste = std::make_unique<pastetools::TPasteInto>(desk, *core, *sendKey, noCtrlV);
        relay = std::make_unique<pastetools::TRelayfeed>(*core, desk, boxes);
        flashpick = std::make_unique<pastetools::TFlashpick>(*core, desk, boxes, *paste, *relay);
        window->SetFlashpick(flashpick.get());
    }
    // The section the last request opened: the forwarding page's target, or the manual's top ("").
    std::string Opened() {
        const auto& requests = desk.SimulatedShell().Requests();
        if (requests.empty())
            return "(nothing)";
        const std::string& target = requests.back().target;
        if (target == "file://" + manual)
            return "";
        if (target != "file://" + root + "run/brindlex/" + shell::THelp::RedirectName)
            return "(unexpected " + target + ")";
        std::ifstream file(root + "run/brindlex/" + shell::THelp::RedirectName);
        std::stringstream text;
        text << file.rdbuf();
        const std::string key = "url=file://" + manual + "#";
        const std::size_t at = text.str().find(key);
        return at == std::string::npos ? "(no section)"
                                       : text.str().substr(at + key.size(), text.str().find('"', at) - at - key.size());
    }
    std::string Status() const { return window->StatusPanel(TStatusLine::TextPanel).toStdString(); }
    // Opens the control's context menu and chooses "What's This?" in it.
    static void WhatsThisOn(QWidget& control, QPoint pos = {2, 2}) {
        bool chosen = false;
        QTimer::singleShot(0, [&chosen] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu == nullptr)
                return;
            for (QAction* action : menu->actions())
                if (action->text() == "What's This?") {
                    chosen = true;
                    action->trigger();
                }
            menu->close();
        });
        emit control.customContextMenuRequested(pos);
        EXPECT_TRUE(chosen) << "the menu has \"What's This?\"";
    }

    std::string manual;
    std::unique_ptr<pastetools::TSendKey> sendKey;
    std::unique_ptr<pastetools::TPasteInto> paste;
    std::unique_ptr<pastetools::TRelayfeed> relay;
    std::unique_ptr<pastetools::TFlashpick> flashpick;
};

TEST_F(WindowHelpTest, F1OpensTheTopicOfTheViewShown) {
    StartWindow();
    QAction* help = window->Commands()->Action(Commands::Help);
    EXPECT_EQ(help->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_TRUE(window->actions().contains(help)) << "F1 works with the menu hidden too";
    window->activateWindow();
    QTest::keyClick(window.get(), Qt::Key_F1);
    EXPECT_EQ(Opened(), "explorer-view");
    EXPECT_EQ(Status(), "Help Invoked -  Command: [1] Data:[163]");

    window->SwitchView();
    help->trigger();
    EXPECT_EQ(Opened(), "traditional-view");
    EXPECT_EQ(Status(), "Help Invoked -  Command: [1] Data:[30]");
    EXPECT_EQ(desk.SimulatedShell().Requests().size(), 2u);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(WindowHelpTest, FlashpicksHelpButtonAndWhatsThisOnAControlOpenTheirTopics) {
    StartWindow();
    StartFlashpick();
    TFlashpickPanel* panel = window->FlashpickPanel();
    ASSERT_NE(panel, nullptr);
    panel->HelpButton()->click();
    EXPECT_EQ(Opened(), "flashpick");
    EXPECT_EQ(Status(), "Help Invoked -  Command: [1] Data:[500]");

    // "What's This?" asks for the control's own topic, as a pop-up topic.
    WhatsThisOn(*panel->List());
    EXPECT_EQ(Opened(), "flashpick-list");
    EXPECT_EQ(Status(), "Help Invoked -  Command: [8] Data:[509]");
    // A tool button without a topic of its own falls back to the window's.
    QToolButton* explorer = window->MainToolbar()->findChild<QToolButton*>("cmdExplorer");
    ASSERT_NE(explorer, nullptr);
    WhatsThisOn(*window->MainToolbar(), explorer->geometry().center());
    EXPECT_EQ(Opened(), "explorer-view");
    EXPECT_EQ(Status(), "Help Invoked -  Command: [8] Data:[163]");
    // A tool button's tag is its help context.
    TWindowHelp::SetContext(*explorer, shell::THelpTopics::CaseButton);
    WhatsThisOn(*window->MainToolbar(), explorer->geometry().center());
    EXPECT_EQ(Opened(), "editing");
    EXPECT_EQ(Status(), "Help Invoked -  Command: [8] Data:[508]");
    // The collection tree's context menu.
    window->CollectionMenu()->Popup(0, QPoint(10, 10));
    window->CollectionMenu()->Open()->findChild<QAction*>("mnuCollWhatsThis")->trigger();
    EXPECT_EQ(Opened(), "collection-tree");
    EXPECT_EQ(Status(), "Help Invoked -  Command: [8] Data:[160]");
}

TEST_F(WindowHelpTest, AMissingManualIsToldInABox) {
    std::filesystem::remove(manual);
    StartWindow();
    window->Commands()->Action(Commands::Help)->trigger();
    EXPECT_TRUE(desk.SimulatedShell().Requests().empty());
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].text.find(manual), std::string::npos) << boxes.Boxes()[0].text;
    EXPECT_EQ(Status(), "Help Invoked -  Command: [1] Data:[163]");
}

} // namespace
} // namespace bx::explorer
