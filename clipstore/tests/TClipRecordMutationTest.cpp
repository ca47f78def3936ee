// Clip and format records that went wrong on disk: small valid records are damaged in a fixed,
// repeatable series of ways (bit flips, truncations, insertions, length and count fields made huge or
// small) and fed to the readers, inline, from a data file and one format record at a time. The
// readers may refuse a record, but must never crash, read past the end, allocate what a damaged
// length asks for (for a packed block: more than its bytes may unpack to), or leak a block. The
// sanitizer build runs this too.
#include "ClipTestFixture.h"

#include "TBlockPacker.h"
#include "TByteReader.h"
#include "TByteWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <exception>

using namespace bx::clipstore;
using namespace bx::clipstore::testing;
using namespace bx::platform;

namespace {

// A small generator of our own, so that the series is the same on every machine.
class Series {
public:
    explicit Series(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    std::size_t Below(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(Next() % n); }

private:
    std::uint64_t state_;
};

Bytes Mutate(Bytes b, Series& s) {
    const std::size_t steps = 1 + s.Below(3);
    for (std::size_t k = 0; k < steps; ++k) {
        switch (s.Below(6)) {
        case 0: // flip one bit
            if (!b.empty())
                b[s.Below(b.size())] ^= static_cast<std::uint8_t>(1u << s.Below(8));
            break;
        case 1: // any byte
            if (!b.empty())
                b[s.Below(b.size())] = static_cast<std::uint8_t>(s.Next());
            break;
        case 2: // cut short
            b.resize(s.Below(b.size() + 1));
            break;
        case 3: { // bytes inserted
            const std::size_t at = s.Below(b.size() + 1);
            const std::size_t n = 1 + s.Below(8);
            for (std::size_t i = 0; i < n; ++i)
                b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), static_cast<std::uint8_t>(s.Next()));
            break;
        }
        case 4: { // a 32-bit length or count made huge, negative, zero or slightly off
            if (b.size() < 4)
                break;
            static constexpr std::uint32_t values[] = {0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 0, 1, 0x10000u, 300};
            const std::size_t at = s.Below(b.size() - 3);
            std::uint32_t v = values[s.Below(std::size(values))];
            if (s.Below(2) == 0) {
                v = static_cast<std::uint32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
                                               (static_cast<std::uint32_t>(b[at + 3]) << 24)) +
                    static_cast<std::uint32_t>(s.Below(5)) - 2u;
            }
            for (int i = 0; i < 4; ++i)
                b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
            break;
        }
        default: // a string length byte changed
            if (!b.empty())
                b[s.Below(b.size())] = static_cast<std::uint8_t>(s.Below(2) == 0 ? 0xFF : s.Below(16));
            break;
        }
    }
    return b;
}

class ClipRecordMutationTest : public ClipFixture {
protected:
    Bytes FormatRecord(int version, std::uint32_t type, const std::string& name, std::uint16_t num, const Bytes& data) {
        TByteWriter w;
        w.WriteString("TCLIPDATA." + std::to_string(version));
        w.WriteU32(type);
        w.WriteString(name);
        w.WriteU16(num);
        w.WriteI32(static_cast<std::int32_t>(data.size()));
        if (version >= 510)
            w.WriteBool(true);
        if (type == 0) {
            w.WriteU32(static_cast<std::uint32_t>(data.size()));
            w.WriteBytes(data.data(), data.size());
        }
        return w.Take();
    }

    Bytes ClipRecord(int version, const std::vector<Bytes>& formats, bool inFile = false) {
        TByteWriter w;
        if (version > 0)
            w.WriteString("CLIP." + std::to_string(version));
        w.WriteString("A title");
        w.WriteString("GEDIT");
        if (version >= 400)
            w.WriteI32(1);
        w.WriteDouble(46000.5);
        w.WriteI32(0);
        w.WriteI32(1);
        if (version >= 503)
            w.WriteI32(100);
        w.WriteI32(static_cast<std::int32_t>(formats.size()));
        if (version >= 510)
            w.WriteString("http://a.example/");
        w.WriteBool(inFile);
        Bytes b = w.Take();
        if (!inFile)
            for (const Bytes& f : formats)
                b.insert(b.end(), f.begin(), f.end());
        return b;
    }

    Bytes Joined(const std::vector<Bytes>& parts) {
        Bytes b;
        for (const Bytes& p : parts)
            b.insert(b.end(), p.begin(), p.end());
        return b;
    }

    // The largest block a damaged record may produce: no larger than the record itself, or than what
    // its packed bytes may unpack to when it comes from a packed record.
    static std::size_t BlockBound(const Bytes& seed, const Bytes& input) {
        bool hasPacked = false;
        for (const std::string packed : {TClipData::PackedRecordHeader, TClipData::CheckedPackedRecordHeader})
            hasPacked = hasPacked || std::search(seed.begin(), seed.end(), packed.begin(), packed.end()) != seed.end();
        return hasPacked ? input.size() * TBlockPacker::MaxRatio : input.size();
    }

