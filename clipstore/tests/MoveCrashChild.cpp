// The moving side of the move crash test. "setup" makes the collections; "clips" moves every clip of the
// fuller of M0 and M1 into the other; "coll" and "coll-exdev" move M2 under M0 or back to the top (the
// latter as across file systems). It says "moving" on its output first, and "writing" before the moved
// clips' collections are written; the test kills it somewhere after one of them.
#include "MoveCrashWorkload.h"
#include "SimDesktop.h"
#include "TClipContext.h"
#include "TClipMove.h"
#include "TCollectionRelocation.h"

#include <cerrno>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

using namespace bx::clipstore;

int main(int argc, char* argv[]) {
    if (argc != 3)
        return 2;
    const std::string mode = argv[2];
    bx::platform::sim::SimDesktop desk;
    TClipContext context(desk.Clock(), desk.Clipboard());
    TDataSourceList sources;
    movecrash::SetUpSources(sources, argv[1]);
    TMasterList master(context, sources, nullptr);
    TMasterList::DetermineFirstGoodDataSource(sources, nullptr);
    master.Load();
    TClipColl* root = master.Item(0);
    if (mode == "setup") {
        for (int c = 0; c < movecrash::Collections; ++c) {
            auto made = std::make_unique<TClipColl>(context, true, &master);
            made->Title = movecrash::CollName(c);
            made->DirName = made->Title;
            made->Parent = root;
            made->Retention = TClipColl::KeepAll;
            TClipColl* coll = master.Append(std::move(made));
            for (int i = 1; i <= movecrash::ClipsPerCollection; ++i)
                movecrash::AddClip(*coll, c * movecrash::ClipsPerCollection + i);
        }
        master.Save();
        return master.Dirty ? 4 : 0;
    }
    TClipColl* m0 = movecrash::Find(master, "M0");
    TClipColl* m1 = movecrash::Find(master, "M1");
    TClipColl* m2 = movecrash::Find(master, "M2");
    if (m0 == nullptr || m1 == nullptr || m2 == nullptr)
        return 5;
    const char signal = 'm';
    if (::write(STDOUT_FILENO, &signal, 1) != 1)
        return 3;
    if (mode == "clips") {
        TClipColl* from = m0->Count() >= m1->Count() ? m0 : m1;
        TClipColl* to = from == m0 ? m1 : m0;
        // As the program does before clips leave a collection: the save retires the capture journal, whose
        // records of earlier runs would otherwise put moved clips back where they were.
        master.Save();
        TClipMove move([&master](TClipColl& coll) { master.SaveCollection(coll); });
        std::vector<TClipObj*> clips;
        for (std::size_t i = 0; i < from->Count(); ++i)
            clips.push_back(from->Clip(i));
        for (TClipObj* clip : clips)
            move.FileOne(*clip, *from, false, *to);
        const char writing = 'w';
        if (::write(STDOUT_FILENO, &writing, 1) != 1)
            return 3;
        move.Commit();
        return 0;
    }
    const bool exdev = mode == "coll-exdev";
    TCollectionRelocation relocation([exdev](const std::string& a, const std::string& b) {
        if (exdev && a.find(TCollectionRelocation::TempPrefix) == std::string::npos)
            return EXDEV;
        return std::rename(a.c_str(), b.c_str()) == 0 ? 0 : errno;
    });
    TClipColl* parent = m2->Parent == root ? m0 : root;
    relocation.Move(m2->GetPath(), parent->GetPath() + m2->DirName);
    return 0;
}
