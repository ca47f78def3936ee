#include "TCaptureJournal.h"
#include "CollTestFixture.h"
#include "TBitmap.h"
#include "TDataSource.h"
#include "TDataSourceList.h"
#include "TJournalRecord.h"
#include "TMasterList.h"
#include "TestDib.h"

#include <cstring>
#include <fstream>

namespace bx::clipstore {
namespace {

using namespace colltest;
namespace fs = std::filesystem;

// A program's runs over one data source: each run loads it; one that ends without saving is a crash
// after the journal was written.
class CaptureJournalTest : public CollFixture {
protected:
    void SetUp() override {
        CollFixture::SetUp();
        sources.Add("S1", std::make_unique<TDataSource>(1, "Source 1", root, false, true));
        fs::create_directories(root + "A");
        auto coll = MakeColl("A");
        coll->Title = "A";
        ASSERT_TRUE(coll->SaveToFile(root + "A/_COLL.BX4"));
    }

    TClipColl& Start() {
        list.reset();
        list = std::make_unique<TMasterList>(context, sources, &boxes);
        TMasterList::DetermineFirstGoodDataSource(sources, &boxes);
        list->Load();
        for (std::size_t i = 0; i < list->Count(); ++i)
            if (list->Item(i)->Title == "A")
                return *list->Item(i);
        throw std::runtime_error("collection A not loaded");
    }

    std::string Journal() const { return root + TCaptureJournal::FileName; }

    static std::string Text(TClipObj& clip) {
        const std::size_t size = clip.Lock(platform::CF_TEXT);
        std::string text(reinterpret_cast<const char*>(clip.LockedData), size);
        clip.Unlock();
        return text.substr(0, text.find('\0'));
    }

    static TClipObj* AddBitmap(TClipColl& coll, const Bytes& dib) {
        auto clip = std::make_unique<TClipObj>(coll.Context(), coll.GetNextSerialNum(), "painter");
        clip->SortKey = coll.GetNextClipSortKey();
        clip->SetColl(&coll);
        auto d = std::make_unique<TClipData>(TClipData::TypeBitmap);
        d->Bitmap = std::make_unique<TBitmap>();
        EXPECT_TRUE(d->Bitmap->LoadFromDib(std::span<const std::uint8_t>(dib)));
        d->DataSize = static_cast<std::int32_t>(dib.size());
        d->FormatNum = platform::CF_BITMAP;
        d->FormatName = "CF_BITMAP";
        clip->Formats->push_back(std::move(d));
        clip->Online = true;
        clip->SetIcon(platform::CF_BITMAP);
        TClipObj* raw = clip.get();
        coll.MyAddObject("picture", std::move(clip));
        return raw;
    }

    // The texts of the collection, top first, with serial numbers and sort keys.
    static std::vector<std::string> Contents(TClipColl& coll) {
        std::vector<std::string> out;
        for (std::size_t i = 0; i < coll.Count(); ++i) {
            TClipObj* clip = coll.Clip(i);
            const std::string body = clip->HasFormat(platform::CF_TEXT) ? Text(*clip) : std::string("picture");
            out.push_back(std::to_string(clip->SerialNbr) + "/" + std::to_string(clip->SortKey) + ":" + body);
        }
        return out;
    }

