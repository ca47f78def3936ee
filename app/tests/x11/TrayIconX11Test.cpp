// The program's notification-area icon on a real X desktop (Xvfb, openbox and trayer, a tray host from
// Debian): the icon is embedded in the tray, its menu switches capture (a copy made with xclip is kept
// or not, and the icon is greyed while capture is off), minimizing and closing hide the window there and
// the icon's click brings it back without a taskbar button, a tray host that starts again shows the icon
// again, and Exit ends the program the normal way. Without a tray the window minimizes with its taskbar
// button. Screenshots of the tray and of the menu are saved in the build directory. The tests skip
// themselves without a display, openbox, trayer or the X tools.
#include "../DesktopProgramFixture.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QRegularExpression>
#include <QScreen>
#include <QSet>

#include <optional>

namespace bx::apptest {
namespace {

// Runs an X tool and returns what it printed (empty when it failed).
QString Tool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(10000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

class TrayIconX11Test : public DesktopProgramTest {
protected:
    TrayIconX11Test() : DesktopProgramTest({"trayer", "xdotool", "xwininfo", "xprop", "wmctrl", "xclip"}) {}

    void SetUp() override {
        DesktopProgramTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        if (QGuiApplication::platformName() != "xcb")
            GTEST_SKIP() << "the test program does not run on the X display";
        // The program shows its icon through the X tray (XEmbed), whatever session bus the machine has.
        env_.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + home_.path() + "/no-session-bus");
        // Captures and the switch are logged (data events), so the test can wait for them.
        WriteSettings("[Software/Quorvanti/Brindlex5/Preferences]\nLogLevel=55\n");
    }
    void TearDown() override {
        StopTray();
        DesktopProgramTest::TearDown();
    }

    void StartTray() {
        tray_ = std::make_unique<QProcess>();
        tray_->setProcessEnvironment(env_);
        tray_->start("trayer", {"--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "120",
                                "--height", "32", "--SetDockType", "true", "--transparent", "false"});
        ASSERT_TRUE(tray_->waitForStarted(5000));
    }
    void StopTray() {
        if (!tray_)
            return;
        tray_->terminate();
        if (!tray_->waitForFinished(5000)) {
            tray_->kill();
            tray_->waitForFinished(5000);
        }
        tray_.reset();
    }

    // A window of the tree as xwininfo prints it: its id and where it is on the screen.
    struct Window {
        QString id;
        QRect rect;
    };
    static std::optional<Window> Parse(const QString& line) {
        static const QRegularExpression shape(
            R"(^\s*(0x[0-9a-f]+) .*\s(\d+)x(\d+)[+-]-?\d+[+-]-?\d+\s+\+(-?\d+)\+(-?\d+))");
        const QRegularExpressionMatch m = shape.match(line);
        if (!m.hasMatch())
            return std::nullopt;
        return Window{m.captured(1), QRect(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(2).toInt(),
                                           m.captured(3).toInt())};
    }
    // The tray host's panel and the program's icon embedded in it (nullopt: not there yet).
    std::optional<Window> Panel() const {
        for (const QString& line : Tool("xwininfo", {"-root", "-tree"}).split('\n'))
            if (line.contains(R"(("panel" "trayer"))"))
                return Parse(line);
        return std::nullopt;
    }
    std::optional<Window> EmbeddedIcon() const {
        const QStringList lines = Tool("xwininfo", {"-root", "-tree"}).split('\n');
        int panelIndent = -1;
        for (const QString& line : lines) {
            const int indent = static_cast<int>(line.size() - line.trimmed().size());
            if (line.contains(R"(("panel" "trayer"))")) {
                panelIndent = indent;
                continue;
            }
            if (panelIndent >= 0 && indent <= panelIndent && !line.trimmed().isEmpty())
                panelIndent = -1;
            if (panelIndent >= 0 && line.contains(R"(("brindlex" "Brindlex"))"))
                return Parse(line);
        }
        return std::nullopt;
    }
    Window WaitForIcon() {
        std::optional<Window> icon;
        EXPECT_TRUE(WaitFor([&] { return (icon = EmbeddedIcon()).has_value() && icon->rect.width() > 4; }))
            << "the icon did not appear in the tray";
        return icon.value_or(Window{});
    }

    // In the form xprop and xwininfo print (0x...).
    QString MainWindow() const {
        // The program's windows with its class; the main window is the one named "Brindlex ..." (Qt's leader
        // window has the name but no class, the tray icon's window the class but another name).
        for (const QString& decimal : Tool("xdotool", {"search", "--classname", "^brindlex$"}).split('\n')) {
            if (decimal.trimmed().isEmpty() ||
                !Tool("xdotool", {"getwindowname", decimal.trimmed()}).startsWith("Brindlex"))
                continue;
            return "0x" + QString::number(decimal.trimmed().toULong(), 16);
        }
        return {};
    }
    bool Mapped(const QString& window) const { return Tool("xwininfo", {"-id", window}).contains("IsViewable"); }
    bool SkipsTaskbar(const QString& window) const {
        return Tool("xprop", {"-id", window, "_NET_WM_STATE"}).contains("_NET_WM_STATE_SKIP_TASKBAR");
    }
    bool Iconic(const QString& window) const { return Tool("xprop", {"-id", window, "WM_STATE"}).contains("Iconic"); }
    static void Click(const QRect& at, int button) {
        Tool("xdotool", {"mousemove", QString::number(at.center().x()), QString::number(at.center().y()), "click",
                         QString::number(button)});
    }

    // Opens the icon's menu and waits until it is shown; returns where it is. A second press soon after
    // the last one is a double click to the toolkit, which opens no menu: the click is repeated until the
    // menu shows.
    QRect OpenMenu(const Window& icon) {
        const QSet<QString> before = VisibleWindows();
        QRect menu;
        const auto shown = [&] {
            for (const QString& id : VisibleWindows() - before) {
                const auto window = Parse(Tool("xwininfo", {"-root", "-children"})
                                              .split('\n')
                                              .filter(QRegularExpression("^\\s*" + id + "\\b"))
                                              .value(0));
                if (window && window->rect.width() > 100) {
                    menu = window->rect;
                    return true;
                }
            }
            return false;
        };
        for (int attempt = 0; attempt < 5 && !menu.isValid(); ++attempt) {
            Click(icon.rect, 3);
            WaitFor(shown, 1000);
        }
        EXPECT_TRUE(menu.isValid()) << "the menu did not open";
        return menu;
    }
    QSet<QString> VisibleWindows() const {
        QSet<QString> ids;
        for (const QString& decimal : Tool("xdotool", {"search", "--onlyvisible", "--class", "brindlex"}).split('\n'))
            if (!decimal.trimmed().isEmpty())
                ids.insert("0x" + QString::number(decimal.trimmed().toULong(), 16));
        return ids;
    }
    // Clicks the icon until the condition holds: the tray host may still be placing a new icon, and a
    // click soon after the last press is a double click to the toolkit.
    bool ClickIconUntil(const std::function<bool()>& condition) {
        for (int attempt = 0; attempt < 5; ++attempt) {
            if (const std::optional<Window> icon = EmbeddedIcon())
                Click(icon->rect, 1);
            if (WaitFor(condition, 1000))
                return true;
        }
        return false;
    }
    static void Key(const char* key) { Tool("xdotool", {"key", key}); }

    QImage Shot(const QRect& rect) const {
        return QGuiApplication::primaryScreen()
            ->grabWindow(0, rect.x(), rect.y(), rect.width(), rect.height())
            .toImage();
    }
    // The icon as the X server shows it is greyed: no coloured pixel (the tray's background is grey).
    bool IconGreyed(const Window& icon) const {
        const QImage image = Shot(icon.rect);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()}) > 24)
                    return false;
            }
        return !image.isNull();
    }

    QProcess& Copy(const QByteArray& text) {
        auto& xclip = *started_.emplace_back(std::make_unique<QProcess>());
        xclip.setProcessEnvironment(env_);
        xclip.start("xclip", {"-quiet", "-selection", "clipboard", "-i"});
        EXPECT_TRUE(xclip.waitForStarted(5000));
        // No event loop runs here: the text is written out before the channel closes.
        xclip.write(text);
        EXPECT_TRUE(xclip.waitForBytesWritten(5000));
        xclip.closeWriteChannel();
        return xclip;
    }
    int Captures() const { return static_cast<int>(Log().count("<CaptureTheClip,End")); }
    int Ignored() const { return static_cast<int>(Log().count("Ignoring New Data, AutoCapture Is Off")); }

    std::unique_ptr<QProcess> tray_;
};

