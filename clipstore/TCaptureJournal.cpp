#include "TCaptureJournal.h"

#include "LogHook.h"
#include "TClipColl.h"

namespace bx::clipstore {

using namespace platform;

TCaptureJournal::TCaptureJournal(const std::string& dataSourceDir) : file_(dataSourceDir + FileName) {}

bool TCaptureJournal::Append(std::span<const std::uint8_t> record, const std::string& collection) {
    std::string error;
    named_.insert(collection);
    if (file_.Append(record, &error)) {
        failed_ = false;
        return true;
    }
    if (!failed_)
        LogMsg(LogErrors, "TCaptureJournal.Append", error);
    failed_ = true;
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
