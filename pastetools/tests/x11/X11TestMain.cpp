// The X11 paste tests need a QApplication on the X display when there is one, else offscreen (the tests
// then skip themselves).
#include "HeldDisplay.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    const bool hasDisplay = bx::platform::x11::testing::HasDisplay();
    qputenv("QT_QPA_PLATFORM", hasDisplay ? "xcb" : "offscreen");
    qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    const auto keeper = bx::platform::x11::testing::HoldDisplay();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
