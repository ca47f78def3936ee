// A move killed at any moment loses no clip and duplicates none: after each kill the data source loads
// with every clip exactly once, its bytes intact, and the moved collection in one place. A child program
// moves clips between two collections, or a collection (with its directory) on one file system or as
// across file systems, and is killed (SIGKILL) at points spread over the time a move takes.
#include "CrashChild.h"
#include "MoveCrashWorkload.h"
#include "SimDesktop.h"
#include "TClipContext.h"
#include "TClipMoveJournal.h"
#include "TCollectionRelocation.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include <unistd.h>

namespace bx::clipstore {
namespace {

using namespace std::chrono;

using crashtest::ChildRun;

// Runs the child in mode on dir; kills it killAfter after it said it is moving (with writing: after it
// said it is writing; never when negative).
ChildRun RunChild(const std::string& dir, const char* mode, microseconds killAfter, bool writing = false) {
    const int steps = std::string(mode) == "setup" ? 0 : (writing ? 2 : 1);
    return crashtest::RunChild({BX_MOVE_CRASH_CHILD, dir, mode}, steps, killAfter);
}

class MoveCrashTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = (std::filesystem::temp_directory_path() / ("bx_movecrash_" + std::to_string(::getpid()))).string() + "/";
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    // Loads the data source (which finishes what a killed move left) and checks every clip and M2.
    void LoadAndCheck() {
        TDataSourceList sources;
        movecrash::SetUpSources(sources, dir);
        TMasterList master(context, sources, nullptr);
        master.Load();
        std::string error;
        const auto seen = movecrash::CountClips(master, error);
        EXPECT_EQ(error, "");
        EXPECT_EQ(seen.size(), static_cast<std::size_t>(movecrash::TotalClips)) << "a clip went missing";
        for (const auto& [id, count] : seen)
            EXPECT_EQ(count, 1) << "clip " << id;
        int m2 = 0;
        for (std::size_t i = 0; i < master.Count(); ++i)
            m2 += master.Item(i)->Title == "M2" ? 1 : 0;
        EXPECT_EQ(m2, 1);
        // Nothing of an unfinished move is left once loaded.
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
            const std::string name = entry.path().filename().string();
            EXPECT_NE(name, TClipMoveJournal::FileName) << entry.path();
            EXPECT_NE(name, TCollectionRelocation::MarkerName) << entry.path();
            EXPECT_FALSE(TCollectionRelocation::IsTempName(name)) << entry.path();
        }
    }

    platform::sim::SimDesktop desk;
    TClipContext context{desk.Clock(), desk.Clipboard()};
    std::string dir;
};

TEST_F(MoveCrashTest, AKilledMoveOfClipsOrOfACollectionLeavesEveryClipExactlyOnce) {
    ASSERT_EQ(RunChild(dir, "setup", microseconds(-1)).exitCode, 0);
    LoadAndCheck();
    struct Phase {
        const char* mode;
        bool writing; // the kills fall while the moved clips' collections are written
    };
    for (const Phase phase :
         {Phase{"clips", false}, Phase{"clips", true}, Phase{"coll-exdev", false}, Phase{"coll", false}}) {
        SCOPED_TRACE(std::string(phase.mode) + (phase.writing ? " writing" : ""));
        // How long it takes here, to spread the kills over it.
        const ChildRun timed = RunChild(dir, phase.mode, microseconds(-1), phase.writing);
        ASSERT_EQ(timed.exitCode, 0);
        LoadAndCheck();
        const auto moveTime = std::max(timed.stepTime, microseconds(2000));
        constexpr int kills = 16;
        for (int k = 0; k < kills; ++k) {
            SCOPED_TRACE("kill " + std::to_string(k));
            const ChildRun run = RunChild(dir, phase.mode, moveTime * k / kills, phase.writing);
            ASSERT_TRUE(run.signalled);
            LoadAndCheck();
            if (HasFailure())
                return;
        }
    }
}

} // namespace
} // namespace bx::clipstore
