// The tray tests' entry: a Qt GUI application on the X display (it takes the screenshots), or on the
// offscreen platform without one (the tests then skip), and the stop signals delivered.
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

int main(int argc, char** argv) {
    for (const int sig : {SIGTERM, SIGINT, SIGHUP})
        std::signal(sig, SIG_DFL);
    const char* display = std::getenv("DISPLAY");
    qputenv("QT_QPA_PLATFORM", display != nullptr && *display != '\0' ? "xcb" : "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
