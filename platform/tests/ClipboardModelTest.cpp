// The in-memory clipboard: openers, owners, announced formats, the viewer chain and handle ownership.
#include "GlobalMemory.h"
#include "SimApp.h"
#include "SimDesktop.h"

#include <gtest/gtest.h>

#include <string>

using namespace bx::platform;
using namespace bx::platform::sim;

namespace {

std::string TextOf(HANDLE h) {
    const std::uint8_t* p = GlobalLock(h);
    std::string s(reinterpret_cast<const char*>(p), GlobalSize(h));
    GlobalUnlock(h);
    return s;
}

class ClipboardModelTest : public ::testing::Test {
protected:
    SimDesktop desk;
    IClipboard& cb = desk.Clipboard();
    SimApp editor{desk, "/usr/bin/editor", "notes.txt - Editor"};
    SimApp viewer{desk, "/usr/bin/viewer", "Viewer"};
};

TEST_F(ClipboardModelTest, OneOpenerAtATimeAndEmptyingMakesTheOpenerOwner) {
    ASSERT_TRUE(editor.OpenClipboard());
    EXPECT_FALSE(cb.OpenClipboard(viewer.Window()));
    EXPECT_TRUE(cb.OpenClipboard(editor.Window())) << "the opener may open again";
    EXPECT_TRUE(cb.EmptyClipboard());
    EXPECT_EQ(cb.GetClipboardOwner(), editor.Window());
    EXPECT_TRUE(cb.CloseClipboard());
    EXPECT_FALSE(cb.CloseClipboard());
    EXPECT_FALSE(cb.EmptyClipboard()) << "emptying needs an open clipboard";
    EXPECT_TRUE(cb.OpenClipboard(viewer.Window()));
    cb.CloseClipboard();
}

TEST_F(ClipboardModelTest, FormatsEnumerateInTheOrderSetAndReplacingKeepsThePlace) {
    const UINT html = cb.RegisterClipboardFormat("HTML Format");
    ASSERT_TRUE(editor.Copy({{CF_UNICODETEXT, {1, 0}}, {html, {'<', 'b'}}, {CF_TEXT, {'x', 0}}}));
    ASSERT_TRUE(cb.OpenClipboard(viewer.Window()));
    EXPECT_EQ(cb.CountClipboardFormats(), 3);
    EXPECT_EQ(cb.EnumClipboardFormats(0), CF_UNICODETEXT);
    EXPECT_EQ(cb.EnumClipboardFormats(CF_UNICODETEXT), html);
    EXPECT_EQ(cb.EnumClipboardFormats(html), CF_TEXT);
    EXPECT_EQ(cb.EnumClipboardFormats(CF_TEXT), 0u);
    const HGLOBAL replacement = GlobalMemory::FromBytes("<i", 2);
    EXPECT_EQ(cb.SetClipboardData(html, replacement), replacement);
    EXPECT_EQ(cb.EnumClipboardFormats(CF_UNICODETEXT), html);
    EXPECT_EQ(TextOf(cb.GetClipboardData(html)), "<i");
    cb.CloseClipboard();
}

TEST_F(ClipboardModelTest, AnnouncedFormatIsRenderedByItsOwnerWhenRead) {
    ASSERT_TRUE(editor.Copy({{CF_TEXT, {'l', 'a', 't', 'e', 0}, true}}));
    EXPECT_TRUE(cb.IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_EQ(editor.RenderRequests(), 0);
    ASSERT_TRUE(viewer.Paste({CF_TEXT}));
    EXPECT_EQ(editor.RenderRequests(), 1);
    ASSERT_EQ(viewer.Pastes().size(), 1u);
    EXPECT_EQ(viewer.Pastes()[0].at(CF_TEXT), (Bytes{'l', 'a', 't', 'e', 0}));
    viewer.Paste({CF_TEXT});
    EXPECT_EQ(editor.RenderRequests(), 1) << "a rendered format is served from then on";
}

TEST_F(ClipboardModelTest, ARenderRequestNamesItsRequestorAndRenderedDataCanBeTakenBack) {
    // An owner that gives every announced format its data in one render request.
    const UINT html = cb.RegisterClipboardFormat("HTML Format");
    int renders = 0;
    const HWND owner = desk.Windows().CreateWindow("owner", [&](UINT msg, WPARAM, LPARAM) {
        if (msg == WM_RENDERFORMAT) {
            ++renders;
            cb.SetClipboardData(CF_TEXT, GlobalMemory::FromBytes("t", 2));
            cb.SetClipboardData(html, GlobalMemory::FromBytes("<b>", 3));
        }
        return LRESULT{0};
    });
    ASSERT_TRUE(cb.OpenClipboard(owner));
    cb.EmptyClipboard();
    cb.SetClipboardData(html, 0);
    cb.SetClipboardData(CF_TEXT, 0);
    cb.CloseClipboard();
    const std::uint32_t sequence = cb.GetClipboardSequenceNumber();

    editor.TakeForeground();
    for (SimApp* app : {&viewer, &editor}) {
        ASSERT_TRUE(app->Paste({CF_TEXT, html}));
        EXPECT_EQ(app->Pastes().back().size(), 2u) << "both formats came from one request";
        const RenderRequest who = cb.LastRenderRequestor();
        EXPECT_EQ(who.format, CF_TEXT);
        EXPECT_EQ(who.window, app->Window());
        EXPECT_EQ(who.pid, app->Pid());
        EXPECT_EQ(who.foreground, app == &editor);
        EXPECT_EQ(cb.GetClipboardSequenceNumber(), sequence) << "rendering changes nothing";
        ASSERT_TRUE(viewer.OpenClipboard());
        EXPECT_FALSE(cb.WithdrawRendered()) << "not while the clipboard is open";
        viewer.CloseClipboard();
        EXPECT_TRUE(cb.WithdrawRendered());
        EXPECT_FALSE(cb.WithdrawRendered()) << "nothing rendered any more";
        EXPECT_EQ(cb.GetClipboardSequenceNumber(), sequence);
        EXPECT_TRUE(cb.IsClipboardFormatAvailable(html));
    }
    EXPECT_EQ(renders, 2) << "after the data was taken back the next paste asks again";
    // Without an opener (a request the desktop answers itself) the owner renders all the same.
    EXPECT_NE(desk.SimulatedClipboard().Render(html), 0u);
    EXPECT_EQ(renders, 3);
    EXPECT_EQ(cb.LastRenderRequestor().window, NoWindow);
    desk.Windows().DestroyWindow(owner);
}

TEST_F(ClipboardModelTest, DataIsReadOnlyWhileOpenAndSetOnlyByTheOpener) {
    editor.CopyText("abc");
    EXPECT_EQ(cb.GetClipboardData(CF_TEXT), 0u);
    const HGLOBAL h = GlobalMemory::FromBytes("x", 1);
    EXPECT_EQ(cb.SetClipboardData(CF_TEXT, h), 0u) << "the caller keeps a handle the clipboard refused";
    EXPECT_EQ(GlobalFree(h), 0u);
}

TEST_F(ClipboardModelTest, ClipboardReleasesTheBlocksItOwns) {
    const std::size_t before = GlobalMemory::LiveBlocks();
    editor.CopyText("one");
    editor.CopyText("two");
    EXPECT_EQ(GlobalMemory::LiveBlocks(), before + 1);
    editor.Copy({});
    EXPECT_EQ(GlobalMemory::LiveBlocks(), before);
}

TEST_F(ClipboardModelTest, RegisteredNamesIgnoreCaseKeepTheirNumberAndAreCutToTheBuffer) {
    const UINT rtf = cb.RegisterClipboardFormat("Rich Text Format");
    EXPECT_GE(rtf, FirstRegisteredFormat);
    EXPECT_EQ(cb.RegisterClipboardFormat("rich text FORMAT"), rtf);
    EXPECT_EQ(cb.GetClipboardFormatName(rtf, 50), "Rich Text Format");
    EXPECT_EQ(cb.GetClipboardFormatName(rtf, 5), "Rich");
    EXPECT_EQ(cb.GetClipboardFormatName(CF_TEXT, 50), "") << "predefined formats have no registered name";
    EXPECT_EQ(cb.GetClipboardFormatName(0xFFF0, 50), "");
    EXPECT_EQ(cb.RegisterClipboardFormat(""), 0u);
}

TEST_F(ClipboardModelTest, ChainHearsChangesWhenAChangedClipboardIsClosed) {
    viewer.JoinChain();
    EXPECT_EQ(viewer.DrawClipboardCount(), 1) << "joining sends the first notice";
    editor.CopyText("abc");
    EXPECT_EQ(viewer.DrawClipboardCount(), 1) << "the notice is posted, not sent";
    desk.ProcessMessages();
    EXPECT_EQ(viewer.DrawClipboardCount(), 2);
    editor.OpenClipboard();
    editor.CloseClipboard();
    desk.ProcessMessages();
    EXPECT_EQ(viewer.DrawClipboardCount(), 2) << "an unchanged clipboard is no news";
}

TEST_F(ClipboardModelTest, LeavingTheChainTellsTheHeadOrMovesIt) {
    SimApp third{desk, "/usr/bin/third", "Third"};
    third.JoinChain();
    viewer.JoinChain(); // head: viewer -> third
    editor.JoinChain(); // head: editor -> viewer -> third
    viewer.LeaveChain();
    EXPECT_EQ(editor.NextViewer(), third.Window()) << "the head mends its link";
    editor.LeaveChain();
    EXPECT_EQ(cb.GetClipboardViewer(), third.Window()) << "the head leaving moves the head";
}

} // namespace
