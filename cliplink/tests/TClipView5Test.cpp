// The clipboard viewer component on the simulated desktop: hearing changes, echoes, the settle rule,
// the chain, counted opens, pings and finding the source application.
#include "TClipView5.h"
#include "GlobalMemory.h"
#include "SimApp.h"
#include "SimDesktop.h"
#include "TestBytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

using namespace bx::cliplink;
using namespace bx::platform;
using namespace bx::platform::sim;

namespace {

using bx::testsupport::TextBytes;

class ViewerTest : public ::testing::Test {
protected:
    struct Report {
        std::vector<std::string> nums;
        std::vector<std::string> names;
        std::string creator;
    };

    SimDesktop desk;
    SimApp editor{desk, "/usr/bin/gedit", "notes.txt - gedit"};
    std::unique_ptr<TClipView5> view;
    std::vector<Report> reports;
    int chainChanges = 0;
    int pingEnds = 0;

    void Start(std::int32_t delay = 10) {
        view = std::make_unique<TClipView5>(desk);
        view->Capturing = true;
        view->Delay = delay;
        view->OnCBChange = [this](TClipView5& v) { reports.push_back({v.FormatNums(), v.FormatNames(), v.Creator}); };
        view->OnCBChainChange = [this](TClipView5&) { ++chainChanges; };
        view->OnPingEnd = [this](TClipView5&) { ++pingEnds; };
        view->SetActive(true);
        desk.Advance(1000); // the notice that joining brings is the program's own
    }

    // The program's own write, bracketed as every user of the clipboard does.
    void OwnWrite(UINT format, HANDLE h) {
        ASSERT_TRUE(view->Open());
        view->clear();
        desk.Clipboard().SetClipboardData(format, h);
        view->Close();
    }
};

TEST_F(ViewerTest, TwoCopiesInQuickSuccessionAreReportedOnceAsTheSecond) {
    Start(250);
    editor.CopyText("first");
    desk.Advance(100);
    editor.Copy({{CF_UNICODETEXT, {'s', 0, 0, 0}}, {CF_TEXT, TextBytes("s")}});
    desk.Advance(1000);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].nums, (std::vector<std::string>{"13", "1"}));
    EXPECT_EQ(reports[0].names, (std::vector<std::string>{"UNICODTEXT", "TEXT"}));
    EXPECT_EQ(reports[0].creator, "GEDIT");
    EXPECT_EQ(view->SerialNum, 1);
}

TEST_F(ViewerTest, ACopyWellAfterThePreviousChainMessageIsReportedAgain) {
    Start();
    editor.CopyText("first");
    desk.Advance(300);
    editor.CopyText("second");
    desk.Advance(300);
    EXPECT_EQ(reports.size(), 2u);
    EXPECT_EQ(view->CyclicErrors(), 0);
}

// However quickly another program copies, the last copy is always read; copies further apart than
// the delay are each read, also right after the program's own use of the clipboard.
TEST_F(ViewerTest, EveryCopyFurtherApartThanTheDelayAndTheLastOfABurstAreRead) {
    struct Case {
        int copies;
        int gapMs;
        std::size_t reported;
    };
    for (const Case c : {Case{6, 300, 6}, Case{6, 30, 6}, Case{50, 100, 17}, Case{20, 0, 1}}) {
        SCOPED_TRACE(std::to_string(c.copies) + " copies " + std::to_string(c.gapMs) + " ms apart");
        Start(c.gapMs == 30 ? 10 : 250);
        // The owner reads the text as a capture does, which closes the clipboard again at once.
        std::vector<std::string> texts;
        view->OnCBChange = [&](TClipView5& v) {
            ASSERT_TRUE(v.Open());
            const HANDLE h = desk.Clipboard().GetClipboardData(CF_TEXT);
            texts.emplace_back(reinterpret_cast<const char*>(GlobalLock(h)));
            GlobalUnlock(h);
            v.Close();
        };
        for (int i = 1; i <= c.copies; ++i) {
            editor.CopyText("copy " + std::to_string(i));
            desk.Advance(static_cast<std::uint64_t>(c.gapMs));
        }
        desk.Advance(1000);
        ASSERT_EQ(texts.size(), c.reported);
        EXPECT_EQ(texts.back(), "copy " + std::to_string(c.copies));
        EXPECT_EQ(view->CyclicErrors(), 0);
    }
}

