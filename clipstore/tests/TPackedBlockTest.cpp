// Large memory blocks in data files are stored packed: every block comes back byte for byte, packed
// or not, files of plain records still read, and a damaged packed block fails its own format only,
// without allocating what its damaged header declares.
#include "ClipTestFixture.h"

#include "TBlockPacker.h"
#include "TByteReader.h"
#include "TByteWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

using namespace bx::clipstore;
using namespace bx::clipstore::testing;
using namespace bx::platform;

namespace {

class PackedBlockTest : public ClipFixture {
protected:
    TestColl coll{""};

    void SetUp() override {
        ClipFixture::SetUp();
        coll = TestColl(root + "a/");
    }

    static Bytes Words(std::size_t size) {
        std::string s;
        for (int i = 0; s.size() < size; ++i)
            s += "word" + std::to_string(i * 7919 % 500) + ' ';
        s.resize(size);
        return Bytes(s.begin(), s.end());
    }
    static Bytes Noise(std::size_t size) {
        Bytes b(size);
        std::uint32_t x = 99;
        for (auto& c : b) {
            x = x * 1103515245u + 12345u;
            c = static_cast<std::uint8_t>(x >> 16);
        }
        return b;
    }

    Bytes DataFile(std::int32_t serial) { return FileBytes(root + "a/" + TClipObj::DataFileName(serial)); }

    // A clip read back from its data file, as a clip of a collection is read on demand.
    std::unique_ptr<TClipObj> Loaded(std::int32_t serial, std::int32_t formats) {
        auto clip = std::make_unique<TClipObj>(context, serial, "Stream");
        clip->Coll = &coll;
        clip->DataInFile = true;
        clip->StoredFormatCount = formats;
        clip->Formats.reset();
        clip->Load();
        return clip;
    }

    static std::size_t Count(const Bytes& file, const std::string& what) {
        std::size_t n = 0;
        for (auto it = file.begin(); (it = std::search(it, file.end(), what.begin(), what.end())) != file.end(); ++it)
            ++n;
        return n;
    }

    static Bytes PackedRecord(const Bytes& payload, std::uint16_t format = CF_TEXT) {
        TByteWriter w;
        w.WriteString(TClipData::PackedRecordHeader);
        w.WriteU32(TClipData::TypeBlock);
        w.WriteString(format == CF_TEXT ? "TEXT" : "OEMTEXT");
        w.WriteU16(format);
        w.WriteI32(12345);
        w.WriteBool(true);
        w.WriteU32(static_cast<std::uint32_t>(payload.size()));
        w.WriteBytes(payload.data(), payload.size());
        return w.Take();
    }
    static Bytes PlainRecord(const Bytes& data, std::uint16_t format) {
        TByteWriter w;
        w.WriteString(TClipData::RecordHeader);
        w.WriteU32(TClipData::TypeBlock);
        w.WriteString("OEMTEXT");
        w.WriteU16(format);
        w.WriteI32(static_cast<std::int32_t>(data.size()));
        w.WriteBool(true);
        w.WriteU32(static_cast<std::uint32_t>(data.size()));
        w.WriteBytes(data.data(), data.size());
        return w.Take();
    }
};

TEST_F(PackedBlockTest, BlocksComeBackByteForBytePackedOrNot) {
    struct Case {
        const char* name;
        std::vector<Bytes> blocks;
        std::size_t packed; // records stored packed
    };
    const std::vector<Case> cases = {
        {"text below the packing size", {TextBytes(std::string(4094, 'a'))}, 0},
        {"text at the packing size", {TextBytes(std::string(4095, 'a'))}, 1},
        {"a run that shrinks beyond the ratio bound", {TextBytes(std::string(std::size_t{1} << 21, 'a'))}, 0},
        {"words at the packing size", {Words(4096)}, 1},
        {"long words and a small private block", {Words(300000), Bytes{1, 2, 3}}, 1},
        {"noise that does not shrink", {Noise(65536)}, 0},
        {"two large blocks", {Words(9000), Words(20000)}, 2},
    };
    std::int32_t serial = 100;
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        TClipObj clip(context, ++serial, "GEDIT");
        clip.Coll = &coll;
        for (std::size_t i = 0; i < tc.blocks.size(); ++i)
            AddBlock(clip, i == 0 ? CF_TEXT : CF_OEMTEXT, i == 0 ? "TEXT" : "OEMTEXT", tc.blocks[i]);
        TByteWriter record;
        clip.SaveToStream(record);
        ASSERT_TRUE(clip.DataInFile);
        const Bytes file = DataFile(serial);
        EXPECT_EQ(Count(file, TClipData::CheckedPackedRecordHeader), tc.packed);
        EXPECT_EQ(Count(file, TClipData::CheckedRecordHeader), tc.blocks.size() - tc.packed);

        auto back = Loaded(serial, static_cast<std::int32_t>(tc.blocks.size()));
        ASSERT_TRUE(back->Formats);
        ASSERT_EQ(back->Formats->size(), tc.blocks.size());
        for (std::size_t i = 0; i < tc.blocks.size(); ++i) {
            EXPECT_EQ(BlockBytes((*back->Formats)[i]->Handle), tc.blocks[i]) << i;
            EXPECT_EQ((*back->Formats)[i]->DataSize, static_cast<std::int32_t>(tc.blocks[i].size()));
        }
        // Written again from what was read: the same file.
        back->Dirty = true;
        std::filesystem::remove(root + "a/" + TClipObj::DataFileName(serial));
        TByteWriter again;
        back->SaveToStream(again);
        EXPECT_EQ(DataFile(serial), file);
    }
}

