#include "TMetafile.h"
#include "EGraphicOpenError.h"
#include "EInvalidGraphic.h"
#include "TestBytes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace bx::clipstore {
namespace {

using Bytes = std::vector<std::uint8_t>;

using testsupport::FileBytes;
using testsupport::Get16;
using testsupport::Put16;
using testsupport::Put32;
using testsupport::Set32;

std::int16_t GetI16(const Bytes& b, std::size_t at) {
    return static_cast<std::int16_t>(Get16(b, at));
}
std::int32_t GetI32(const Bytes& b, std::size_t at) {
    return static_cast<std::int32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24));
}

// An enhanced metafile: the header record (88 bytes) with the given frame in 0.01 mm, and EMR_EOF.
Bytes Emf(std::int32_t frameRight, std::int32_t frameBottom) {
    Bytes b;
    Put32(b, 1);  // EMR_HEADER
    Put32(b, 88); // its size
    for (const std::int32_t v : {0, 0, 99, 49})
        Put32(b, static_cast<std::uint32_t>(v)); // bounds in pixels
    for (const std::int32_t v : {0, 0, frameRight, frameBottom})
        Put32(b, static_cast<std::uint32_t>(v)); // frame
    Put32(b, 0x464D4520);                        // " EMF"
    Put32(b, 0x10000);                           // version
    Put32(b, 88 + 20);                           // total bytes
    Put32(b, 2);                                 // records
    Put16(b, 1);                                 // handles
    Put16(b, 0);
    for (int i = 0; i < 3; ++i)
        Put32(b, 0); // description, palette entries
    for (const std::uint32_t v : {1920u, 1080u, 508u, 286u})
        Put32(b, v); // device size in pixels and millimetres
    Put32(b, 14);    // EMR_EOF
    Put32(b, 20);
    Put32(b, 0);
    Put32(b, 16);
    Put32(b, 20);
    return b;
}

// A plain Windows metafile: METAHEADER, SetWindowExt(200, 100), end of file.
Bytes Wmf() {
    Bytes b;
    Put16(b, 1);      // in memory
    Put16(b, 9);      // header words
    Put16(b, 0x0300); // version
    Put32(b, 9 + 5 + 3);
    Put16(b, 0);
    Put32(b, 5);
    Put16(b, 0);
    Put32(b, 5); // META_SETWINDOWEXT
    Put16(b, 0x020C);
    Put16(b, 100);
    Put16(b, 200);
    Put32(b, 3); // META_EOF
    Put16(b, 0);
    return b;
}

Bytes Pict(std::int32_t mm, std::int32_t x, std::int32_t y, std::int32_t handle = 0) {
    Bytes b;
    for (const std::int32_t v : {mm, x, y, handle})
        Put32(b, static_cast<std::uint32_t>(v));
    const Bytes w = Wmf();
    b.insert(b.end(), w.begin(), w.end());
    return b;
}

