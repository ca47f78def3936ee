// The edit pane's window side: the editor's pop-up menu with the pane's commands, their enabling as the
// editor changes, and the editor's clipboard keys going to the program's clipboard.
#include "TEditPaneActions.h"
#include "ExplorerWindowFixture.h"
#include "TWindowCommands.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextCursor>

namespace bx::explorer {
namespace {

class EditPaneActionsTest : public test::ExplorerWindowFixture {
protected:
    QMenu* OpenPopup() {
        QPlainTextEdit* edit = window->TextEditor();
        emit edit->customContextMenuRequested(QPoint(5, 5));
        QApplication::processEvents();
        return window->EditActions()->Open();
    }
    // The menu's entries: name, then "+" when enabled, "-" when not.
    static std::vector<std::string> Entries(const QMenu& menu) {
        std::vector<std::string> entries;
        for (const QAction* a : menu.actions())
            if (!a->isSeparator())
                entries.push_back(a->objectName().toStdString() + (a->isEnabled() ? "+" : "-"));
        return entries;
    }
    void Select(int from, int to) {
        QTextCursor cursor = window->TextEditor()->textCursor();
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        window->TextEditor()->setTextCursor(cursor);
        QApplication::processEvents();
    }
};

TEST_F(EditPaneActionsTest, ThePopupMenuHoldsThePaneCommandsEnabledByTheEditor) {
    StartWindow();
    CopyText(editor, "see a.b/c, thanks");
    QApplication::processEvents();
    QPlainTextEdit* text = window->TextEditor();
    ASSERT_EQ(text->toPlainText(), "see a.b/c, thanks");

    // The caret at the end of the loaded text: nothing selected, nothing to undo; the clipboard holds text.
    QMenu* menu = OpenPopup();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(Entries(*menu),
              (std::vector<std::string>{"mnuMag_Cut-", "mnuMag_Copy-", "mnuMag_Paste+", "mnuMag_Undo-",
                                        "mnuMag_MakeTitle-", "mnuMag_LaunchURL-", "mnuLaunchURLCloseEnough+"}));
    menu->close();

    Select(4, 9);
    QTest::keyClick(text, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(ClipboardText(), "a.b/c");
    QTest::keyClick(text, Qt::Key_X);
    menu = OpenPopup();
    EXPECT_EQ(Entries(*menu),
              (std::vector<std::string>{"mnuMag_Cut-", "mnuMag_Copy-", "mnuMag_Paste+", "mnuMag_Undo+",
                                        "mnuMag_MakeTitle-", "mnuMag_LaunchURL-", "mnuLaunchURLCloseEnough+"}));
    // One-level undo: once undone, undo is off.
    for (QAction* a : menu->actions())
        if (a->objectName() == "mnuMag_Undo")
            a->trigger();
    EXPECT_EQ(text->toPlainText(), "see a.b/c, thanks");
    EXPECT_FALSE(window->Commands()->Action(TWindowCommands::MagUndo)->isEnabled());
    menu->close();

    Select(4, 9);
    menu = OpenPopup();
    EXPECT_EQ(Entries(*menu),
              (std::vector<std::string>{"mnuMag_Cut+", "mnuMag_Copy+", "mnuMag_Paste+", "mnuMag_Undo-",
                                        "mnuMag_MakeTitle+", "mnuMag_LaunchURL+", "mnuLaunchURLCloseEnough+"}));
    for (QAction* a : menu->actions())
        if (a->objectName() == "mnuLaunchURLCloseEnough")
            a->trigger();
    ASSERT_FALSE(desk.SimulatedShell().Requests().empty());
    EXPECT_EQ(desk.SimulatedShell().Requests().back().target, "https://a.b/c,");
    menu->close();
}

} // namespace
} // namespace bx::explorer
