// Clip and format records carry a checksum: a record damaged anywhere (a byte changed in any of its
// fields, or cut short) is refused as damaged, exactly like a record cut short, and never read back
// with other bytes; records of the versions before the checksum still read.
#include "ClipTestFixture.h"

#include "TBitmap.h"
#include "TBlockPacker.h"
#include "TByteReader.h"
#include "TByteWriter.h"
#include "TClipData.h"
#include "TFormatRecordScanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace bx::clipstore;
using namespace bx::clipstore::testing;
using namespace bx::platform;

namespace {

// A stretch of a record: a field, by its first byte and its length.
struct Region {
    std::string name;
    std::size_t at;
    std::size_t size;
};

// The fields of a record as its writer laid them out, named in order; strings are their length byte
// and their bytes.
class Layout {
public:
    void Add(const std::string& name, std::size_t size) {
        regions.push_back({name, end, size});
        end += size;
    }
    void String(const std::string& name, const std::string& s) { Add(name, 1 + s.size()); }
    std::vector<Region> regions;
    std::size_t end = 0;
};

class CheckedRecordTest : public ClipFixture {
protected:
    TestColl coll{""};
    void SetUp() override {
        ClipFixture::SetUp();
        coll = TestColl(root + "a/");
    }

    static Bytes Words(std::size_t size) {
        std::string s;
        for (int i = 0; s.size() < size; ++i)
            s += "checked" + std::to_string(i * 31 % 200) + ' ';
        s.resize(size);
        return TextBytes(s);
    }

    // The fields of a clip record as TClipFile writes them, from offset base on.
    static void ClipFields(Layout& l, const TClipObj& clip) {
        l.String("clip header", TClipObj::CheckedRecordHeader);
        l.String("title", clip.Title);
        l.String("creator", clip.Creator);
        for (const char* field : {"type bits", "time stamp", "reserved", "serial", "sort key", "format count"})
            l.Add(field, std::string(field) == "time stamp" ? 8 : 4);
        l.String("address", clip.SourceURL);
        l.Add("data in file", 1);
        l.Add("clip checksum", 4);
    }
    // The fields of a memory block's format record.
    static void BlockFields(Layout& l, const std::string& what, const std::string& name, std::size_t stored) {
        l.Add(what + " header", 14);
        l.Add(what + " type", 4);
        l.String(what + " name", name);
        for (const char* field : {" number", " size", " pasteable", " length"})
            l.Add(what + field, std::string(field) == " number" ? 2 : std::string(field) == " pasteable" ? 1 : 4);
        l.Add(what + " bytes", stored);
        l.Add(what + " checksum", 4);
    }

    // Every way of damaging the record: a byte changed in the middle of each field, and the record cut
    // in each field.
    static std::vector<std::pair<std::string, Bytes>> Damaged(const Bytes& good, const Layout& l) {
        std::vector<std::pair<std::string, Bytes>> out;
        for (const Region& r : l.regions) {
            Bytes flipped = good;
            flipped[r.at + r.size / 2] ^= 0x20;
            out.emplace_back(r.name + " changed", flipped);
            out.emplace_back(r.name + " cut",
                             Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(r.at + r.size / 2)));
        }
        return out;
    }
};

TEST_F(CheckedRecordTest, ADamagedInlineClipRecordIsRefusedNeverReadWithOtherBytes) {
    TClipObj clip(context, 7, "GEDIT");
    clip.Coll = &coll;
    clip.SourceURL = "https://a.example/";
    const Bytes text = TextBytes("short text kept inline");
    AddBlock(clip, CF_TEXT, "CF_TEXT", text);
    clip.SetTitle("short text");
    TByteWriter w;
    clip.SaveToStream(w);
    ASSERT_FALSE(clip.DataInFile);
    const Bytes good = w.Take();
    Layout l;
    ClipFields(l, clip);
    BlockFields(l, "text", "CF_TEXT", text.size());
    ASSERT_EQ(l.end, good.size()) << "the layout is the one the writer wrote";

    const auto read = [&](const Bytes& bytes, Bytes* got) {
        TClipObj back(context, 0, "Stream");
        back.Coll = &coll;
        TByteReader in(bytes);
        const bool ok = back.LoadFromStream(in);
        if (ok && back.Formats && !back.Formats->empty())
            *got = BlockBytes((*back.Formats)[0]->Handle);
        return ok;
    };
    Bytes got;
    ASSERT_TRUE(read(good, &got));
    EXPECT_EQ(got, text);
    for (const auto& [what, bytes] : Damaged(good, l)) {
        SCOPED_TRACE(what);
        got.clear();
        EXPECT_FALSE(read(bytes, &got)) << "read back as " << std::string(got.begin(), got.end());
    }
}