class TempDir {
public:
    TempDir() {
        dir_ = std::filesystem::temp_directory_path() /
               ("bx_metafile_" + std::to_string(::getpid()) + "_" + std::to_string(counter_++));
        std::filesystem::create_directories(dir_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    std::string File(const std::string& name) const { return (dir_ / name).string(); }

private:
    static inline int counter_ = 0;
    std::filesystem::path dir_;
};

TEST(TMetafileTest, EnhancedMetafileIsRecognisedAndKeptByteForByte) {
    const Bytes emf = Emf(5079, 2539);
    TMetafile mf;
    ASSERT_TRUE(mf.LoadFromEnhMetafileBlock(emf));
    EXPECT_EQ(mf.GetKind(), TMetafile::Kind::Enhanced);
    EXPECT_EQ(mf.Bytes(), emf);
    EXPECT_EQ(mf.EnhMetafileBlock(), emf);
    EXPECT_TRUE(mf.MetafilePictBlock().empty());
    EXPECT_EQ(mf.MMWidth(), 5079);
    EXPECT_EQ(mf.Width(), 192); // 5079 * 96 / 2540, rounded
    EXPECT_EQ(mf.Height(), 96);

    TempDir dir;
    mf.SaveToFile(dir.File("I3.emf"));
    EXPECT_EQ(FileBytes(dir.File("I3.emf")), emf);
    TMetafile back;
    back.LoadFromFile(dir.File("I3.emf"));
    EXPECT_EQ(back.GetKind(), TMetafile::Kind::Enhanced);
    EXPECT_EQ(back.Bytes(), emf);
}

TEST(TMetafileTest, WindowsMetafilesPlainAndPlaceableAreRecognised) {
    const Bytes wmf = Wmf();
    TMetafile mf;
    ASSERT_TRUE(mf.LoadFromBytes(wmf));
    EXPECT_EQ(mf.GetKind(), TMetafile::Kind::Windows);
    EXPECT_FALSE(mf.IsPlaceable());
    EXPECT_EQ(mf.Bytes(), wmf);
    EXPECT_EQ(mf.Width(), 0);
    EXPECT_TRUE(mf.EnhMetafileBlock().empty());
    const Bytes block = mf.MetafilePictBlock();
    ASSERT_EQ(block.size(), 16 + wmf.size());
    EXPECT_EQ(GetI32(block, 0), TMetafile::MM_ANISOTROPIC);
    EXPECT_EQ(Bytes(block.begin() + 16, block.end()), wmf);

    // A placeable file of another program: 1440 units per inch, 2 x 1 inches.
    Bytes placeable;
    Put32(placeable, TMetafile::PlaceableKey);
    Put16(placeable, 0);
    for (const std::uint16_t v : {0, 0, 2880, 1440, 1440})
        Put16(placeable, v);
    Put32(placeable, 0);
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < 20; i += 2)
        sum = static_cast<std::uint16_t>(sum ^ Get16(placeable, i));
    Put16(placeable, sum);
    placeable.insert(placeable.end(), wmf.begin(), wmf.end());
    ASSERT_TRUE(mf.LoadFromBytes(placeable));
    EXPECT_TRUE(mf.IsPlaceable());
    EXPECT_EQ(mf.Bytes(), placeable);
    EXPECT_EQ(mf.Width(), 192);
    EXPECT_EQ(mf.Height(), 96);
    const Bytes fromPlaceable = mf.MetafilePictBlock();
    EXPECT_EQ(GetI32(fromPlaceable, 4), 5080);
    EXPECT_EQ(GetI32(fromPlaceable, 8), 2540);
    EXPECT_EQ(Bytes(fromPlaceable.begin() + 16, fromPlaceable.end()), wmf);
}

TEST(TMetafileTest, MetafilePictBlocksComeBackExactlyAlsoThroughAFile) {
    struct Case {
        std::int32_t mm, x, y;
    };
    const std::vector<Case> cases = {
        {8, 5000, 3000}, {8, 21000, 29700},  {8, 40000, 30000},  {7, 40001, 99}, {8, -5000, -3000},
        {8, 0, 0},       {8, 100000, 70000}, {8, 32767, -32768}, {8, 65535, 3},  {1, 123, 456},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.mm) + " " + std::to_string(c.x) + " x " + std::to_string(c.y));
        const Bytes block = Pict(c.mm, c.x, c.y);
        TMetafile mf;
        ASSERT_TRUE(mf.LoadFromMetafilePict(block));
        EXPECT_EQ(mf.GetKind(), TMetafile::Kind::Windows);
        EXPECT_TRUE(mf.IsPlaceable());
        EXPECT_EQ(mf.MetafilePictBlock(), block);

        // The held bytes are a placeable metafile with a correct checksum around the metafile.
        const Bytes& held = mf.Bytes();
        ASSERT_EQ(held.size(), 22 + block.size() - 16);
        std::uint16_t sum = 0;
        for (std::size_t i = 0; i < 20; i += 2)
            sum = static_cast<std::uint16_t>(sum ^ Get16(held, i));
        EXPECT_EQ(Get16(held, 20), sum);
        EXPECT_GT(Get16(held, 14), 0);
        EXPECT_EQ(Bytes(held.begin() + 22, held.end()), Bytes(block.begin() + 16, block.end()));

        // Through a file the mapping mode becomes MM_ANISOTROPIC; the extents stay.
        const std::string path = dir.File("I9.emf");
        mf.SaveToFile(path);
        EXPECT_EQ(FileBytes(path), held);
        TMetafile back;
        back.LoadFromFile(path);
        Bytes expected = block;
        Set32(expected, 0, TMetafile::MM_ANISOTROPIC);
        EXPECT_EQ(back.MetafilePictBlock(), expected);
    }
}

