// A capture killed at any moment loses no clip that was reported captured and never brings one back
// twice: a child program captures into a data source (each clip journalled before it is reported,
// saves in between) and is killed (SIGKILL) at points spread over its run, the load and the journal's
// replay included; after each kill the data source is loaded and every reported clip checked byte for
// byte.
#include "CaptureCrashWorkload.h"
#include "CrashChild.h"
#include "SimDesktop.h"
#include "TCaptureJournal.h"
#include "TClipContext.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>

#include <unistd.h>

namespace bx::clipstore {
namespace {

using namespace std::chrono;

constexpr int CapturesPerRun = 60;
constexpr int Kills = 20;

class CaptureCrashTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = (std::filesystem::temp_directory_path() / ("bx_capcrash_" + std::to_string(::getpid()))).string() + "/";
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    crashtest::ChildRun Run(microseconds killAfter) {
        return crashtest::RunChild({BX_CAPTURE_CRASH_CHILD, dir, std::to_string(CapturesPerRun)}, 0, killAfter);
    }

    std::vector<std::int32_t> Reported() const {
        std::ifstream in(dir + capturecrash::ReportFile, std::ios::binary);
        std::vector<std::int32_t> serials;
        std::int32_t serial = 0;
        while (in.read(reinterpret_cast<char*>(&serial), sizeof serial))
            serials.push_back(serial);
        return serials;
    }

    // Loads the data source as the next start does; the number of clips, or -1 when a check failed.
    long LoadAndCheck(const std::string& when) {
        platform::sim::SimDesktop desk;
        TClipContext context(desk.Clock(), desk.Clipboard());
        TDataSourceList sources;
        capturecrash::SetUpSources(sources, dir);
        TMasterList master(context, sources, nullptr);
        master.Load();
        TClipColl* coll = nullptr;
        for (std::size_t i = 0; i < master.Count(); ++i)
            if (master.Item(i)->Title == capturecrash::CollName)
                coll = master.Item(i);
        const std::vector<std::int32_t> reported = Reported();
        if (coll == nullptr)
            return reported.empty() ? 0 : (ADD_FAILURE() << when << ": the collection is lost", -1);
        std::set<std::int32_t> held;
        bool sound = true;
        for (std::size_t i = 0; i < coll->Count(); ++i) {
            TClipObj* clip = coll->Clip(i);
            if (!held.insert(clip->SerialNbr).second) {
                ADD_FAILURE() << when << ": clip " << clip->SerialNbr << " twice";
                sound = false;
            }
            if (!capturecrash::Intact(*clip)) {
                ADD_FAILURE() << when << ": clip " << clip->SerialNbr << " differs";
                sound = false;
            }
        }
        for (const std::int32_t serial : reported)
            if (held.count(serial) == 0) {
                ADD_FAILURE() << when << ": reported clip " << serial << " is lost";
                sound = false;
            }
        return sound ? static_cast<long>(coll->Count()) : -1;
    }

    std::string dir;
};

TEST_F(CaptureCrashTest, EveryReportedClipSurvivesAKillOnce) {
    // A whole run, to learn how long one takes.
    const crashtest::ChildRun whole = Run(microseconds(-1));
    ASSERT_EQ(whole.exitCode, 0);
    ASSERT_EQ(LoadAndCheck("after a whole run"), CapturesPerRun);
    const auto span = std::max<microseconds::rep>(whole.stepTime.count(), 2000);
    int killed = 0;
    for (int k = 0; k < Kills; ++k) {
        // From the first moments (the load and the replay) to the end of the run.
        const microseconds after(span * k / Kills + (k % 3) * 97);
        const crashtest::ChildRun run = Run(after);
        killed += run.exitCode < 0 ? 1 : 0;
        if (LoadAndCheck("kill " + std::to_string(k) + " after " + std::to_string(after.count()) + " us") < 0)
            break;
    }
    // Most runs were really cut short.
    EXPECT_GT(killed, Kills / 2);
    EXPECT_EQ(Run(microseconds(-1)).exitCode, 0);
    EXPECT_GE(LoadAndCheck("after the last run"), static_cast<long>(Reported().size()));
}

} // namespace
} // namespace bx::clipstore
