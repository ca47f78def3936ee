// The capturing side of the capture crash test: loads the data source in the directory given (replaying
// its journal), then captures clips one after another: each is written to the journal, then reported
// (its serial number appended to the report file, flushed); every so often the data source is saved, as
// the autosave does. The test kills it anywhere in that.
#include "CaptureCrashWorkload.h"
#include "SimDesktop.h"
#include "TClipContext.h"

#include <string>

#include <fcntl.h>
#include <unistd.h>

using namespace bx::clipstore;

int main(int argc, char* argv[]) {
    if (argc != 3)
        return 2;
    const std::string dir = argv[1];
    const int captures = std::stoi(argv[2]);
    bx::platform::sim::SimDesktop desk;
    TClipContext context(desk.Clock(), desk.Clipboard());
    TDataSourceList sources;
    capturecrash::SetUpSources(sources, dir);
    TMasterList master(context, sources, nullptr);
    TMasterList::DetermineFirstGoodDataSource(sources, nullptr);
    master.Load();
    TClipColl* coll = nullptr;
    for (std::size_t i = 0; i < master.Count(); ++i)
        if (master.Item(i)->Title == capturecrash::CollName)
            coll = master.Item(i);
    if (coll == nullptr) {
        auto made = std::make_unique<TClipColl>(context, true, &master);
        made->Title = capturecrash::CollName;
        made->DirName = capturecrash::CollName;
        made->Parent = master.Item(0);
        made->Retention = TClipColl::KeepAll;
        coll = master.Append(std::move(made));
        master.SaveCollection(*coll);
    }
    const int report =
        ::open((dir + capturecrash::ReportFile).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (report < 0)
        return 3;
    for (int i = 0; i < captures; ++i) {
        const std::int32_t serial = capturecrash::Capture(*coll)->SerialNbr;
        // What the capture's end does before anyone hears of it.
        master.FlushJournals();
        if (::write(report, &serial, sizeof serial) != sizeof serial || ::fdatasync(report) != 0)
            return 4;
        if (i % 8 == 7)
            master.SyncJournals();
        if (i % 20 == 19)
            master.Save();
    }
    return 0;
}