    // Every block a damaged record produced is within that bound.
    static void ExpectSaneClip(const TClipObj& clip, const Bytes& seed, const Bytes& input) {
        if (!clip.Formats)
            return;
        EXPECT_LE(clip.Formats->size(), input.size() / 11 + 1);
        for (const auto& d : *clip.Formats)
            EXPECT_LE(GlobalSize(d->Handle), BlockBound(seed, input));
    }
};

TEST_F(ClipRecordMutationTest, DamagedRecordsAreRefusedSafely) {
    TestColl coll(root + "a/");
    const UINT html = context.HtmlFormat;
    const Bytes text = FormatRecord(510, 0, "TEXT", CF_TEXT, TextBytes("hello there"));
    const Bytes oldText = FormatRecord(500, 0, "TEXT", CF_TEXT, TextBytes("old"));
    const Bytes registered = FormatRecord(510, 0, "HTML Format", static_cast<std::uint16_t>(html),
                                          TextBytes("StartHTML:1\nSourceURL:http://x/\n<p>"));
    const Bytes bitmap = FormatRecord(510, 1, "BITMAP", CF_BITMAP, {});
    const std::vector<Bytes> clipSeeds = {
        ClipRecord(510, {text}),         ClipRecord(510, {text, registered}),
        ClipRecord(503, {oldText}),      ClipRecord(400, {oldText, text}),
        ClipRecord(0, {oldText}),        ClipRecord(510, {}),
        ClipRecord(510, {text, bitmap}),
    };
    // A packed block: a text long enough to be stored packed, as a data file holds it.
    std::string words;
    for (int i = 0; words.size() < 5000; ++i)
        words += "w" + std::to_string(i % 97) + ' ';
    const Bytes packedText = [&] {
        auto d = std::make_unique<TClipData>(TClipData::TypeBlock);
        const Bytes raw = TextBytes(words);
        d->Handle = GlobalMemory::FromBytes(raw.data(), raw.size());
        d->FormatNum = CF_TEXT;
        d->FormatName = "TEXT";
        TByteWriter w;
        d->SaveToStream(w, 1, root + "a/", true);
        return w.Take();
    }();
    EXPECT_EQ(TClipData::HeaderVersion(std::string(packedText.begin() + 1, packedText.begin() + 14)),
              TClipData::CheckedPackedRecordVersion);
    const std::vector<Bytes> formatSeeds = {text, oldText, registered, bitmap, packedText};
    const std::vector<Bytes> dataFileSeeds = {Joined({text, registered}), Joined({oldText}), Joined({text, text}),
                                              Joined({packedText, text})};

    const std::size_t blocksBefore = GlobalMemory::LiveBlocks();
    Series series(0x5EED1234ABCDull);
    int refused = 0;

    // Clip records inline, as the collection file holds them, with the next record after them.
    for (int i = 0; i < 3000; ++i) {
        const Bytes& seed = clipSeeds[static_cast<std::size_t>(i) % clipSeeds.size()];
        Bytes input = Mutate(seed, series);
        input.insert(input.end(), seed.begin(), seed.end());
        TClipObj clip(context, 0, "Stream");
        clip.Coll = &coll;
        TByteReader r(input);
        bool ok = false;
        EXPECT_NO_THROW(ok = clip.LoadFromStream(r));
        EXPECT_LE(r.Position(), r.Size());
        ExpectSaneClip(clip, seed, input);
        clip.STimeStamp();
        refused += ok ? 0 : 1;
        if (ok && clip.Online && !clip.DataInFile) {
            // A record that reads is usable: titles, search and writing it again work.
            try {
                clip.GetTitle();
                clip.FindInbody("THERE");
                TByteWriter w;
                clip.SaveToStream(w);
            } catch (const std::exception&) {
                // Raising is allowed (an invalid type cannot be written); crashing is not.
            }
        }
    }

    // Single format records.
    for (int i = 0; i < 2000; ++i) {
        const Bytes& seed = formatSeeds[static_cast<std::size_t>(i) % formatSeeds.size()];
        const Bytes input = Mutate(seed, series);
        TClipData d(TClipData::TypeBlock);
        TByteReader r(input);
        try {
            d.ReadRecord(context, r, 1, root + "a/");
        } catch (const std::exception&) {
            // A picture file that cannot be opened raises, as it should.
        }
        EXPECT_LE(r.Position(), r.Size());
        EXPECT_LE(GlobalSize(d.Handle), BlockBound(seed, input));
    }

    // Data files of clips read on demand.
    for (int i = 0; i < 300; ++i) {
        const Bytes& seed = dataFileSeeds[static_cast<std::size_t>(i) % dataFileSeeds.size()];
        const Bytes input = Mutate(seed, series);
        PutFile(root + "a/D1.DAT", input);
        TClipObj clip(context, 1, "Stream");
        clip.Coll = &coll;
        clip.DataInFile = true;
        clip.StoredFormatCount = (i % 7 == 0) ? 0x7FFFFFFF : 2;
        clip.Formats.reset();
        try {
            clip.Load();
        } catch (const std::exception&) {
        }
        ExpectSaneClip(clip, seed, input);
    }

    EXPECT_EQ(GlobalMemory::LiveBlocks(), blocksBefore);
    // The series really damages records: many are refused, and some still read.
    EXPECT_GT(refused, 300);
    EXPECT_LT(refused, 3000);
}

} // namespace
