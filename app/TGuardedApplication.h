#pragma once

#include <QApplication>

#include <functional>

namespace bx::app {

// The program's application object. An exception that escapes an event handler (a slot, an event
// filter) is caught here, where the event was delivered, instead of ending the program unsaved:
// OnException handles it (the running program hands it to its error trap).
class TGuardedApplication : public QApplication {
public:
    TGuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

    bool notify(QObject* receiver, QEvent* event) override;

    // Called inside the catch block, so std::current_exception() is the one caught.
    std::function<void()> OnException;
};

} // namespace bx::app
