// The note of a move of clips between collections: what a load makes of each state a crash can leave
// (the target written or not, the source written or not), and notes that are not the program's.
#include "TClipMoveJournal.h"
#include "CollTestFixture.h"
#include "TDirFiles.h"

#include <filesystem>

namespace bx::clipstore {
namespace {

using colltest::CollFixture;

class ClipMoveJournalTest : public CollFixture {};

TEST_F(ClipMoveJournalTest, ALoadKeepsEachMovedClipInExactlyOnePlace) {
    struct Case {
        const char* name;
        bool targetListed; // the target's collection file was written
        bool sourceListed; // the source's was not yet
        bool sourceKeeps;  // afterwards: the clip stays in the source
        bool targetFile;   // the copied data file stays
        bool sourceFile;   // the source's data file stays
    };
    const Case cases[] = {
        {"the target written, the source not", true, true, false, true, false},
        {"neither written", false, true, true, false, true},
        {"both written, the source's files left", true, false, false, true, false},
        {"listed nowhere: the files are all there is", false, false, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto source = MakeColl("source");
        auto target = MakeColl("target");
        std::filesystem::create_directories(source->GetPath());
        std::filesystem::create_directories(target->GetPath());
        source->LastSerialNbr = 9;
        target->LastSerialNbr = 40;
        TClipObj* inSource = AddText(*source, "moved");
        inSource->TimeStamp = 45000.25;
        if (!c.sourceListed)
            source->RemoveItem(0, true);
        if (c.targetListed) {
            TClipObj* inTarget = AddText(*target, "moved");
            inTarget->TimeStamp = 45000.25;
        }
        colltest::PutFile(source->GetPath() + "D10.DAT", {1, 2, 3});
        colltest::PutFile(target->GetPath() + "D41.DAT", {1, 2, 3});
        ASSERT_TRUE(TClipMoveJournal::Write(target->GetPath(), {source->GetPath(), {{10, 41, 45000.25}}}));

        int saved = 0;
        TClipMoveJournal::Recover({source.get(), target.get()}, [&](TClipColl& coll) {
            EXPECT_EQ(&coll, source.get());
            ++saved;
        });
        EXPECT_EQ(source->Count(), c.sourceKeeps ? 1u : 0u);
        EXPECT_EQ(target->Count(), c.targetListed ? 1u : 0u);
        EXPECT_EQ(saved, c.targetListed && c.sourceListed ? 1 : 0);
        EXPECT_EQ(TDirFiles::Exists(target->GetPath(), "D41.DAT"), c.targetFile);
        EXPECT_EQ(TDirFiles::Exists(source->GetPath(), "D10.DAT"), c.sourceFile);
        EXPECT_FALSE(TClipMoveJournal::Exists(target->GetPath()));
        std::filesystem::remove_all(source->GetPath());
        std::filesystem::remove_all(target->GetPath());
    }
}

TEST_F(ClipMoveJournalTest, OnlyANoteAsTheProgramWritesItIsBelieved) {
    const TClipMoveJournal::Note note{"/data/A/", {{10, 41, 45000.25}, {11, 42, -1.5}}};
    const auto back = TClipMoveJournal::Parse(TClipMoveJournal::Format(note));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->SourceDir, note.SourceDir);
    ASSERT_EQ(back->Entries.size(), 2u);
    EXPECT_EQ(back->Entries[1].NewSerial, 42);
    EXPECT_EQ(back->Entries[1].TimeStamp, -1.5) << "every bit of the time stamp";

    const char* damaged[] = {
        "",
        "BXMOVES 2\n/data/A/\n",
        "BXMOVES 1\ndata/A/\n",                            // not absolute
        "BXMOVES 1\n/data/A\n",                            // not a directory
        "BXMOVES 1\n/data/A/\n10 41\n",                    // a field missing
        "BXMOVES 1\n/data/A/\n10 41 40e5f90000000000 x\n", // one too many
        "BXMOVES 1\n/data/A/\n-3 41 40e5f90000000000\n",
        "BXMOVES 1\n/data/A/\n10 4x1 40e5f90000000000\n",
        "BXMOVES 1\n/data/A/\n10 41 40e5f9000000000g\n",
        "BXMOVES 1\n/data/A/\n10 99999999999 40e5f90000000000\n",
    };
    for (const char* text : damaged)
        EXPECT_FALSE(TClipMoveJournal::Parse(text).has_value()) << text;
}

} // namespace
} // namespace bx::clipstore