TEST_F(ViewerTest, ANoticeOfContentsReadAlreadyIsNotReportedAgain) {
    Start();
    editor.CopyText("once");
    desk.Advance(500);
    ASSERT_EQ(reports.size(), 1u);
    // A late second notice of the same change, as a desktop may deliver it.
    desk.Windows().PostMessage(view->Handle(), WM_DRAWCLIPBOARD, 0, 0);
    desk.Advance(500);
    EXPECT_EQ(reports.size(), 1u);
    // Asked to look again, it reports the same contents once more.
    view->ReportAgain(50);
    desk.Advance(100);
    EXPECT_EQ(reports.size(), 2u);
}

TEST_F(ViewerTest, OwnWriteIsAnEchoForwardedAfterTheDelay) {
    SimApp watcher{desk, "/usr/bin/watcher", "Watcher"};
    watcher.JoinChain();
    Start(250);
    const int heard = watcher.DrawClipboardCount();
    OwnWrite(CF_TEXT, GlobalMemory::FromBytes("own", 4));
    desk.ProcessMessages();
    EXPECT_EQ(view->Creator, "Brindlex");
    desk.Advance(249);
    EXPECT_EQ(watcher.DrawClipboardCount(), heard);
    desk.Advance(1);
    EXPECT_EQ(watcher.DrawClipboardCount(), heard + 1);
    desk.Advance(1000);
    EXPECT_TRUE(reports.empty());
}

TEST_F(ViewerTest, NoForwardingKeepsChangesFromTheNextViewer) {
    SimApp watcher{desk, "/usr/bin/watcher", "Watcher"};
    watcher.JoinChain();
    Start();
    view->NoForwarding = true;
    const int heard = watcher.DrawClipboardCount();
    editor.CopyText("x");
    desk.Advance(500);
    EXPECT_EQ(reports.size(), 1u);
    EXPECT_EQ(watcher.DrawClipboardCount(), heard);
}

TEST_F(ViewerTest, ChainChangesMendTheLinkOrArePassedOn) {
    SimApp c{desk, "/usr/bin/c", "C"}, b{desk, "/usr/bin/b", "B"}, a{desk, "/usr/bin/a", "A"};
    c.JoinChain();
    b.JoinChain();
    a.JoinChain();
    Start(); // view -> a -> b -> c
    b.LeaveChain();
    EXPECT_EQ(view->NextViewer(), a.Window()) << "another window's removal is passed on";
    EXPECT_EQ(a.ChangeChainCount(), 1);
    EXPECT_EQ(a.NextViewer(), c.Window());
    a.LeaveChain();
    EXPECT_EQ(view->NextViewer(), c.Window()) << "the next viewer's removal is taken in";
    EXPECT_EQ(c.ChangeChainCount(), 0) << "and not passed on";
    EXPECT_EQ(chainChanges, 0);
    desk.Advance(10);
    EXPECT_EQ(chainChanges, 1) << "one notice after the delay; the timer restarted on the second change";
}

TEST_F(ViewerTest, OpensAreCountedAndOnlyTheLastCloseClosesTheClipboard) {
    Start();
    EXPECT_TRUE(view->Open());
    EXPECT_TRUE(view->Open());
    EXPECT_EQ(view->OpenRefCount(), 2);
    EXPECT_EQ(view->ErrMsg(), "(Open - Clipboard Open Ok.   OpenCount: 2)");
    EXPECT_FALSE(editor.OpenClipboard());
    EXPECT_FALSE(view->Close());
    EXPECT_EQ(desk.Clipboard().GetOpenClipboardWindow(), view->Handle());
    EXPECT_TRUE(view->Close());
    EXPECT_EQ(desk.Clipboard().GetOpenClipboardWindow(), NoWindow);
    EXPECT_FALSE(view->Close());
    EXPECT_NE(view->ErrMsg().find("(Close - ClipView Close Ok by Default, as Refcount was already 0.)"),
              std::string::npos);
    ASSERT_TRUE(editor.OpenClipboard());
    EXPECT_FALSE(view->Open());
    EXPECT_EQ(view->ErrMsg(), "(Open - Could Not Open Clipboard.   OpenCount: 0)");
    editor.CloseClipboard();
}

