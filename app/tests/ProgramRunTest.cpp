// The whole program on the real desktop: started by its run command with an empty home, it captures
// what xclip copies, keeps it through a stop signal (data and settings on disk) and shows it again at
// the next start.
#include "ProgramFixture.h"

#include <QByteArray>
#include <QString>

namespace bx::apptest {
namespace {

class ProgramRunTest : public ProgramTest {
protected:
    // Copies text with xclip; xclip stays behind to serve it until another program copies. Returns when
    // the program has read the text and is done with the copy (it answers again).
    void Copy(const QByteArray& text) {
        auto& xclip = *started_.emplace_back(std::make_unique<QProcess>());
        xclip.setProcessEnvironment(env_);
        xclip.setProcessChannelMode(QProcess::MergedChannels);
        xclip.start("xclip", {"-selection", "clipboard", "-verbose"});
        ASSERT_TRUE(xclip.waitForStarted(5000));
        xclip.write(text);
        // Nothing runs an event loop here: the bytes must be written before the channel closes.
        ASSERT_TRUE(xclip.waitForBytesWritten(5000));
        xclip.closeWriteChannel();
        // xclip counts the transfers of its text (asking for the targets is none): once it waits for the
        // second, the program has read the text; it reads a clip in one go, so when it answers again the
        // clip is stored.
        QByteArray said;
        ASSERT_TRUE(WaitFor([&] {
            xclip.waitForReadyRead(20);
            said += xclip.readAll();
            return said.contains("selection request number 2");
        })) << said.toStdString();
        ASSERT_TRUE(Answers());
    }

    // A first start is ready: the program has loaded its data and written its first collection.
    bool Saved(const QProcess& p) const {
        return CatchesStopSignals(p) && QFileInfo::exists(DataDir() + "Short-Term/_COLL.BX4") && Loaded();
    }
    // A later start is ready: it has moved the last run's log aside and loaded its data.
    bool Restarted(const QProcess& p) const {
        return CatchesStopSignals(p) && QFileInfo::exists(DataDir() + "PREV_LOG.TXT") && Loaded();
    }
};

TEST_F(ProgramRunTest, CopiesAreCapturedAndKeptThroughAStopSignal) {
    if (const std::string why = MissingTool({"xclip"}); !why.empty())
        GTEST_SKIP() << why;
    QProcess& program = Start();
    ASSERT_TRUE(WaitFor([&] { return Saved(program); })) << Log().toStdString();
    Copy("first copy from xclip");
    Copy("second copy, \xc3\xa4\xc3\xb6\xc3\xbc");
    Stop(program);

    const QByteArray dump = Dump("Short-Term");
    EXPECT_TRUE(dump.contains("\"title\": \"first copy from xclip\"")) << dump.toStdString();
    EXPECT_TRUE(dump.contains("second copy")) << dump.toStdString();
    EXPECT_TRUE(dump.contains("\"creator\": \"XCLIP\"")) << "the copying program, by its name";
    EXPECT_TRUE(QFileInfo::exists(home_.path() + "/config/Quorvanti/Brindlex5.conf")) << "the settings were written";

    // The next start finds the same clips and saves them again unchanged. It has moved the first log
    // aside before it writes its own.
    QProcess& again = Start();
    ASSERT_TRUE(WaitFor([&] { return Restarted(again); })) << Log().toStdString();
    Stop(again);
    EXPECT_EQ(Dump("Short-Term"), dump);
}

// Copies are journalled as they are captured: killed (-9) before any save, the program shows every copy
// at its next start and saves them.
TEST_F(ProgramRunTest, ThirtyCopiesSurviveAKill) {
    if (const std::string why = MissingTool({"xclip"}); !why.empty())
        GTEST_SKIP() << why;
    QProcess& program = Start();
    ASSERT_TRUE(WaitFor([&] { return Saved(program); })) << Log().toStdString();
    const QByteArray before = Dump("Short-Term");
    for (int i = 1; i <= 30; ++i)
        Copy("journalled copy " + QByteArray::number(i));
    Signal(program, SIGKILL);
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(Dump("Short-Term"), before) << "nothing was saved before the kill";
    EXPECT_GT(QFileInfo(DataDir() + "_JOURNAL.BX4").size(), 30 * 20) << "the copies are in the journal";

    // The next start moves the killed run's log aside before it writes its own.
    QProcess& again = Start();
    ASSERT_TRUE(WaitFor([&] { return Restarted(again); })) << Log().toStdString();
    EXPECT_TRUE(Log().contains("30 clips replayed from the capture journal")) << Log().toStdString();
    Stop(again);
    const QByteArray dump = Dump("Short-Term");
    for (int i = 1; i <= 30; ++i)
        EXPECT_EQ(dump.count("\"title\": \"journalled copy " + QByteArray::number(i) + "\""), 1) << i;
    EXPECT_FALSE(QFileInfo::exists(DataDir() + "_JOURNAL.BX4")) << "retired by the save";
}

// A settings file whose only data source cannot be used: the program warns in a box, and a stop signal
// while the box is open still ends it cleanly; told to take the default folder, it takes it and asks
// nothing.
TEST_F(ProgramRunTest, AnUnusableDataSourceIsWarnedAboutOrReplacedAndAStopSignalStillEndsTheProgram) {
    const QString off = home_.path() + "/off/";
    ASSERT_TRUE(QDir().mkpath(off));
    WriteSettings("[Software/Quorvanti/Brindlex5/Preferences]\nLogLevel=31\n"
                  "[Software/Quorvanti/Brindlex5/DataSources/_Dirs]\nMy Clips=1\n"
                  "[Software/Quorvanti/Brindlex5/DataSources/My Clips]\nDirectory=" +
                  off.toUtf8() + "\nAutoLoad=0\n");
    QProcess& warned = Start({});
    ASSERT_TRUE(WaitFor([&] { return Log(off).contains("MessageBox,Open: "); })) << Log(off).toStdString();
    Stop(warned);
    EXPECT_TRUE(Log(off).contains("SHUTDOWN Complete.")) << Log(off).toStdString();

    QProcess& defaulted = Start();
    ASSERT_TRUE(WaitFor([&] { return CatchesStopSignals(defaulted) && Loaded(); })) << Log().toStdString();
    Stop(defaulted);
    EXPECT_FALSE(Log().contains("MessageBox,Open: ")) << "nothing asked";
    EXPECT_TRUE(QFileInfo::exists(DataDir() + "Short-Term/_COLL.BX4"));
}

} // namespace
} // namespace bx::apptest