TEST(TMetafileTest, ExtentsBeyondThePlaceableRangeComeBackAsCloseAsItAllows) {
    // 100001 is odd and above 65535: the coarsest unit of 2 keeps it within one unit.
    TMetafile mf;
    ASSERT_TRUE(mf.LoadFromMetafilePict(Pict(8, 100001, 7)));
    TMetafile back;
    ASSERT_TRUE(back.LoadFromBytes(mf.Bytes()));
    const Bytes block = back.MetafilePictBlock();
    EXPECT_LE(std::abs(GetI32(block, 4) - 100001), 2);
    EXPECT_LE(std::abs(GetI32(block, 8) - 7), 2);
    // A handle in the fourth field means nothing off the clipboard: it is written as 0.
    ASSERT_TRUE(mf.LoadFromMetafilePict(Pict(8, 10, 10, 0x1234)));
    EXPECT_EQ(GetI32(mf.MetafilePictBlock(), 12), 0);
    // The placeable box of a small picture is the extent itself at 2540 units per inch.
    ASSERT_TRUE(mf.LoadFromMetafilePict(Pict(8, 1234, 567)));
    EXPECT_EQ(Get16(mf.Bytes(), 14), 2540);
    EXPECT_EQ(GetI16(mf.Bytes(), 10) - GetI16(mf.Bytes(), 6), 1234);
    EXPECT_EQ(GetI16(mf.Bytes(), 12) - GetI16(mf.Bytes(), 8), 567);
}

TEST(TMetafileTest, GarbageIsRefusedAndLeavesTheMetafileUnchanged) {
    const Bytes emf = Emf(100, 100);
    const Bytes wmf = Wmf();
    auto patched = [](Bytes b, std::size_t at, std::uint32_t v) {
        Set32(b, at, v);
        return b;
    };
    Bytes placeableBroken;
    Put32(placeableBroken, TMetafile::PlaceableKey);
    placeableBroken.resize(22 + 18, 0);
    const std::vector<std::pair<const char*, Bytes>> cases = {
        {"empty", {}},
        {"text", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', '!', '!', '!', '!', '!', '!'}},
        {"EMF without signature", patched(emf, 40, 0x464D4521)},
        {"EMF whose first record is not the header", patched(emf, 0, 2)},
        {"EMF header record too short", patched(emf, 4, 40)},
        {"EMF header record past the end", patched(emf, 4, 4000)},
        {"EMF total size past the end", patched(emf, 48, 4000)},
        {"EMF cut inside its header", Bytes(emf.begin(), emf.begin() + 60)},
        {"WMF header of 8 words", patched(wmf, 2, 0x03000008)},
        {"WMF of version 2", patched(wmf, 4, 0x00110200)},
        {"WMF header cut short", Bytes(wmf.begin(), wmf.begin() + 17)},
        {"placeable key before garbage", placeableBroken},
    };
    TMetafile mf;
    ASSERT_TRUE(mf.LoadFromEnhMetafileBlock(emf));
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(mf.LoadFromBytes(bytes));
        EXPECT_FALSE(mf.LoadFromEnhMetafileBlock(bytes));
        EXPECT_EQ(mf.Bytes(), emf);
    }
    // The clipboard forms accept only their own kind.
    EXPECT_FALSE(mf.LoadFromEnhMetafileBlock(Wmf()));
    EXPECT_FALSE(mf.LoadFromMetafilePict(Bytes(12, 0)));
    Bytes pictOfEmf = Pict(8, 1, 1);
    pictOfEmf.resize(16);
    pictOfEmf.insert(pictOfEmf.end(), emf.begin(), emf.end());
    EXPECT_FALSE(mf.LoadFromMetafilePict(pictOfEmf));
    EXPECT_EQ(mf.GetKind(), TMetafile::Kind::Enhanced);
    EXPECT_EQ(mf.Bytes(), emf);
}

TEST(TMetafileTest, FileErrorsRaiseTheirExceptions) {
    TempDir dir;
    TMetafile mf;
    ASSERT_TRUE(mf.LoadFromBytes(Wmf()));
    EXPECT_THROW(mf.LoadFromFile(dir.File("missing.emf")), EGraphicOpenError);
    EXPECT_THROW(mf.SaveToFile(dir.File("no/such/dir/I1.emf")), EGraphicOpenError);
    const std::string garbage = dir.File("garbage.wmf");
    std::ofstream(garbage) << "not a metafile, not at all, not even close";
    EXPECT_THROW(mf.LoadFromFile(garbage), EInvalidGraphic);
    EXPECT_EQ(mf.Bytes(), Wmf());
    mf.Clear();
    EXPECT_TRUE(mf.Empty());
    EXPECT_THROW(mf.SaveToFile(dir.File("I2.emf")), EGraphicOpenError);
}

} // namespace
} // namespace bx::clipstore