TEST_F(ViewerTest, PingEchoEndsInSuccessAfterAHundredMilliseconds) {
    Start();
    editor.CopyText("user data");
    desk.Advance(500);
    reports.clear();
    ASSERT_EQ(view->Ping(), 0);
    desk.Advance(99);
    EXPECT_EQ(pingEnds, 0);
    desk.Advance(1);
    EXPECT_EQ(pingEnds, 1);
    EXPECT_GE(view->PingResult(), 0);
    EXPECT_LT(view->PingResult(), 100);
    EXPECT_EQ(view->BadPings(), 0);
    EXPECT_TRUE(reports.empty()) << "the ping is not a change to capture";
    EXPECT_TRUE(desk.Clipboard().IsClipboardFormatAvailable(CF_TEXT)) << "the user's data stays";
    EXPECT_TRUE(desk.Clipboard().IsClipboardFormatAvailable(view->IgnoreFormat()));
    desk.Advance(5000);
    EXPECT_EQ(pingEnds, 1) << "a ping ends once";
}

TEST_F(ViewerTest, PingTimesOutWhenAViewerAheadSwallowsTheChainAndRejoiningMendsIt) {
    Start();
    SimApp hog{desk, "/usr/bin/hog", "Hog"};
    hog.SetForwarding(false);
    hog.JoinChain(); // hog -> view
    ASSERT_EQ(view->Ping(), 0);
    desk.Advance(2999);
    EXPECT_EQ(pingEnds, 0);
    desk.Advance(1);
    EXPECT_EQ(pingEnds, 1);
    EXPECT_EQ(view->PingResult(), TClipView5::PingResultTimeout);
    EXPECT_EQ(view->BadPings(), 1);
    ASSERT_EQ(view->Ping(), 0);
    desk.Advance(3000);
    EXPECT_EQ(view->BadPings(), 2);

    view->SetActive(false);
    view->SetActive(true); // back at the head of the chain
    desk.Advance(1000);
    ASSERT_EQ(view->Ping(), 0);
    desk.Advance(200);
    EXPECT_EQ(view->BadPings(), 0);
    EXPECT_GE(view->PingResult(), 0);
}

TEST_F(ViewerTest, PingCannotBeSentWhileTheClipboardIsBusy) {
    Start();
    ASSERT_TRUE(view->Open());
    EXPECT_EQ(view->Ping(), -1);
    view->Close();
    ASSERT_TRUE(editor.OpenClipboard());
    EXPECT_EQ(view->Ping(), -4);
    EXPECT_NE(view->ErrMsg().find("(ClipView Ping - error cannot open clipboard)"), std::string::npos);
    editor.CloseClipboard();
}

TEST_F(ViewerTest, PingOvertakenByAnotherChangeStillEndsByTimeout) {
    Start();
    ASSERT_EQ(view->Ping(), 0);
    editor.CopyText("typed meanwhile"); // before the echo is delivered
    desk.Advance(3000);
    EXPECT_EQ(pingEnds, 1);
    EXPECT_EQ(view->PingResult(), TClipView5::PingResultTimeout);
}

TEST_F(ViewerTest, AChainLoopIsCaughtByTheSettleRule) {
    SimApp loop{desk, "/usr/bin/loop", "Loop"};
    loop.JoinChain();
    Start();                            // view -> loop
    loop.SetNextViewer(view->Handle()); // loop -> view: a broken chain
    view->CaptureLocalCopy = true;
    editor.CopyText("x");
    desk.Advance(500);
    EXPECT_EQ(reports.size(), 1u);
    EXPECT_EQ(view->CyclicErrors(), 1);
}

TEST_F(ViewerTest, WithCaptureOffTheChangeIsReportedWithoutReadingTheClipboard) {
    Start();
    view->Capturing = false;
    editor.CopyText("x");
    desk.Advance(500);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].nums.empty());
    EXPECT_EQ(view->SerialNum, 0);
    EXPECT_NE(view->ErrMsg().find("(In WMTimer 101 - Clipboard Not Open)"), std::string::npos);
}

TEST_F(ViewerTest, AFailingHandlerNeverLeavesTheClipboardOpen) {
    Start();
    view->OnCBChange = [](TClipView5&) { throw std::runtime_error("handler failed"); };
    editor.CopyText("x");
    EXPECT_THROW(desk.Advance(500), std::runtime_error);
    EXPECT_EQ(view->OpenRefCount(), 0);
    EXPECT_EQ(desk.Clipboard().GetOpenClipboardWindow(), NoWindow);
}

