#pragma once

#include <vector>

namespace bx::clipstore {

class TCaptureJournal;
class TClipColl;

// Replays a capture journal left by a crash into the collections of its data source, after they have
// been read from their files. For each clip (collection and serial number) the last record counts: a
// deletion takes the clip out of the collection (a clip moved away is then in its new collection only;
// its files stay); a clip the collection lacks is put back where it was added (the top or the bottom, by the
// collection's order) with its serial number, sort key and data; a changed clip the collection holds
// takes the record's data. The collection's counters move past what was replayed, and it is marked
// changed, so that the next save writes it and then retires the journal. Replaying twice changes
// nothing. A damaged record ends the replay (its bytes and what follows are cut off, logged).
class TJournalReplay {
public:
    // colls: the data source's collections. Returns the number of clips put back or changed.
    static int Replay(TCaptureJournal& journal, const std::vector<TClipColl*>& colls);
};

} // namespace bx::clipstore
