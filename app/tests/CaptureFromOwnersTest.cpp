// The whole program against other programs that own the clipboard, played by bx_x11_peer: offered as
// a file manager and a web browser offer them, left on the clipboard before the start, in a flood of
// copies, as a huge one-line text, and by an owner that drips its data. What was kept is read back with
// "brindlex dump" after a stop signal.
#include "ProgramFixture.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <iostream>
#include <map>
#include <string>

namespace bx::apptest {
namespace {

struct Clip {
    QString title;
    QString creator;
    QStringList formats;
    QJsonArray details;
};

class CaptureFromOwnersTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (IsSkipped())
            return;
        // Captures are logged (data events), so the test can wait for them.
        WriteSettings("[Software/Quorvanti/Brindlex5/Preferences]\nLogLevel=55\n");
    }

    // Another program takes the clipboard with these targets; it serves them until it loses it.
    QProcess& Own(const QStringList& args) {
        auto& peer = *started_.emplace_back(std::make_unique<QProcess>());
        peer.setProcessEnvironment(env_);
        peer.start(BX_X11_PEER, args);
        EXPECT_TRUE(peer.waitForStarted(5000));
        EXPECT_TRUE(Said(peer, "ready") || Said(peer, "done")) << args.join(' ').toStdString();
        return peer;
    }

    // Waits until the peer has printed the line (it has said so already when it is in its output).
    bool Said(QProcess& peer, const QByteArray& line, int ms = 60000) {
        QByteArray& out = output_[&peer];
        const QDeadlineTimer deadline(ms);
        while (!out.contains(line + "\n")) {
            if (deadline.hasExpired() || (!peer.waitForReadyRead(100) && peer.state() == QProcess::NotRunning))
                return false;
            out += peer.readAllStandardOutput();
        }
        return true;
    }

    // Captures that ran to their end, kept or not.
    int Captures() const { return static_cast<int>(Log().count("<CaptureTheClip,End")); }

    QString File(const QString& name, const QByteArray& bytes) const {
        QFile f(home_.path() + "/" + name);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }

    std::vector<Clip> Clips(const QString& collection) {
        std::vector<Clip> clips;
        const QJsonObject doc = QJsonDocument::fromJson(Dump(collection)).object();
        for (const QJsonValue c : doc["clips"].toArray()) {
            Clip clip{c["title"].toString(), c["creator"].toString(), {}, c["formats"].toArray()};
            for (const QJsonValue f : clip.details)
                clip.formats << f["name"].toString();
            clips.push_back(clip);
        }
        return clips;
    }

    // The longest time the running program took to answer, while until() is false: it is asked, as a
    // second start asks it, to come forward. A program that does not answer within 10 s is frozen.
    qint64 LongestStall(QProcess& program, const std::function<bool()>& until) {
        qint64 longest = 0;
        while (!until()) {
            if (program.waitForFinished(0) || program.state() != QProcess::Running) {
                ADD_FAILURE() << "the program ended: " << program.readAllStandardError().toStdString();
                break;
            }
            QElapsedTimer took;
            took.start();
            const bool answered = Answers(10000);
            longest = std::max(longest, took.elapsed());
            if (!answered) {
                ADD_FAILURE() << "the program did not answer within 10 s";
                break;
            }
            QThread::msleep(50);
        }
        return longest;
    }

    std::map<const QProcess*, QByteArray> output_;

    static qint64 PeakKiB(const QProcess& p) {
        QFile status(QString("/proc/%1/status").arg(p.processId()));
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine())
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').value(0).toLongLong();
        return -1;
    }
};

TEST_F(CaptureFromOwnersTest, FilesAndAnImageAreKeptAsAFileManagerAndABrowserOfferThem) {
    QProcess& program = StartLoaded();
    // A file manager's copy of two files (as pcmanfm offers it).
    Own({"own", "x-special/gnome-copied-files:=copy\nfile:///tmp/a%20b.txt\nfile:///tmp/c.png",
         "text/uri-list:=file:///tmp/a%20b.txt\r\nfile:///tmp/c.png\r\n", "UTF8_STRING:=/tmp/a b.txt\n/tmp/c.png"});
    ASSERT_TRUE(WaitFor([&] { return Captures() == 1; }));
    // A browser's copy of a text, then of an image (its HTML and its picture).
    Own({"own", "UTF8_STRING:=some text", "TEXT:=some text", "STRING:=some text", "text/plain:=some text",
         "text/plain;charset=utf-8:=some text"});
    ASSERT_TRUE(WaitFor([&] { return Captures() == 2; }));
    const QByteArray png = QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAIAAAACCAIAAAD91JpzAAAAEUlEQVR4nGP4z8DA8B+M"
                                                  "gBgAHfAD/dPQfSYAAAAASUVORK5CYII=");
    Own({"own", "text/html:=<img src=\"https://example.org/i.png\">", "image/png=" + File("i.png", png)});
    ASSERT_TRUE(WaitFor([&] { return Captures() == 3; }));
    Stop(program);

    const std::vector<Clip> clips = Clips("Short-Term");
    ASSERT_EQ(clips.size(), 3u);
    EXPECT_EQ(clips[2].formats, (QStringList{"TEXT", "HDROP"})) << "the paths and the file list";
    EXPECT_EQ(clips[1].formats, (QStringList{"TEXT"})) << "one text format, whatever the text targets";
    EXPECT_EQ(clips[0].formats, (QStringList{"HTML Format", "BITMAP"})) << "the picture is kept";
}

