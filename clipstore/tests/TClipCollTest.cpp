#include "CollTestFixture.h"

#include "EMyStreamError.h"
#include "TBitmap.h"
#include "TByteReader.h"
#include "TByteWriter.h"
#include "TMetafile.h"
#include "TestDib.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace bx::clipstore::colltest {
namespace {

using namespace platform;
namespace fs = std::filesystem;

class ClipCollTest : public CollFixture {};

using testsupport::Put32;
using testsupport::SmallDib;

// An enhanced metafile: the header record and the end record.
Bytes SmallEmf() {
    Bytes b;
    for (std::uint32_t v : {1u, 88u, 0u, 0u, 0u, 0u, 0u, 0u, 2000u, 1000u, 0x464D4520u, 0x10000u, 108u, 2u})
        Put32(b, v);
    b.insert(b.end(), {1, 0, 0, 0});
    for (std::uint32_t v : {0u, 0u, 0u, 1920u, 1080u, 508u, 286u, 14u, 20u, 0u, 16u, 20u})
        Put32(b, v);
    return b;
}

std::size_t FindBytes(const Bytes& hay, const std::string& needle, std::size_t from) {
    const auto it =
        std::search(hay.begin() + static_cast<std::ptrdiff_t>(from), hay.end(), needle.begin(), needle.end());
    return it == hay.end() ? std::string::npos : static_cast<std::size_t>(it - hay.begin());
}

// A collection file of an earlier version, written field by field with the values below; clip records
// of version 500 (no sort key) hold one inline text each.
struct OldFile {
    int version;
    std::vector<std::int32_t> serials;

