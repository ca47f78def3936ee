#include "TX11RelayRun.h"

#include "TAppSettings.h"
#include "TBrindlexCore.h"
#include "TClipListModel.h"
#include "TClipListSelection.h"
#include "TRelayfeed.h"
#include "TX11CaptureRun.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>

#include <chrono>
#include <functional>

namespace bx::bench {

using Clock = std::chrono::steady_clock;
using pastetools::TRelayfeed;
using TRFState = shell::TBrindlexCore::TRFState;

namespace {} // namespace

TX11RelayRun::TX11RelayRun(TX11CaptureRun& run, QString peer)
    : run_(run), peer_(std::move(peer)),
      selection_(std::make_unique<shell::TClipListSelection>(run.Core(), run.Desktop())),
      relay_(std::make_unique<TRelayfeed>(run.Core(), run.Desktop(), run.Boxes())) {}

TX11RelayRun::~TX11RelayRun() {
    relay_->RFOff(false);
}

double TX11RelayRun::Paste(const QString& target) {
    QProcess paste;
    paste.start(peer_, {"request", "--active", "--stamp", target});
    if (!paste.waitForStarted(5000))
        return -1;
    QByteArray data;
    TX11CaptureRun::RunEventsUntil(10000, [&] {
        data += paste.readAllStandardOutput();
        return paste.state() == QProcess::NotRunning;
    });
    data += paste.readAllStandardOutput();
    // "asked NS got NS"
    const QList<QByteArray> stamps = paste.readAllStandardError().trimmed().split(' ');
    if (paste.exitCode() != 0 || data.isEmpty() || stamps.size() != 4)
        return -1;
    return static_cast<double>(stamps[3].toLongLong() - stamps[1].toLongLong()) / 1e6;
}

TX11RelayRun::Result TX11RelayRun::Measure(const std::vector<QByteArray>& copies, const QString& copyTarget,
                                           const QString& pasteTarget) {
    Result result;
    for (const QByteArray& bytes : copies) {
        if (run_.Measure(bytes, copyTarget) < 0) {
            result.Failure = "a copy was not captured";
            return result;
        }
    }
    shell::TBrindlexCore& core = run_.Core();
    shell::TClipListModel& list = core.ClipList();
    const std::size_t first = copies.size() - 1; // the newest copy is row 0
    list.SetSelection({first}, static_cast<int>(first));
    if (!TX11CaptureRun::RunEventsUntil(5000, [&] { return core.CurrentClip() == list.Clip(first); })) {
        result.Failure = "the first clip was not selected";
        return result;
    }
    // The advance comes from here, not from the run's timer.
    run_.Settings().RelayfeedDelay = TRelayfeed::MaxDelayMs;
    relay_->RFClick(TRelayfeed::TRFDirection::Up);
    for (std::size_t row = first + 1; row-- > 0;) {
        if (core.RFState() != TRFState::Armed || relay_->RFItem() != list.Clip(row)) {
            result.Failure = "the run did not arm row " + std::to_string(row);
            return result;
        }
        const double renderMs = Paste(pasteTarget);
        if (renderMs < 0) {
            result.Failure = "a paste got no data";
            return result;
        }
        result.RenderMs.push_back(renderMs);
        if (row == 0)
            break; // the run's last clip: the run has ended
        if (core.RFState() != TRFState::Rendering) {
            result.Failure = "a paste did not count as the run's paste";
            return result;
        }
        const Clock::time_point start = Clock::now();
        relay_->AdvanceNextItem();
        result.ArmMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        // What the new ownership brings (the server's echo) passes before the next paste.
        TX11CaptureRun::RunEventsUntil(50, [] { return false; });
    }
    if (core.RFState() != TRFState::Idle)
        result.Failure = "the run did not end after its last clip";
    return result;
}

} // namespace bx::bench
