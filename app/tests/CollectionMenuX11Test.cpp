// The collection tree's context menu of the real program on the X desktop with a window manager
// (openbox, under Xvfb): Shift+F10 in the tree opens it. Without a display, openbox or xdotool the test
// skips.
#include "DesktopProgramFixture.h"

#include <QMap>
#include <QProcess>

#include <gtest/gtest.h>

namespace bx::apptest {
namespace {

class CollectionMenuX11Test : public DesktopProgramTest {
protected:
    CollectionMenuX11Test() : DesktopProgramTest({"xdotool"}) {}

    static QString Run(const QStringList& args) {
        QProcess p;
        p.start("xdotool", args);
        if (!p.waitForFinished(10000))
            return {};
        return QString::fromUtf8(p.readAllStandardOutput());
    }

    // The program's visible windows (its main window, and a menu while one is open).
    static QStringList WindowsOf(const QProcess& p) {
        return Run({"search", "--onlyvisible", "--pid", QString::number(p.processId())})
            .split('\n', Qt::SkipEmptyParts);
    }
};

TEST_F(CollectionMenuX11Test, ShiftF10InTheTreeOpensTheContextMenu) {
    WriteSettings("[Software/Quorvanti/Brindlex5/Position]\nCurrentSnap=5\n");
    QProcess& program = StartLoaded();
    QStringList windows;
    ASSERT_TRUE(WaitFor([&] {
        windows = WindowsOf(program);
        return !windows.isEmpty();
    }));
    const QString window = windows.front();
    ASSERT_TRUE(Answers());
    Run({"windowactivate", "--sync", window});
    QMap<QString, int> geometry;
    for (const QString& line : Run({"getwindowgeometry", "--shell", window}).split('\n')) {
        const QStringList kv = line.split('=');
        if (kv.size() == 2)
            geometry[kv[0]] = kv[1].toInt();
    }
    // A click into the tree (on the left, half way down) gives it the focus.
    Run({"mousemove", QString::number(geometry["X"] + 40), QString::number(geometry["Y"] + geometry["HEIGHT"] / 2),
         "click", "1"});
    ASSERT_TRUE(Answers());
    const qsizetype before = WindowsOf(program).size();
    Run({"key", "--clearmodifiers", "shift+F10"});
    EXPECT_TRUE(WaitFor([&] { return WindowsOf(program).size() > before; })) << "no menu window appeared";
    Run({"key", "Escape"});
    EXPECT_TRUE(WaitFor([&] { return WindowsOf(program).size() == before; }));
    Stop(program);
}

} // namespace
} // namespace bx::apptest