TEST_F(CheckedRecordTest, ADamagedDataFileRecordFailsAloneNeverReadWithOtherBytes) {
    // A packed block, a plain block after it and a bitmap's record: each damaged in turn.
    TClipObj clip(context, 9, "GEDIT");
    clip.Coll = &coll;
    const Bytes words = Words(9000);
    const Bytes small = TextBytes("a small private block");
    AddBlock(clip, CF_TEXT, "CF_TEXT", words);
    AddBlock(clip, CF_OEMTEXT, "CF_OEMTEXT", small);
    {
        auto d = std::make_unique<TClipData>(TClipData::TypeBitmap);
        d->Bitmap = std::make_unique<TBitmap>();
        ASSERT_TRUE(d->Bitmap->LoadFromDib(SmallDib()));
        d->FormatNum = CF_BITMAP;
        d->FormatName = "CF_BITMAP";
        clip.Formats->push_back(std::move(d));
    }
    TByteWriter record;
    clip.SaveToStream(record);
    ASSERT_TRUE(clip.DataInFile);
    const std::string path = root + "a/" + TClipObj::DataFileName(9);
    const Bytes good = FileBytes(path);
    const std::string packed = TClipData::CheckedPackedRecordHeader;
    ASSERT_EQ(std::string(good.begin() + 1, good.begin() + 14), packed);
    const std::size_t packedSize = [&] {
        TByteReader in(good);
        TFormatRecordScanner::Head head;
        TFormatRecordScanner::ReadHead(in, head, nullptr);
        return TFormatRecordScanner::ReadBlockLength(in, head);
    }();
    Layout l;
    BlockFields(l, "packed", "CF_TEXT", packedSize);
    BlockFields(l, "plain", "CF_OEMTEXT", small.size());
    l.Add("bitmap header", 14);
    l.Add("bitmap type", 4);
    l.String("bitmap name", "CF_BITMAP");
    l.Add("bitmap fields", 2 + 4 + 1);
    l.Add("bitmap checksum", 4);
    ASSERT_EQ(l.end, good.size()) << "the layout is the one the writer wrote";

    // What loading the file gives: each format's bytes (a bitmap as its DIB), in order.
    const auto load = [&] {
        TClipObj back(context, 9, "Stream");
        back.Coll = &coll;
        back.DataInFile = true;
        back.StoredFormatCount = 3;
        back.Formats.reset();
        back.Load();
        std::vector<Bytes> got;
        for (const auto& d : *back.Formats)
            got.push_back(d->Bitmap ? d->Bitmap->Dib() : BlockBytes(d->Handle));
        return got;
    };
    const std::vector<Bytes> whole = {words, small, SmallDib()};
    EXPECT_EQ(load(), whole);
    EXPECT_EQ(TClipObj::FindInDataFile({root + "a/", 9, 3}, "CHECKED17"), TClipObj::FileSearch::Unknown)
        << "a bitmap's record is settled by loading";

    const std::size_t blocksBefore = GlobalMemory::LiveBlocks();
    for (const auto& [what, bytes] : Damaged(good, l)) {
        SCOPED_TRACE(what);
        PutFile(path, bytes);
        log.lines.clear();
        const std::vector<Bytes> got = load();
        // The records before the damaged one read whole; the damaged one and those after it are dropped.
        ASSERT_LT(got.size(), whole.size());
        for (std::size_t i = 0; i < got.size(); ++i)
            EXPECT_EQ(got[i], whole[i]) << "format " << i;
        // A changed record is reported as damaged (a cut one too, unless too little of it is left to
        // be a record at all).
        if (what.find("changed") != std::string::npos) {
            EXPECT_TRUE(log.Has("is cut short or damaged"));
        }
        // The search's file reader reads the same records: it never finds a text loading does not read.
        if (got.empty()) {
            EXPECT_NE(TClipObj::FindInDataFile({root + "a/", 9, 2}, "CHECKED17"), TClipObj::FileSearch::Match);
        }
    }
    EXPECT_EQ(GlobalMemory::LiveBlocks(), blocksBefore);
}

