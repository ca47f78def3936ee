// The error trap: the error file line, the log line, the two dialogs and the emergency shutdown.
#include "TErrorTrap.h"
#include "LogHook.h"
#include "SimClock.h"
#include "SimDateTimeFormat.h"
#include "SimMessageBoxes.h"
#include "TAppLog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>

using namespace bx;
using namespace bx::shell;
using platform::MsgButtons;
using platform::MsgResult;
using platform::MsgType;
namespace fs = std::filesystem;

namespace {

// Stands for one of the program's own data errors.
class EDataTest : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
class EHtmlViewer : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TErrorTrapTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::path(::testing::TempDir()) / "bxtrapXXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        tmp_ = pattern + "/";
        dir_ = tmp_ + "data/";
        sources_.Add("My Clips", std::make_unique<clipstore::TDataSource>(1, "My Clips", dir_, false, true));
        log_ = std::make_unique<TAppLog>(23, dir_, clock_, format_);
        trap_ = std::make_unique<TErrorTrap>(boxes_, clock_, format_, sources_);
        trap_->Classify = [](const std::exception& e) {
            if (dynamic_cast<const EDataTest*>(&e) != nullptr)
                return TErrorTrap::Kind::DataError;
            if (dynamic_cast<const EHtmlViewer*>(&e) != nullptr)
                return TErrorTrap::Kind::HtmlViewerMissing;
            return TErrorTrap::Kind::Other;
        };
        trap_->SetNotOnTop = [this] { calls_.push_back("NotOnTop"); };
        trap_->SetStayOnTop = [this] { calls_.push_back("StayOnTop"); };
        trap_->Terminate = [this] {
            calls_.push_back("Terminate");
            logAtTermination_ = ReadFile(dir_ + "LOG.TXT");
        };
        platform::SetTraceLocation("TClipObj.Paste");
        platform::SetTraceStage(3);
    }
    void TearDown() override {
        trap_.reset();
        log_.reset();
        std::error_code ec;
        fs::remove_all(tmp_, ec);
    }
    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string tmp_;
    std::string dir_;
    platform::sim::SimClock clock_;
    platform::sim::SimDateTimeFormat format_;
    platform::sim::SimMessageBoxes boxes_;
    clipstore::TDataSourceList sources_;
    std::unique_ptr<TAppLog> log_;
    std::unique_ptr<TErrorTrap> trap_;
    std::vector<std::string> calls_;
    std::string logAtTermination_;
};

constexpr const char* Stamp = "2026-03-02 09:00:00";

