// The explorer window on a real X display (run under Xvfb): the window with a few collections and clips of
// several kinds is shown by the window system and its picture, as the X server holds it, is saved as
// "explorer_window_x11.png" in the build directory. Without $DISPLAY the test skips itself. The program's
// behaviour runs on the simulated desktop, so the real clipboard is not touched.
#include "CoreTestFixture.h"
#include "ExplorerWindowFixture.h"

#include "TPreviewPane.h"
#include "TestPalettes.h"
#include "Tfilter.h"
#include "TfrmBX.h"

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QSet>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <cstdlib>

namespace bx::explorer {
namespace {

using namespace shell::coretest;
using platform::CF_BITMAP;
using platform::CF_TEXT;

using ExplorerScreenshotTest = test::ExplorerWindowFixture;

TEST_F(ExplorerScreenshotTest, TheWindowAsTheXServerShowsIt) {
    if (QGuiApplication::platformName() != "xcb")
        GTEST_SKIP() << "no X display";
    StartWindow(1000, 650);
    CopyText(editor, "A line of plain text");
    desk.Registry().WriteValue(core->Filter()->AppKey(Coll("Short-Term")->Clip(0)->Creator), "BITMAP", "1");
    ASSERT_TRUE(editor.Copy({{CF_TEXT, TextBytes("Picture with a caption")}, {CF_BITMAP, SeededDib(9)}}));
    Settle();
    CopyText(editor, "https://example.org/a/page");
    core->Tree().Select(core->Tree().GetTreeNodeOfColl(Coll("Short-Term")));
    // Wait for the X server to map and expose the window (a timer keeps the loop awake; at most ~5 s).
    QTimer tick;
    tick.start(20);
    for (int i = 0; i < 250 && (window->windowHandle() == nullptr || !window->windowHandle()->isExposed()); ++i)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    for (int i = 0; i < 10; ++i)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QScreen* screen = window->screen();
    ASSERT_NE(screen, nullptr);
    const QImage shot = screen->grabWindow(window->winId()).toImage();
    ASSERT_FALSE(shot.isNull());
    EXPECT_GT(shot.width(), 100);
    EXPECT_TRUE(shot.save(BX_ARTIFACT_DIR "/explorer_window_x11.png"));
    EXPECT_TRUE(window->PaneShown());
    // Every row's title cell starts with its format images, as the X server shows them.
    QTableView* list = window->List();
    ASSERT_EQ(list->model()->rowCount(), 3);
    const qreal ratio = shot.devicePixelRatio();
    for (int row = 0; row < 3; ++row) {
        const QRect cell = list->visualRect(list->model()->index(row, 0));
        const QPoint origin = list->viewport()->mapTo(window.get(), cell.topLeft());
        const QImage images =
            shot.copy(QRect(QPointF(origin.x() * ratio, (origin.y() + (cell.height() - 16) / 2) * ratio).toPoint(),
                            QSizeF(16 * ratio, 16 * ratio).toSize()));
        QSet<QRgb> colours;
        for (int y = 0; y < images.height(); ++y)
            for (int x = 0; x < images.width(); ++x)
                colours.insert(images.pixel(x, y));
        EXPECT_GT(colours.size(), 2) << "row " << row;
    }
}

// The window with a light and a dark palette, switched while it is open: "explorer_light_x11.png" and
// "explorer_dark_x11.png"; on a screen scaled to 200 % (QT_SCALE_FACTOR=2) "explorer_scale2_x11.png" and
// "explorer_scale2_dark_x11.png".
// The clip list shows text and a bitmap clip, the preview the text clip's bytes in the hex view.
TEST_F(ExplorerScreenshotTest, TheLightAndTheDarkPaletteAndTheDoubleScale) {
    if (QGuiApplication::platformName() != "xcb")
        GTEST_SKIP() << "no X display";
    const QPalette original = QApplication::palette();
    settings->ShowBinary = true;
    // At 200 % the window fits the screen (1920 x 1080 under the tests' Xvfb) with half the logical size.
    const bool doubled = QGuiApplication::primaryScreen()->devicePixelRatio() >= 2.0;
    if (doubled)
        StartWindow(900, 480);
    else
        StartWindow(1000, 650);
    CopyText(editor, "A line of plain text");
    desk.Registry().WriteValue(core->Filter()->AppKey(Coll("Short-Term")->Clip(0)->Creator), "BITMAP", "1");
    ASSERT_TRUE(editor.Copy({{CF_TEXT, TextBytes("Picture with a caption")}, {CF_BITMAP, SeededDib(9)}}));
    Settle();
    CopyText(editor, "The bytes of this clip are shown in the hex view");
    core->Tree().Select(core->Tree().GetTreeNodeOfColl(Coll("Short-Term")));
    QTimer tick;
    tick.start(20);
    const auto shoot = [&](const QString& name) {
        for (int i = 0; i < 250 && (window->windowHandle() == nullptr || !window->windowHandle()->isExposed()); ++i)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (QTabWidget* tabs = window->Pane(); tabs->isTabVisible(TPreviewPane::TabBinary))
            tabs->setCurrentIndex(TPreviewPane::TabBinary);
        for (int i = 0; i < 10; ++i)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const QImage shot = window->screen()->grabWindow(window->winId()).toImage();
        EXPECT_FALSE(shot.isNull());
        EXPECT_TRUE(shot.save(QString(BX_ARTIFACT_DIR "/") + name));
        return shot;
    };
    QApplication::setPalette(test::LightPalette());
    const QImage light = shoot(doubled ? "explorer_scale2_x11.png" : "explorer_light_x11.png");
    QApplication::setPalette(test::DarkPalette());
    const QImage dark = shoot(doubled ? "explorer_scale2_dark_x11.png" : "explorer_dark_x11.png");
    // The dark window is dark: most of its picture is darker than the light one's.
    const auto meanLightness = [](const QImage& image) {
        double sum = 0;
        for (int y = 0; y < image.height(); y += 4)
            for (int x = 0; x < image.width(); x += 4)
                sum += image.pixelColor(x, y).lightnessF();
        return sum / ((image.height() + 3) / 4 * ((image.width() + 3) / 4));
    };
    EXPECT_LT(meanLightness(dark), 0.4);
    EXPECT_GT(meanLightness(light), 0.6);
    if (doubled) {
        EXPECT_EQ(light.width(), 2 * window->width()) << "the picture has the screen's pixels";
    }
    QApplication::setPalette(original);
}

// The traditional strip and its dropped-down list, as the X server shows them: "traditional_view_x11.png" and
// "dropped_down_x11.png".
TEST_F(ExplorerScreenshotTest, TheStripAndItsDroppedDownListAsTheXServerShowsThem) {
    if (QGuiApplication::platformName() != "xcb")
        GTEST_SKIP() << "no X display";
    settings->Left1 = 20;
    settings->Top1 = 20;
    StartWindow(0, 0, false);
    CopyText(editor, "A line of plain text");
    CopyText(editor, "https://example.org/a/page");
    QTimer tick;
    tick.start(20);
    const auto settle = [&] {
        for (int i = 0; i < 250 && (window->windowHandle() == nullptr || !window->windowHandle()->isExposed()); ++i)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        for (int i = 0; i < 10; ++i)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    };
    const auto shoot = [&](const char* name) {
        settle();
        const QImage shot = window->screen()->grabWindow(window->winId()).toImage();
        EXPECT_FALSE(shot.isNull());
        EXPECT_TRUE(shot.save(QString(BX_ARTIFACT_DIR "/") + name));
        return shot;
    };
    ASSERT_FALSE(window->ExplorerView());
    const QImage strip = shoot("traditional_view_x11.png");
    window->DropDown(true);
    ASSERT_TRUE(window->DroppedDown());
    const QImage dropped = shoot("dropped_down_x11.png");
    EXPECT_GT(dropped.height(), strip.height());
    EXPECT_EQ(dropped.width(), strip.width()) << "the strip keeps its width";
}

} // namespace
} // namespace bx::explorer

int main(int argc, char** argv) {
    // Without a display the test skips itself; Qt still needs a platform to start.
    if (std::getenv("DISPLAY") == nullptr || *std::getenv("DISPLAY") == '\0')
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    else
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    // No session bus for the toolkit (accessibility, input methods): libdbus keeps a block for ever when it
    // cannot find the bus, which the leak checker reports.
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