TEST_F(ViewerTest, RenderRequestsReachTheOwnerWithTheirFormat) {
    Start();
    std::vector<std::int32_t> asked;
    view->OnRenderFormat = [&](TClipView5& v) {
        asked.push_back(v.WhichRenderFormat());
        desk.Clipboard().SetClipboardData(static_cast<UINT>(v.WhichRenderFormat()), GlobalMemory::FromBytes("late", 5));
    };
    OwnWrite(CF_TEXT, 0);
    desk.Advance(500);
    ASSERT_TRUE(editor.Paste({CF_TEXT}));
    EXPECT_EQ(asked, std::vector<std::int32_t>{CF_TEXT});
    EXPECT_EQ(editor.Pastes()[0].at(CF_TEXT), TextBytes("late"));
    EXPECT_TRUE(reports.empty());
}

TEST_F(ViewerTest, ReadFormatsWithoutTheClipboardSaysWhy) {
    Start();
    editor.CopyText("x");
    desk.Advance(500);
    ASSERT_TRUE(editor.OpenClipboard());
    view->ReadFormats();
    EXPECT_TRUE(view->FormatNums().empty());
    EXPECT_EQ(view->ErrMsg(), "(Error in ReadFormats - Clipboard Not Open.  OpenCount: 0)");
    editor.CloseClipboard();
}

TEST_F(ViewerTest, JoiningAndLeavingKeepTheChainWhole) {
    SimApp watcher{desk, "/usr/bin/watcher.bin", "Watcher"};
    watcher.JoinChain();
    Start();
    EXPECT_EQ(view->ErrMsg(), "(ClipView Set Listening On)");
    EXPECT_EQ(view->FirstInLineName(), "Brindlex");
    EXPECT_EQ(view->NextInLineName(), "WATCHER");
    view->SetActive(false);
    EXPECT_EQ(desk.Clipboard().GetClipboardViewer(), watcher.Window());
    EXPECT_EQ(view->Creator, "Unknown");
    EXPECT_EQ(view->FirstInLineName(), "WATCHER");
    watcher.LeaveChain();
    EXPECT_EQ(view->FirstInLineName(), "Error - ZERO Handle");
}

// Which source application a change is put down to.
struct CreatorCase {
    const char* what;
    bool ownerKnown; // the owner's process can be identified
    bool frontKnown; // the foreground window's process can be identified
    const char* frontTitle;
    bool noOwner; // the clipboard was written without an owner window
    const char* creator;
    const char* method;
};

// What a failing case prints in place of the parameter's bytes.
void PrintTo(const CreatorCase& c, std::ostream* os) {
    *os << c.what << ": owner " << (c.ownerKnown ? "known" : "unknown") << ", foreground "
        << (c.frontKnown ? "known" : "unknown") << " titled \"" << c.frontTitle << "\""
        << (c.noOwner ? ", written without an owner" : "") << " -> " << c.creator << " (" << c.method << ")";
}

class CreatorTest : public ViewerTest, public ::testing::WithParamInterface<CreatorCase> {};

TEST_P(CreatorTest, SourceApplication) {
    const CreatorCase& c = GetParam();
    SimApp front{desk, "/opt/office/writer", c.frontTitle};
    front.TakeForeground();
    desk.SimulatedProcesses().SetIdentifiable(editor.Pid(), c.ownerKnown);
    desk.SimulatedProcesses().SetIdentifiable(front.Pid(), c.frontKnown);
    Start();
    if (c.noOwner) {
        IClipboard& cb = desk.Clipboard();
        ASSERT_TRUE(cb.OpenClipboard(NoWindow));
        cb.EmptyClipboard();
        cb.SetClipboardData(CF_TEXT, GlobalMemory::FromBytes("x", 2));
        cb.CloseClipboard();
    } else {
        editor.CopyText("x");
    }
    desk.Advance(500);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].creator, c.creator);
    EXPECT_EQ(view->OwnerMethod(), c.method);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CreatorTest,
    ::testing::Values(
        CreatorCase{"owner", true, true, "Doc", false, "GEDIT", "GetOwnerWithSnapshot:Using Clipboard Owner Handle"},
        CreatorCase{"foreground program", false, true, "Doc", false, "WRITER", "GetOwnerWithSnapshot:Using Top Window"},
        CreatorCase{"title table", false, false, "Untitled - Notepad", false, "NOTEPAD",
                    "TitleFoundInTable:Using Top Window"},
        CreatorCase{"title before dash and bracket", false, false, "Budget [Draft] - Calc", false, "BUDGET",
                    "WindowTitle:Using Top Window"},
        CreatorCase{"empty title", false, false, "", false, "WINDOWS", "WindowTitle:Using Top Window"},
        CreatorCase{"no owner with text", true, true, "Doc", true, "WRITER",
                    "GetOwnerWithSnapshot:Using TopWindow with OwnerWnd=0"}),
    [](const ::testing::TestParamInfo<CreatorCase>& param) {
        std::string name = param.param.what;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    });

