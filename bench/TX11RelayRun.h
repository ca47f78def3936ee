#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <string>
#include <vector>

namespace bx::shell {
class TClipListSelection;
}

namespace bx::pastetools {
class TRelayfeed;
}

namespace bx::bench {

class TX11CaptureRun;

// Relayfeed as a user feels it on the real X server ($DISPLAY), on the running core of a capture run:
// another program (bx_x11_peer) copies the clips, a run goes through them in the order they were
// copied, and a program in front (bx_x11_peer request --active) pastes each one. The Relayfeed delay is
// left out: the next clip is armed by calling the run's advance at once.
class TX11RelayRun {
public:
    TX11RelayRun(TX11CaptureRun& run, QString peer);
    ~TX11RelayRun();
    TX11RelayRun(const TX11RelayRun&) = delete;
    TX11RelayRun& operator=(const TX11RelayRun&) = delete;

    struct Result {
        // From the paste's request to all of its bytes received, one per clip (the peer's stamps).
        std::vector<double> RenderMs;
        // The advance: the next clip announced and the clipboard taken, one per clip after the first.
        std::vector<double> ArmMs;
        // Empty, or what went wrong.
        std::string Failure;
    };
    // Copies each of copies as copyTarget, then runs through them, each paste asking for pasteTarget.
    Result Measure(const std::vector<QByteArray>& copies, const QString& copyTarget, const QString& pasteTarget);

private:
    // One paste by a program in front; the milliseconds from its request to its data, negative on failure.
    double Paste(const QString& target);

    TX11CaptureRun& run_;
    QString peer_;
    std::unique_ptr<shell::TClipListSelection> selection_;
    std::unique_ptr<pastetools::TRelayfeed> relay_;
};

} // namespace bx::bench