    Bytes Build(const std::string& header) const {
        TByteWriter w;
        w.WriteString(header);
        if (version >= 401)
            w.WriteBool(false); // AcceptNewClips
        w.WriteI32(7);          // LastSerialNbr
        w.WriteU8(1);           // Retention: by age
        w.WriteU8(1);           // Dirty as written
        w.WriteU8(5);           // Reserved1
        w.WriteU8(6);           // Reserved2
        if (version < 500)
            w.WriteU8(0xEE);
        w.WriteI32(50);
        w.WriteI32(3);
        w.WriteI32(0);
        w.WriteString("Old Things");
        if (version >= 500)
            w.WriteI32(4);
        if (version >= 501)
            w.WriteI32(777);
        if (version >= 502)
            w.WriteBool(true);
        if (version >= 503)
            w.WriteI32(900);
        if (version >= 504) {
            w.WriteI32(3);
            w.WriteBool(true);
        }
        if (version >= 505)
            w.WriteBool(true);
        w.WriteI32(static_cast<std::int32_t>(serials.size()));
        for (std::int32_t serial : serials) {
            const std::string text = "text " + std::to_string(serial);
            w.WriteString("CLIP.500");
            w.WriteString(text);
            w.WriteString("notepad");
            w.WriteI32(1);
            w.WriteDouble(46000.5);
            w.WriteI32(0);
            w.WriteI32(serial);
            w.WriteI32(1); // StoredFormatCount
            w.WriteBool(false);
            w.WriteString("TCLIPDATA.500");
            w.WriteU32(0);
            w.WriteString("CF_TEXT");
            w.WriteU16(1);
            w.WriteI32(static_cast<std::int32_t>(text.size() + 1));
            w.WriteU32(static_cast<std::uint32_t>(text.size() + 1));
            w.WriteBytes(reinterpret_cast<const std::uint8_t*>(text.c_str()), text.size() + 1);
        }
        return w.Take();
    }
};

TEST_F(ClipCollTest, CreateWithAndWithoutDefaults) {
    const TClipColl fresh(context, true);
    EXPECT_EQ(fresh.SortKey, 1010);
    EXPECT_EQ(fresh.ImageIndex, 10);
    EXPECT_EQ(fresh.Title, "NEW Collection");
    EXPECT_EQ(fresh.MaxItems, 100);
    EXPECT_EQ(fresh.MaxDays, 10);
    EXPECT_EQ(fresh.AddOrder, 1);
    EXPECT_TRUE(fresh.AcceptNewClips);
    EXPECT_TRUE(fresh.Dirty);
    EXPECT_EQ(fresh.SortColumn, 1);
    EXPECT_FALSE(fresh.SortAscending);

    const TClipColl blank(context, false);
    EXPECT_EQ(blank.DirName, "0");
    EXPECT_EQ(blank.Title, "");
    EXPECT_EQ(blank.SortKey, 0);
    EXPECT_EQ(blank.MaxItems, 0);
    EXPECT_FALSE(blank.AcceptNewClips);
    EXPECT_FALSE(blank.Dirty);
    EXPECT_TRUE(blank.ListChanged);
}

TEST_F(ClipCollTest, SerialNumbersAndSortKeysWrap) {
    TClipColl coll(context, true, &master);
    coll.Dirty = false;
    EXPECT_EQ(coll.GetNextSerialNum(), 1);
    EXPECT_EQ(coll.GetNextSerialNum(), 2);
    EXPECT_EQ(coll.GetNextClipSortKey(), 100);
    EXPECT_EQ(coll.GetNextClipSortKey(), 200);
    EXPECT_FALSE(coll.Dirty);
    EXPECT_FALSE(master.Dirty);

    coll.LastSerialNbr = INT32_MAX;
    EXPECT_EQ(coll.GetNextSerialNum(), 1);
    coll.LastSerialNbr = -5;
    EXPECT_EQ(coll.GetNextSerialNum(), 1);
    coll.LastClipSortKey = INT32_MAX - 50;
    EXPECT_EQ(coll.GetNextClipSortKey(), 100);
    coll.LastClipSortKey = INT32_MAX - 100;
    EXPECT_EQ(coll.GetNextClipSortKey(), INT32_MAX);
}

TEST_F(ClipCollTest, PathsFollowParentsAndTheCurrentDataSource) {
    TClipColl base(context, false, &master);
    base.DirName = "/data/clips"; // a data source's base folder holds the full path
    TClipColl child(context, true, &master);
    child.Parent = &base;
    child.DirName = "Work";
    TClipColl grandchild(context, true, &master);
    grandchild.Parent = &child;
    grandchild.DirName = "Old";
    EXPECT_EQ(base.GetPath(), "/data/clips/");
    EXPECT_EQ(grandchild.GetPath(), "/data/clips/Work/Old/");

    master.DataDir = "/data/main/";
    TClipColl trash(context, true, &master);
    trash.DirName = "TrashCan";
    trash.CollType = TClipColl::TrashCanColl;
    EXPECT_EQ(trash.GetPath(), "/data/main/TrashCan/");
    TClipColl top(context, true, &master);
    top.DirName = "Short-Term";
    master.NeedDefaults = true;
    EXPECT_EQ(top.GetPath(), "/data/main/Short-Term/");
    // Without a data source the special collections have no directory at all.
    master.DataDir.clear();
    EXPECT_EQ(trash.GetPath(), "");
}

TEST_F(ClipCollTest, AddOrderDecidesWhereNewClipsGo) {
    auto top = MakeColl("top");
    AddText(*top, "one");
    AddText(*top, "two");
    EXPECT_EQ(Serials(*top), (std::vector<std::int32_t>{2, 1}));
    EXPECT_EQ(top->EntryTitle(0), "two");

    auto bottom = MakeColl("bottom");
    bottom->AddOrder = 0;
    AddText(*bottom, "one");
    AddText(*bottom, "two");
    EXPECT_EQ(Serials(*bottom), (std::vector<std::int32_t>{1, 2}));
    EXPECT_TRUE(bottom->Dirty);
    EXPECT_TRUE(master.Dirty);
}

TEST_F(ClipCollTest, ReadOnlyCollectionIgnoresAddsAndRemoves) {
    auto coll = MakeColl("ro");
    AddText(*coll, "kept");
    coll->ReadOnly = true;
    coll->Dirty = false;
    master.Dirty = false;
    coll->ListChanged = false;

    auto clip = std::make_unique<TClipObj>(context, 9, "x");
    EXPECT_EQ(coll->MyAddObject("new", std::move(clip)), 0);
    EXPECT_NE(clip, nullptr); // still the caller's
    EXPECT_EQ(coll->RemoveItem(0, true), nullptr);
    EXPECT_EQ(coll->Count(), 1u);
    EXPECT_FALSE(coll->Dirty);
    EXPECT_FALSE(master.Dirty);
    EXPECT_FALSE(coll->ListChanged);

    // Nor is it written.
    TByteWriter w;
    coll->SaveToStream(w);
    EXPECT_EQ(w.Size(), 0u);
    EXPECT_TRUE(coll->SaveToFile(coll->GetPath() + TClipColl::FileName));
    EXPECT_FALSE(fs::exists(coll->GetPath()));
}

TEST_F(ClipCollTest, ReferencesLeaveTheClipsAndTheirFilesToTheirOwner) {
    auto owner = MakeColl("owner");
    TClipObj* longText = AddText(*owner, std::string(3000, 'l'));
    TClipObj* shortText = AddText(*owner, "short");
    ASSERT_TRUE(owner->SaveToFile(owner->GetPath() + TClipColl::FileName));
    const std::string dataFile = owner->GetPath() + TClipObj::DataFileName(longText->SerialNbr);
    ASSERT_TRUE(fs::exists(dataFile));

    auto results = MakeColl("results");
    results->CollType = TClipColl::SearchResultsColl;
    results->AddReference(longText->Title, longText);
    results->AddReference(shortText->Title, shortText);
    results->AddReference("none", nullptr);
    ASSERT_EQ(results->Count(), 2u);
    EXPECT_EQ(results->Clip(0), longText);
    EXPECT_EQ(results->IndexOf(shortText), 1);
    // An entry shows its clip's title as it is now.
    shortText->SetTitle("renamed");
    EXPECT_EQ(results->EntryTitle(1), "renamed");
    EXPECT_EQ(results->EntryTitle(2), "");

    // Removing a reference hands nothing back and leaves the clip's files alone.
    EXPECT_EQ(results->RemoveItem(0, false), nullptr);
    EXPECT_EQ(results->Count(), 1u);
    EXPECT_TRUE(fs::exists(dataFile));
    // Dropping the results leaves every clip with its owner, intact.
    results.reset();
    ASSERT_EQ(owner->Count(), 2u);
    EXPECT_EQ(owner->Clip(0), shortText);
    EXPECT_EQ(owner->Clip(0)->Title, "renamed");
    EXPECT_EQ(BlockBytes(owner->Clip(1)->GetHandle(CF_TEXT)).size(), 3001u);
}

TEST_F(ClipCollTest, PurgeByNumber) {
    struct Case {
        std::int32_t addOrder;
        std::int32_t maxItems;
        bool busy;
        std::vector<std::int32_t> gone; // serial numbers
    };
    // 103 clips, serials 1..103. Added at the top, the oldest (serials 1 to 3) are at the bottom.
    const std::vector<Case> cases = {
        {1, 100, true, {1, 2, 3}}, {0, 100, true, {1, 2, 3}}, {1, 100, false, {}}, {1, 0, true, {}}, // everything goes
        {0, 103, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("AddOrder " + std::to_string(c.addOrder) + " MaxItems " + std::to_string(c.maxItems));
        auto coll = MakeColl("n");
        coll->AddOrder = c.addOrder;
        for (int i = 0; i < 103; ++i)
            AddText(*coll, "clip " + std::to_string(i + 1));
        coll->MaxItems = c.maxItems;
        coll->Dirty = false;
        master.Busy = c.busy;
        coll->Purge();
        std::vector<std::int32_t> left = Serials(*coll);
        if (c.maxItems == 0) {
            EXPECT_TRUE(left.empty());
            continue;
        }
        EXPECT_EQ(left.size(), 103 - c.gone.size());
        for (std::int32_t serial : c.gone)
            EXPECT_EQ(std::count(left.begin(), left.end(), serial), 0) << serial;
        EXPECT_EQ(coll->Dirty, !c.gone.empty());
    }
    EXPECT_GE(log.Count("DELETING (LENGTH)", "Item:102 clip 1"), 1);
}

TEST_F(ClipCollTest, PurgeByAgeCountsThirtyDayMonths) {
    // Today is 1 February 2027.
    const TDateTime today = EncodeDateTime({2027, 2, 1, 10, 0, 0, 0});
    desk.SimulatedClock().MoveTo(
        static_cast<std::uint64_t>(MsFromDateTime(today) - MsFromDateTime(desk.Clock().Now())));
    master.Busy = true;
    struct Case {
        DateTimeParts date;
        std::int32_t maxDays;
        bool goes;
    };
    const std::vector<Case> cases = {
        {{2027, 1, 31, 23, 0, 0, 0}, 1, false}, // 0 days old, though a calendar says 1
        {{2027, 1, 22, 0, 0, 0, 0}, 10, false}, // 9 day numbers, 10 calendar days
        {{2027, 1, 21, 0, 0, 0, 0}, 10, true},  // 10 day numbers
        {{2026, 12, 31, 0, 0, 0, 0}, 10, true}, // across the year
        {{2027, 2, 1, 9, 0, 0, 0}, 0, true},    // MaxDays 0: everything goes
        {{2027, 2, 3, 0, 0, 0, 0}, 1, false},   // from the future
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.date.month) + "/" + std::to_string(c.date.day));
        auto coll = MakeColl("age");
        coll->Retention = TClipColl::DeleteByAge;
        coll->MaxDays = c.maxDays;
        TClipObj* clip = AddText(*coll, "dated");
        clip->TimeStamp = EncodeDateTime(c.date);
        coll->Purge();
        EXPECT_EQ(coll->Count(), c.goes ? 0u : 1u);
    }
    EXPECT_GE(log.Count("DELETING (AGE)", "Item:0 dated"), 1);
    EXPECT_GE(log.Count("BEGIN PURGE", "age"), 1);
}

