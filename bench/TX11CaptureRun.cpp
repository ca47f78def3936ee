#include "TX11CaptureRun.h"

#include "EnvUserDirs.h"
#include "SimDataFolderDialog.h"
#include "SimMessageBoxes.h"
#include "StrftimeDateTimeFormat.h"
#include "TAppSettings.h"
#include "TBrindlexCore.h"
#include "TClipListModel.h"
#include "TDataSourceList.h"
#include "X11Desktop.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

namespace bx::bench {

using Clock = std::chrono::steady_clock;

struct TX11CaptureRun::Parts {
    platform::x11::X11Desktop desktop;
    platform::sim::SimMessageBoxes boxes;
    platform::EnvUserDirs dirs;
    platform::sim::SimDataFolderDialog folderDialog;
    platform::StrftimeDateTimeFormat dateFormat;
    clipstore::TDataSourceList sources;
    std::vector<std::string> noCtrlV;
    std::unique_ptr<shell::TAppSettings> settings;
    std::unique_ptr<shell::TBrindlexCore> core;
    platform::TSubscription onLoaded;
    platform::TSubscription onListed;
    std::optional<Clock::time_point> listed;
    bool loaded = false;
};

bool TX11CaptureRun::RunEventsUntil(int ms, const std::function<bool()>& until) {
    const QDeadlineTimer deadline(ms);
    while (!until()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    return true;
}

TX11CaptureRun::TX11CaptureRun(QString peer, std::optional<int> delayMs, shell::IMainView* view)
    : peer_(std::move(peer)) {
    const QString root = home_.path();
    for (const char* sub : {"config", "data", "runtime"})
        QDir(root).mkpath(sub);
    ::setenv("XDG_CONFIG_HOME", QFile::encodeName(root + "/config").constData(), 1);
    ::setenv("XDG_DATA_HOME", QFile::encodeName(root + "/data").constData(), 1);
    parts_ = std::make_unique<Parts>();
    Parts& p = *parts_;
    p.settings = std::make_unique<shell::TAppSettings>(p.desktop.Registry(), p.dirs, p.boxes, p.folderDialog, p.sources,
                                                       p.noCtrlV);
    p.settings->UseDefaultDataDirWithoutAsking = true;
    p.settings->ReadSettings({});
    p.settings->AutoSave = false;
    if (delayMs)
        p.settings->DelayOnClipboardUpdate = *delayMs;
    p.core = std::make_unique<shell::TBrindlexCore>(shell::TBrindlexCore::Environment{
        p.desktop, *p.settings, p.sources, p.boxes, p.dateFormat, std::string(), view});
    p.onLoaded = p.core->Events().DataLoaded.Subscribe([&p] { p.loaded = true; });
    p.onListed = p.core->ClipList().RowInserted.Subscribe([&p](std::size_t) { p.listed = Clock::now(); });
    p.core->SetStartupDelay(0);
    p.core->Startup({});
    RunEventsUntil(10000, [&p] { return p.loaded; });
}

TX11CaptureRun::~TX11CaptureRun() = default;

bool TX11CaptureRun::Ready() const {
    return parts_->loaded;
}

platform::IDesktop& TX11CaptureRun::Desktop() {
    return parts_->desktop;
}

platform::IMessageBoxes& TX11CaptureRun::Boxes() {
    return parts_->boxes;
}

shell::TAppSettings& TX11CaptureRun::Settings() {
    return *parts_->settings;
}

shell::TBrindlexCore& TX11CaptureRun::Core() {
    return *parts_->core;
}

const std::vector<std::string>& TX11CaptureRun::NoCtrlVList() const {
    return parts_->noCtrlV;
}

int TX11CaptureRun::DelayMs() const {
    return parts_->settings->DelayOnClipboardUpdate;
}

double TX11CaptureRun::Measure(const QByteArray& bytes, const QString& target) {
    Parts& p = *parts_;
    const QString file = home_.filePath("copy");
    {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly))
            return -1;
        out.write(bytes);
    }
    // What the last copy left behind settles first.
    RunEventsUntil(300, [] { return false; });
    p.listed.reset();
    QProcess owner;
    owner.start(peer_, {"own", "--stamp", target + "=" + file});
    if (!owner.waitForStarted(5000))
        return -1;
    QByteArray said;
    RunEventsUntil(10000, [&] {
        said += owner.readAllStandardOutput();
        return p.listed.has_value() && said.contains('\n');
    });
    owner.kill();
    owner.waitForFinished(2000);
    if (!p.listed || !said.startsWith("ready "))
        return -1;
    const Clock::time_point owned{Clock::duration(said.mid(6).trimmed().toLongLong())};
    return std::chrono::duration<double, std::milli>(*p.listed - owned).count();
}

} // namespace bx::bench
