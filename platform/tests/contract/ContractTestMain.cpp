// The contract suites run on Qt's event loop (the real desktop's windows, timers and X connections).
#include "HeldDisplay.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    const auto keeper = bx::platform::x11::testing::HoldDisplay();
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
