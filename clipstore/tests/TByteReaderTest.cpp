// Reading collection files on through a bounded window: every read gives what reading the whole
// file gives, at every window size and position, and damaged files load (or fail) the same way.
#include "CollTestFixture.h"

#include "EMyStreamError.h"
#include "TByteReader.h"
#include "TByteWriter.h"

#include <filesystem>
#include <functional>
#include <random>

namespace bx::clipstore::colltest {
namespace {

using namespace platform;

class ByteReaderTest : public CollFixture {};

// One step of reading: its result as text, or "raise" (and the position after it).
using Step = std::function<std::string(TByteReader&)>;

std::string RunStep(TByteReader& r, const Step& step) {
    try {
        std::string got = step(r);
        return got + "@" + std::to_string(r.Position());
    } catch (const EMyStreamError&) {
        return "raise@" + std::to_string(r.Position());
    }
}

TEST_F(ByteReaderTest, StreamedReadsMatchWholeReadsAtEveryWindow) {
    TByteWriter w;
    w.WriteString("COLL.505");
    w.WriteI32(-7);
    w.WriteU16(0xBEEF);
    w.WriteDouble(46000.25);
    w.WriteString(std::string(255, 'x'));
    Bytes big(5000);
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<std::uint8_t>(i * 7);
    w.WriteBytes(big.data(), big.size());
    w.WriteU8(9);
    const Bytes bytes = w.Take();
    const std::string path = root + "reader.bin";
    std::filesystem::create_directories(root);
    PutFile(path, bytes);

    const auto bytesOf = [](std::size_t n) {
        return [n](TByteReader& r) {
            Bytes out(n);
            r.ReadBytes(out.data(), n);
            return std::to_string(std::hash<std::string>{}(std::string(out.begin(), out.end())));
        };
    };
    const std::vector<Step> steps = {
        [](TByteReader& r) { return r.ReadRawString(); },
        [](TByteReader& r) { return std::to_string(r.ReadI32()); },
        [](TByteReader& r) { return std::to_string(r.ReadU16()); },
        [](TByteReader& r) { return std::to_string(r.ReadDouble()); },
        [](TByteReader& r) { return r.ReadRawString(); },
        [](TByteReader& r) { // a look ahead consumes nothing
            const auto p = r.Peek(40);
            return std::string(p.begin(), p.end());
        },
        bytesOf(3000),
        [](TByteReader& r) { // back to the start, then forward again past the window
            r.Seek(0);
            r.ReadRawString();
            r.Seek(r.Size() - 1 - 2000);
            return std::to_string(r.Remaining());
        },
        bytesOf(2000),
        [](TByteReader& r) { return std::to_string(r.ReadU32()); }, // past the end
        [](TByteReader& r) { return std::to_string(r.ReadU8()); },
        [](TByteReader& r) { return std::to_string(r.ReadU8()); }, // past the end
    };
    for (const std::size_t window : {16u, 17u, 64u, 300u, 4096u, 1u << 20}) {
        SCOPED_TRACE("window " + std::to_string(window));
        TByteReader whole(bytes);
        TByteReader streamed = TByteReader::Stream(path, window);
        EXPECT_EQ(streamed.Size(), bytes.size());
        for (std::size_t i = 0; i < steps.size(); ++i)
            EXPECT_EQ(RunStep(streamed, steps[i]), RunStep(whole, steps[i])) << "step " << i;
    }
}

TEST_F(ByteReaderTest, FileCutWhileStreamedRaises) {
    const std::string path = root + "cut.bin";
    std::filesystem::create_directories(root);
    PutFile(path, Bytes(10000, 0x41));
    TByteReader r = TByteReader::Stream(path, 64);
    std::filesystem::resize_file(path, 150);
    Bytes out(100);
    r.ReadBytes(out.data(), 100);
    // The size stays as opened; what is no longer there cannot be read.
    EXPECT_EQ(r.Remaining(), 9900u);
    EXPECT_THROW(r.ReadBytes(out.data(), 100), EMyStreamError);
    Bytes large(5000);
    EXPECT_THROW(r.ReadBytes(large.data(), large.size()), EMyStreamError);
    EXPECT_THROW(r.Bytes(), EMyStreamError);
    EXPECT_THROW(TByteReader::Stream(root + "missing.bin"), EMyStreamError);
    EXPECT_THROW(TByteReader::Stream(root), EMyStreamError);
}

TEST_F(ByteReaderTest, DamagedCollectionsLoadAlikeStreamedAndWhole) {
    auto coll = MakeColl("alike");
    coll->AddOrder = 0;
    for (int i = 0; i < 12; ++i)
        AddText(*coll, "text number " + std::to_string(i) + std::string(static_cast<std::size_t>(i * 37), 'q'));
    AddText(*coll, std::string(1500, 'L')); // a data file
    const std::string file = coll->GetPath() + TClipColl::FileName;
    ASSERT_TRUE(coll->SaveToFile(file));
    const Bytes valid = FileBytes(file);
    platform::SetLogSink(nullptr);
    context.StartingUp = true;

    std::mt19937 random(8);
    const auto below = [&random](std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(random() % n); };
    const auto outcome = [&](TByteReader& in) {
        TClipColl back(context, false, &master);
        back.DirName = coll->DirName;
        std::string got;
        try {
            const auto report = back.LoadFromStream(in);
            got = std::to_string(report.Passed) + "/" + std::to_string(report.Failed);
        } catch (const EMyStreamError&) {
            got = "raise";
        }
        for (std::size_t i = 0; i < back.Count(); ++i)
            got += "|" + back.Clip(i)->Title + ":" + std::to_string(back.Clip(i)->FormatCount());
        master.Boxes.Clear();
        return got;
    };
    const std::string damaged = root + "damaged/";
    std::filesystem::create_directories(damaged);
    for (int round = 0; round < 300; ++round) {
        Bytes bytes = valid;
        if (round % 3 == 0)
            bytes.resize(below(bytes.size()));
        else if (round % 3 == 1)
            bytes[below(bytes.size())] ^= static_cast<std::uint8_t>(1 + below(255));
        else
            bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(below(bytes.size())));
        PutFile(damaged + "c.bin", bytes);
        TByteReader whole(bytes);
        TByteReader streamed = TByteReader::Stream(damaged + "c.bin", 16 + below(300));
        ASSERT_EQ(outcome(streamed), outcome(whole)) << "round " << round;
    }
}

} // namespace
} // namespace bx::clipstore::colltest
