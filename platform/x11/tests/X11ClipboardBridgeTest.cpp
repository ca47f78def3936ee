// The X11 clipboard against real peers: xclip and our own bx_x11_peer. Needs an X server ($DISPLAY,
// e.g. under xvfb-run); without one every test is skipped.
#include "X11ClipboardBridge.h"
#include "GlobalMemory.h"
#include "HeldDisplay.h"
#include "QtWindows.h"
#include "X11DataConversions.h"
#include "XcbConnection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <random>

using namespace bx::platform;
using bx::platform::x11::X11ClipboardBridge;
using bx::platform::x11::X11DataConversions;

namespace {

std::string BlockBytes(HANDLE h) {
    const std::uint8_t* p = GlobalLock(h);
    if (p == nullptr)
        return {};
    std::string out(reinterpret_cast<const char*>(p), GlobalSize(h));
    GlobalUnlock(h);
    return out;
}

std::string ReadFile(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const QString& path, const std::string& bytes) {
    std::ofstream(path.toStdString(), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class X11ClipboardBridgeTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* display = std::getenv("DISPLAY"); display == nullptr || *display == '\0')
            GTEST_SKIP() << "no X display";
        ASSERT_TRUE(dir_.isValid());
        bridge_ = std::make_unique<X11ClipboardBridge>(windows_);
        ASSERT_TRUE(bridge_->IsConnected());
        viewer_ = windows_.CreateWindow("viewer", [this](UINT msg, WPARAM, LPARAM) {
            if (msg == WM_DRAWCLIPBOARD)
                ++changes_;
            return LRESULT{0};
        });
        owner_ = windows_.CreateWindow("owner", [this](UINT msg, WPARAM format, LPARAM) {
            if (msg == WM_RENDERFORMAT) {
                ++renders_;
                const std::string& bytes = rendered_[static_cast<UINT>(format)];
                bridge_->SetClipboardData(static_cast<UINT>(format),
                                          GlobalMemory::FromBytes(bytes.data(), bytes.size()));
                if (withdrawAfterServing_) {
                    EXPECT_TRUE(bridge_->WithdrawAfterServing());
                }
                // Asked for one format, the owner may give every announced one its data (a Relayfeed run does).
                for (const auto& [other, data] : rendered_) {
                    if (renderAll_ && other != static_cast<UINT>(format) &&
                        bridge_->SetClipboardData(other, GlobalMemory::FromBytes(data.data(), data.size())) == 0)
                        ++refused_;
                }
            }
            return LRESULT{0};
        });
        bridge_->SetClipboardViewer(viewer_);
        changes_ = 0;
    }

    void TearDown() override {
        for (auto& p : peers_) {
            p->kill();
            p->waitForFinished(2000);
        }
    }

    // Runs the event loop until the condition holds; false after the time limit.
    bool WaitUntil(const std::function<bool()>& condition, int ms = 5000) {
        QElapsedTimer timer;
        timer.start();
        while (!condition()) {
            if (timer.elapsed() > ms)
                return false;
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        }
        return true;
    }

    // Starts a program that takes the clipboard and waits until the change has reached the viewer.
    QProcess& StartOwner(const QString& program, const QStringList& args, const std::string& input = {}) {
        peers_.push_back(std::make_unique<QProcess>());
        QProcess& p = *peers_.back();
        const int before = changes_;
        p.start(program, args);
        EXPECT_TRUE(p.waitForStarted(3000));
        if (!input.empty()) {
            p.write(input.data(), static_cast<qint64>(input.size()));
        }
        p.closeWriteChannel();
        EXPECT_TRUE(WaitUntil([&] { return changes_ > before; })) << program.toStdString();
        return p;
    }

    QProcess& Xclip(const std::string& target, const std::string& bytes) {
        return StartOwner("xclip", {"-quiet", "-selection", "clipboard", "-t", QString::fromStdString(target), "-i"},
                          bytes);
    }

    // What `xclip -o -t target` reads from the clipboard (the event loop runs meanwhile, as we serve it).
    std::optional<std::string> XclipOut(const std::string& target, qint64* pid = nullptr) {
        QProcess p;
        const QString out = dir_.filePath("out");
        p.setStandardOutputFile(out);
        p.start("xclip", {"-o", "-selection", "clipboard", "-t", QString::fromStdString(target)});
        if (!p.waitForStarted(3000))
            return std::nullopt;
        if (pid != nullptr)
            *pid = p.processId();
        if (!WaitUntil([&] { return p.state() == QProcess::NotRunning; }, 15000)) {
            p.kill();
            p.waitForFinished(2000);
            return std::nullopt;
        }
        if (p.exitCode() != 0)
            return std::nullopt;
        return ReadFile(out);
    }

