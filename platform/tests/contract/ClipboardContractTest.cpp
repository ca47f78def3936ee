// The clipboard's contract, written once and run on the simulated clipboard (ClipboardModel) and on the X11
// bridge (X11ClipboardBridge, under Xvfb; skipped without $DISPLAY): one opener at a time, emptying makes the
// opener the owner, enumeration in the order set, registered formats, announced formats rendered by their
// owner on request, the viewer chain, the sequence number, and another program's copy arriving as a change.
// What another program sees of our data differs between the desktops (exact formats in memory, targets
// derived from them on X11) and is tested with each desktop; so is FailedReadsAreFinal.
#include "ContractDesktops.h"
#include "GlobalMemory.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using namespace bx::platform;
using namespace bx::platform::contract;

namespace {

std::string BlockBytes(HANDLE h) {
    const std::uint8_t* p = GlobalMemory::Lock(h);
    if (p == nullptr)
        return {};
    std::string out(reinterpret_cast<const char*>(p), GlobalMemory::Size(h));
    GlobalMemory::Unlock(h);
    return out;
}

HANDLE Block(const std::string& bytes) {
    return GlobalMemory::FromBytes(bytes.data(), bytes.size());
}

// A window of the program: counts what the clipboard tells it, takes part in the viewer chain as a
// well-behaved viewer does (forwarding the notices, mending its link) and renders what `render` holds.
struct Window {
    HWND hwnd = NoWindow;
    HWND next = NoWindow;
    int drawClipboard = 0;
    int destroyClipboard = 0;
    int renderFormat = 0;
    int changeChain = 0;
    std::map<UINT, std::string> render;
};

using Formats = std::vector<std::pair<UINT, std::optional<std::string>>>; // nullopt: announced

template <typename Desktop> class ClipboardContract : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string why = Desktop::Unavailable(); !why.empty())
            GTEST_SKIP() << why;
        desk_ = std::make_unique<Desktop>();
        cb_ = &desk_->Clipboard();
    }

    IClipboard& Cb() { return *cb_; }

    Window& MakeWindow(const std::string& title) {
        windows_.push_back(std::make_unique<Window>());
        Window& w = *windows_.back();
        w.hwnd = desk_->Windows().CreateWindow(
            title, [this, &w](UINT msg, WPARAM wParam, LPARAM lParam) { return Handle(w, msg, wParam, lParam); });
        return w;
    }

    void JoinChain(Window& w) { w.next = Cb().SetClipboardViewer(w.hwnd); }
    void LeaveChain(Window& w) { Cb().ChangeClipboardChain(w.hwnd, w.next); }

    // Opens, empties, sets the formats and closes, as the window w.
    void Write(Window& w, const Formats& formats) {
        ASSERT_TRUE(Cb().OpenClipboard(w.hwnd));
        ASSERT_TRUE(Cb().EmptyClipboard());
        for (const auto& [format, bytes] : formats)
            Cb().SetClipboardData(format, bytes ? Block(*bytes) : 0);
        ASSERT_TRUE(Cb().CloseClipboard());
    }

    std::optional<std::string> Read(Window& w, UINT format) {
        EXPECT_TRUE(Cb().OpenClipboard(w.hwnd));
        const HANDLE h = Cb().GetClipboardData(format);
        Cb().CloseClipboard();
        return h != 0 ? std::optional<std::string>(BlockBytes(h)) : std::nullopt;
    }

    std::vector<std::unique_ptr<Window>> windows_; // outlives the desktop, whose windows call into it
    std::unique_ptr<Desktop> desk_;
    IClipboard* cb_ = nullptr;

private:
    LRESULT Handle(Window& w, UINT msg, WPARAM wParam, LPARAM lParam) {
        switch (msg) {
        case WM_DRAWCLIPBOARD:
            ++w.drawClipboard;
            if (w.next != NoWindow)
                desk_->Windows().SendMessage(w.next, msg, wParam, lParam);
            break;
        case WM_CHANGECBCHAIN:
            ++w.changeChain;
            if (static_cast<HWND>(wParam) == w.next)
                w.next = static_cast<HWND>(lParam);
            else if (w.next != NoWindow)
                desk_->Windows().SendMessage(w.next, msg, wParam, lParam);
            break;
        case WM_DESTROYCLIPBOARD:
            ++w.destroyClipboard;
            break;
        case WM_RENDERFORMAT:
            ++w.renderFormat;
            if (auto it = w.render.find(static_cast<UINT>(wParam)); it != w.render.end())
                Cb().SetClipboardData(it->first, Block(it->second));
            break;
        default:
            break;
        }
        return 0;
    }
};

TYPED_TEST_SUITE(ClipboardContract, Desktops);

