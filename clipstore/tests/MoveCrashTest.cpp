// A move killed at any moment loses no clip and duplicates none: after each kill the data source loads
// with every clip exactly once, its bytes intact, and the moved collection in one place. A child program
// moves clips between two collections, or a collection (with its directory) on one file system or as
// across file systems, and is killed (SIGKILL) at points spread over the time a move takes.
#include "MoveCrashWorkload.h"
#include "SimDesktop.h"
#include "TClipContext.h"
#include "TClipMoveJournal.h"
#include "TCollectionRelocation.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace bx::clipstore {
namespace {

using namespace std::chrono;

struct ChildRun {
    bool signalled = false; // it reached the move
    int exitCode = -1;
    microseconds moveTime{0};
};

// Runs the child in mode on dir; kills it killAfter after it said it is moving (with writing: after it
// said it is writing; never when negative).
ChildRun RunChild(const std::string& dir, const char* mode, microseconds killAfter, bool writing = false) {
    ChildRun run;
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return run;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        ::execl(BX_MOVE_CRASH_CHILD, BX_MOVE_CRASH_CHILD, dir.c_str(), mode, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    pollfd fd{pipeFds[0], POLLIN, 0};
    char byte = 0;
    const bool setup = std::string(mode) == "setup";
    auto heard = [&] { return ::poll(&fd, 1, 60000) == 1 && ::read(pipeFds[0], &byte, 1) == 1; };
    if (setup || (heard() && (!writing || heard()))) {
        run.signalled = true;
        const auto start = steady_clock::now();
        if (killAfter.count() >= 0) {
            std::this_thread::sleep_for(killAfter);
            ::kill(pid, SIGKILL);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        run.moveTime = duration_cast<microseconds>(steady_clock::now() - start);
        if (WIFEXITED(status))
            run.exitCode = WEXITSTATUS(status);
    } else {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    ::close(pipeFds[0]);
    return run;
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
        const auto moveTime = std::max(timed.moveTime, microseconds(2000));
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