TEST_F(TrayIconX11Test, TheIconInTheTrayHostSwitchesCaptureAndBringsTheWindowBack) {
    StartTray();
    ASSERT_TRUE(WaitFor([&] { return Panel().has_value(); })) << "trayer did not come up";
    QProcess& program = StartLoaded();
    Window icon = WaitForIcon();
    ASSERT_TRUE(icon.rect.isValid());
    const QString window = MainWindow();
    ASSERT_FALSE(window.isEmpty());
    EXPECT_TRUE(WaitFor([&] { return !IconGreyed(icon); })) << "capture is on: the icon shows its colours";
    EXPECT_TRUE(Shot(Panel()->rect.adjusted(-40, 0, 0, 0)).save(BX_ARTIFACT_DIR "/tray_icon_x11.png"));

    // Capture on: a copy is kept.
    const int before = Captures();
    Copy("kept before");
    ASSERT_TRUE(WaitFor([&] { return Captures() == before + 1; })) << Log().right(2000).toStdString();

    // The menu's "Aut&o Capture" by its key: capture goes off, the icon is greyed, a copy is not kept.
    const QRect menu = OpenMenu(icon);
    ASSERT_TRUE(menu.isValid());
    EXPECT_TRUE(Shot(menu.adjusted(-160, -40, 8, 8)).save(BX_ARTIFACT_DIR "/tray_menu_x11.png"));
    Key("o");
    ASSERT_TRUE(WaitFor([&] { return Log().contains("AutoCapture Off"); }));
    EXPECT_TRUE(WaitFor([&] { return IconGreyed(icon); })) << "capture is off: the icon is greyed";
    Copy("not kept");
    ASSERT_TRUE(WaitFor([&] { return Ignored() == 1; }));
    EXPECT_EQ(Captures(), before + 1);
    OpenMenu(icon);
    Key("o");
    ASSERT_TRUE(WaitFor([&] { return Log().contains("AutoCapture On"); }));
    Copy("kept after");
    ASSERT_TRUE(WaitFor([&] { return Captures() == before + 2; }));

    // Minimized, the window hides in the tray; the icon's click brings it back without a taskbar button.
    Tool("xdotool", {"windowminimize", window});
    ASSERT_TRUE(WaitFor([&] { return !Mapped(window); })) << "minimized, the window stays on the screen";
    ASSERT_TRUE(ClickIconUntil([&] { return Mapped(window); })) << "the icon's click did not bring the window back";
    EXPECT_TRUE(WaitFor([&] { return SkipsTaskbar(window); }));
    // Closed, it hides there too, and the program goes on.
    Tool("wmctrl", {"-i", "-c", window});
    ASSERT_TRUE(WaitFor([&] { return !Mapped(window); })) << "closed, the window stays on the screen";
    EXPECT_EQ(program.state(), QProcess::Running);

    // The tray host ends: the window hidden there comes back minimized, with its taskbar button; a second
    // start brings it up. The host starts again (a desktop's shell restarting): the icon is shown again.
    StopTray();
    EXPECT_TRUE(WaitFor([&] { return Iconic(window); })) << "the window is left without a way back";
    EXPECT_FALSE(SkipsTaskbar(window));
    EXPECT_TRUE(Answers());
    EXPECT_TRUE(WaitFor([&] { return Mapped(window) && !Iconic(window); }));
    StartTray();
    icon = WaitForIcon();
    ASSERT_TRUE(icon.rect.isValid());
    EXPECT_TRUE(WaitFor([&] { return Log().contains("Systray Restore Complete."); }));

    // Exit ends the program the normal way: the data is saved.
    OpenMenu(icon);
    Key("x");
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    const QByteArray clips = Dump("Short-Term");
    EXPECT_TRUE(clips.contains("kept before"));
    EXPECT_TRUE(clips.contains("kept after"));
    EXPECT_FALSE(clips.contains("not kept"));
}

