// The program's window on the real X desktop with a window manager (openbox, under Xvfb): the window keeps
// its place and size across a restart, "always on top" is the window manager's above state, "auto hide when
// not focused" minimizes it when another program is activated, and the close button is refused while the
// settings disable it. Without a display or openbox the tests skip.
#include "DesktopProgramFixture.h"

#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <optional>

namespace bx::apptest {
namespace {

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Geometry&) const = default;
};

class WindowModesX11Test : public DesktopProgramTest {
protected:
    WindowModesX11Test() : DesktopProgramTest({"xdotool", "xprop", "wmctrl"}) {}

    static QString Run(const QString& program, const QStringList& args) {
        QProcess p;
        p.start(program, args);
        if (!p.waitForFinished(10000))
            return {};
        return QString::fromUtf8(p.readAllStandardOutput());
    }

    // The program's mapped top-level window, once it has one.
    static QString WindowOf(const QProcess& p) {
        QString id;
        WaitFor([&] {
            id = Run("xdotool", {"search", "--onlyvisible", "--pid", QString::number(p.processId())})
                     .split('\n', Qt::SkipEmptyParts)
                     .value(0);
            return !id.isEmpty();
        });
        return id;
    }

    static std::optional<Geometry> GeometryOf(const QString& window) {
        const QString shell = Run("xdotool", {"getwindowgeometry", "--shell", window});
        QMap<QString, int> values;
        for (const QString& line : shell.split('\n')) {
            const QStringList kv = line.split('=');
            if (kv.size() == 2)
                values[kv[0]] = kv[1].toInt();
        }
        for (const char* key : {"X", "Y", "WIDTH", "HEIGHT"})
            if (!values.contains(key))
                return std::nullopt;
        return Geometry{values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]};
    }

    static QString State(const QString& window) { return Run("xprop", {"-id", window, "_NET_WM_STATE"}); }
};

TEST_F(WindowModesX11Test, TheExplorerWindowKeepsItsPlaceAndSizeAcrossARestart) {
    WriteSettings("[Software/Quorvanti/Brindlex5/Position]\nCurrentSnap=5\n");
    QProcess& first = StartLoaded();
    const QString window = WindowOf(first);
    ASSERT_FALSE(window.isEmpty());
    // The title is the program's own caption; the toolkit adds nothing to it.
    EXPECT_TRUE(WaitFor([&] {
        return Run("xdotool", {"getwindowname", window}).trimmed() == "Brindlex [Short-Term]";
    })) << Run("xdotool", {"getwindowname", window}).toStdString();
    Run("xdotool", {"windowsize", window, "640", "420"});
    Run("xdotool", {"windowmove", window, "210", "160"});
    std::optional<Geometry> moved;
    ASSERT_TRUE(WaitFor([&] {
        moved = GeometryOf(window);
        return moved && moved->width == 640 && moved->height == 420 && moved->x >= 210 && moved->y >= 160;
    })) << (moved ? moved->x : -1)
        << "," << (moved ? moved->y : -1);
    // The program has seen the move once it answers after it (its answer comes from its event loop).
    ASSERT_TRUE(Answers());
    Stop(first);

    QProcess& again = StartLoaded();
    const QString restored = WindowOf(again);
    ASSERT_FALSE(restored.isEmpty());
    std::optional<Geometry> back;
    EXPECT_TRUE(WaitFor([&] {
        back = GeometryOf(restored);
        return back && *back == *moved;
    })) << "restored at "
        << (back ? back->x : -1) << "," << (back ? back->y : -1) << " " << (back ? back->width : -1) << "x"
        << (back ? back->height : -1);
    Stop(again);
}

