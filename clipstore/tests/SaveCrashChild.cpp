// The saving side of the crash test: loads the data source in the directory given, adds clips to
// every collection (making the collections on the first run), says "saving" on its output and saves.
// The test kills it somewhere in that save.
#include "SaveCrashWorkload.h"
#include "SimDesktop.h"
#include "TClipContext.h"

#include <cstdio>
#include <unistd.h>

using namespace bx::clipstore;

int main(int argc, char* argv[]) {
    if (argc != 2)
        return 2;
    bx::platform::sim::SimDesktop desk;
    TClipContext context(desk.Clock(), desk.Clipboard());
    TDataSourceList sources;
    crashtest::SetUpSources(sources, argv[1]);
    TMasterList master(context, sources, nullptr);
    TMasterList::DetermineFirstGoodDataSource(sources, nullptr);
    master.Load();
    for (int c = 0; c < crashtest::Collections; ++c) {
        TClipColl* coll = nullptr;
        for (std::size_t i = 0; i < master.Count(); ++i)
            if (master.Item(i)->Title == crashtest::CollName(c))
                coll = master.Item(i);
        if (coll == nullptr) {
            auto made = std::make_unique<TClipColl>(context, true, &master);
            made->Title = crashtest::CollName(c);
            made->DirName = crashtest::CollName(c);
            made->Parent = master.Item(0);
            made->Retention = TClipColl::KeepAll;
            coll = master.Append(std::move(made));
            crashtest::AddClips(*coll, crashtest::FirstRunClips);
        } else {
            crashtest::AddClips(*coll, crashtest::ClipsPerRun);
        }
    }
    const char signal = 's';
    if (::write(STDOUT_FILENO, &signal, 1) != 1)
        return 3;
    master.Save();
    return master.Dirty ? 4 : 0;
}