    // Opens, reads a format, closes.
    std::optional<std::string> Read(UINT format) {
        EXPECT_TRUE(bridge_->OpenClipboard(viewer_));
        const HANDLE h = bridge_->GetClipboardData(format);
        std::optional<std::string> out = h != 0 ? std::optional<std::string>(BlockBytes(h)) : std::nullopt;
        bridge_->CloseClipboard();
        return out;
    }

    void Write(const std::vector<std::pair<UINT, std::optional<std::string>>>& formats) {
        ASSERT_TRUE(bridge_->OpenClipboard(owner_));
        ASSERT_TRUE(bridge_->EmptyClipboard());
        for (const auto& [format, bytes] : formats)
            bridge_->SetClipboardData(format, bytes ? GlobalMemory::FromBytes(bytes->data(), bytes->size()) : 0);
        ASSERT_TRUE(bridge_->CloseClipboard());
    }

    UINT Reg(const char* name) { return bridge_->RegisterClipboardFormat(name); }

    QTemporaryDir dir_;
    x11::QtWindows windows_;
    std::unique_ptr<X11ClipboardBridge> bridge_;
    HWND viewer_ = NoWindow;
    HWND owner_ = NoWindow;
    int changes_ = 0;
    int renders_ = 0;
    bool withdrawAfterServing_ = false; // the owner renders for the request being served alone
    int refused_ = 0;
    bool renderAll_ = false;
    std::map<UINT, std::string> rendered_;
    std::vector<std::unique_ptr<QProcess>> peers_;
};