TEST_F(TErrorTrapTest, DataErrorIsAWarningWithOkAndOneErrorLine) {
    EXPECT_EQ(trap_->Handle(EDataTest("Stream read error")), TErrorTrap::Outcome::Reported);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, "Brindlex encountered the following NON-FATAL exception:\nStream read error\n\n"
                                      "In:TClipObj.Paste( 3) ");
    EXPECT_EQ(boxes_.Boxes()[0].type, MsgType::Warning);
    EXPECT_EQ(boxes_.Boxes()[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(ReadFile(dir_ + "ERRORLOG.TXT"), std::string("v") + platform::BrindlexVersion + "  @" + Stamp +
                                                   "  err:Stream read error  In:TClipObj.Paste( 3) \r\n");
    struct stat st {};
    ::stat((dir_ + "ERRORLOG.TXT").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_NE(ReadFile(dir_ + "LOG.TXT").find(",23,Exception,Stream read error  In:TClipObj.Paste(3) \r\n"),
              std::string::npos)
        << ReadFile(dir_ + "LOG.TXT");
    EXPECT_EQ(calls_, (std::vector<std::string>{"NotOnTop", "StayOnTop"}));

    platform::SetTraceStage(4);
    trap_->Handle(EDataTest("again"));
    EXPECT_NE(ReadFile(dir_ + "ERRORLOG.TXT").find("err:again  In:TClipObj.Paste( 4) \r\n"), std::string::npos)
        << "lines are appended";
}

TEST_F(TErrorTrapTest, OtherErrorsAskWhetherToContinue) {
    boxes_.Answer(MsgResult::Yes);
    EXPECT_EQ(trap_->Handle(std::runtime_error("Access violation")), TErrorTrap::Outcome::Continued);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, "Brindlex encountered the following exception:\nAccess violation\n\n"
                                      "In:TClipObj.Paste( 3) \nThe Error has been logged in: " +
                                          dir_ + "ERRORLOG.TXT\nIt is probably safe to continue.\nCONTINUE SESSION?");
    EXPECT_EQ(boxes_.Boxes()[0].type, MsgType::Error);
    EXPECT_EQ(boxes_.Boxes()[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(calls_, (std::vector<std::string>{"NotOnTop", "StayOnTop"}));
}

TEST_F(TErrorTrapTest, NoEndsTheProcessAfterItsLogLine) {
    boxes_.Answer(MsgResult::No);
    EXPECT_EQ(trap_->Handle(std::logic_error("broken")), TErrorTrap::Outcome::EmergencyShutdown);
    EXPECT_EQ(calls_, (std::vector<std::string>{"NotOnTop", "Terminate"})) << "the window is not put back";
    const std::string tail = ",23,,EMERGENCY SHUTDOWN Complete.\r\n";
    ASSERT_GE(logAtTermination_.size(), tail.size());
    EXPECT_EQ(logAtTermination_.substr(logAtTermination_.size() - tail.size()), tail)
        << "the line is on disk before the process ends";
}

TEST_F(TErrorTrapTest, ViewerAndRichEditErrorsAreOnlyLogged) {
    bool viewerOff = false;
    trap_->OnHtmlViewerMissing = [&] { viewerOff = true; };
    EXPECT_EQ(trap_->Handle(EHtmlViewer("OLE error")), TErrorTrap::Outcome::Logged);
    trap_->Classify = [](const std::exception&) { return TErrorTrap::Kind::RichEditReadError; };
    EXPECT_EQ(trap_->Handle(std::runtime_error("read")), TErrorTrap::Outcome::Logged);
    EXPECT_TRUE(viewerOff);
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_TRUE(calls_.empty());
    EXPECT_FALSE(fs::exists(dir_ + "ERRORLOG.TXT"));
    const std::string log = ReadFile(dir_ + "LOG.TXT");
    EXPECT_NE(log.find(",23,Main Error Trap,IE4 HTML Viewer Not Available, non-fatal.\r\n"), std::string::npos);
    EXPECT_NE(log.find(",23,Main Error Trap,EReadError Handled - Probably due to RichEdit insertion problem.\r\n"),
              std::string::npos);
}

TEST_F(TErrorTrapTest, WithoutADataSourceTheFallbackFolderTakesTheErrorFile) {
    sources_.Clear();
    trap_->FallbackDirectory = tmp_ + "config";
    EXPECT_EQ(trap_->ErrorFilePath(), tmp_ + "config/ERRORLOG.TXT");
    fs::create_directory(tmp_ + "config");
    try {
        throw 42;
    } catch (...) {
        EXPECT_EQ(trap_->HandleCurrentException(), TErrorTrap::Outcome::Continued);
    }
    EXPECT_NE(ReadFile(tmp_ + "config/ERRORLOG.TXT").find("err:Unknown exception "), std::string::npos);

    trap_->FallbackDirectory = tmp_ + "missing/";
    EXPECT_NO_THROW(trap_->Handle(std::runtime_error("nowhere to write")));
    EXPECT_EQ(boxes_.Boxes().size(), 2u) << "the dialog comes even when the error file cannot be written";
    EXPECT_NE(ReadFile(dir_ + "LOG.TXT").find("Main Error Trap,Cannot write " + tmp_ + "missing/ERRORLOG.TXT"),
              std::string::npos);
}

} // namespace
