// A window manager for the X11 paste tests: openbox, started as a child of the test and ended with it.
// Activating a window, _NET_ACTIVE_WINDOW and the focus of a new window are the window manager's work,
// so a paste target behaves as on a user's desktop. Ready once the root window names a live
// _NET_SUPPORTING_WM_CHECK window (polled with a deadline). At the end the root window's properties
// that the window manager left behind (it keeps its _NET_ACTIVE_WINDOW and _NET_SUPPORTING_WM_CHECK
// after it exits) are removed and the focus goes back to the pointer's window, so later tests find the
// server as it was. A window manager that runs already is used as it is.
#pragma once

#include "XcbConnection.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace bx::pastetools::x11test {

class WindowManagerRun {
public:
    WindowManagerRun() = default;
    WindowManagerRun(const WindowManagerRun&) = delete;
    WindowManagerRun& operator=(const WindowManagerRun&) = delete;
    ~WindowManagerRun() { Stop(); }

    // Empty when a window manager runs; else why none could be started (the test skips with it).
    std::string Start(const QProcessEnvironment& env) {
        conn_ = platform::x11::XcbConnection::Open();
        if (!conn_)
            return "no X display";
        if (Running())
            return {};
        const QString openbox = QStandardPaths::findExecutable("openbox");
        if (openbox.isEmpty())
            return "openbox is not installed (tools/bootstrap installs it)";
        before_ = RootProperties();
        process_ = std::make_unique<QProcess>();
        process_->setProcessEnvironment(env);
        process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_->start(openbox, {"--sm-disable"});
        if (!process_->waitForStarted(5000))
            return "openbox did not start";
        const QDeadlineTimer deadline(5000);
        while (!Running()) {
            if (deadline.hasExpired() || process_->state() != QProcess::Running)
                return "openbox did not come up within 5 s";
            QThread::msleep(10);
        }
        return {};
    }

    void Stop() {
        if (!process_)
            return;
        process_->terminate();
        if (!process_->waitForFinished(5000)) {
            process_->kill();
            process_->waitForFinished(5000);
        }
        process_.reset();
        for (const xcb_atom_t atom : RootProperties())
            if (std::find(before_.begin(), before_.end(), atom) == before_.end())
                xcb_delete_property(conn_->Raw(), conn_->Root(), atom);
        xcb_set_input_focus(conn_->Raw(), XCB_INPUT_FOCUS_POINTER_ROOT, XCB_INPUT_FOCUS_POINTER_ROOT, XCB_CURRENT_TIME);
        conn_->Flush();
        // A round trip: the server has done all of it before the next test talks to it.
        RootProperties();
    }

private:
    // The root names a check window that exists and names itself (a left-over property names a
    // destroyed window).
    bool Running() {
        const xcb_atom_t check = conn_->Atom("_NET_SUPPORTING_WM_CHECK");
        const auto root = conn_->GetProperty(conn_->Root(), check, false);
        if (!root || root->format != 32 || root->bytes.size() < 4)
            return false;
        xcb_window_t window = XCB_NONE;
        std::memcpy(&window, root->bytes.data(), 4);
        const auto own = window != XCB_NONE ? conn_->GetProperty(window, check, false) : std::nullopt;
        return own && own->format == 32 && own->bytes.size() >= 4 && std::memcmp(own->bytes.data(), &window, 4) == 0;
    }

    std::vector<xcb_atom_t> RootProperties() {
        std::vector<xcb_atom_t> atoms;
        platform::x11::XcbReply<xcb_list_properties_reply_t> list(
            xcb_list_properties_reply(conn_->Raw(), xcb_list_properties(conn_->Raw(), conn_->Root()), nullptr));
        if (list) {
            const xcb_atom_t* a = xcb_list_properties_atoms(list.get());
            atoms.assign(a, a + xcb_list_properties_atoms_length(list.get()));
        }
        return atoms;
    }

    std::unique_ptr<platform::x11::XcbConnection> conn_;
    std::unique_ptr<QProcess> process_;
    std::vector<xcb_atom_t> before_;
};

} // namespace bx::pastetools::x11test
