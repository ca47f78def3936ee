// The test programs' entry: a Qt core application for QProcess, and the stop signals delivered.
#include <QCoreApplication>

#include <gtest/gtest.h>

#include <csignal>

int main(int argc, char** argv) {
    // A test run started in the background or under nohup inherits ignored stop signals, which the
    // program keeps ignored; these tests want them delivered.
    for (const int sig : {SIGTERM, SIGINT, SIGHUP})
        std::signal(sig, SIG_DFL);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
