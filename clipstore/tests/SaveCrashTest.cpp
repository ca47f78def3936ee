// A save killed at any moment leaves every collection as it was before the save or as the save made
// it, never damaged or missing, with every clip's bytes intact. A child program saves a data source of
// a few thousand clips and is killed (SIGKILL) at points spread over the time a save takes.
#include "CrashChild.h"
#include "SaveCrashWorkload.h"
#include "SimDesktop.h"
#include "TClipContext.h"
#include "TLeftoverFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>

#include <unistd.h>

namespace bx::clipstore {
namespace {

using namespace std::chrono;

using crashtest::ChildRun;

// Runs the child on dir; kills it killAfter after it said it is saving (never when negative).
ChildRun RunChild(const std::string& dir, microseconds killAfter) {
    return crashtest::RunChild({BX_SAVE_CRASH_CHILD, dir}, 1, killAfter);
}

class SaveCrashTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = (std::filesystem::temp_directory_path() / ("bx_crash_" + std::to_string(::getpid()))).string() + "/";
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    // Loads the data source and checks every collection; returns the clip count of each.
    std::map<std::string, std::size_t> LoadAndCheck() {
        TDataSourceList sources;
        crashtest::SetUpSources(sources, dir);
        TMasterList master(context, sources, nullptr);
        master.Load();
        std::map<std::string, std::size_t> counts;
        for (std::size_t i = 0; i < master.Count(); ++i) {
            TClipColl* coll = master.Item(i);
            if (coll->CollType != TClipColl::NormalColl)
                continue;
            EXPECT_EQ(crashtest::CheckColl(*coll), "");
            counts[coll->Title] = coll->Count();
            // What the killed save left half-written is gone once the collection is loaded.
            std::error_code ec;
            for (std::filesystem::directory_iterator it(coll->GetPath(), ec), end; !ec && it != end; it.increment(ec))
                EXPECT_FALSE(TLeftoverFiles::IsLeftover(it->path().filename().string())) << it->path();
        }
        return counts;
    }

    platform::sim::SimDesktop desk;
    TClipContext context{desk.Clock(), desk.Clipboard()};
    std::string dir;
};

TEST_F(SaveCrashTest, AKilledSaveLeavesTheOldOrTheNewStateOfEveryCollection) {
    const ChildRun first = RunChild(dir, microseconds(-1));
    ASSERT_TRUE(first.signalled);
    ASSERT_EQ(first.exitCode, 0);
    auto counts = LoadAndCheck();
    ASSERT_EQ(counts.size(), static_cast<std::size_t>(crashtest::Collections));
    for (const auto& [name, count] : counts)
        ASSERT_EQ(count, static_cast<std::size_t>(crashtest::FirstRunClips)) << name;

    // How long a save of one more batch takes here, to spread the kills over it.
    const ChildRun timed = RunChild(dir, microseconds(-1));
    ASSERT_EQ(timed.exitCode, 0);
    counts = LoadAndCheck();
    const auto saveTime = std::max(timed.stepTime, microseconds(2000));

    constexpr int kills = 24;
    int mixed = 0;
    for (int k = 0; k < kills; ++k) {
        SCOPED_TRACE("kill " + std::to_string(k));
        const ChildRun run = RunChild(dir, saveTime * k / kills);
        ASSERT_TRUE(run.signalled);
        const auto now = LoadAndCheck();
        ASSERT_EQ(now.size(), counts.size()) << "a collection went missing";
        int grown = 0;
        for (const auto& [name, count] : now) {
            const std::size_t before = counts.at(name);
            // The files hold the old or the new state; the capture journal may add back the clips the killed
            // run had added before its save ended (every clip's bytes are checked by the load).
            EXPECT_TRUE(count >= before && count <= before + crashtest::ClipsPerRun)
                << name << ": " << before << " -> " << count;
            grown += count != before ? 1 : 0;
        }
        mixed += grown > 0 && grown < crashtest::Collections ? 1 : 0;
        counts = now;
        if (HasFailure())
            break;
    }
    RecordProperty("KillsBetweenCollections", mixed);
}

} // namespace
} // namespace bx::clipstore
