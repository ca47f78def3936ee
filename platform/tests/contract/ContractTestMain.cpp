// The contract suites run on Qt's event loop (the real desktop's windows, timers and X connections).
#include "XcbConnection.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

int main(int argc, char** argv) {
    const char* display = std::getenv("DISPLAY");
    const bool hasDisplay = display != nullptr && *display != '\0';
    // An X server without -noreset starts afresh when its last client leaves (the previous test program);
    // one connection held for the whole run keeps it up, the first one retried while it restarts.
    std::unique_ptr<bx::platform::x11::XcbConnection> keeper;
    for (int attempt = 0; hasDisplay && attempt < 100 && !keeper; ++attempt)
        if (!(keeper = bx::platform::x11::XcbConnection::Open()))
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