TYPED_TEST(ClipboardContract, OneWindowAtATimeHoldsTheClipboardOpen) {
    Window& a = this->MakeWindow("a");
    Window& b = this->MakeWindow("b");
    IClipboard& cb = this->Cb();
    EXPECT_FALSE(cb.EmptyClipboard()) << "emptying needs an open clipboard";
    ASSERT_TRUE(cb.OpenClipboard(a.hwnd));
    EXPECT_FALSE(cb.OpenClipboard(b.hwnd));
    EXPECT_TRUE(cb.OpenClipboard(a.hwnd)) << "the opener may open again";
    EXPECT_EQ(cb.GetOpenClipboardWindow(), a.hwnd);
    EXPECT_TRUE(cb.CloseClipboard());
    EXPECT_FALSE(cb.CloseClipboard());
    EXPECT_EQ(cb.GetOpenClipboardWindow(), NoWindow);

    this->Write(a, {{CF_TEXT, std::string("abc", 4)}});
    EXPECT_EQ(cb.GetClipboardData(CF_TEXT), HANDLE{0}) << "data is read only while the clipboard is open";
    const HANDLE h = Block("x");
    EXPECT_EQ(cb.SetClipboardData(CF_TEXT, h), HANDLE{0}) << "nor set while it is closed";
    EXPECT_EQ(GlobalMemory::Free(h), HANDLE{0}) << "the caller keeps a handle the clipboard refused";
    EXPECT_EQ(this->Read(b, CF_TEXT), std::string("abc", 4));
}

TYPED_TEST(ClipboardContract, EmptyingMakesTheOpenerTheOwnerAndTellsTheOwnerBefore) {
    Window& a = this->MakeWindow("a");
    Window& b = this->MakeWindow("b");
    IClipboard& cb = this->Cb();
    this->Write(a, {{CF_TEXT, std::string("a", 2)}});
    EXPECT_EQ(cb.GetClipboardOwner(), a.hwnd);
    EXPECT_EQ(a.destroyClipboard, 0);
    ASSERT_TRUE(cb.OpenClipboard(b.hwnd));
    EXPECT_EQ(cb.GetClipboardOwner(), a.hwnd) << "opening is no taking";
    ASSERT_TRUE(cb.EmptyClipboard());
    EXPECT_EQ(a.destroyClipboard, 1) << "the owner before is sent WM_DESTROYCLIPBOARD";
    EXPECT_EQ(cb.GetClipboardOwner(), b.hwnd);
    EXPECT_EQ(cb.CountClipboardFormats(), 0);
    EXPECT_FALSE(cb.IsClipboardFormatAvailable(CF_TEXT));
    cb.CloseClipboard();
    EXPECT_EQ(b.destroyClipboard, 0);
}

TYPED_TEST(ClipboardContract, FormatsEnumerateInTheOrderSetAndReplacingKeepsThePlace) {
    Window& a = this->MakeWindow("a");
    IClipboard& cb = this->Cb();
    const UINT html = cb.RegisterClipboardFormat("text/x-bx-contract-html");
    this->Write(a, {{CF_UNICODETEXT, std::string("x\0\0\0", 4)}, {html, "<b>"}, {CF_TEXT, std::string("x", 2)}});
    ASSERT_TRUE(cb.OpenClipboard(a.hwnd));
    EXPECT_EQ(cb.CountClipboardFormats(), 3);
    std::vector<UINT> order;
    for (UINT f = cb.EnumClipboardFormats(0); f != 0 && order.size() < 10; f = cb.EnumClipboardFormats(f))
        order.push_back(f);
    EXPECT_EQ(order, (std::vector<UINT>{CF_UNICODETEXT, html, CF_TEXT}));
    EXPECT_TRUE(cb.IsClipboardFormatAvailable(html));
    EXPECT_FALSE(cb.IsClipboardFormatAvailable(CF_HDROP));
    EXPECT_EQ(cb.EnumClipboardFormats(CF_HDROP), 0u) << "a format that is not there has no successor";

    const HANDLE replacement = Block("<i>");
    EXPECT_EQ(cb.SetClipboardData(html, replacement), replacement);
    EXPECT_EQ(cb.EnumClipboardFormats(CF_UNICODETEXT), html);
    EXPECT_EQ(BlockBytes(cb.GetClipboardData(html)), "<i>");
    cb.CloseClipboard();
    EXPECT_EQ(cb.EnumClipboardFormats(0), 0u) << "enumeration needs an open clipboard";
    EXPECT_EQ(cb.CountClipboardFormats(), 3) << "counting does not";
}

