// Reading damaged collection files: a small valid file is changed in a few thousand ways (bytes
// flipped, cut short, lengths and counts replaced, bytes inserted and dropped) and read back. Every
// one must either load or raise EMyStreamError; nothing may crash, read out of bounds or hang.
#include "CollTestFixture.h"

#include "EMyStreamError.h"
#include "TByteReader.h"
#include "TByteWriter.h"

#include <chrono>
#include <random>

namespace bx::clipstore::colltest {
namespace {

using namespace platform;

class ClipCollMutationTest : public CollFixture {};

TEST_F(ClipCollMutationTest, DamagedFilesLoadOrRaiseNeverCrash) {
    auto coll = MakeColl("fuzz");
    coll->AddOrder = 0;
    AddText(*coll, "first");
    AddText(*coll, "");
    AddText(*coll, std::string(1500, 'L')); // a data file
    {
        auto clip = std::make_unique<TClipObj>(context, coll->GetNextSerialNum(), "browser");
        clip->SortKey = coll->GetNextClipSortKey();
        clip->SetColl(coll.get());
        AddBlock(*clip, CF_TEXT, "CF_TEXT", Bytes{'h', 'i', 0});
        AddBlock(*clip, context.HtmlFormat, "HTML Format", Bytes{'<', 'p', '>'});
        clip->SetTitle("hi");
        coll->MyAddObject(clip->Title, std::move(clip));
    }
    AddText(*coll, "last one \xC3\xBC");
    const std::string file = coll->GetPath() + TClipColl::FileName;
    ASSERT_TRUE(coll->SaveToFile(file));
    const Bytes valid = FileBytes(file);
    ASSERT_GT(valid.size(), 100u);

    // Nothing of the many lines and boxes is needed here.
    platform::SetLogSink(nullptr);
    context.StartingUp = true;

    std::mt19937 random(20261209);
    const auto below = [&random](std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(random() % n); };
    const std::uint32_t lengths[] = {0, 1, 7, 8, 0xFF, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 2048, 100000};

    const auto started = std::chrono::steady_clock::now();
    int loaded = 0;
    int raised = 0;
    constexpr int Rounds = 4000;
    for (int round = 0; round < Rounds; ++round) {
        Bytes bytes = valid;
        switch (round % 6) {
        case 0: // flip a few bytes
            for (std::size_t n = 1 + below(4); n > 0; --n)
                bytes[below(bytes.size())] ^= static_cast<std::uint8_t>(1 + below(255));
            break;
        case 1: // cut short
            bytes.resize(below(bytes.size()));
            break;
        case 2: { // a length byte or a count replaced
            const std::size_t at = below(bytes.size() - 4);
            const std::uint32_t v = lengths[below(std::size(lengths))];
            if (random() % 2 == 0) {
                bytes[at] = static_cast<std::uint8_t>(v);
            } else {
                for (int i = 0; i < 4; ++i)
                    bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
            }
            break;
        }
        case 3: // a byte inserted
            bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(below(bytes.size())),
                         static_cast<std::uint8_t>(random()));
            break;
        case 4: // a stretch dropped
            bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(below(bytes.size() / 2)),
                        bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() / 2 + below(bytes.size() / 2)));
            break;
        default: // a record header's version changed
            for (std::size_t i = 0; i + 8 < bytes.size(); ++i)
                if (bytes[i] == '.' && bytes[i + 1] == '5' && random() % 3 == 0)
                    bytes[i + 1 + below(3)] = static_cast<std::uint8_t>('0' + below(10));
            break;
        }

        TClipColl back(context, false, &master);
        back.DirName = coll->DirName;
        try {
            if (round % 50 == 0) {
                PutFile(file, bytes);
                back.LoadFromFile(file);
            } else {
                TByteReader in(bytes);
                back.LoadFromStream(in);
            }
            ++loaded;
            // Whatever was kept can be looked at, its data read on demand.
            for (std::size_t i = 0; i < back.Count(); ++i) {
                TClipObj* clip = back.Clip(i);
                try {
                    for (int f = 0; f < clip->FormatCount(); ++f)
                        clip->GetDataSize(f);
                    clip->GetTitle();
                } catch (const EMyStreamError&) {
                }
            }
        } catch (const EMyStreamError&) {
            ++raised;
        }
        master.Boxes.Clear();
    }
    EXPECT_EQ(loaded + raised, Rounds);
    EXPECT_GT(loaded, 0);
    EXPECT_GT(raised, 0);
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started).count();
    EXPECT_LT(seconds, 25);
}

} // namespace
} // namespace bx::clipstore::colltest