TEST_F(ClipCollTest, TrashCanPurgesAlwaysAndSafeCollectionsNever) {
    master.Busy = false;
    auto trash = MakeColl("TrashCan");
    trash->CollType = TClipColl::TrashCanColl;
    trash->Retention = TClipColl::DeleteByAge;
    trash->MaxDays = 0;
    AddText(*trash, "a");
    AddText(*trash, "b");
    trash->Purge();
    EXPECT_EQ(trash->Count(), 0u);

    master.Busy = true;
    auto safe = MakeColl("safe");
    safe->Retention = TClipColl::KeepAll;
    safe->MaxItems = 0;
    AddText(*safe, "a");
    safe->Purge();
    EXPECT_EQ(safe->Count(), 1u);
}

TEST_F(ClipCollTest, RemoveItemDeletesTheClipFilesWhateverTheirCase) {
    auto coll = MakeColl("files");
    auto clip = std::make_unique<TClipObj>(context, coll->GetNextSerialNum(), "paint");
    clip->SetColl(coll.get());
    auto d = std::make_unique<TClipData>(TClipData::TypeBitmap);
    d->FormatNum = CF_BITMAP;
    d->FormatName = "CF_BITMAP";
    d->Bitmap = std::make_unique<TBitmap>();
    ASSERT_TRUE(d->Bitmap->LoadFromDib(SmallDib()));
    clip->Formats->push_back(std::move(d));
    clip->Online = true;
    clip->SetIcon(CF_BITMAP);
    coll->MyAddObject("picture", std::move(clip));
    AddText(*coll, "other");
    ASSERT_TRUE(coll->SaveToFile(coll->GetPath() + TClipColl::FileName));
    const std::string dir = coll->GetPath();
    ASSERT_TRUE(fs::exists(dir + "I1.bmp"));
    ASSERT_TRUE(fs::exists(dir + "D1.DAT"));
    fs::rename(dir + "D1.DAT", dir + "d1.dat"); // as another system spelled it

    const int index = coll->IndexOf(coll->Clip(1));
    ASSERT_EQ(coll->Clip(1)->SerialNbr, 1);
    coll->Dirty = false;
    EXPECT_EQ(coll->RemoveItem(index, true), nullptr);
    EXPECT_FALSE(fs::exists(dir + "I1.bmp"));
    EXPECT_FALSE(fs::exists(dir + "d1.dat"));
    EXPECT_EQ(coll->Count(), 1u);
    EXPECT_TRUE(coll->Dirty);

    // Without free the clip is handed back; an index outside the list changes nothing.
    EXPECT_EQ(coll->RemoveItem(5, false), nullptr);
    auto back = coll->RemoveItem(0, false);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Title, "other");
    EXPECT_EQ(coll->Count(), 0u);
}

