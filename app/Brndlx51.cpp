// Program entry of Brindlex.
#include "SingleInstance.h"
#include "TClipView5.h"
#include "TCollectionDump.h"
#include "X11Desktop.h"

#include <QApplication>
#include <QLabel>
#include <QSessionManager>
#include <QString>
#include <QVBoxLayout>
#include <QWidget>

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char* argv[]) {
    // "brindlex dump DIR" prints a stored collection as JSON; it runs before any window exists and
    // needs no display.
    if (argc >= 2 && std::strcmp(argv[1], "dump") == 0)
        return bx::shell::TCollectionDump::Run(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::cout << "Brindlex " << BRINDLEX_VERSION << '\n';
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Brindlex");
    QApplication::setOrganizationName("Quorvanti");

    // One program per user: a second start brings the running one forward and ends.
    bx::platform::x11::SingleInstance instance;
    if (!instance.TryBecomePrimary()) {
        if (instance.NotifyPrimary(2000)) {
            std::cerr << "Brindlex is already running.\n";
            return 0;
        }
        std::cerr << "Brindlex is already running but does not answer.\n";
        return 1;
    }

    bx::platform::x11::X11Desktop desktop;
    bx::cliplink::TClipView5 viewer(desktop);

    // Until the explorer window exists, a small window reports what the viewer hears.
    QWidget window;
    window.setWindowTitle("Brindlex");
    auto* layout = new QVBoxLayout(&window);
    auto* status = new QLabel("Listening to the clipboard.", &window);
    layout->addWidget(status);

    viewer.Capturing = true;
    viewer.OnCBChange = [status](bx::cliplink::TClipView5& v) {
        QString text = QString::fromStdString("Change " + std::to_string(v.SerialNum) + " from " + v.Creator + ":");
        for (const std::string& name : v.FormatNames())
            text += ' ' + QString::fromStdString(name);
        status->setText(text);
    };
    viewer.SetActive(true);

    instance.OnActivate = [&window] {
        window.show();
        window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        window.raise();
        window.activateWindow();
    };
    // The end of the session, SIGTERM, SIGINT and SIGHUP close the program the normal way.
    desktop.Session().OnEndSession = [&window] {
        window.close();
        QApplication::quit();
    };
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app,
                     [&desktop](QSessionManager&) { desktop.DesktopSession().EndSession(); });

    window.resize(480, 120);
    window.show();
    const int result = QApplication::exec();
    viewer.SetActive(false);
    return result;
}