TEST_F(CheckedRecordTest, RecordsOfEarlierVersionsStillRead) {
    // A clip record of version 510 with an inline record of 510, and a data file of 510 and 511 records,
    // as earlier versions wrote them.
    const Bytes text = TextBytes("written before checksums");
    const auto plainRecord = [](const Bytes& data, std::uint16_t format, const char* name) {
        TByteWriter w;
        w.WriteString(TClipData::RecordHeader);
        w.WriteU32(TClipData::TypeBlock);
        w.WriteString(name);
        w.WriteU16(format);
        w.WriteI32(static_cast<std::int32_t>(data.size()));
        w.WriteBool(true);
        w.WriteU32(static_cast<std::uint32_t>(data.size()));
        w.WriteBytes(data.data(), data.size());
        return w.Take();
    };
    TByteWriter w;
    w.WriteString(TClipObj::RecordHeader);
    w.WriteString("old clip");
    w.WriteString("GEDIT");
    w.WriteI32(1);
    w.WriteDouble(46000.5);
    w.WriteI32(0);
    w.WriteI32(3);
    w.WriteI32(300);
    w.WriteI32(1);
    w.WriteString("http://old.example/");
    w.WriteBool(false);
    Bytes inlineClip = w.Take();
    const Bytes rec = plainRecord(text, CF_TEXT, "CF_TEXT");
    inlineClip.insert(inlineClip.end(), rec.begin(), rec.end());
    TClipObj back(context, 0, "Stream");
    back.Coll = &coll;
    TByteReader in(inlineClip);
    ASSERT_TRUE(back.LoadFromStream(in));
    EXPECT_EQ(back.Title, "old clip");
    EXPECT_EQ(back.SourceURL, "http://old.example/");
    EXPECT_EQ(in.Remaining(), 0u);
    ASSERT_EQ(back.Formats->size(), 1u);
    EXPECT_EQ(BlockBytes((*back.Formats)[0]->Handle), text);

    const Bytes words = Words(6000);
    TByteWriter packed;
    packed.WriteString(TClipData::PackedRecordHeader);
    packed.WriteU32(TClipData::TypeBlock);
    packed.WriteString("CF_TEXT");
    packed.WriteU16(CF_TEXT);
    packed.WriteI32(static_cast<std::int32_t>(words.size()));
    packed.WriteBool(true);
    const Bytes stream = *TBlockPacker::Pack(words);
    packed.WriteU32(static_cast<std::uint32_t>(stream.size()));
    packed.WriteBytes(stream.data(), stream.size());
    Bytes file = packed.Take();
    const Bytes second = plainRecord(text, CF_OEMTEXT, "CF_OEMTEXT");
    file.insert(file.end(), second.begin(), second.end());
    PutFile(root + "a/" + TClipObj::DataFileName(4), file);
    TClipObj old(context, 4, "Stream");
    old.Coll = &coll;
    old.DataInFile = true;
    old.StoredFormatCount = 2;
    old.Formats.reset();
    old.Load();
    ASSERT_EQ(old.Formats->size(), 2u);
    EXPECT_EQ(BlockBytes((*old.Formats)[0]->Handle), words);
    EXPECT_EQ(BlockBytes((*old.Formats)[1]->Handle), text);
    EXPECT_EQ(TClipObj::FindInDataFile({root + "a/", 4, 2}, "CHECKED17"), TClipObj::FileSearch::Match);
}

} // namespace
