#include "TBenchCore.h"

#include "TClipColl.h"
#include "TMasterList.h"

namespace bx::bench {

TBenchCore::TBenchCore(const std::string& root, const std::string& logDirectory) {
    dirs_.Environment["XDG_DATA_HOME"] = root + "share";
    settings_ =
        std::make_unique<shell::TAppSettings>(desk_.Registry(), dirs_, boxes_, folderDialog_, sources_, noCtrlV_);
    settings_->UseDefaultDataDirWithoutAsking = true;
    settings_->ReadSettings({});
    // Nothing writes to the workload behind a benchmark's back.
    settings_->AutoSave = false;
    core_ = std::make_unique<shell::TBrindlexCore>(
        shell::TBrindlexCore::Environment{desk_, *settings_, sources_, boxes_, dateFormat_, logDirectory, nullptr});
    core_->Startup({});
    desk_.Windows().KillTimer(core_->Handle(), shell::TBrindlexCore::Timer1);
}

void TBenchCore::Load() {
    core_->LoadData();
    core_->SetStartupDone(true);
}

TBenchCore::~TBenchCore() {
    core_.reset();
}

clipstore::TClipColl* TBenchCore::Coll(const std::string& title) const {
    const clipstore::TMasterList* master = core_->MasterList();
    for (std::size_t i = 0; master != nullptr && i < master->Count(); ++i)
        if (master->Item(i)->Title == title)
            return master->Item(i);
    return nullptr;
}

void TBenchCore::Settle() {
    desk_.Advance(static_cast<std::uint64_t>(settings_->DelayOnClipboardUpdate) + 400);
}

} // namespace bx::bench
