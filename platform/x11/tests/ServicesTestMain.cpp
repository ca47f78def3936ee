// The desktop services' tests need a QApplication: on the X display when there is one (keys are typed into
// real windows), else offscreen (the X tests then skip themselves).
#include "HeldDisplay.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    const bool hasDisplay = bx::platform::x11::testing::HasDisplay();
    qputenv("QT_QPA_PLATFORM", hasDisplay ? "xcb" : "offscreen");
    // The toolkit's session-bus services (accessibility, input methods) are not needed here, and libdbus keeps
    // a block for ever when it cannot find the bus, which the leak checker reports.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    const auto keeper = bx::platform::x11::testing::HoldDisplay();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
