#pragma once

#include "TClipMoveJournal.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace bx::clipstore {

class TClipColl;
class TClipObj;

// Moving and copying clips between collections. A moved clip stays the same object and gets a serial
// number and sort key from its new collection; its files are copied into the new directory under the
// new number at once, while the source's files stay until Commit has written both collection files
// (target first, with a TClipMoveJournal note beside it; then the source), so that on disk a clip is at
// every moment whole in at least one collection, and after a restart in exactly one. A copy is a new
// clip with its own serial number and its own copies of the files.
class TClipMove {
public:
    // save writes one collection file now; it raises when it cannot.
    explicit TClipMove(std::function<void(TClipColl&)> save) : save_(std::move(save)) {}

    // Moves (copy false) or copies clip from source to target; returns the clip now in target. Raises
    // EMyStreamError, leaving the clip where it was, when one of its files cannot be copied.
    TClipObj* FileOne(TClipObj& clip, TClipColl& source, bool copy, TClipColl& target);
    // A move since the last Commit carried files with it.
    bool FilesMoved() const { return filesMoved_; }
    // Some move waits for Commit.
    bool Pending() const { return !pending_.empty(); }
    // Writes the collections of the moves so far in the safe order and removes the sources' files.
    // Raises when a step fails; what is on disk is then still whole (see above).
    void Commit();

    // Copies the files of oldSerial in from's directory to to's under newSerial; raises unless every
    // one arrived whole (what was written is removed again). True when there were files.
    static bool CopyFiles(TClipColl& from, TClipColl& to, std::int32_t oldSerial, std::int32_t newSerial);

private:
    struct Group {
        TClipColl* Source;
        TClipColl* Target;
        TClipMoveJournal::Note Note;
    };

    std::function<void(TClipColl&)> save_;
    std::vector<Group> pending_;
    bool filesMoved_ = false;
};

} // namespace bx::clipstore
