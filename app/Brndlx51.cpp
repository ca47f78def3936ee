// Program entry of Brindlex.
#include "BrindlexVersion.h"
#include "EnvUserDirs.h"
#include "HeapTuning.h"
#include "SingleInstance.h"
#include "StrftimeDateTimeFormat.h"
#include "TAppSettings.h"
#include "TBrindlexCore.h"
#include "TCollectionDump.h"
#include "TCommandLine.h"
#include "TDataSourceList.h"
#include "TErrorTrap.h"
#include "TFlashpick.h"
#include "TGlue.h"
#include "TGuardedApplication.h"
#include "THotKeyBindings.h"
#include "TPasteInto.h"
#include "TQtDataFolderDialog.h"
#include "TQtMessageBoxes.h"
#include "TRelayfeed.h"
#include "TSendKey.h"
#include "TTrayIcon.h"
#include "TfrmBX.h"
#include "VirtualKeys.h"
#include "X11Desktop.h"
#include "X11TaskbarHint.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImageReader>
#include <QMetaObject>
#include <QRect>
#include <QScreen>

#include <algorithm>
#include <cstring>
#include <iostream>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

// The longest wait before the window is made that the settings may ask for (milliseconds).
constexpr int MaxPhantomDelay = 10000;

bx::shell::TScreenSize ScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return {};
    // All screens: a window stored on a second screen stays there (the window fits itself to the screens).
    const QRect area = screen->availableVirtualGeometry();
    return {area.right() + 1, area.bottom() + 1};
}

} // namespace