TEST_F(ViewerTest, FormatsThatNameTheirApplication) {
    Start();
    const UINT csv = editor.RegisterFormat("Csv"), wk1 = editor.RegisterFormat("Wk1"),
               biff = editor.RegisterFormat("Biff"), biff5 = editor.RegisterFormat("Biff5"),
               wp = editor.RegisterFormat("WordPerfect 6 Text"), ami = editor.RegisterFormat("Ami Text Format"),
               vb = editor.RegisterFormat("VBControls");
    const std::pair<std::vector<UINT>, std::string> cases[] = {
        {{csv, CF_METAFILEPICT, CF_TEXT, wk1, biff}, "EXCEL"},
        {{CF_METAFILEPICT, biff5}, "EXCEL Picture"},
        {{CF_TEXT, wp}, "WordPerfect"},
        {{ami}, "Ami Pro"},
        {{vb, CF_TEXT}, "Visual Basic Controls"},
        {{CF_METAFILEPICT, biff5, CF_TEXT}, "GEDIT"},
    };
    for (const auto& [formats, creator] : cases) {
        std::vector<SimFormat> offer;
        for (UINT f : formats)
            offer.push_back({f, {1, 0}});
        editor.Copy(offer);
        desk.Advance(500);
        ASSERT_FALSE(reports.empty());
        EXPECT_EQ(reports.back().creator, creator);
    }
}

TEST_F(ViewerTest, AnEmbeddedDocumentAddsItsTypeName) {
    Start();
    const UINT descriptor = editor.RegisterFormat("Object Descriptor");
    auto block = [](std::uint32_t offset, const Bytes& name) {
        Bytes b(100, 0);
        std::memcpy(b.data() + 44, &offset, 4);
        std::copy(name.begin(), name.end(), b.begin() + std::min<std::size_t>(offset, b.size() - name.size()));
        return b;
    };
    const std::pair<Bytes, std::string> cases[] = {
        {block(52, TextBytes("Writer Document")), "GEDIT:WRITER DOCUMENT"},
        {block(52, {'S', 0, 'h', 0, 'e', 0, 'e', 0, 't', 0, 0, 0, 'X', 0}), "GEDIT:SHEET"},
        {block(400, {}), "GEDIT:"},
        {Bytes(20, 1), "GEDIT:"},
    };
    for (const auto& [bytes, creator] : cases) {
        editor.Copy({{CF_TEXT, TextBytes("x")}, {descriptor, bytes}});
        desk.Advance(500);
        ASSERT_FALSE(reports.empty());
        EXPECT_EQ(reports.back().creator, creator);
    }
}

TEST(ViewerLookupTest, LookupMeansAreListedAndTheirAbsenceIsToldOnce) {
    struct Case {
        ProcessLookupMeans means;
        const char* tools;
        bool warned;
    };
    const Case cases[] = {
        {{true, true, true, true, true}, "1,2,3", false},  {{true, false, false, true, true}, "1,", false},
        {{false, false, false, true, true}, "4,5", false}, {{false, true, false, false, true}, "2,5", false},
        {{false, false, false, false, false}, "", true},
    };
    for (const Case& c : cases) {
        SimDesktop desk;
        desk.SimulatedProcesses().SetLookupMeans(c.means);
        std::vector<std::string> warnings;
        TClipView5 view(desk, [&](const std::string& text, const std::string& caption) {
            warnings.push_back(caption + "|" + text);
        });
        EXPECT_EQ(view.DLLTools(), c.tools);
        ASSERT_EQ(warnings.size(), c.warned ? 1u : 0u) << c.tools;
        if (c.warned) {
            EXPECT_EQ(warnings[0], "Brindlex Initialization - (Clipview Module)|Error loading TOOLHELP functions "
                                   "(Windows95) or PSAPI.DLL (NT 4.0).  It is safe to continue, but you should "
                                   "re-install Brindlex.");
        }
    }
}

} // namespace
