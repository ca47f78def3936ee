// Dragging on a real X display (under Xvfb): a clip dragged with the mouse (xdotool: press, move in steps,
// release) from the clip list onto another collection in the tree moves there, through the X server's
// drag and drop. Without $DISPLAY or xdotool the test skips itself. The program's behaviour runs on the
// simulated desktop, so the real clipboard is not touched.
#include "CoreTestFixture.h"
#include "ExplorerWindowFixture.h"
#include "XdotoolDrag.h"

#include "TCollectionTreeModel.h"
#include "TfrmBX.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTableView>
#include <QTimer>
#include <QTreeView>
#include <QWindow>

#include <gtest/gtest.h>

namespace bx::explorer {
namespace {

using ClipDragX11Test = test::ExplorerWindowFixture;

// Runs the event loop until the condition holds or about ms milliseconds passed (a real wait: the X
// server and xdotool run beside us).
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

TEST_F(ClipDragX11Test, AClipDraggedFromTheListOntoACollectionInTheTreeMovesThere) {
    if (QGuiApplication::platformName() != "xcb")
        GTEST_SKIP() << "no X display";
    if (QStandardPaths::findExecutable("xdotool").isEmpty())
        GTEST_SKIP() << "xdotool is not installed (tools/bootstrap installs it)";
    StartWindow(1000, 650);
    CopyText(editor, "dragged along");
    CopyText(editor, "stays behind");
    clipstore::TClipColl* from = Coll("Short-Term");
    clipstore::TClipColl* to = Coll("Long-Term");
    core->Tree().Select(core->Tree().GetTreeNodeOfColl(from));
    ASSERT_TRUE(
        PumpUntil([&] { return window->windowHandle() != nullptr && window->windowHandle()->isExposed(); }, 5000));
    window->activateWindow();
    PumpUntil([] { return false; }, 200);

    QTableView* list = window->List();
    int row = -1;
    for (std::size_t r = 0; r < core->ClipList().Count(); ++r)
        if (core->ClipList().Clip(r)->Title == "dragged along")
            row = static_cast<int>(r);
    ASSERT_GE(row, 0);
    const QPoint start = list->viewport()->mapToGlobal(list->visualRect(list->model()->index(row, 0)).center());
    QTreeView* tree = window->Tree();
    auto* model = dynamic_cast<TCollectionTreeModel*>(tree->model());
    ASSERT_NE(model, nullptr);
    const QModelIndex node = model->IndexOfNode(core->Tree().GetTreeNodeOfColl(to));
    tree->scrollTo(node);
    const QPoint end = tree->viewport()->mapToGlobal(tree->visualRect(node).center());

    // Press on the row, move there in steps, release.
    const QStringList args = test::DragArgs(start, end, 12);
    QProcess xdotool;
    xdotool.start("xdotool", args);
    ASSERT_TRUE(xdotool.waitForStarted(5000));
    const bool moved = PumpUntil([&] { return to->Count() == 1; }, 15000);
    PumpUntil([&] { return xdotool.state() == QProcess::NotRunning; }, 5000);
    ASSERT_TRUE(moved) << "status: " << core->StatusText();
    EXPECT_EQ(to->Clip(0)->Title, "dragged along");
    ASSERT_EQ(from->Count(), 1u);
    EXPECT_EQ(from->Clip(0)->Title, "stays behind");
    EXPECT_EQ(core->StatusText(), "Moved 1 clip to Long-Term");
}

} // namespace
} // namespace bx::explorer