// Without a tray the window minimizes with its taskbar button; a tray host that comes later gets the
// icon, and from then on closing the window hides it there.
TEST_F(TrayIconX11Test, WithoutATrayTheWindowMinimizesAndATrayThatComesLaterGetsTheIcon) {
    QProcess& program = StartLoaded();
    QString window;
    ASSERT_TRUE(WaitFor([&] { return !(window = MainWindow()).isEmpty() && Mapped(window); }));
    Tool("xdotool", {"windowminimize", window});
    ASSERT_TRUE(WaitFor([&] { return Iconic(window); })) << "the window did not minimize";
    EXPECT_FALSE(SkipsTaskbar(window));
    EXPECT_TRUE(Tool("xprop", {"-root", "_NET_CLIENT_LIST"}).contains(window)) << "the window manager lost it";

    StartTray();
    const Window icon = WaitForIcon();
    ASSERT_TRUE(icon.rect.isValid());
    ASSERT_TRUE(ClickIconUntil([&] { return Mapped(window) && !Iconic(window); }))
        << "the icon's click did not bring the window back";
    Tool("wmctrl", {"-i", "-c", window});
    ASSERT_TRUE(WaitFor([&] { return !Mapped(window); }));
    EXPECT_EQ(program.state(), QProcess::Running);
    Stop(program);
}

} // namespace
} // namespace bx::apptest