TEST_F(WindowModesX11Test, AlwaysOnTopIsTheAboveStateAndANormalWindowIsNot) {
    WriteSettings("[Software/Quorvanti/Brindlex5/Preferences]\nVisibility=0\n");
    QProcess& onTop = StartLoaded();
    const QString window = WindowOf(onTop);
    ASSERT_FALSE(window.isEmpty());
    EXPECT_TRUE(WaitFor([&] { return State(window).contains("_NET_WM_STATE_ABOVE"); })) << State(window).toStdString();
    Stop(onTop);

    WriteSettings("[Software/Quorvanti/Brindlex5/Preferences]\nVisibility=1\n");
    QProcess& normal = StartLoaded();
    const QString other = WindowOf(normal);
    ASSERT_FALSE(other.isEmpty());
    ASSERT_TRUE(Answers());
    EXPECT_FALSE(State(other).contains("_NET_WM_STATE_ABOVE")) << State(other).toStdString();
    // Chosen in the Config menu while the window is up: the window manager raises it above the others.
    Run("xdotool", {"windowactivate", "--sync", other});
    // The menu opens with its first entry, "&Auto Capture", active; it shares the mnemonic, so A moves on to
    // "&Always On Top" and Return chooses it.
    Run("xdotool", {"key", "--clearmodifiers", "alt+c", "a", "Return"});
    EXPECT_TRUE(WaitFor([&] { return State(other).contains("_NET_WM_STATE_ABOVE"); })) << State(other).toStdString();
    Stop(normal);
    QFile conf(home_.path() + "/config/Quorvanti/Brindlex5.conf");
    ASSERT_TRUE(conf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(conf.readAll().contains("Visibility=0")) << "the choice is stored";
}

TEST_F(WindowModesX11Test, HiddenWhenNotFocusedMinimizesWhenAnotherProgramIsActivated) {
    if (QStandardPaths::findExecutable("xmessage").isEmpty())
        GTEST_SKIP() << "xmessage is not installed (x11-utils)";
    WriteSettings("[Software/Quorvanti/Brindlex5/Preferences]\nVisibility=2\n");
    QProcess& program = StartLoaded();
    const QString window = WindowOf(program);
    ASSERT_FALSE(window.isEmpty());
    ASSERT_TRUE(Answers());
    Run("xdotool", {"windowactivate", "--sync", window});
    QProcess other;
    other.start("xmessage", {"another program"});
    ASSERT_TRUE(other.waitForStarted(5000));
    // xmessage names no process on its window: it is found by its class.
    QString otherWindow;
    ASSERT_TRUE(WaitFor([&] {
        otherWindow =
            Run("xdotool", {"search", "--onlyvisible", "--class", "Xmessage"}).split('\n', Qt::SkipEmptyParts).value(0);
        return !otherWindow.isEmpty();
    }));
    Run("xdotool", {"windowactivate", otherWindow});
    EXPECT_TRUE(WaitFor([&] {
        return Run("xprop", {"-id", window, "WM_STATE"}).contains("Iconic");
    })) << Run("xprop", {"-id", window, "WM_STATE"}).toStdString();
    other.kill();
    other.waitForFinished(5000);
    Stop(program);
}

TEST_F(WindowModesX11Test, TheCloseButtonIsRefusedWithGreyXTwoAndClosesTheProgramWithGreyXZero) {
    WriteSettings("[Software/Quorvanti/Brindlex5/Preferences]\nGreyX=2\n");
    QProcess& refusing = StartLoaded();
    const QString window = WindowOf(refusing);
    ASSERT_FALSE(window.isEmpty());
    // What the close button does: the window manager asks the window to close.
    Run("wmctrl", {"-i", "-c", window});
    ASSERT_TRUE(Answers());
    ASSERT_TRUE(Answers());
    EXPECT_EQ(refusing.state(), QProcess::Running);
    EXPECT_FALSE(GeometryOf(window) == std::nullopt) << "the window is still there";
    Stop(refusing);

    WriteSettings("[Software/Quorvanti/Brindlex5/Preferences]\nGreyX=0\n");
    QProcess& closing = StartLoaded();
    const QString closable = WindowOf(closing);
    ASSERT_FALSE(closable.isEmpty());
    Run("wmctrl", {"-i", "-c", closable});
    ASSERT_TRUE(closing.waitForFinished(60000));
    EXPECT_EQ(closing.exitCode(), 0);
    EXPECT_TRUE(Log().contains("SHUTDOWN Complete."));
}

} // namespace
} // namespace bx::apptest