int main(int argc, char* argv[]) {
    // "brindlex dump DIR" prints a stored collection as JSON; it runs before any window exists and
    // needs no display.
    if (argc >= 2 && std::strcmp(argv[1], "dump") == 0)
        return bx::shell::TCollectionDump::Run(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
    // The program runs long: large blocks are returned when freed, and the heap's free top is trimmed.
    // (A dump reads many large blocks once and ends: the allocator's own adaptive settings suit it.)
    bx::platform::HeapTuning::Apply();
    // Help, the version and a wrong command line are answered before anything needs a display.
    const bx::app::TCommandLine::Options options = bx::app::TCommandLine::Parse(argc, argv);
    if (options.done)
        return options.exitCode;
    const bool useDefaultDataDir = options.defaultDataDir;
    const bool exitWhenLoaded = options.benchExitWhenLoaded;
    const std::vector<std::string>& args = options.startArgs;
    bx::app::TGuardedApplication app(argc, argv);
    QApplication::setApplicationName("Brindlex");
    QApplication::setApplicationVersion(bx::platform::BrindlexVersion);
    QApplication::setOrganizationName("Quorvanti");
    QApplication::setQuitOnLastWindowClosed(false);
    // The font list and the image readers are set up on a second thread while this one checks for a
    // running program and reads the settings, which mostly wait for the disk; the window needs both.
    std::jthread warmUp([] {
        (void)QFontDatabase::families();
        (void)QImageReader::supportedImageFormats();
    });

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
    // A stop signal while the settings are read (a dialog may be open) has nothing to save; the lock
    // left behind goes to the next start.
    desktop.Session().OnEndSession = [] { ::_exit(0); };
    bx::app::TQtMessageBoxes boxes;
    bx::app::TQtDataFolderDialog folderDialog(boxes);
    bx::platform::EnvUserDirs dirs;
    bx::clipstore::TDataSourceList dataSources;
    std::vector<std::string> noCtrlV;
    bx::shell::TAppSettings settings(desktop.Registry(), dirs, boxes, folderDialog, dataSources, noCtrlV);

    // Ctrl and Shift held at start offer to forget every setting.
    bx::platform::IKeyboard& keys = desktop.Keyboard();
    if (keys.IsKeyDown(bx::platform::VK_CONTROL) && keys.IsKeyDown(bx::platform::VK_SHIFT))
        settings.ConfirmResetAtStartup();
    settings.UseDefaultDataDirWithoutAsking = useDefaultDataDir;
    settings.ReadSettings(ScreenSize());
    desktop.Clock().Sleep(static_cast<bx::platform::UINT>(std::clamp(settings.PhantomDelay, 0, MaxPhantomDelay)));

    bx::platform::StrftimeDateTimeFormat dateFormat;
    warmUp.join();
    bx::explorer::TfrmBX window;
    boxes.SetParent(&window);
    // An always-on-top window never covers the program's own boxes.
    boxes.BeforeBox = [&window] { window.SetNotOnTop(); };
    boxes.AfterBox = [&window] { window.SetStayOnTop(); };
    // The log lives beside the data of the first data source.
    const std::string logDirectory =
        dataSources.Count() > 0 && dataSources.Source(0) != nullptr ? dataSources.Source(0)->Directory : std::string();
    bx::shell::TBrindlexCore core({desktop, settings, dataSources, boxes, dateFormat, logDirectory, &window});
    window.SetCore(&core, &desktop);
    // The paste tools live beside the core and listen to its events; the window's commands drive them.
    bx::pastetools::TRelayfeed relayfeed(core, desktop, boxes);
    window.SetRelayfeed(&relayfeed);
    // Flashpick types its pastes into the program in front through the one keystroke sender; it shows
    // its pick layout in the window given by SetView (without one its hot key does nothing).
    bx::pastetools::TSendKey sendKey(desktop.Keyboard(), desktop.Windows());
    bx::pastetools::TPasteInto pasteInto(desktop, core, sendKey, noCtrlV);
    bx::pastetools::TFlashpick flashpick(core, desktop, boxes, pasteInto, relayfeed);
    window.SetFlashpick(&flashpick);
    // Glue holds the clipboard changes of auto-glue for its glue clip; the window's Glue commands drive it.
    bx::pastetools::TGlue glue(core, boxes);
    window.SetGlue(&glue);
    // The global hot keys register when the core has started and go at its shut-down.
    bx::pastetools::THotKeyBindings hotKeys(core, desktop, boxes);
    // ShowMe's request carries the key press's time, so the window manager lets the window take the focus.
    const bx::platform::TSubscription onActivateKey = hotKeys.Activate.Subscribe([&window] { window.ShowMe(); });
    const bx::platform::TSubscription onRowKey =
        hotKeys.SelectRow.Subscribe([&window](bool next) { window.SelectNextItem(next); });
    const bx::platform::TSubscription onFlashpickKey =
        hotKeys.Flashpick.Subscribe([&flashpick] { flashpick.Flashpick(); });
    // Shown again from the notification area, the window keeps its taskbar button hidden.
    bx::platform::x11::X11TaskbarHint taskbarHint;
    window.Tray()->HideTaskbarButton = [&taskbarHint](QWidget& w, bool hide) {
        taskbarHint.SetSkipTaskbar(static_cast<std::uint32_t>(w.winId()), hide);
    };
    app.OnException = [&core] { core.ErrorTrap().HandleCurrentException(); };

    // SIGTERM, SIGINT, SIGHUP and a login manager that ends the session close the program the normal
    // way (save, leave the clipboard chain, write the settings); a logout closes the window, which does
    // the same.
    // Queued: the end may come while start-up still runs, before the event loop does.
    const bx::platform::TSubscription onClosed = core.Events().Closed.Subscribe(
        [] { QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &app, [&core] { core.EndSession(); });
    instance.OnActivate = [&window] { window.BringToFront(); };

    // Hidden, for the benchmarks: the data is loaded without the start-up wait and the program ends as
    // soon as it is loaded, at once and silently (nothing has changed, so nothing needs saving).
    // After every other listener of the load.
    bx::platform::TSubscription exitOnLoad;
    if (exitWhenLoaded) {
        core.SetStartupDelay(0);
        exitOnLoad = core.Events().DataLoaded.Subscribe([] { ::_exit(0); }, std::numeric_limits<int>::max());
    }
    core.Startup(args);
    // A stop signal during the start has closed the program already.
    if (core.Ended()) {
        window.Tray()->HideTaskbarButton = nullptr;
        window.SetGlue(nullptr);
        window.SetFlashpick(nullptr);
        window.SetRelayfeed(nullptr);
        window.SetCore(nullptr, nullptr);
        return 0;
    }
    if (!settings.RunMinimized)
        window.show();
    const int result = QApplication::exec();
    app.OnException = nullptr;
    window.Tray()->HideTaskbarButton = nullptr;
    boxes.BeforeBox = nullptr;
    boxes.AfterBox = nullptr;
    window.SetGlue(nullptr);
    window.SetFlashpick(nullptr);
    window.SetRelayfeed(nullptr);
    window.SetCore(nullptr, nullptr);
    return result;
}
