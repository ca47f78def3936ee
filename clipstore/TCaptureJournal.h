#pragma once

#include "AppendFile.h"

#include <cstdint>
#include <set>
#include <span>
#include <string>

namespace bx::clipstore {

class TClipColl;
class TClipObj;

// A data source's capture journal: the file "_JOURNAL.BX4" in the data source's directory, to which
// every clip that enters one of its collections and every change of a clip's data is appended
// (TJournalRecord) between two saves, so that a crash loses no captured clip. It remembers the
// collections its records name; once all of them are saved the journal is retired (removed). A crash
// before the retiring leaves records whose clips the collection files already hold: replaying them
// changes nothing (TJournalReplay).
class TCaptureJournal {
public:
    static constexpr const char* FileName = "_JOURNAL.BX4";

    // dataSourceDir ends in "/".
    explicit TCaptureJournal(const std::string& dataSourceDir);

    const std::string& Path() const { return file_.Path(); }
    // Appends one record naming collection; false (logged) when it could not be written.
    bool Append(std::span<const std::uint8_t> record, const std::string& collection);
    // Appends the record of a clip, written in pieces; a record that fails part-way is cut off again, so
    // that the records after it stay readable.
    bool AppendClip(std::uint8_t kind, const std::string& collection, TClipObj& clip);
    // Makes the appended records durable; false (logged) when the flush failed.
    bool Sync();
    bool Unsynced() const { return file_.Unsynced(); }
    // The collections named since the last retiring (also those a replay found).
    const std::set<std::string>& Named() const { return named_; }
    void Name(const std::string& collection) { named_.insert(collection); }
    // Removes the journal; every record it held is in the saved collection files.
    void Retire();
    // Cuts a damaged end off, so that new records follow the last sound one.
    void CutTo(std::uint64_t size);

    // The name a collection's records carry: its directory's path below its data source's root
    // ("Parent/Child"); empty for a collection that is not journalled (no data source above it, the
    // trash can, the search results, read only).
    static std::string CollectionName(const TClipColl& coll);
    // The data source's root folder of a collection; nullptr when it has none.
    static const TClipColl* RootOf(const TClipColl& coll);

private:
    platform::AppendFile file_;
    std::set<std::string> named_;
    void Report(const std::string& error);

    bool failed_ = false; // a failure was logged; the next one is not
};

} // namespace bx::clipstore