TEST_F(ClipCollTest, RoundTripOfClipsOfSeveralKinds) {
    auto coll = MakeColl("Round Trip");
    coll->Title = "Round Trip ü";
    coll->Retention = TClipColl::DeleteByAge;
    coll->MaxDays = 30;
    coll->AddOrder = 0;
    coll->AllowDuplicates = true;
    coll->SortColumn = 4;
    coll->SortAscending = true;
    coll->Favorite = true;
    coll->Reserved1 = 9;
    coll->Reserved2 = 8;
    coll->SortKey = 4242;
    coll->AcceptNewClips = false;
    coll->ImageIndex = 12;

    AddText(*coll, "short text");
    AddText(*coll, std::string(3000, 'x')); // a data file
    {
        auto clip = std::make_unique<TClipObj>(context, coll->GetNextSerialNum(), "browser");
        clip->SortKey = coll->GetNextClipSortKey();
        clip->SetColl(coll.get());
        clip->SourceURL = "https://example.org/page";
        const std::string html = "<b>bold</b>";
        AddBlock(*clip, context.HtmlFormat, "HTML Format", Bytes(html.begin(), html.end()));
        AddBlock(*clip, CF_TEXT, "CF_TEXT", Bytes{'b', 'o', 'l', 'd', 0});
        clip->SetTitle("bold");
        coll->MyAddObject(clip->Title, std::move(clip));
    }
    {
        auto clip = std::make_unique<TClipObj>(context, coll->GetNextSerialNum(), "paint");
        clip->SortKey = coll->GetNextClipSortKey();
        clip->SetColl(coll.get());
        auto bmp = std::make_unique<TClipData>(TClipData::TypeBitmap);
        bmp->FormatNum = CF_BITMAP;
        bmp->FormatName = "CF_BITMAP";
        bmp->Bitmap = std::make_unique<TBitmap>();
        ASSERT_TRUE(bmp->Bitmap->LoadFromDib(SmallDib()));
        clip->Formats->push_back(std::move(bmp));
        auto emf = std::make_unique<TClipData>(TClipData::TypeMetafile);
        emf->FormatNum = CF_METAFILEPICT;
        emf->FormatName = "CF_METAFILEPICT";
        emf->Pasteable = false;
        emf->Metafile = std::make_unique<TMetafile>();
        ASSERT_TRUE(emf->Metafile->LoadFromBytes(SmallEmf()));
        clip->Formats->push_back(std::move(emf));
        clip->Online = true;
        clip->SetIcon(CF_BITMAP);
        clip->SetIcon(CF_METAFILEPICT);
        clip->SetTitle("picture");
        coll->MyAddObject(clip->Title, std::move(clip));
    }
    const std::string file = coll->GetPath() + TClipColl::FileName;
    ASSERT_TRUE(coll->SaveToFile(file));
    EXPECT_FALSE(coll->Dirty);
    // Saved clips with a data file are unloaded; inline ones stay.
    EXPECT_TRUE(coll->Clip(0)->Online);
    EXPECT_FALSE(coll->Clip(1)->Online);

    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(coll->GetPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    context.StartingUp = true;
    TClipColl back(context, false, &master);
    back.DirName = coll->DirName;
    const auto report = back.LoadFromFile(file);
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(report->Version, TClipColl::FileVersion);
    EXPECT_EQ(report->Passed, 4);
    EXPECT_EQ(report->Failed, 0);
    EXPECT_FALSE(back.Dirty);
    EXPECT_EQ(back.Title, "Round Trip ü");
    EXPECT_EQ(back.Retention, TClipColl::DeleteByAge);
    EXPECT_EQ(back.MaxDays, 30);
    EXPECT_EQ(back.MaxItems, 100);
    EXPECT_EQ(back.AddOrder, 0);
    EXPECT_TRUE(back.AllowDuplicates);
    EXPECT_EQ(back.SortColumn, 4);
    EXPECT_TRUE(back.SortAscending);
    EXPECT_TRUE(back.Favorite);
    EXPECT_EQ(back.Reserved1, 9);
    EXPECT_EQ(back.Reserved2, 8);
    EXPECT_EQ(back.SortKey, 4242);
    EXPECT_FALSE(back.AcceptNewClips);
    EXPECT_EQ(back.ImageIndex, 12);
    EXPECT_EQ(back.LastSerialNbr, 4);
    EXPECT_EQ(back.LastClipSortKey, 400);
    ASSERT_EQ(back.Count(), 4u);

    for (std::size_t i = 0; i < back.Count(); ++i) {
        SCOPED_TRACE(i);
        TClipObj* a = coll->Clip(i);
        TClipObj* b = back.Clip(i);
        EXPECT_EQ(back.EntryTitle(i), a->Title);
        EXPECT_EQ(b->Title, a->Title);
        EXPECT_EQ(b->Creator, a->Creator);
        EXPECT_EQ(b->SerialNbr, a->SerialNbr);
        EXPECT_EQ(b->SortKey, a->SortKey);
        EXPECT_EQ(b->TimeStamp, a->TimeStamp);
        EXPECT_EQ(b->SourceURL, a->SourceURL);
        EXPECT_EQ(b->IconBits, a->IconBits);
        ASSERT_EQ(b->FormatCount(), a->FormatCount());
        for (int f = 0; f < a->FormatCount(); ++f) {
            EXPECT_EQ(b->GetFormatNum(f), a->GetFormatNum(f));
            EXPECT_EQ(b->GetFormatName(f), a->GetFormatName(f));
            EXPECT_EQ(b->GetPasteable(f), a->GetPasteable(f));
        }
    }
    EXPECT_EQ(BlockBytes(back.Clip(1)->GetHandle(CF_TEXT)), BlockBytes(coll->Clip(1)->GetHandle(CF_TEXT)));
    EXPECT_EQ(BlockBytes(back.Clip(2)->GetHandle(context.HtmlFormat)),
              (Bytes{'<', 'b', '>', 'b', 'o', 'l', 'd', '<', '/', 'b', '>'}));
    ASSERT_NE(back.Clip(3)->GetObj(CF_BITMAP).Bitmap, nullptr);
    EXPECT_EQ(back.Clip(3)->GetObj(CF_BITMAP).Bitmap->Dib(), SmallDib());
    ASSERT_NE(back.Clip(3)->GetObj(CF_METAFILEPICT).Metafile, nullptr);
    EXPECT_EQ(back.Clip(3)->GetObj(CF_METAFILEPICT).Metafile->Bytes(), SmallEmf());
}

TEST_F(ClipCollTest, SaveToFileWritesOnlyDirtyCollections) {
    auto coll = MakeColl("clean");
    AddText(*coll, "a");
    const std::string file = coll->GetPath() + TClipColl::FileName;
    coll->Dirty = false;
    EXPECT_FALSE(coll->SaveToFile(file));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(log.Count("SaveToFile", "Not Saving, Because Not Dirty: clean"), 1);

    coll->SetDirty(true);
    EXPECT_TRUE(coll->SaveToFile(file));
    EXPECT_TRUE(fs::exists(file));
    EXPECT_FALSE(coll->Dirty);

    // The search results are never written.
    auto results = MakeColl("results");
    results->CollType = TClipColl::SearchResultsColl;
    EXPECT_TRUE(results->SaveToFile(results->GetPath() + TClipColl::FileName));
    EXPECT_FALSE(fs::exists(results->GetPath()));
}

TEST_F(ClipCollTest, FailedSaveKeepsTheCollectionDirty) {
    auto coll = MakeColl("unsaved");
    AddText(*coll, "precious");
    master.Dirty = false;
    EXPECT_THROW(coll->SaveToFile(root + "missing/dir/_COLL.tmp"), EMyStreamError);
    EXPECT_TRUE(coll->Dirty);
    EXPECT_TRUE(master.Dirty);
}

TEST_F(ClipCollTest, LoadFindsTheFileWhateverItsCase) {
    auto coll = MakeColl("case");
    AddText(*coll, "a");
    ASSERT_TRUE(coll->SaveToFile(coll->GetPath() + "_coll.bx4"));

    TClipColl back(context, false, &master);
    back.DirName = coll->DirName;
    const auto report = back.LoadFromFile(back.GetPath() + TClipColl::FileName);
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(back.Count(), 1u);

    TClipColl none(context, false, &master);
    none.DirName = root + "nothing";
    EXPECT_FALSE(none.LoadFromFile(none.GetPath() + TClipColl::FileName).has_value());
    EXPECT_EQ(none.Count(), 0u);
}

TEST_F(ClipCollTest, EarlierVersionsReadByTheTable) {
    struct Expect {
        int version;
        std::string header;
        bool accept;
        std::int32_t imageIndex;
        std::int32_t sortKey;
        bool allowDuplicates;
        std::int32_t lastClipSortKey;
        std::int32_t sortColumn;
        bool favorite;
        bool dirty;
    };
    const std::vector<Expect> cases = {
        {0, "A Title Here", true, 12, 1000, false, 0, 1, false, true},
        {400, "COLL.400", true, 12, 1250, false, 0, 1, false, true},
        {401, "COLL.401", false, 12, 1500, false, 0, 1, false, true},
        {500, "COLL.500", false, 4, 1750, false, 0, 1, false, true},
        {501, "COLL.501", false, 4, 777, false, 0, 1, false, true},
        {502, "COLL.502", false, 4, 777, true, 0, 1, false, true},
        {503, "COLL.503", false, 4, 777, true, 900, 1, false, false},
        {504, "COLL.504", false, 4, 777, true, 900, 3, false, false},
        {505, "COLL.505", false, 4, 777, true, 900, 3, true, false},
    };
    context.StartingUp = true;
    for (const Expect& e : cases) {
        SCOPED_TRACE(e.header);
        TByteReader in(OldFile{e.version, {}}.Build(e.header));
        TClipColl coll(context, false, &master);
        const auto report = coll.LoadFromStream(in);
        EXPECT_EQ(report.Version, e.version);
        EXPECT_EQ(in.Remaining(), 0u);
        EXPECT_EQ(coll.Title, "Old Things");
        EXPECT_EQ(coll.AcceptNewClips, e.accept);
        EXPECT_EQ(coll.LastSerialNbr, 7);
        EXPECT_EQ(coll.Reserved1, 5);
        EXPECT_EQ(coll.Reserved2, 6);
        EXPECT_EQ(coll.MaxItems, 50);
        EXPECT_EQ(coll.MaxDays, 3);
        EXPECT_EQ(coll.ImageIndex, e.imageIndex);
        EXPECT_EQ(coll.SortKey, e.sortKey);
        EXPECT_EQ(coll.AllowDuplicates, e.allowDuplicates);
        EXPECT_EQ(coll.LastClipSortKey, e.lastClipSortKey);
        EXPECT_EQ(coll.SortColumn, e.sortColumn);
        EXPECT_EQ(coll.Favorite, e.favorite);
        EXPECT_EQ(coll.Dirty, e.dirty);
    }
}

TEST_F(ClipCollTest, Version501FileGetsClipSortKeysFromSerials) {
    context.StartingUp = true;
    TByteReader in(OldFile{501, {3, 12, 5}}.Build("COLL.501"));
    TClipColl coll(context, false, &master);
    coll.DirName = root + "old";
    const auto report = coll.LoadFromStream(in);
    EXPECT_EQ(report.Passed, 3);
    EXPECT_TRUE(coll.Dirty);
    EXPECT_TRUE(master.Dirty);
    ASSERT_EQ(coll.Count(), 3u);
    EXPECT_EQ(coll.Clip(0)->SortKey, 300);
    EXPECT_EQ(coll.Clip(1)->SortKey, 1200);
    EXPECT_EQ(coll.Clip(2)->SortKey, 500);
    EXPECT_EQ(coll.LastClipSortKey, 1200);
    EXPECT_EQ(coll.EntryTitle(1), "text 12");
    EXPECT_EQ(BlockBytes(coll.Clip(1)->GetHandle(CF_TEXT)), (Bytes{'t', 'e', 'x', 't', ' ', '1', '2', 0}));
}

TEST_F(ClipCollTest, DamagedRecordIsSkippedByStreamRecovery) {
    auto coll = MakeColl("damaged");
    coll->AddOrder = 0;
    for (int i = 1; i <= 5; ++i)
        AddText(*coll, "entry " + std::to_string(i));
    TByteWriter w;
    coll->SaveToStream(w);
    Bytes bytes = w.Take();

    // The third record's text block claims far more bytes than the file holds.
    std::size_t at = 0;
    for (int i = 0; i < 3; ++i)
        at = FindBytes(bytes, std::string("\x08") + TClipObj::CheckedRecordHeader, at + 1);
    ASSERT_NE(at, std::string::npos);
    const std::size_t format = FindBytes(bytes, std::string("\x0d") + TClipData::CheckedRecordHeader, at);
    ASSERT_NE(format, std::string::npos);
    const std::size_t length = format + 14 + 4 + 1 + bytes[format + 18] + 2 + 4 + 1;
    bytes[length + 3] = 0x7F;

    context.StartingUp = true;
    master.Dirty = false;
    TClipColl back(context, false, &master);
    back.DirName = coll->DirName;
    TByteReader in(bytes);
    const auto report = back.LoadFromStream(in);
    EXPECT_EQ(report.Passed, 4);
    EXPECT_EQ(report.Failed, 1);
    ASSERT_EQ(back.Count(), 4u);
    EXPECT_EQ(back.EntryTitle(2), "entry 4");
    EXPECT_EQ(back.EntryTitle(3), "entry 5");
    EXPECT_EQ(log.Count("Stream Recovery Sucessful", "Read past "), 1);
    EXPECT_EQ(log.Count("Error Loading Item:", "entry 3"), 1);
    ASSERT_EQ(master.Boxes.Boxes().size(), 1u);
    EXPECT_NE(master.Boxes.Boxes()[0].text.find("The number of failed items is: 1"), std::string::npos);
    EXPECT_NE(master.Boxes.Boxes()[0].text.find("  damaged\n"), std::string::npos);
    EXPECT_EQ(master.Boxes.Boxes()[0].type, MsgType::Error);
    EXPECT_TRUE(back.Dirty);
    EXPECT_TRUE(master.Dirty);
}

TEST_F(ClipCollTest, MissingDataFileDropsTheClipWithoutRecovery) {
    auto coll = MakeColl("audit");
    AddText(*coll, std::string(2000, 'y'));
    AddText(*coll, "small");
    const std::string file = coll->GetPath() + TClipColl::FileName;
    ASSERT_TRUE(coll->SaveToFile(file));
    fs::remove(coll->GetPath() + "D1.DAT");

    TClipColl back(context, false, &master);
    back.DirName = coll->DirName;
    const auto report = back.LoadFromFile(file);
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(report->Passed, 1);
    EXPECT_EQ(report->Failed, 1);
    EXPECT_EQ(back.EntryTitle(0), "small");
    EXPECT_EQ(log.Count("Stream Recovery Sucessful"), 0);
}

// Where the collection's own fields end: its clip count, then the checksum of the fields and the count.
std::size_t HeaderEnd(const Bytes& file) {
    return FindBytes(file, std::string("\x08") + TClipObj::CheckedRecordHeader, 0);
}

// A collection file as the version before checked headers wrote it.
Bytes WithUncheckedHeader(Bytes file) {
    const std::size_t end = HeaderEnd(file);
    file.erase(file.begin() + static_cast<std::ptrdiff_t>(end - 4), file.begin() + static_cast<std::ptrdiff_t>(end));
    const std::string header = TClipColl::UncheckedFileHeader;
    std::copy(header.begin(), header.end(), file.begin() + 1);
    return file;
}

TEST_F(ClipCollTest, DamagedOrShortHeaderRaisesAndNothingOfItIsUsed) {
    auto coll = MakeColl("header");
    coll->MaxItems = 5000;
    AddText(*coll, "one");
    AddText(*coll, "two");
    TByteWriter w;
    coll->SaveToStream(w);
    const Bytes good = w.Take();
    const std::size_t end = HeaderEnd(good);
    struct Damage {
        const char* name;
        std::size_t at;
    };
    // A single flipped bit that would delete clips, overwrite their data files or lose the collection.
    const std::vector<Damage> cases = {
        {"last serial number", 10}, {"retention rule", 14}, {"most clips kept", 19}, {"title", 31},
        {"clip count", end - 8},    {"checksum", end - 1},
    };
    for (const Damage& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bytes = good;
        bytes[c.at] ^= 0x04;
        TClipColl back(context, false, &master);
        TByteReader in(bytes);
        EXPECT_THROW(back.LoadFromStream(in), EMyStreamError);
        EXPECT_EQ(back.Count(), 0u);
    }
    Bytes cut = good;
    cut.resize(20);
    TClipColl back(context, false, &master);
    TByteReader in(cut);
    EXPECT_THROW(back.LoadFromStream(in), EMyStreamError);

    TClipColl old(context, false, &master);
    old.DirName = coll->DirName;
    TByteReader unchecked(WithUncheckedHeader(good));
    EXPECT_EQ(old.LoadFromStream(unchecked).Passed, 2) << "a header of the version before still reads";
    EXPECT_EQ(old.MaxItems, 5000);
}

TEST_F(ClipCollTest, HugeEntryCountOnAShortFileEndsQuickly) {
    auto coll = MakeColl("count");
    AddText(*coll, "only");
    TByteWriter w;
    coll->SaveToStream(w);
    Bytes bytes = WithUncheckedHeader(w.Take()); // the count of a checked header is covered by its checksum
    const std::size_t count = HeaderEnd(bytes) - 4;
    bytes[count + 3] = 0x7F; // 2 billion entries and more

    context.StartingUp = true;
    TClipColl back(context, false, &master);
    back.DirName = coll->DirName;
    TByteReader in(bytes);
    const auto report = back.LoadFromStream(in);
    EXPECT_EQ(report.Passed, 1);
    EXPECT_EQ(static_cast<std::int64_t>(report.Passed) + report.Failed,
              static_cast<std::int64_t>(bytes[count]) | (std::int64_t{0x7F} << 24));
}

TEST_F(ClipCollTest, ReadOnlyCollectionAcceptsNoNewClipsAfterLoading) {
    auto coll = MakeColl("shared");
    AddText(*coll, "a");
    TByteWriter w;
    coll->SaveToStream(w);
    TClipColl back(context, false, &master);
    back.ReadOnly = true;
    back.DirName = coll->DirName;
    TByteReader in(w.Take());
    back.LoadFromStream(in);
    EXPECT_TRUE(coll->AcceptNewClips);
    EXPECT_FALSE(back.AcceptNewClips);
    EXPECT_EQ(back.Count(), 1u);
}

TEST_F(ClipCollTest, WipeFilesRemovesFilesAndTheDirectory) {
    auto coll = MakeColl("wipe");
    AddText(*coll, std::string(2000, 'z'));
    ASSERT_TRUE(coll->SaveToFile(coll->GetPath() + TClipColl::FileName));
    const std::string dir = coll->GetPath();
    fs::create_directory(dir + "child");
    EXPECT_FALSE(coll->WipeFiles());
    EXPECT_EQ(log.Count("WipeFiles", "Directory Delete NOT Sucessful:" + dir), 1);
    EXPECT_FALSE(fs::exists(dir + TClipColl::FileName));
    EXPECT_TRUE(fs::exists(dir + "child"));

    fs::remove(dir + "child");
    PutFile(dir + "stray.txt", Bytes{1});
    EXPECT_TRUE(coll->WipeFiles());
    EXPECT_FALSE(fs::exists(dir));
    EXPECT_FALSE(coll->WipeFiles()); // gone already

    auto ro = MakeColl("ro");
    fs::create_directories(ro->GetPath());
    ro->ReadOnly = true;
    EXPECT_FALSE(ro->WipeFiles());
    EXPECT_TRUE(fs::exists(ro->GetPath()));
}

} // namespace
} // namespace bx::clipstore::colltest
