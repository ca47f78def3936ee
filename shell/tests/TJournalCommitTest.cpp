#include "TJournalCommit.h"
#include "CoreTestFixture.h"
#include "TCaptureJournal.h"
#include "TClipObj.h"
#include "TJournalRecord.h"

#include <fstream>
#include <iterator>

namespace bx::shell {
namespace {

using namespace coretest;
using clipstore::TJournalRecord;

class JournalCommitTest : public CoreFixture {
protected:
    // The records of the data source's journal on disk now.
    std::vector<TJournalRecord::Entry> OnDisk() {
        std::ifstream in(dataDir + clipstore::TCaptureJournal::FileName, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
        return TJournalRecord::Read(bytes).Entries;
    }
    std::vector<std::uint8_t> bytes;
};

TEST_F(JournalCommitTest, ACaptureIsOnDiskBeforeItIsReportedAndFlushedWithinASecond) {
    MakeCore();
    std::vector<std::int32_t> heard;
    auto listener = core->Events().CaptureEnded.Subscribe([&](clipstore::TClipObj* stored) {
        const auto entries = OnDisk();
        if (stored != nullptr && !entries.empty() && entries.back().SerialNbr == stored->SerialNbr &&
            entries.back().Kind == TJournalRecord::Added)
            heard.push_back(stored->SerialNbr);
    });
    Run();
    CopyText(editor, "journalled before anyone hears of it");
    CopyText(editor, "and the next one");
    EXPECT_EQ(heard.size(), 2u);
    desk.Advance(TJournalCommit::GroupCommitMs);
    EXPECT_FALSE(core->MasterList()->JournalsUnsynced());

    // An edit is no capture: the group commit writes it.
    clipstore::TClipObj* clip = Coll("Short-Term")->Clip(0);
    clip->PutText("edited", 0);
    EXPECT_EQ(OnDisk().size(), 2u);
    desk.Advance(1000);
    const auto entries = OnDisk();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries.back().Kind, TJournalRecord::Changed);
    EXPECT_EQ(entries.back().SerialNbr, clip->SerialNbr);
    EXPECT_FALSE(core->MasterList()->JournalsUnsynced());
}

TEST_F(JournalCommitTest, ARunEndedWithoutSavingLeavesItsCapturesToTheNextStart) {
    Start();
    for (const char* text : {"first", "second", "third"})
        CopyText(editor, text);
    const std::size_t count = Coll("Short-Term")->Count();
    // The program ends without its closing: no save.
    core.reset();

    Start();
    clipstore::TClipColl* coll = Coll("Short-Term");
    ASSERT_EQ(coll->Count(), count);
    EXPECT_EQ(coll->Clip(0)->Title, "third");
    EXPECT_EQ(coll->Clip(2)->Title, "first");
    EXPECT_TRUE(core->MasterList()->Dirty) << "the autosave writes them";
    // The closing saves them and retires the journal.
    EXPECT_TRUE(core->FormCloseQuery());
    EXPECT_FALSE(std::filesystem::exists(dataDir + clipstore::TCaptureJournal::FileName));
}

} // namespace
} // namespace bx::shell
