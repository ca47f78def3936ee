// The desktop services' tests need a QApplication: on the X display when there is one (keys are typed into
// real windows), else offscreen (the X tests then skip themselves).
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
    // The toolkit's session-bus services (accessibility, input methods) are not needed here, and libdbus keeps
    // a block for ever when it cannot find the bus, which the leak checker reports.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    // An X server without -noreset starts afresh when its last client leaves (the previous test program);
    // one connection held for the whole run keeps it up, the first one retried while it restarts.
    std::unique_ptr<bx::platform::x11::XcbConnection> keeper;
    for (int attempt = 0; hasDisplay && attempt < 100 && !keeper; ++attempt)
        if (!(keeper = bx::platform::x11::XcbConnection::Open()))
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