TEST_F(CaptureFromOwnersTest, WhatIsOnTheClipboardBeforeTheStartIsKeptAndLeftThere) {
    QProcess& before = Own({"own", "UTF8_STRING:=copied before the start"});
    QProcess& program = StartLoaded();
    ASSERT_TRUE(WaitFor([&] { return Captures() == 1; }));
    EXPECT_EQ(before.state(), QProcess::Running) << "the program did not take the clipboard from its owner";
    Stop(program);
    const std::vector<Clip> clips = Clips("Short-Term");
    ASSERT_EQ(clips.size(), 1u);
    EXPECT_EQ(clips[0].title, "copied before the start");
    EXPECT_EQ(clips[0].creator, "BX_X11_PEER");
}

TEST_F(CaptureFromOwnersTest, AFloodOfCopiesIsKeptToItsLastCopy) {
    QProcess& program = StartLoaded();
    QProcess& flood = Own({"flood", "40", "50", "UTF8_STRING", "flood copy "});
    ASSERT_TRUE(Said(flood, "served UTF8_STRING"));
    // The last copy is read; once the program answers again it has stored it.
    ASSERT_TRUE(Answers());
    Stop(program);
    const std::vector<Clip> clips = Clips("Short-Term");
    ASSERT_FALSE(clips.empty());
    EXPECT_EQ(clips[0].title, "flood copy 40") << "what stays on the clipboard is always kept";
    EXPECT_GE(clips.size(), 10u) << "copies 50 ms apart are read every capture delay";
}

TEST_F(CaptureFromOwnersTest, AHugeOneLineTextIsKeptWhileTheProgramKeepsAnswering) {
    constexpr qsizetype Size = 150 * 1024 * 1024;
    QByteArray text(Size, 'x');
    for (qsizetype i = 0; i < Size; i += 4096)
        text[i] = static_cast<char>('a' + (i / 4096) % 26);
    const QByteArray sha = QCryptographicHash::hash(text + '\0', QCryptographicHash::Sha256).toHex();
    const QString file = File("huge.txt", text);
    text.clear();

    // An AddressSanitizer build keeps up to 256 MB of freed blocks aside to catch late uses; that is the
    // sanitizer's memory, not the program's, so it keeps only a little here (other builds ignore it).
    const QString asan = env_.value("ASAN_OPTIONS");
    env_.insert("ASAN_OPTIONS", (asan.isEmpty() ? QString() : asan + ":") + "quarantine_size_mb=16");
    QProcess& program = StartLoaded();
    const qint64 idle = PeakKiB(program);
    Own({"own", "UTF8_STRING=" + file});
    const qint64 stall = LongestStall(program, [&] { return Captures() == 1; });
    const qint64 peak = PeakKiB(program);
    Stop(program);
    std::cout << "150 MB one-line text: longest stall " << stall << " ms, peak " << peak / 1024 << " MiB (idle "
              << idle / 1024 << " MiB)\n";
    EXPECT_LT(peak - idle, 4 * Size / 1024) << "memory within a small multiple of the text";

    const std::vector<Clip> clips = Clips("Short-Term");
    ASSERT_EQ(clips.size(), 1u);
    ASSERT_EQ(clips[0].formats, QStringList{"TEXT"});
    EXPECT_EQ(clips[0].details[0]["bytes"].toInteger(), Size + 1);
    EXPECT_EQ(clips[0].details[0]["sha256"].toString().toLatin1(), sha);
}

TEST_F(CaptureFromOwnersTest, AnOwnerThatDripsItsDataHoldsTheProgramOnlyForAMoment) {
    QProcess& program = StartLoaded();
    Own({"own", "--drip", "900", "UTF8_STRING:=" + QString(200, 'd')});
    const qint64 stall = LongestStall(program, [&] { return Captures() == 1; });
    std::cout << "owner dripping a byte every 900 ms: longest stall " << stall << " ms\n";
    Own({"own", "UTF8_STRING:=after the drip"});
    ASSERT_TRUE(WaitFor([&] { return Captures() == 2; }));
    Stop(program);
    const std::vector<Clip> clips = Clips("Short-Term");
    ASSERT_EQ(clips.size(), 1u);
    EXPECT_EQ(clips[0].title, "after the drip");
}

} // namespace
} // namespace bx::apptest