TYPED_TEST(ClipboardContract, TheClipboardReleasesTheBlocksItOwns) {
    Window& a = this->MakeWindow("a");
    const std::size_t before = GlobalMemory::LiveBlocks();
    this->Write(a, {{CF_TEXT, std::string("one", 4)}});
    this->Write(a, {{CF_TEXT, std::string("two", 4)}, {CF_OEMTEXT, std::string("two", 4)}});
    EXPECT_EQ(GlobalMemory::LiveBlocks(), before + 2);
    ASSERT_TRUE(this->Cb().OpenClipboard(a.hwnd));
    this->Cb().SetClipboardData(CF_TEXT, Block(std::string("three", 6)));
    EXPECT_EQ(GlobalMemory::LiveBlocks(), before + 2) << "a replaced block is freed";
    this->Cb().CloseClipboard();
    this->Write(a, {});
    EXPECT_EQ(GlobalMemory::LiveBlocks(), before);
}

TYPED_TEST(ClipboardContract, RegisteredNamesIgnoreCaseKeepTheirNumberAndAreCutToTheBuffer) {
    IClipboard& cb = this->Cb();
    const UINT rtf = cb.RegisterClipboardFormat("Rich Text Format");
    const UINT other = cb.RegisterClipboardFormat("text/x-bx-contract-other");
    EXPECT_GE(rtf, FirstRegisteredFormat);
    EXPECT_GE(other, FirstRegisteredFormat);
    EXPECT_NE(rtf, other);
    EXPECT_EQ(cb.RegisterClipboardFormat("rich text FORMAT"), rtf);
    struct Case {
        UINT format;
        int maxChars;
        std::string name;
    };
    const Case cases[] = {
        {rtf, 256, "Rich Text Format"}, // the first spelling stays
        {rtf, 5, "Rich"},               // maxChars counts the terminator
        {rtf, 1, ""},
        {CF_TEXT, 256, ""}, // predefined formats have no registered name
        {0xFFF0, 256, ""},  // a number nobody registered
    };
    for (const Case& c : cases)
        EXPECT_EQ(cb.GetClipboardFormatName(c.format, c.maxChars), c.name) << c.format << " in " << c.maxChars;
    EXPECT_EQ(cb.RegisterClipboardFormat(""), 0u);
}

TYPED_TEST(ClipboardContract, AnAnnouncedFormatIsRenderedByItsOwnerWhenRead) {
    Window& owner = this->MakeWindow("owner");
    Window& reader = this->MakeWindow("reader");
    IClipboard& cb = this->Cb();
    const UINT late = cb.RegisterClipboardFormat("text/x-bx-contract-late");
    const UINT never = cb.RegisterClipboardFormat("text/x-bx-contract-never");
    owner.render[late] = "rendered late";
    this->Write(owner, {{late, std::nullopt}, {never, std::nullopt}, {CF_TEXT, std::string("now", 4)}});
    ASSERT_TRUE(cb.OpenClipboard(reader.hwnd));
    EXPECT_TRUE(cb.IsClipboardFormatAvailable(late));
    EXPECT_EQ(cb.CountClipboardFormats(), 3);
    EXPECT_EQ(owner.renderFormat, 0) << "nothing is rendered before it is read";
    EXPECT_EQ(BlockBytes(cb.GetClipboardData(late)), "rendered late");
    EXPECT_EQ(owner.renderFormat, 1) << "WM_RENDERFORMAT is sent while the reader waits";
    EXPECT_EQ(BlockBytes(cb.GetClipboardData(late)), "rendered late");
    EXPECT_EQ(owner.renderFormat, 1) << "a rendered format is kept";
    EXPECT_EQ(cb.GetClipboardData(never), HANDLE{0}) << "an owner that renders nothing leaves no data";
    EXPECT_EQ(BlockBytes(cb.GetClipboardData(CF_TEXT)), std::string("now", 4));
    EXPECT_EQ(owner.renderFormat, 2);
    cb.CloseClipboard();
}

TYPED_TEST(ClipboardContract, ViewersHearAChangedClipboardWhenItIsClosedAndForwardTheNotice) {
    Window& first = this->MakeWindow("first viewer");
    Window& second = this->MakeWindow("second viewer");
    Window& writer = this->MakeWindow("writer");
    IClipboard& cb = this->Cb();
    this->JoinChain(first);
    EXPECT_EQ(first.next, NoWindow);
    EXPECT_EQ(first.drawClipboard, 1) << "joining sends the first notice";
    this->JoinChain(second);
    EXPECT_EQ(second.next, first.hwnd) << "joining returns the viewer before";
    EXPECT_EQ(cb.GetClipboardViewer(), second.hwnd);
    EXPECT_EQ(second.drawClipboard, 1);
    EXPECT_EQ(first.drawClipboard, 1) << "the joining viewer hears its notice before it knows its next viewer";

    this->Write(writer, {{CF_TEXT, std::string("news", 5)}});
    EXPECT_EQ(second.drawClipboard, 1) << "the notice is posted, not sent";
    ASSERT_TRUE(this->desk_->RunUntil([&] { return second.drawClipboard == 2; }));
    EXPECT_EQ(first.drawClipboard, 2) << "forwarded";

    ASSERT_TRUE(cb.OpenClipboard(writer.hwnd));
    ASSERT_TRUE(cb.CloseClipboard());
    this->desk_->Settle();
    EXPECT_EQ(second.drawClipboard, 2) << "an unchanged clipboard is no news";
}