TEST_F(PackedBlockTest, PlainRecordsOfLargeBlocksStillRead) {
    const Bytes text = Words(50000);
    PutFile(root + "a/" + TClipObj::DataFileName(7), PlainRecord(text, CF_TEXT));
    auto clip = Loaded(7, 1);
    ASSERT_EQ(clip->Formats->size(), 1u);
    EXPECT_EQ(BlockBytes((*clip->Formats)[0]->Handle), text);
}

TEST_F(PackedBlockTest, ADamagedPackedBlockFailsItsFormatOnly) {
    const Bytes text = Words(20000);
    const Bytes good = *TBlockPacker::Pack(text);
    const auto withSize = [&](std::uint32_t size) {
        Bytes b = good;
        for (int i = 0; i < 4; ++i)
            b[1 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(size >> (8 * i));
        return b;
    };
    struct Case {
        const char* name;
        std::function<Bytes()> payload;
    };
    const std::vector<Case> cases = {
        {"declared size huge", [&] { return withSize(0xFFFFFFFFu); }},
        {"declared size one more", [&] { return withSize(20001); }},
        {"declared size one less", [&] { return withSize(19999); }},
        {"declared size beyond the ratio bound",
         [&] { return withSize(static_cast<std::uint32_t>(good.size() * 1100)); }},
        {"declared size zero", [&] { return withSize(0); }},
        {"unknown method",
         [&] {
             Bytes b = good;
             b[0] = 2;
             return b;
         }},
        {"header only", [&] { return Bytes(good.begin(), good.begin() + TBlockPacker::HeaderSize); }},
        {"empty", [] { return Bytes{}; }},
        {"stream cut short", [&] { return Bytes(good.begin(), good.end() - 40); }},
        {"stream damaged",
         [&] {
             Bytes b = good;
             b[b.size() / 2] ^= 0xA5;
             b[b.size() - 8] ^= 0x11;
             return b;
         }},
        {"bytes after the stream",
         [&] {
             Bytes b = good;
             b.insert(b.end(), {1, 2, 3});
             return b;
         }},
        {"frame states another size",
         [&] {
             const Bytes other = *TBlockPacker::Pack(Words(20001));
             Bytes b = withSize(20000);
             b.resize(TBlockPacker::HeaderSize);
             b.insert(b.end(), other.begin() + TBlockPacker::HeaderSize, other.end());
             return b;
         }},
    };
    const Bytes after = TextBytes("the record after");
    const std::size_t blocksBefore = GlobalMemory::LiveBlocks();
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        Bytes file = PackedRecord(tc.payload());
        const Bytes next = PlainRecord(after, CF_OEMTEXT);
        file.insert(file.end(), next.begin(), next.end());
        PutFile(root + "a/" + TClipObj::DataFileName(9), file);
        {
            auto clip = Loaded(9, 2);
            ASSERT_TRUE(clip->Formats);
            ASSERT_EQ(clip->Formats->size(), 2u);
            EXPECT_EQ((*clip->Formats)[0]->Handle, HGLOBAL{0});
            EXPECT_EQ(BlockBytes((*clip->Formats)[1]->Handle), after);
            EXPECT_TRUE(log.Has("is damaged"));
            clip->UnLoad();
            EXPECT_FALSE(clip->FindInbody("word"));
            EXPECT_EQ(TClipObj::FindInDataFile({root + "a/", 9, 2}, "WORD"), TClipObj::FileSearch::Unknown);
        }
        EXPECT_EQ(GlobalMemory::LiveBlocks(), blocksBefore);
    }
    // The sound record reads, and the file search agrees with loading.
    PutFile(root + "a/" + TClipObj::DataFileName(9), PackedRecord(good));
    EXPECT_EQ(BlockBytes((*Loaded(9, 1)->Formats)[0]->Handle), text);
    EXPECT_EQ(TClipObj::FindInDataFile({root + "a/", 9, 1}, "WORD4"), TClipObj::FileSearch::Match);
    EXPECT_EQ(TClipObj::FindInDataFile({root + "a/", 9, 1}, "WORDS"), TClipObj::FileSearch::NoMatch);
}

} // namespace