    TDataSourceList sources;
    platform::sim::SimMessageBoxes boxes;
    std::unique_ptr<TMasterList> list;
};

TEST_F(CaptureJournalTest, ACrashLosesNoClipAndTheNextSaveRetiresTheJournal) {
    TClipColl& a = Start();
    AddText(a, "short text");
    AddText(a, std::string(5000, 'x') + " long text in a data file");
    const Bytes dib = testsupport::SeededDib(7);
    AddBitmap(a, dib);
    list->FlushJournals();
    EXPECT_TRUE(list->JournalsUnsynced());
    EXPECT_TRUE(list->SyncJournals());
    const std::vector<std::string> before = Contents(a);

    // The clips were never saved: the next start takes them from the journal, in their places.
    TClipColl& again = Start();
    EXPECT_EQ(Contents(again), before);
    EXPECT_EQ(list->JournalReplayed(), 3);
    EXPECT_TRUE(list->Dirty);
    EXPECT_TRUE(again.Dirty);
    EXPECT_EQ(again.LastSerialNbr, 3);
    TClipObj* picture = again.Clip(0);
    ASSERT_TRUE(picture->HasFormat(platform::CF_BITMAP));
    EXPECT_EQ(picture->GetObj(platform::CF_BITMAP).Bitmap->Dib(), dib);
    // A new clip after the replay gets the next serial number.
    EXPECT_EQ(AddText(again, "after")->SerialNbr, 4);

    list->Save();
    EXPECT_FALSE(fs::exists(Journal()));
    const std::vector<std::string> saved = Contents(again);
    TClipColl& third = Start();
    EXPECT_EQ(Contents(third), saved);
    EXPECT_EQ(list->JournalReplayed(), 0);
}

TEST_F(CaptureJournalTest, ReplayingAgainOrAfterTheSaveChangesNothing) {
    TClipColl& a = Start();
    for (const char* text : {"one", "two", "three"})
        AddText(a, text);
    list->FlushJournals();
    const std::vector<std::string> before = Contents(a);
    // Killed before the save: replayed, and killed again before the save.
    Start();
    EXPECT_EQ(Contents(Start()), before);
    // Killed after the save but before the journal was retired.
    const std::string kept = root + "kept";
    fs::copy_file(Journal(), kept);
    list->Save();
    fs::rename(kept, Journal());
    EXPECT_EQ(Contents(Start()), before);
    EXPECT_EQ(list->JournalReplayed(), 0);
}

TEST_F(CaptureJournalTest, EditsTitlesAndDeletionsFollowTheJournal) {
    TClipColl& a = Start();
    AddText(a, "kept");
    TClipObj* edited = AddText(a, "before the edit");
    AddText(a, "deleted");
    list->Save();
    edited->PutText("after the edit", 0);
    edited->SetTitle("new title");
    a.RemoveItem(0, true); // "deleted", at the top
    TClipObj* added = AddText(a, "added");
    a.RemoveItem(a.IndexOf(added), true);
    list->FlushJournals();

    TClipColl& again = Start();
    EXPECT_EQ(Contents(again), (std::vector<std::string>{"2/200:after the edit", "1/100:kept"}));
    EXPECT_EQ(again.Clip(0)->Title, "new title");
}

TEST_F(CaptureJournalTest, LoadingAClipsCollectionWritesNoJournal) {
    TClipColl& a = Start();
    for (int i = 0; i < 5; ++i)
        AddText(a, "clip " + std::to_string(i));
    list->Save();
    ASSERT_FALSE(fs::exists(Journal()));
    Start();
    list->FlushJournals();
    EXPECT_FALSE(fs::exists(Journal()));
}

TEST_F(CaptureJournalTest, NewClipsFollowTheLastSoundRecordAfterATornEnd) {
    TClipColl& a = Start();
    AddText(a, "first");
    AddText(a, "second");
    list->FlushJournals();
    list.reset();
    fs::resize_file(Journal(), fs::file_size(Journal()) - 3);
    TClipColl& again = Start();
    EXPECT_EQ(Contents(again), (std::vector<std::string>{"1/100:first"}));
    EXPECT_TRUE(std::any_of(log.lines.begin(), log.lines.end(),
                            [](const auto& l) { return l.what.find("damaged or torn") != std::string::npos; }));
    AddText(again, "third");
    list->FlushJournals();
    EXPECT_EQ(Contents(Start()), (std::vector<std::string>{"2/200:third", "1/100:first"}));
}

// The reader on journals cut or damaged anywhere: what it reads is always the sound records before.
TEST_F(CaptureJournalTest, TheReaderStopsAtTheFirstUnsoundRecord) {
    TClipColl& a = Start();
    std::vector<std::vector<std::uint8_t>> records;
    for (const char* text : {"alpha", "beta", "gamma"})
        records.push_back(TJournalRecord::OfClip(TJournalRecord::Added, "A", *AddText(a, text)));
    records.push_back(TJournalRecord::OfDeletion("A", 2));
    std::vector<std::uint8_t> journal;
    std::vector<std::size_t> ends;
    for (const auto& r : records) {
        journal.insert(journal.end(), r.begin(), r.end());
        ends.push_back(journal.size());
    }
    const auto whole = TJournalRecord::Read(journal);
    ASSERT_EQ(whole.Entries.size(), 4u);
    EXPECT_FALSE(whole.Damaged);
    EXPECT_EQ(whole.Entries[1].SerialNbr, 2);
    EXPECT_EQ(whole.Entries[3].Kind, TJournalRecord::Deleted);

    struct Case {
        const char* what;
        std::size_t at; // the byte changed, or the length kept
        bool cut;
        std::size_t read; // records read
    };
    const Case cases[] = {
        {"cut inside the last record", ends[3] - 1, true, 3}, {"cut inside a header", ends[1] + 5, true, 2},
        {"a byte of a body changed", ends[0] + 20, false, 1}, {"the magic changed", 0, false, 0},
        {"a length changed", ends[1] + 9, false, 2},          {"the checksum changed", ends[2] - 1, false, 2},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bytes = journal;
        if (c.cut)
            bytes.resize(c.at);
        else
            bytes[c.at] ^= 0x5A;
        const auto read = TJournalRecord::Read(bytes);
        EXPECT_EQ(read.Entries.size(), c.read) << c.what;
        EXPECT_TRUE(read.Damaged) << c.what;
        EXPECT_EQ(read.GoodBytes, c.read == 0 ? 0 : ends[c.read - 1]) << c.what;
    }
}

} // namespace
} // namespace bx::clipstore