TEST_F(X11ClipboardBridgeTest, TextCopiedWithXclipIsCapturedByteForByteWithItsOwnersProcess) {
    struct Case {
        std::string target;
        std::string bytes;
        std::optional<std::string> text; // CF_TEXT, when the target is a text target
    };
    const Case cases[] = {
        {"UTF8_STRING", "caf\xC3\xA9 \xE2\x82\xAC", std::string("caf\xC3\xA9 \xE2\x82\xAC\0", 10)},
        {"application/x-bx-custom", std::string("\xFF\x00\x80\xC3(bin", 9), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        QProcess& xclip = Xclip(c.target, c.bytes);
        ASSERT_TRUE(bridge_->OpenClipboard(viewer_));
        const UINT exact = Reg(c.target.c_str());
        ASSERT_TRUE(bridge_->IsClipboardFormatAvailable(exact));
        EXPECT_EQ(BlockBytes(bridge_->GetClipboardData(exact)), c.bytes);
        EXPECT_EQ(bridge_->IsClipboardFormatAvailable(CF_TEXT), c.text.has_value());
        if (c.text) {
            EXPECT_EQ(bridge_->EnumClipboardFormats(0), CF_TEXT); // the derived formats come first
            EXPECT_EQ(BlockBytes(bridge_->GetClipboardData(CF_TEXT)), *c.text);
        }
        const HWND owner = bridge_->GetClipboardOwner();
        EXPECT_NE(owner, NoWindow);
        EXPECT_EQ(windows_.GetWindowProcessId(owner), static_cast<std::uint32_t>(xclip.processId()));
        bridge_->CloseClipboard();
    }
    // Xvfb offers the XRes extension: the program behind a window is found through it first.
    EXPECT_EQ(bridge_->WindowProcessMeans(), "XRes, _NET_WM_PID");
}

TEST_F(X11ClipboardBridgeTest, AnOwnerThatNeverAnswersCostsAtMostTheBoundedWait) {
    StartOwner(BX_X11_PEER, {"own", "--never", "text/x-stuck:=never sent"});
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(bridge_->OpenClipboard(viewer_));
    const UINT stuck = Reg("text/x-stuck");
    EXPECT_TRUE(bridge_->IsClipboardFormatAvailable(stuck)); // its targets were answered
    EXPECT_EQ(bridge_->GetClipboardData(stuck), HANDLE{0});
    EXPECT_LT(timer.elapsed(), 1600);
    timer.restart();
    EXPECT_EQ(bridge_->GetClipboardData(stuck), HANDLE{0}); // not asked again in the same snapshot
    EXPECT_LT(timer.elapsed(), 100);
    bridge_->CloseClipboard();

    StartOwner(BX_X11_PEER, {"own", "--never-targets", "text/x-stuck:=x"});
    timer.restart();
    ASSERT_TRUE(bridge_->OpenClipboard(viewer_));
    EXPECT_EQ(bridge_->CountClipboardFormats(), 0);
    EXPECT_LT(timer.elapsed(), 1600);
    bridge_->CloseClipboard();

    // An owner that sends its data in pieces of one byte, each just within the wait, is given up after
    // the wait; its other targets are not waited for again.
    StartOwner(BX_X11_PEER, {"own", "--drip", "900", "text/x-drip:=" + QString(100, 'd'), "text/x-other:=o"});
    timer.restart();
    ASSERT_TRUE(bridge_->OpenClipboard(viewer_));
    EXPECT_EQ(bridge_->GetClipboardData(Reg("text/x-drip")), HANDLE{0});
    EXPECT_LT(timer.elapsed(), 1600);
    timer.restart();
    EXPECT_EQ(bridge_->GetClipboardData(Reg("text/x-other")), HANDLE{0});
    EXPECT_LT(timer.elapsed(), 100);
    bridge_->CloseClipboard();
}

TEST_F(X11ClipboardBridgeTest, TwentyMegabytesGoBothWaysByIncr) {
    std::string big(20 * 1024 * 1024, '\0');
    std::mt19937 random(7);
    for (char& c : big)
        c = static_cast<char>(random());
    const QString file = dir_.filePath("big");
    WriteFile(file, big);
    StartOwner("xclip", {"-quiet", "-selection", "clipboard", "-t", "application/x-bx-big", "-i", file});
    const UINT format = Reg("application/x-bx-big");
    const std::optional<std::string> captured = Read(format);
    ASSERT_TRUE(captured);
    EXPECT_TRUE(*captured == big) << captured->size();

    Write({{format, big}});
    const std::optional<std::string> served = XclipOut("application/x-bx-big");
    ASSERT_TRUE(served);
    EXPECT_TRUE(*served == big) << served->size();
}

TEST_F(X11ClipboardBridgeTest, OurWriteIsReadBackByXclipForEachTargetAndArrivesAsAChange) {
    const std::string html = "<p>caf\xC3\xA9</p>";
    const std::string custom("\x00\xFF\x01 raw", 7);
    const int before = changes_;
    Write({{CF_TEXT, std::string("caf\xC3\xA9\0", 6)},
           {Reg("HTML Format"), X11DataConversions::WrapHtml(html, "https://example.org/p")},
           {CF_HDROP, X11DataConversions::DropFiles({"/tmp/a b"})},
           {Reg("application/x-bx-custom"), custom},
           {Reg("Clipboard Viewer Ignore"), std::string("Ignore", 6)}});
    EXPECT_TRUE(WaitUntil([&] { return changes_ > before; })); // the component's echo rules take it from here

    const std::map<std::string, std::string> expected{
        {"UTF8_STRING", "caf\xC3\xA9"},
        {"STRING", "caf\xE9"},
        {"text/plain", "caf\xC3\xA9"},
        {"text/html", html},
        {"chromium/x-source-url", "https://example.org/p"},
        {"text/uri-list", "file:///tmp/a%20b\r\n"},
        {"x-special/gnome-copied-files", "copy\nfile:///tmp/a%20b"},
        {"application/x-bx-custom", custom},
        {"Clipboard Viewer Ignore", "Ignore"},
    };
    for (const auto& [target, bytes] : expected)
        EXPECT_EQ(XclipOut(target), bytes) << target;
    const std::optional<std::string> targets = XclipOut("TARGETS");
    ASSERT_TRUE(targets);
    for (const char* t : {"TARGETS", "TIMESTAMP", "MULTIPLE", "UTF8_STRING", "text/html", "application/x-bx-custom"})
        EXPECT_NE(targets->find(t), std::string::npos) << t;
    EXPECT_FALSE(XclipOut("image/png")); // what we do not have is refused

    // Several targets at once (ICCCM MULTIPLE): each converted or refused on its own.
    QProcess multiple;
    multiple.start(BX_X11_PEER, {"request-multiple", "UTF8_STRING", "image/png", "application/x-bx-custom"});
    ASSERT_TRUE(WaitUntil([&] { return multiple.state() == QProcess::NotRunning; }));
    EXPECT_EQ(multiple.exitCode(), 0);
    EXPECT_EQ(multiple.readAllStandardOutput().toStdString(),
              "UTF8_STRING=caf\xC3\xA9\nimage/png refused\napplication/x-bx-custom=" + custom + "\n");

    // Our own data reads back from memory, without the X server.
    EXPECT_EQ(Read(Reg("application/x-bx-custom")), custom);
}

// Every target we list is served: text beyond Latin-1 in the old encodings, TEXT in the encoding it
// holds, and the marker that is announced without data, without asking the program to render it.
TEST_F(X11ClipboardBridgeTest, EveryTargetWeOfferIsServed) {
    const std::string text = "\xE2\x82\xAC 5 caf\xC3\xA9";
    Write({{Reg("Clipboard Viewer Ignore"), std::nullopt},
           {CF_TEXT, text + '\0'},
           {Reg("HTML Format"), X11DataConversions::WrapHtml("<b>x</b>", "https://example.org/")},
           {CF_HDROP, X11DataConversions::DropFiles({"/tmp/f"})}});
    const std::optional<std::string> targets = XclipOut("TARGETS");
    ASSERT_TRUE(targets);
    int served = 0;
    for (const QString& target : QString::fromStdString(*targets).split('\n', Qt::SkipEmptyParts)) {
        if (target == "TARGETS" || target == "MULTIPLE")
            continue;
        EXPECT_TRUE(XclipOut(target.toStdString()).has_value()) << target.toStdString();
        ++served;
    }
    EXPECT_GE(served, 12);
    EXPECT_EQ(renders_, 0) << "the marker is answered by the clipboard itself";
    EXPECT_EQ(XclipOut("Clipboard Viewer Ignore"), std::string(IgnoreMarkerText));
    EXPECT_EQ(XclipOut("STRING"), "? 5 caf\xE9");
    EXPECT_EQ(XclipOut("COMPOUND_TEXT"), "\x1b%G\xE2\x82\xAC\x1b%@ 5 caf\xE9");

    QProcess request;
    request.start(BX_X11_PEER, {"request", "--type", "TEXT"});
    ASSERT_TRUE(WaitUntil([&] { return request.state() == QProcess::NotRunning; }));
    EXPECT_EQ(request.readAllStandardOutput().toStdString(), "UTF8_STRING\n" + text) << "ICCCM: the real type";
}

// The generic TEXT target is one source of the text; UTF8_STRING and STRING stay formats of their own.
TEST_F(X11ClipboardBridgeTest, TheTextTargetIsNoFormatOfItsOwn) {
    StartOwner(BX_X11_PEER, {"own", "UTF8_STRING:=plain", "TEXT:=plain", "STRING:=plain"});
    ASSERT_TRUE(bridge_->OpenClipboard(viewer_));
    std::vector<std::string> names;
    for (UINT f = bridge_->EnumClipboardFormats(0); f != 0; f = bridge_->EnumClipboardFormats(f))
        names.push_back(f == CF_TEXT ? "#1" : bridge_->GetClipboardFormatName(f, 256));
    EXPECT_EQ(names, (std::vector<std::string>{"#1", "UTF8_STRING", "STRING"}));
    bridge_->CloseClipboard();
}

TEST_F(X11ClipboardBridgeTest, TextOfOtherSourcesGoesOutAsUtf8) {
    struct Case {
        UINT format;
        std::string block;
        std::string utf8;
    };
    const Case cases[] = {
        {CF_TEXT, std::string("caf\xE9\0", 5), "caf\xC3\xA9"}, // single-byte text of an older collection
        {CF_UNICODETEXT, std::string("c\0\xE9\0\xAC\x20\0\0junk", 12), "c\xC3\xA9\xE2\x82\xAC"},
    };
    for (const Case& c : cases) {
        Write({{c.format, c.block}});
        EXPECT_EQ(XclipOut("UTF8_STRING"), c.utf8) << c.format;
    }
}

TEST_F(X11ClipboardBridgeTest, AnnouncedFormatIsRenderedWhenXclipAsksAndTheRequesterIsNamed) {
    const UINT format = Reg("application/x-bx-late");
    rendered_[format] = "rendered late";
    Write({{format, std::nullopt}, {CF_TEXT, std::nullopt}});
    rendered_[CF_TEXT] = std::string("text\0", 5);
    qint64 pid = 0;
    EXPECT_EQ(XclipOut("application/x-bx-late", &pid), "rendered late");
    EXPECT_EQ(renders_, 1);
    const X11ClipboardBridge::RenderRequest& who = bridge_->LastRenderRequestor();
    EXPECT_EQ(who.format, format);
    EXPECT_EQ(who.pid, static_cast<std::uint32_t>(pid));
    EXPECT_EQ(who.program.substr(who.program.rfind('/') + 1), "xclip");
    EXPECT_FALSE(who.foreground);
    EXPECT_EQ(XclipOut("application/x-bx-late"), "rendered late"); // now from memory
    EXPECT_EQ(XclipOut("UTF8_STRING"), "text");
    EXPECT_EQ(renders_, 2);

    // A request of the application in front (a paste rather than a clipboard watcher).
    const UINT front = Reg("application/x-bx-front");
    rendered_[front] = "front";
    Write({{front, std::nullopt}});
    QProcess paste;
    paste.start(BX_X11_PEER, {"request", "--active", "application/x-bx-front"});
    ASSERT_TRUE(paste.waitForStarted(3000));
    const auto pastePid = static_cast<std::uint32_t>(paste.processId());
    ASSERT_TRUE(WaitUntil([&] { return paste.state() == QProcess::NotRunning; }));
    EXPECT_EQ(paste.readAllStandardOutput().toStdString(), "front");
    EXPECT_TRUE(bridge_->LastRenderRequestor().foreground);
    EXPECT_EQ(bridge_->LastRenderRequestor().pid, pastePid);
}

// A request served and taken back (a clipboard watcher's, during a Relayfeed run): the next program that
// asks reaches the owner again, and nobody hears of a change.
TEST_F(X11ClipboardBridgeTest, RenderedDataTakenBackIsRenderedAgainForTheNextRequest) {
    const UINT format = Reg("application/x-bx-again");
    rendered_[format] = "first";
    Write({{format, std::nullopt}});
    EXPECT_EQ(XclipOut("application/x-bx-again"), "first");
    EXPECT_EQ(renders_, 1);
    const std::uint32_t sequence = bridge_->GetClipboardSequenceNumber();
    EXPECT_TRUE(bridge_->WithdrawRendered());
    rendered_[format] = "second";
    EXPECT_EQ(XclipOut("application/x-bx-again"), "second");
    EXPECT_EQ(renders_, 2);
    EXPECT_EQ(bridge_->GetClipboardSequenceNumber(), sequence);
    EXPECT_EQ(bridge_->GetClipboardOwner(), owner_);
}

// Taken back as the answer goes out: the very next request reaches the owner again, however soon it comes.
TEST_F(X11ClipboardBridgeTest, DataRenderedForOneRequestAloneIsRenderedAgainForEachRequest) {
    EXPECT_FALSE(bridge_->WithdrawAfterServing()) << "nothing is being rendered";
    const UINT format = Reg("application/x-bx-each");
    withdrawAfterServing_ = true;
    Write({{format, std::nullopt}});
    const std::uint32_t sequence = bridge_->GetClipboardSequenceNumber();
    for (const char* bytes : {"first", "second", "third"}) {
        rendered_[format] = bytes;
        EXPECT_EQ(XclipOut("application/x-bx-each"), bytes);
    }
    EXPECT_EQ(renders_, 3);
    EXPECT_EQ(bridge_->GetClipboardSequenceNumber(), sequence);
    EXPECT_EQ(bridge_->GetClipboardOwner(), owner_);
}

// A rich clip pasted during a Relayfeed run: the request for one format is answered with all of them.
TEST_F(X11ClipboardBridgeTest, ARenderRequestMayGiveEveryAnnouncedFormatItsData) {
    const UINT rtf = Reg("Rich Text Format");
    rendered_[rtf] = "{\\rtf1 rich}";
    rendered_[CF_UNICODETEXT] = std::string("r\0i\0c\0h\0\0\0", 10);
    renderAll_ = true;
    Write({{CF_UNICODETEXT, std::nullopt}, {rtf, std::nullopt}});
    EXPECT_EQ(XclipOut("text/rtf"), "{\\rtf1 rich}");
    EXPECT_EQ(refused_, 0);
    EXPECT_EQ(XclipOut("UTF8_STRING"), "rich");
    EXPECT_EQ(renders_, 1) << "the text was rendered with the rich text";
}

TEST_F(X11ClipboardBridgeTest, LosingTheClipboardDropsOurDataAndAnOwnerThatExitsLeavesItEmpty) {
    int destroyed = 0;
    const HWND writer = windows_.CreateWindow("writer", [&](UINT msg, WPARAM, LPARAM) {
        destroyed += msg == WM_DESTROYCLIPBOARD ? 1 : 0;
        return LRESULT{0};
    });
    const UINT mine = Reg("application/x-bx-mine");
    ASSERT_TRUE(bridge_->OpenClipboard(writer));
    ASSERT_TRUE(bridge_->EmptyClipboard());
    bridge_->SetClipboardData(mine, GlobalMemory::FromBytes("m", 1));
    ASSERT_TRUE(bridge_->CloseClipboard());
    EXPECT_EQ(bridge_->GetClipboardOwner(), writer);
    ASSERT_TRUE(WaitUntil([&] { return changes_ == 1; })); // our own change comes back first

    QProcess& peer = StartOwner(BX_X11_PEER, {"own", "text/x-theirs:=t"});
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(Read(mine), std::nullopt);
    EXPECT_EQ(Read(Reg("text/x-theirs")), "t");
    EXPECT_EQ(windows_.GetWindowProcessId(bridge_->GetClipboardOwner()), static_cast<std::uint32_t>(peer.processId()));

    const int before = changes_;
    peer.kill();
    ASSERT_TRUE(WaitUntil([&] { return changes_ > before; }));
    ASSERT_TRUE(bridge_->OpenClipboard(viewer_));
    EXPECT_EQ(bridge_->CountClipboardFormats(), 0);
    EXPECT_EQ(bridge_->GetClipboardOwner(), NoWindow);
    bridge_->CloseClipboard();
}

TEST_F(X11ClipboardBridgeTest, AsClipboardManagerWeKeepTheDataOfAProgramThatExits) {
    ASSERT_TRUE(bridge_->IsClipboardManager());
    QProcess& peer =
        StartOwner(BX_X11_PEER, {"own", "--save-after", "200", "text/x-kept:=kept bytes", "UTF8_STRING:=kept text"});
    const int changes = changes_;
    ASSERT_TRUE(WaitUntil([&] { return peer.state() == QProcess::NotRunning; }));
    EXPECT_EQ(peer.readAllStandardOutput().toStdString(), "ready\nsaved\n");
    EXPECT_EQ(XclipOut("text/x-kept"), "kept bytes");
    EXPECT_EQ(XclipOut("UTF8_STRING"), "kept text");
    EXPECT_EQ(Read(CF_TEXT), std::string("kept text\0", 10));
    EXPECT_EQ(changes_, changes); // keeping the data is no change of the contents
}

TEST_F(X11ClipboardBridgeTest, AtExitOurDataGoesToTheClipboardManagerOfTheDesktop) {
    bridge_.reset(); // gives up the manager's role
    peers_.push_back(std::make_unique<QProcess>());
    QProcess& manager = *peers_.back();
    manager.start(BX_X11_PEER, {"manage"});
    ASSERT_TRUE(WaitUntil([&] { return manager.canReadLine(); }));
    EXPECT_EQ(manager.readLine().toStdString(), "managing\n");

    bridge_ = std::make_unique<X11ClipboardBridge>(windows_);
    EXPECT_FALSE(bridge_->IsClipboardManager()); // another program is
    const UINT kept = Reg("application/x-bx-kept");
    Write({{kept, std::string("kept\0bytes", 10)}, {CF_TEXT, std::string("text\0", 5)}, {Reg("x-late"), std::nullopt}});
    bridge_.reset(); // the program exits

    EXPECT_EQ(XclipOut("application/x-bx-kept"), std::string("kept\0bytes", 10));
    EXPECT_EQ(XclipOut("UTF8_STRING"), "text");
    EXPECT_FALSE(XclipOut("x-late")); // an announced format could not be rendered any more
}

TEST_F(X11ClipboardBridgeTest, DerivedFormatsAreReadFromTheTargetsOfTheirTable) {
    const std::string wmf = "\x01\x00\x09\x00wmf records";
    const std::string placeable = std::string("\xD7\xCD\xC6\x9A", 4) + std::string(18, '\x01');
    const std::string mozUrl = X11DataConversions::Utf8ToUtf16Le("https://example.org/x\nTitle");
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> targets;
        std::string format; // a registered name, or "#n" for a standard format
        std::optional<std::string> bytes;
    };
    const std::string wmfTarget = "application/x-openoffice-wmf;windows_formatname=\"Image WMF\"";
    const std::string emfTarget = "application/x-openoffice-emf;windows_formatname=\"Image EMF\"";
    const Case cases[] = {
        {"files",
         {{"x-special/gnome-copied-files", "copy\nfile:///tmp/a%20b\nfile:///c"}},
         "#15",
         X11DataConversions::DropFiles({"/tmp/a b", "/c"})},
        {"file uris", {{"text/uri-list", "file:///tmp/x\r\n"}}, "#15", X11DataConversions::DropFiles({"/tmp/x"})},
        {"no files in a web address", {{"text/uri-list", "https://example.org/\r\n"}}, "#15", std::nullopt},
        {"web address",
         {{"text/uri-list", "https://example.org/\r\n"}},
         "UniformResourceLocator",
         std::string("https://example.org/\0", 21)},
        {"firefox address",
         {{"text/x-moz-url", mozUrl}},
         "UniformResourceLocator",
         std::string("https://example.org/x\0", 22)},
        {"html with its page",
         {{"text/html", "<i>x</i>"}, {"chromium/x-source-url", "https://example.org/p"}},
         "HTML Format",
         X11DataConversions::WrapHtml("<i>x</i>", "https://example.org/p")},
        {"rich text", {{"text/richtext", "{\\rtf1 x}"}}, "Rich Text Format", "{\\rtf1 x}"},
        {"windows metafile",
         {{wmfTarget, placeable + wmf}},
         "#3",
         std::string("\x08", 1) + std::string(15, '\0') + wmf},
        {"enhanced metafile", {{emfTarget, "emf bytes"}}, "#14", "emf bytes"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QStringList args{"own"};
        for (const auto& [target, bytes] : c.targets) {
            const QString file = dir_.filePath(QString::number(++n));
            WriteFile(file, bytes);
            args << QString::fromStdString(target) + "=" + file;
        }
        StartOwner(BX_X11_PEER, args);
        const UINT format =
            c.format[0] == '#' ? static_cast<UINT>(std::stoi(c.format.substr(1))) : Reg(c.format.c_str());
        EXPECT_EQ(Read(format), c.bytes);
    }
}

TEST_F(X11ClipboardBridgeTest, PasswordManagerDataIsMarkedToBeIgnored) {
    const UINT ignore = Reg("Clipboard Viewer Ignore");
    for (const std::string_view hint : {"secret", "public"}) {
        StartOwner(BX_X11_PEER, {"own", "text/plain:=hunter2",
                                 QString::fromStdString("x-kde-passwordManagerHint:=" + std::string(hint))});
        ASSERT_TRUE(bridge_->OpenClipboard(viewer_));
        EXPECT_EQ(bridge_->IsClipboardFormatAvailable(ignore), hint == "secret") << hint;
        bridge_->CloseClipboard();
    }
}

TEST_F(X11ClipboardBridgeTest, ImageCopiedAsPngBecomesABitmap) {
    std::string dib(40, '\0');
    dib[0] = 40;
    dib[4] = 3;
    dib[8] = 2;
    dib[12] = 1;
    dib[14] = 32;
    dib += std::string(3 * 2 * 4, '\x7F');
    const std::optional<std::string> png = X11DataConversions::PngFromDib(dib);
    ASSERT_TRUE(png);
    const QString file = dir_.filePath("p.png");
    WriteFile(file, *png);
    StartOwner("xclip", {"-quiet", "-selection", "clipboard", "-t", "image/png", "-i", file});
    const std::optional<std::string> bitmap = Read(CF_BITMAP);
    ASSERT_TRUE(bitmap);
    ASSERT_GE(bitmap->size(), 40u);
    EXPECT_EQ(static_cast<unsigned char>((*bitmap)[4]), 3); // width
    EXPECT_EQ(static_cast<unsigned char>((*bitmap)[8]), 2); // height
    EXPECT_EQ(Read(Reg("image/png")), png);                 // and the exact bytes beside it
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const auto keeper = bx::platform::x11::testing::HoldDisplay();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
