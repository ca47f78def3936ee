// The X11 paste tests need a QApplication on the X display when there is one, else offscreen (the tests
// then skip themselves).
#include "XcbConnection.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

int main(int argc, char** argv) {
    const char* display = std::getenv("DISPLAY");
    const bool hasDisplay = display != nullptr && *display != '\0';
    qputenv("QT_QPA_PLATFORM", hasDisplay ? "xcb" : "offscreen");
    qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    // An X server without -noreset starts afresh when its last client leaves: one connection held for the
    // whole run keeps it up.
    std::unique_ptr<bx::platform::x11::XcbConnection> keeper;
    for (int attempt = 0; hasDisplay && attempt < 100 && !keeper; ++attempt)
        if (!(keeper = bx::platform::x11::XcbConnection::Open()))
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
