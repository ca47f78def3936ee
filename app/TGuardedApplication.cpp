#include "TGuardedApplication.h"

#include "LogHook.h"

#include <exception>
#include <iostream>

namespace bx::app {

bool TGuardedApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        if (OnException) {
            OnException();
        } else {
            try {
                throw;
            } catch (const std::exception& e) {
                std::cerr << "Brindlex: " << e.what() << '\n';
                platform::LogMsg(platform::LogErrors, "TGuardedApplication", e.what());
            } catch (...) {
                std::cerr << "Brindlex: an unknown exception\n";
            }
        }
        return false;
    }
}

} // namespace bx::app
