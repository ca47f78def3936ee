// The clip list's commands on a real X display (under Xvfb): a text clip dragged with the mouse (xdotool)
// into a Qt text window of another process drops its text there through the X server's drag and drop,
// the Delete key moves the selected clip to the Trash Can, and a right click opens the list's context
// menu. Without $DISPLAY or xdotool the tests skip themselves. The program's behaviour runs on the
// simulated desktop, so the real clipboard is not touched.
#include "CoreTestFixture.h"
#include "ExplorerWindowFixture.h"
#include "XdotoolDrag.h"

#include "TClipListActions.h"
#include "TfrmBX.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QTableView>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <gtest/gtest.h>

namespace bx::explorer {
namespace {

// Runs the event loop until the condition holds or about ms milliseconds passed (a real wait: the X
// server, xdotool and the text window run beside us).
bool PumpUntil(const std::function<bool()>& condition, int ms) {
    QTimer tick;
    tick.start(20);
    const QDeadlineTimer deadline(ms);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

class ClipListX11Test : public test::ExplorerWindowFixture {
protected:
    // The window on the display with the clips, the Short-Term collection shown; false to skip.
    bool Ready(const std::vector<std::string>& texts) {
        if (QGuiApplication::platformName() != "xcb" || QStandardPaths::findExecutable("xdotool").isEmpty())
            return false;
        StartWindow(1000, 650);
        for (const std::string& text : texts)
            CopyText(editor, text);
        core->Tree().Select(core->Tree().GetTreeNodeOfColl(Coll("Short-Term")));
        EXPECT_TRUE(
            PumpUntil([&] { return window->windowHandle() != nullptr && window->windowHandle()->isExposed(); }, 5000));
        window->activateWindow();
        PumpUntil([] { return false; }, 200);
        return true;
    }
    QPoint RowCentre(const std::string& title) const {
        QTableView* list = window->List();
        for (std::size_t r = 0; r < core->ClipList().Count(); ++r)
            if (core->ClipList().Clip(r)->Title == title)
                return list->viewport()->mapToGlobal(
                    list->visualRect(list->model()->index(static_cast<int>(r), 0)).center());
        ADD_FAILURE() << "no row " << title;
        return {};
    }
    bool Xdotool(const QStringList& args) {
        QProcess xdotool;
        xdotool.start("xdotool", args);
        if (!xdotool.waitForStarted(5000))
            return false;
        PumpUntil([&] { return xdotool.state() == QProcess::NotRunning; }, 10000);
        return xdotool.exitCode() == 0;
    }
};

TEST_F(ClipListX11Test, ATextClipDraggedIntoAnotherProgramsTextWindowDropsItsTextThere) {
    if (!Ready({"dropped across programs", "another clip"}))
        GTEST_SKIP() << "no X display or no xdotool";
    QProcess target;
    target.start(BX_TEXT_WINDOW, {});
    ASSERT_TRUE(target.waitForStarted(5000));
    QString windowId;
    ASSERT_TRUE(PumpUntil(
        [&] {
            while (target.canReadLine()) {
                const QString line = QString::fromUtf8(target.readLine()).trimmed();
                if (line.startsWith("window "))
                    windowId = line.mid(7);
            }
            return !windowId.isEmpty();
        },
        10000));
    // Clear of the program's window in the top left corner.
    ASSERT_TRUE(Xdotool({"windowmove", "--sync", windowId, "1200", "700"}));
    const QPoint start = RowCentre("dropped across programs");
    const QPoint end(1200 + 240, 700 + 120);
    const QStringList args = test::DragArgs(start, end, 12);
    QProcess xdotool;
    xdotool.start("xdotool", args);
    ASSERT_TRUE(xdotool.waitForStarted(5000));
    QString text;
    const bool dropped = PumpUntil(
        [&] {
            while (target.canReadLine()) {
                const QString line = QString::fromUtf8(target.readLine()).trimmed();
                if (line.startsWith("text "))
                    text = QUrl::fromPercentEncoding(line.mid(5).toUtf8());
            }
            return text.contains("dropped across programs");
        },
        15000);
    PumpUntil([&] { return xdotool.state() == QProcess::NotRunning; }, 5000);
    target.kill();
    target.waitForFinished(5000);
    EXPECT_TRUE(dropped) << "the text window holds: " << text.toStdString();
    EXPECT_EQ(core->ClipList().Count(), 2u) << "the rows stay in the list";
}

TEST_F(ClipListX11Test, ARowDroppedOnTheTopRowOfItsListGoesAboveIt) {
    if (!Ready({"oldest", "middle", "newest"}))
        GTEST_SKIP() << "no X display or no xdotool";
    const std::string top = core->ClipList().Clip(0)->Title;
    const std::string bottom = core->ClipList().Clip(2)->Title;
    const QPoint start = RowCentre(bottom);
    ASSERT_TRUE(Xdotool({"mousemove", QString::number(start.x()), QString::number(start.y()), "click", "1"}));
    ASSERT_TRUE(
        PumpUntil([&] { return core->ClipList().SelectedCount() == 1 && core->ClipList().IsSelected(2); }, 5000));
    // Past the double-click time: the press starts a drag.
    PumpUntil([] { return false; }, 600);
    const QPoint end = RowCentre(top);
    const QStringList args = test::DragArgs(start, end, 8, false);
    ASSERT_TRUE(Xdotool(args));
    ASSERT_TRUE(PumpUntil([&] { return core->ClipList().Clip(0)->Title == bottom; }, 5000))
        << "status: " << core->StatusText();
    EXPECT_EQ(core->ClipList().Clip(1)->Title, top);
    EXPECT_EQ(core->ClipList().Count(), 3u);
    EXPECT_TRUE(Coll("Short-Term")->Dirty);
}

TEST_F(ClipListX11Test, TheDeleteKeyMovesTheSelectedClipToTheTrashCan) {
    if (!Ready({"to be deleted", "kept"}))
        GTEST_SKIP() << "no X display or no xdotool";
    const QPoint row = RowCentre("to be deleted");
    ASSERT_TRUE(Xdotool({"mousemove", QString::number(row.x()), QString::number(row.y()), "click", "1"}));
    ASSERT_TRUE(PumpUntil([&] { return window->List()->hasFocus() && core->ClipList().SelectedCount() == 1; }, 5000));
    ASSERT_EQ(core->ClipList().FirstSelected()->Title, "to be deleted");
    ASSERT_TRUE(Xdotool({"key", "Delete"}));
    clipstore::TClipColl* trash = core->MasterList()->TrashCan;
    ASSERT_TRUE(PumpUntil([&] { return trash->Count() == 1; }, 5000));
    EXPECT_EQ(trash->Clip(0)->Title, "to be deleted");
    ASSERT_EQ(core->ClipList().Count(), 1u);
    EXPECT_EQ(core->ClipList().Clip(0)->Title, "kept");
}

TEST_F(ClipListX11Test, ARightClickOpensTheListsContextMenu) {
    if (!Ready({"a clip"}))
        GTEST_SKIP() << "no X display or no xdotool";
    const QPoint row = RowCentre("a clip");
    ASSERT_TRUE(Xdotool({"mousemove", QString::number(row.x()), QString::number(row.y()), "click", "1"}));
    ASSERT_TRUE(Xdotool({"click", "3"}));
    TClipListActions* actions = window->ListActions();
    ASSERT_TRUE(PumpUntil([&] { return actions->Open() != nullptr && actions->Open()->isVisible(); }, 5000));
    QStringList entries;
    for (const QAction* action : actions->Open()->actions())
        if (!action->isSeparator())
            entries << action->text() + (action->isEnabled() ? "" : " (off)");
    EXPECT_EQ(entries, (QStringList{"Properties", "&New Clip", "&Delete Clip(s)", "Move To &Top Of Sort Order",
                                    "Move To &Bottom Of Sort Order", "Open Source URL In Browser (off)", "&Rename",
                                    "Launch as URL", "&Cancel", "What's This?"}));
    ASSERT_TRUE(Xdotool({"key", "Escape"}));
    EXPECT_TRUE(PumpUntil([&] { return actions->Open() == nullptr || !actions->Open()->isVisible(); }, 5000));
}

} // namespace
} // namespace bx::explorer
