#pragma once

#include "IWindows.h"
#include "PlatformTypes.h"
#include "TEvent.h"
#include "TMessageWindow.h"

namespace bx::clipstore {
class TMasterList;
}

namespace bx::shell {

struct TCoreEvents;

// When the capture journal is written and made durable. What the collections noted is appended before
// any listener hears that a capture ended (CaptureEnded, first of all), and made durable in one group
// commit: a one-shot timer that starts with the first record not yet durable and flushes everything
// appended by then (a burst of copies costs one flush). Changes that are no capture (glue, a new clip, an
// edit, a move) are written when that timer runs. With a delay of 0 each capture is made durable at once.
class TJournalCommit {
public:
    // The group commit's delay; at most a second passes between a capture and its flush to the disk.
    static constexpr platform::UINT GroupCommitMs = 250;
    static constexpr platform::TimerId CommitTimer = 1;

    TJournalCommit(platform::IWindows& windows, TCoreEvents& events, clipstore::TMasterList& master,
                   platform::UINT delayMs = GroupCommitMs);
    ~TJournalCommit();
    TJournalCommit(const TJournalCommit&) = delete;
    TJournalCommit& operator=(const TJournalCommit&) = delete;

    // Writes and flushes now what is pending.
    void CommitNow();

private:
    void Arm();

    platform::IWindows& windows_;
    clipstore::TMasterList& master_;
    platform::UINT delayMs_;
    platform::TMessageWindow window_;
    platform::TSubscription captureEnded_;
    platform::TSubscription captureEndedDuringRun_;
    bool armed_ = false;
};

} // namespace bx::shell