TYPED_TEST(ClipboardContract, LeavingTheChainMovesItsHeadOrTellsTheHead) {
    Window& third = this->MakeWindow("third");
    Window& second = this->MakeWindow("second");
    Window& first = this->MakeWindow("first");
    Window& writer = this->MakeWindow("writer");
    IClipboard& cb = this->Cb();
    this->JoinChain(third);
    this->JoinChain(second);
    this->JoinChain(first); // first -> second -> third

    this->LeaveChain(second);
    EXPECT_EQ(first.changeChain, 1) << "the head is sent WM_CHANGECBCHAIN";
    EXPECT_EQ(first.next, third.hwnd) << "and mends its link";
    EXPECT_EQ(cb.GetClipboardViewer(), first.hwnd);
    this->LeaveChain(first);
    EXPECT_EQ(cb.GetClipboardViewer(), third.hwnd) << "the head leaving moves the head";
    EXPECT_EQ(third.changeChain, 0);

    const int firstHeard = first.drawClipboard;
    const int secondHeard = second.drawClipboard;
    this->Write(writer, {{CF_TEXT, std::string("after", 6)}});
    ASSERT_TRUE(this->desk_->RunUntil([&] { return third.drawClipboard == 2; }));
    this->desk_->Settle();
    EXPECT_EQ(first.drawClipboard, firstHeard);
    EXPECT_EQ(second.drawClipboard, secondHeard);
}

TYPED_TEST(ClipboardContract, TheSequenceNumberGrowsWithEveryChange) {
    Window& owner = this->MakeWindow("owner");
    Window& reader = this->MakeWindow("reader");
    IClipboard& cb = this->Cb();
    const UINT late = cb.RegisterClipboardFormat("text/x-bx-contract-late");
    owner.render[late] = "late";
    std::uint32_t last = cb.GetClipboardSequenceNumber();
    auto grew = [&] {
        const std::uint32_t now = cb.GetClipboardSequenceNumber();
        const bool more = now > last;
        last = now;
        return more;
    };
    ASSERT_TRUE(cb.OpenClipboard(owner.hwnd));
    EXPECT_FALSE(grew()) << "opening";
    ASSERT_TRUE(cb.EmptyClipboard());
    EXPECT_TRUE(grew()) << "emptying";
    cb.SetClipboardData(CF_TEXT, Block(std::string("a", 2)));
    EXPECT_TRUE(grew()) << "setting a format";
    cb.SetClipboardData(late, 0);
    EXPECT_TRUE(grew()) << "announcing a format";
    cb.SetClipboardData(CF_TEXT, Block(std::string("b", 2)));
    EXPECT_TRUE(grew()) << "replacing a format";
    ASSERT_TRUE(cb.CloseClipboard());
    EXPECT_FALSE(grew()) << "closing";
    this->desk_->Settle();
    EXPECT_FALSE(grew()) << "our own change heard back";
    EXPECT_EQ(this->Read(reader, late), "late");
    EXPECT_FALSE(grew()) << "rendering an announced format";
}

TYPED_TEST(ClipboardContract, AnotherProgramsCopyIsAChangeWithItsOwnerAndItsFormat) {
    Window& viewer = this->MakeWindow("viewer");
    IClipboard& cb = this->Cb();
    this->JoinChain(viewer);
    const std::uint32_t sequence = cb.GetClipboardSequenceNumber();
    const std::string bytes("contract \xC3\xA9 bytes", 17);
    const std::uint32_t pid = this->desk_->CopyByAnotherProgram("application/x-bx-contract", bytes);
    ASSERT_NE(pid, 0u);
    ASSERT_TRUE(this->desk_->RunUntil([&] { return viewer.drawClipboard == 2; }));
    EXPECT_GT(cb.GetClipboardSequenceNumber(), sequence);

    ASSERT_TRUE(cb.OpenClipboard(viewer.hwnd));
    const UINT format = cb.RegisterClipboardFormat("Application/X-BX-Contract");
    EXPECT_TRUE(cb.IsClipboardFormatAvailable(format));
    EXPECT_EQ(BlockBytes(cb.GetClipboardData(format)), bytes);
    const HWND owner = cb.GetClipboardOwner();
    EXPECT_NE(owner, NoWindow);
    EXPECT_NE(owner, viewer.hwnd);
    EXPECT_EQ(this->desk_->Windows().GetWindowProcessId(owner), pid);
    cb.CloseClipboard();
}

} // namespace
