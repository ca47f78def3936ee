// The log: its header lines, the level mask, the previous run's file, and lines held from before it existed.
#include "TAppLog.h"
#include "DateTime.h"
#include "FileRegistry.h"
#include "LogHook.h"
#include "SimClock.h"
#include "SimDateTimeFormat.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <system_error>

using namespace bx;
using namespace bx::shell;
using platform::LogMsg;
namespace fs = std::filesystem;

namespace {

class TAppLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::path(::testing::TempDir()) / "bxlogXXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        tmp_ = pattern + "/";
        dir_ = tmp_ + "data/My Clips/";
        platform::FileRegistry::TakeHeldLogLines();
    }
    void TearDown() override {
        platform::SetLogSink(nullptr);
        std::error_code ec;
        fs::remove_all(tmp_, ec);
    }

    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static std::vector<std::string> Lines(const std::string& path) {
        std::vector<std::string> lines;
        std::string text = ReadFile(path);
        for (std::size_t end; (end = text.find("\r\n")) != std::string::npos; text.erase(0, end + 2))
            lines.push_back(text.substr(0, end));
        EXPECT_EQ(text, "") << "every line ends in CR LF";
        return lines;
    }
    static unsigned Mode(const std::string& path) {
        struct stat st {};
        ::stat(path.c_str(), &st);
        return st.st_mode & 0777;
    }

    // 2 March 2026, 09:00:00 on the simulated clock.
    static constexpr const char* Stamp = "2026-03-02 09:00:00";

    std::string tmp_;
    std::string dir_;
    platform::sim::SimClock clock_;
    platform::sim::SimDateTimeFormat format_;
};

TEST_F(TAppLogTest, HeaderLinesMaskAndLineFormat) {
    {
        TAppLog log(23, dir_, clock_, format_);
        EXPECT_TRUE(TAppLog::LogActive());
        EXPECT_EQ(log.LogFileName(), dir_ + "LOG.TXT");
        clock_.Sleep(61'000);
        LogMsg(platform::LogDetail, "Detail", "not written");
        LogMsg(platform::LogErrors, "CaptureTheClip", "failed");
        LogMsg(platform::LogAlways, "Chain", "a, b,c");
        LogMsg(platform::LogDialogs | platform::LogStartStop, "Startup", "mixed bits share one");
        log.LevelMask = 0;
        LogMsg(platform::LogAlways, "Always", "not even this");
    }
    EXPECT_FALSE(TAppLog::LogActive()) << "a destroyed log uninstalls itself";
    LogMsg(platform::LogErrors, "After", "dropped");
    const std::vector<std::string> expected = {
        std::string(Stamp) + ",,,## Brindlex Log Session Started: " + std::string(platform::BrindlexVersion),
        std::string(Stamp) + ",,,## Log File In: " + dir_ + "LOG.TXT",
        "2026-03-02 09:01:01,23,CaptureTheClip,failed",
        "2026-03-02 09:01:01,23,Chain,a, b,c",
        "2026-03-02 09:01:01,23,Startup,mixed bits share one",
    };
    EXPECT_EQ(Lines(dir_ + "LOG.TXT"), expected);
    EXPECT_EQ(Mode(dir_ + "LOG.TXT"), 0600u);
    EXPECT_EQ(Mode(tmp_ + "data"), 0700u) << "directories made for the log are private";
    EXPECT_EQ(Mode(dir_), 0700u);
}

TEST_F(TAppLogTest, MaskZeroStillWritesTheHeader) {
    TAppLog log(0, dir_, clock_, format_);
    LogMsg(platform::LogAlways, "Always", "filtered");
    LogMsg(platform::LogAll, "All", "filtered");
    EXPECT_EQ(Lines(dir_ + "LOG.TXT").size(), 2u);
}

TEST_F(TAppLogTest, EachStartKeepsOnlyThePreviousRunsLog) {
    for (const char* run : {"first", "second", "third"}) {
        TAppLog log(23, dir_, clock_, format_);
        LogMsg(platform::LogErrors, "Run", run);
    }
    const std::vector<std::string> previous = Lines(dir_ + "PREV_LOG.TXT");
    ASSERT_EQ(previous.size(), 3u);
    EXPECT_EQ(previous[2], std::string(Stamp) + ",23,Run,second");
    const std::vector<std::string> current = Lines(dir_ + "LOG.TXT");
    ASSERT_EQ(current.size(), 3u);
    EXPECT_EQ(current[0],
              std::string(Stamp) + ",,,## Brindlex Log Session Started: " + std::string(platform::BrindlexVersion));
    EXPECT_EQ(current[2], std::string(Stamp) + ",23,Run,third");
    EXPECT_EQ(Mode(dir_ + "PREV_LOG.TXT"), 0600u);
}

TEST_F(TAppLogTest, LinesHeldBeforeTheLogExistedComeAfterTheHeader) {
    const std::string store = tmp_ + "Brindlex5.conf";
    std::ofstream(store) << "not a settings file";
    platform::FileRegistry registry(store);
    TAppLog log(23, dir_, clock_, format_);
    const std::vector<std::string> lines = Lines(dir_ + "LOG.TXT");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2].rfind(std::string(Stamp) + ",23,Settings Store,The settings file " + store, 0), 0u) << lines[2];
    EXPECT_NE(lines[2].find(".unreadable-1"), std::string::npos);
}

TEST_F(TAppLogTest, FailuresToCreateOrWriteAreReportedNotHidden) {
    std::ofstream(tmp_ + "plainfile") << "x";
    EXPECT_THROW(TAppLog(23, tmp_ + "plainfile/sub/", clock_, format_), std::system_error);
    EXPECT_THROW(TAppLog(23, "", clock_, format_), std::system_error);
    EXPECT_FALSE(TAppLog::LogActive()) << "a log that could not be made is not installed";

    TAppLog log(23, dir_, clock_, format_);
    fs::remove(dir_ + "LOG.TXT");
    fs::create_directory(dir_ + "LOG.TXT");
    EXPECT_THROW(log.AddLine(platform::LogErrors, "x", "y"), std::system_error);
    EXPECT_NO_THROW(log.AddLine(platform::LogDetail, "x", "a filtered line does not touch the file"));
    EXPECT_NO_THROW(LogMsg(platform::LogErrors, "x", "through LogMsg a failure does not reach the caller"));
    EXPECT_EQ(log.LostLines(), 1);
}

} // namespace
