#include "TCaptureJournal.h"

#include "LogHook.h"
#include "TClipColl.h"
#include "TJournalRecord.h"

#include <vector>

namespace bx::clipstore {

using namespace platform;

TCaptureJournal::TCaptureJournal(const std::string& dataSourceDir) : file_(dataSourceDir + FileName) {}

namespace {

// Small pieces of a record are gathered into writes of this size; larger ones are written as they are.
constexpr std::size_t WriteSize = std::size_t{256} << 10;

} // namespace

void TCaptureJournal::Report(const std::string& error) {
    if (!failed_)
        LogMsg(LogErrors, "TCaptureJournal.Append", error);
    failed_ = true;
}

bool TCaptureJournal::Append(std::span<const std::uint8_t> record, const std::string& collection) {
    std::string error;
    named_.insert(collection);
    const std::uint64_t before = file_.Size();
    if (file_.Append(record, &error)) {
        failed_ = false;
        return true;
    }
    Report(error);
    file_.CutTo(before);
    return false;
}

bool TCaptureJournal::AppendClip(std::uint8_t kind, const std::string& collection, TClipObj& clip) {
    named_.insert(collection);
    const std::uint64_t before = file_.Size();
    std::vector<std::uint8_t> gathered;
    bool ok = true;
    std::string error;
    const auto write = [&](std::span<const std::uint8_t> bytes) {
        if (ok && !bytes.empty())
            ok = file_.Append(bytes, &error);
    };
    try {
        TJournalRecord::WriteClip(static_cast<TJournalRecord::Kind>(kind), collection, clip,
                                  [&](std::span<const std::uint8_t> piece) {
                                      if (gathered.size() + piece.size() > WriteSize) {
                                          write(gathered);
                                          gathered.clear();
                                      }
                                      if (piece.size() >= WriteSize)
                                          write(piece);
                                      else
                                          gathered.insert(gathered.end(), piece.begin(), piece.end());
                                  });
        write(gathered);
    } catch (...) {
        file_.CutTo(before);
        throw;
    }
    if (ok) {
        failed_ = false;
        return true;
    }
    Report(error);
    file_.CutTo(before);
    return false;
}

bool TCaptureJournal::Sync() {
    std::string error;
    if (file_.Sync(&error))
        return true;
    LogMsg(LogErrors, "TCaptureJournal.Sync", error);
    return false;
}

void TCaptureJournal::Retire() {
    std::string error;
    if (!file_.Remove(&error))
        LogMsg(LogErrors, "TCaptureJournal.Retire", error);
    named_.clear();
}

void TCaptureJournal::CutTo(std::uint64_t size) {
    std::string error;
    if (!file_.CutTo(size, &error))
        LogMsg(LogErrors, "TCaptureJournal.CutTo", error);
}

const TClipColl* TCaptureJournal::RootOf(const TClipColl& coll) {
    const TClipColl* at = &coll;
    while (at->Parent != nullptr)
        at = at->Parent;
    return at->DataSource != nullptr ? at : nullptr;
}

std::string TCaptureJournal::CollectionName(const TClipColl& coll) {
    if (coll.Parent == nullptr || coll.ReadOnly || coll.IsSpecial())
        return std::string();
    std::string name = coll.DirName;
    for (const TClipColl* at = coll.Parent; at != nullptr; at = at->Parent) {
        if (at->Parent == nullptr)
            return at->DataSource != nullptr ? name : std::string();
        name = at->DirName + "/" + name;
    }
    return std::string();
}

} // namespace bx::clipstore
