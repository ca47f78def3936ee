#include "TJournalCommit.h"

#include "LogHook.h"
#include "TCoreEvents.h"
#include "TMasterList.h"

#include <climits>
#include <exception>

namespace bx::shell {

using namespace platform;

TJournalCommit::TJournalCommit(IWindows& windows, TCoreEvents& events, clipstore::TMasterList& master, UINT delayMs)
    : windows_(windows), master_(master), delayMs_(delayMs), window_(windows, "BrindlexJournal",
                                                                     [this](UINT msg, WPARAM, LPARAM) -> LRESULT {
                                                                         if (msg == WM_TIMER) {
                                                                             armed_ = false;
                                                                             CommitNow();
                                                                         }
                                                                         return 0;
                                                                     }),
      captureEnded_(events.CaptureEnded.Subscribe(
          [this](clipstore::TClipObj*) {
              master_.FlushJournals();
              if (delayMs_ == 0)
                  CommitNow();
              else if (master_.JournalsUnsynced())
                  Arm();
          },
          INT_MIN)) {
    // A capture during a Relayfeed run is announced just before its end: it is written by then too.
    captureEndedDuringRun_ = events.CaptureEndedDuringRun.Subscribe([this] { master_.FlushJournals(); }, INT_MIN);
    master_.OnJournalNoted = [this] { Arm(); };
}

TJournalCommit::~TJournalCommit() {
    master_.OnJournalNoted = nullptr;
}

void TJournalCommit::CommitNow() {
    try {
        master_.FlushJournals();
        master_.SyncJournals();
    } catch (const std::exception& e) {
        LogMsg(LogErrors, "TJournalCommit", std::string("Journal not written: ") + e.what());
    }
}

void TJournalCommit::Arm() {
    if (armed_)
        return;
    // Never restarted while it runs: a steady stream of copies still reaches the disk in time.
    armed_ = windows_.SetTimer(window_.Handle(), CommitTimer, delayMs_ < 10 ? 10 : delayMs_, TimerKind::OneShot);
}

} // namespace bx::shell
