#include "TJournalBench.h"

#include "GlobalMemory.h"
#include "SimDesktop.h"
#include "TCaptureJournal.h"
#include "TClipColl.h"
#include "TClipContext.h"
#include "TClipData.h"
#include "TClipObj.h"
#include "TDataSource.h"
#include "TDataSourceList.h"
#include "TMasterList.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <stdexcept>

namespace bx::bench {

using namespace bx::clipstore;
namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Run {
    explicit Run(const std::string& dir) {
        sources.Add("Bench", std::make_unique<TDataSource>(1, "Bench", dir, false, true));
        master = std::make_unique<TMasterList>(context, sources, nullptr);
        TMasterList::DetermineFirstGoodDataSource(sources, nullptr);
        master->Load();
        for (std::size_t i = 0; i < master->Count(); ++i)
            if (master->Item(i)->Title == "Journal")
                coll = master->Item(i);
        if (coll == nullptr) {
            auto made = std::make_unique<TClipColl>(context, true, master.get());
            made->Title = "Journal";
            made->DirName = "Journal";
            made->Parent = master->Item(0);
            made->Retention = TClipColl::KeepAll;
            coll = master->Append(std::move(made));
            master->SaveCollection(*coll);
        }
    }
    void Capture(int n) {
        std::string text = "Journalled text " + std::to_string(n) + " ";
        text.resize(1000, 'j');
        auto clip = std::make_unique<TClipObj>(context, coll->GetNextSerialNum(), "bench");
        clip->SortKey = coll->GetNextClipSortKey();
        clip->SetColl(coll);
        auto d = std::make_unique<TClipData>(TClipData::TypeBlock);
        d->Handle = platform::GlobalMemory::FromBytes(text.c_str(), text.size() + 1);
        d->DataSize = static_cast<std::int32_t>(text.size() + 1);
        d->FormatNum = platform::CF_TEXT;
        d->FormatName = "TEXT";
        clip->Formats->push_back(std::move(d));
        clip->Online = true;
        clip->SetTitle(text.substr(0, 30));
        TClipObj* raw = clip.get();
        coll->MyAddObject(raw->Title, std::move(clip));
    }

    platform::sim::SimDesktop desk;
    TClipContext context{desk.Clock(), desk.Clipboard()};
    TDataSourceList sources;
    std::unique_ptr<TMasterList> master;
    TClipColl* coll = nullptr;
};

} // namespace

std::vector<TFigureTable::Figure> TJournalBench::Measure(const std::string& root, int runs) {
    TFigureTable::Figure saved{"start.load1000", "ms", {}, {}, "loading 1,000 clips of 1 KB from the collection file"};
    TFigureTable::Figure replay{
        "start.replay1000", "ms", {}, {}, "loading the same 1,000 clips from a journal left by a crash"};
    TFigureTable::Figure each{"journal.burst30.syncEach", "ms", {}, {}, "30 captures, each flushed to the disk"};
    TFigureTable::Figure group{"journal.burst30.groupCommit", "ms", {}, {}, "30 captures, one flush for all"};
    for (int r = 0; r < runs; ++r) {
        const std::string dir = root + "journal-bench/";
        std::error_code ec;
        fs::remove_all(dir, ec);
        fs::create_directories(dir);
        {
            Run run(dir);
            for (int i = 0; i < 1000; ++i)
                run.Capture(i);
            run.master->FlushJournals();
            run.master->SyncJournals();
        }
        {
            const auto start = Clock::now();
            Run run(dir);
            replay.Runs.push_back(MsSince(start));
            if (run.coll->Count() != 1000 || run.master->JournalReplayed() != 1000)
                throw std::runtime_error("journal: the replay put back " + std::to_string(run.coll->Count()));
            run.master->Save();
        }
        {
            const auto start = Clock::now();
            Run run(dir);
            saved.Runs.push_back(MsSince(start));
            for (bool sync : {true, false}) {
                const auto burst = Clock::now();
                for (int i = 0; i < 30; ++i) {
                    run.Capture(i);
                    run.master->FlushJournals();
                    if (sync)
                        run.master->SyncJournals();
                }
                run.master->SyncJournals();
                (sync ? each : group).Runs.push_back(MsSince(burst));
            }
        }
        fs::remove_all(dir, ec);
    }
    return {saved, replay, each, group};
}

} // namespace bx::bench
