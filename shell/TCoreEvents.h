#pragma once

#include "PlatformTypes.h"
#include "TEvent.h"

namespace bx::clipstore {
class TClipColl;
class TClipObj;
} // namespace bx::clipstore

namespace bx::shell {

// A change of the clip list's selection, as the core announces it. The core answers it itself (the
// first selected clip becomes the current one and goes on the clipboard) in its own listener, at
// CoreOrder. A listener that answers the change instead (the clip list's selection rules) subscribes
// below CoreOrder and sets Taken; listeners at CoreOrder or above hear the change once it is answered.
struct TListSelectionChange {
    static constexpr int TakeOverOrder = -100;
    static constexpr int CoreOrder = 0;
    bool Taken = false;
};

// The user moves elsewhere by command, before the move takes effect.
struct TUserMove {
    enum class Kind {
        OtherCollection, // another node of the tree is selected (a click, the next-collection command)
        OtherRow,        // the next or previous row by command (Ctrl+N, Ctrl+P, the spin button, the wheel)
        RunRow,          // during a Relayfeed run the user picked Row: the run goes on from there
    };
    Kind What;
    int Row = -1;
};

// What the core announces. Every event is emitted on the program's one thread, while the core handles
// a message; listeners run by ascending order (0 unless given) and, within one order, in the order
// they subscribed (see TEvent). None of them replaces the core's own work. Subscribe to these, never
// emit them from outside the core (UserMoving goes through TBrindlexCore::AnnounceUserMove).
struct TCoreEvents {
    // Another program changed the clipboard; the core has not looked at it yet.
    platform::TEvent<> ForeignClipboardChange;
    // The change passed the core's checks (capture on, no ignore marker, not empty, not too soon after
    // a put-back, not while busy): it is captured now, or looked at again when a put-back is running.
    platform::TEvent<> ClipboardChangeAccepted;
    // An accepted change arrived while auto-glue mode is on: the core stores no clip of its own.
    platform::TEvent<> ClipboardChangeHeld;
    // A capture is over: the stored clip, or nullptr when nothing was stored (ignored, duplicate,
    // failed). Also after a capture that ended with an exception.
    platform::TEvent<clipstore::TClipObj*> CaptureEnded;
    // A capture ended during a Relayfeed run: the core has armed the run again and cleared the list's
    // selection; a row a listener selects now counts as the capture's own (no put-back). Just before
    // CaptureEnded.
    platform::TEvent<> CaptureEndedDuringRun;
    // Another program asks for a format the core announced and does not render itself (only the
    // paste trace renders the current clip itself).
    platform::TEvent<platform::UINT> RenderRequested;
    // The clip list's selection changed (also when selected rows went away). See TListSelectionChange.
    platform::TEvent<TListSelectionChange&> ListSelectionChanged;
    // The user moves to another collection or row (see TUserMove); the core's state is unchanged yet.
    platform::TEvent<const TUserMove&> UserMoving;
    // A collection is shown in the clip list, its rows filled and its first row selected.
    platform::TEvent<clipstore::TClipColl&> CollectionShown;
    // The start has made the viewer, the profile and the master list and registered the formats; the
    // data is loaded later (the place to register the global hot keys).
    platform::TEvent<> Started;
    // The data is loaded, the tree built, the first capture done or the selected clip put back; also
    // after a reload.
    platform::TEvent<> DataLoaded;
    // The deferred start is over (after the first DataLoaded).
    platform::TEvent<> StartupDone;
    // The shut-down begins (once): the data and the clipboard viewer are still there; nothing is
    // captured afterwards (the place to end runs and release the global hot keys).
    platform::TEvent<> ShuttingDown;
    // The program has closed after the session ended; the window closes and the event loop ends.
    platform::TEvent<> Closed;
    // Automatic capture was switched on or off (SetAutoCapture: at the start, by "NOCAPTURE", by the
    // user's command); the viewer component's Capturing flag holds the new state.
    platform::TEvent<bool> AutoCaptureSwitched;
    // Auto-glue mode has just been switched off (TBrindlexCore::EndAutoGlue): the glue clip is complete.
    platform::TEvent<> AutoGlueEnded;
};

} // namespace bx::shell
