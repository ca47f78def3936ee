#include "CoreTestFixture.h"

#include "IRegistry.h"
#include "TClipView5.h"
#include "TClipboard.h"
#include "TCollectionDump.h"
#include "Tfilter.h"

#include <sstream>

namespace bx::shell {
namespace {

using namespace coretest;
using clipstore::TClipColl;
using clipstore::TClipObj;
using clipstore::TMasterList;
using platform::CF_BITMAP;
using platform::CF_TEXT;

class CapturePipelineTest : public CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        Start();
    }
};

TEST_F(CapturePipelineTest, FirstStartMakesTheDefaultCollectionsAndCapturesIntoShortTerm) {
    TMasterList* master = core->MasterList();
    ASSERT_NE(master, nullptr);
    ASSERT_NE(Coll("Short-Term"), nullptr);
    ASSERT_NE(Coll("Long-Term"), nullptr);
    EXPECT_EQ(master->Designated, Coll("Short-Term"));
    ASSERT_EQ(core->Tree().Count(), 5u);
    EXPECT_EQ(core->Tree().At(0).Coll->Title, "My Clips");
    EXPECT_EQ(core->Tree().At(1).Coll, Coll("Short-Term"));
    EXPECT_EQ(core->Tree().At(3).Coll, master->TrashCan);
    EXPECT_EQ(core->Tree().At(4).Coll, master->SearchResults);
    EXPECT_EQ(core->ClipList().Coll(), Coll("Short-Term")) << "the node at position 1 is selected";
    EXPECT_FALSE(core->SuppressListEvents());
    EXPECT_FALSE(core->StartingUp());
    EXPECT_EQ(core->StatusText(), "5 Collections Loaded.");

    CopyText(editor, "Meeting notes for Tuesday");
    TClipColl* shortTerm = Coll("Short-Term");
    ASSERT_EQ(shortTerm->Count(), 1u);
    TClipObj* clip = shortTerm->Clip(0);
    EXPECT_EQ(clip->Creator, "GEDIT");
    EXPECT_EQ(clip->Title, "Meeting notes for Tuesday");
    EXPECT_EQ(clip->SerialNbr, 1);
    EXPECT_EQ(clip->SortKey, shortTerm->LastClipSortKey);
    EXPECT_EQ(clip->IconBits & 1, 1);
    EXPECT_EQ(core->StatusText(), "Captured Item #1 And Placed In: Short-Term");
    EXPECT_EQ(core->CurrentClip(), clip);
    EXPECT_EQ(core->LastCaptured(), clip);
    EXPECT_EQ(core->ClipList().Count(), 1u);
    EXPECT_TRUE(core->ClipList().IsSelected(0));
    EXPECT_EQ(core->Tree().At(1).StateImage, 5) << "the receiving collection carries the new-clip mark";
    EXPECT_EQ(SoundEvents().back(), TBrindlexCore::SoundNewData);
    EXPECT_EQ(settings->Captured, 1);
    EXPECT_TRUE(master->Dirty);

    master->Save();
    clipstore::TClipContext readBack(desk.Clock(), desk.Clipboard());
    TMasterList reloaded(readBack, sources, nullptr);
    reloaded.Load();
    TClipColl* onDisk = nullptr;
    for (std::size_t i = 0; i < reloaded.Count(); ++i)
        if (reloaded.Item(i)->Title == "Short-Term")
            onDisk = reloaded.Item(i);
    ASSERT_NE(onDisk, nullptr);
    ASSERT_EQ(onDisk->Count(), 1u);
    EXPECT_EQ(onDisk->Clip(0)->Title, "Meeting notes for Tuesday");

    // The dump command reads what was written.
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(TCollectionDump::Run({"dump", dataDir + "Short-Term"}, out, err), TCollectionDump::ExitOk) << err.str();
    EXPECT_NE(out.str().find("Meeting notes for Tuesday"), std::string::npos);
}

TEST_F(CapturePipelineTest, QuickCopiesAreKeptAndTheLastOfAFloodAlways) {
    TClipColl* shortTerm = Coll("Short-Term");
    for (int i = 1; i <= 6; ++i) {
        ASSERT_TRUE(editor.CopyText("quick " + std::to_string(i)));
        desk.Advance(300);
    }
    Settle();
    ASSERT_EQ(shortTerm->Count(), 6u);
    for (int i = 1; i <= 6; ++i)
        EXPECT_EQ(shortTerm->Clip(static_cast<std::size_t>(6 - i))->Title, "quick " + std::to_string(i));

    for (int i = 1; i <= 50; ++i) {
        ASSERT_TRUE(editor.CopyText("flood " + std::to_string(i)));
        desk.Advance(100);
    }
    Settle();
    EXPECT_GT(shortTerm->Count(), 6u);
    EXPECT_EQ(shortTerm->Clip(0)->Title, "flood 50") << "what stays on the clipboard is always kept";
    EXPECT_EQ(core->CurrentClip(), shortTerm->Clip(0));
}

TEST_F(CapturePipelineTest, ALongFormatNameIsKeptWholeSoThatItsProgramCanPasteItsDataBack) {
    const std::string name = "application/x-openoffice-embed-source-xml;windows_formatname=\"Star Embed Source (XML)\"";
    const platform::UINT format = editor.RegisterFormat(name);
    desk.Registry().WriteValue(core->Filter()->ProfileKey() + "\\_FILTERS", "GEDIT", "1");
    desk.Registry().WriteValue(core->Filter()->AppKey("GEDIT"), "TEXT", "1");
    desk.Registry().WriteValue(core->Filter()->AppKey("GEDIT"), name, "1");
    ASSERT_TRUE(editor.Copy({{CF_TEXT, TextBytes("embedded")}, {format, {'<', 'x', '/', '>'}}}));
    Settle();
    TClipColl* shortTerm = Coll("Short-Term");
    ASSERT_EQ(shortTerm->Count(), 1u);
    TClipObj* clip = shortTerm->Clip(0);
    ASSERT_EQ(clip->FormatCount(), 2);
    EXPECT_EQ(clip->GetFormatName(1), name);

    ASSERT_TRUE(editor.CopyText("something else"));
    Settle();
    ASSERT_TRUE(core->CopyItem(clip));
    ASSERT_TRUE(editor.Paste({format}));
    EXPECT_EQ(editor.Pastes().back().at(format), (Bytes{'<', 'x', '/', '>'}));
}

TEST_F(CapturePipelineTest, OnlyAnIdenticalTextIsRejectedAsADuplicate) {
    CopyText(editor, "same text");
    CopyText(editor, "same text");
    TClipColl* shortTerm = Coll("Short-Term");
    EXPECT_EQ(shortTerm->Count(), 1u);
    EXPECT_EQ(core->StatusText(), "Duplicate Item Rejected.");
    EXPECT_EQ(SoundEvents().back(), TBrindlexCore::SoundIgnore);
    EXPECT_EQ(settings->Captured, 2) << "a rejected duplicate counts as captured";
    EXPECT_EQ(core->LastCaptured(), shortTerm->Clip(0));

    CopyText(editor, "same text ");
    EXPECT_EQ(shortTerm->Count(), 2u);

    // Pictures are never duplicates.
    ASSERT_TRUE(paint.Copy({{CF_BITMAP, SeededDib(1)}}));
    Settle();
    ASSERT_TRUE(paint.Copy({{CF_BITMAP, SeededDib(1)}}));
    Settle();
    EXPECT_EQ(shortTerm->Count(), 4u);

    // A collection that allows duplicates keeps both.
    shortTerm->AllowDuplicates = true;
    CopyText(editor, "twice");
    CopyText(editor, "twice");
    EXPECT_EQ(shortTerm->Count(), 6u);
}

TEST_F(CapturePipelineTest, ChangesThatAreNotCaptured) {
    struct Case {
        const char* name;
        std::function<void()> act;
        std::string status;
        std::string sound;
    };
    const platform::UINT ignoreFormat = core->ClipView().IgnoreFormat();
    const Case cases[] = {
        {"capture off",
         [&] {
             core->SetAutoCapture(false);
             ASSERT_TRUE(editor.CopyText("not while off"));
         },
         "New Data Ignored (Capture Is Off).", TBrindlexCore::SoundIgnore},
        {"ignore marker",
         [&] {
             core->SetAutoCapture(true);
             ASSERT_TRUE(editor.Copy({{CF_TEXT, TextBytes("password")}, {ignoreFormat, {}}}));
         },
         "New Data Ignored (Ignore Flag Set By Sender).", TBrindlexCore::SoundIgnore},
        {"emptied", [&] { ASSERT_TRUE(editor.Copy({})); }, "System Clipboard Is Empty.", TBrindlexCore::SoundEmpty},
        {"too soon after our own copy",
         [&] {
             core->SetNoCaptureUntil(desk.Clock().Now() + 5000 / 86400000.0);
             ASSERT_TRUE(editor.CopyText("too soon"));
         },
         "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        desk.SimulatedSound().Clear();
        view.Statuses.clear();
        c.act();
        Settle();
        EXPECT_EQ(Coll("Short-Term")->Count(), 0u);
        EXPECT_EQ(core->CurrentClip(), nullptr);
        if (c.status.empty()) {
            EXPECT_TRUE(view.Statuses.empty());
        } else {
            EXPECT_EQ(core->StatusText(), c.status);
            EXPECT_TRUE(core->HCSelectItemMessageMode());
            EXPECT_EQ(SoundEvents(), (std::vector<std::string>{c.sound}));
        }
    }
    // The change that came too soon after our own copy is captured once the quiet time has passed.
    desk.Advance(5000);
    ASSERT_EQ(Coll("Short-Term")->Count(), 1u);
    EXPECT_EQ(Coll("Short-Term")->Clip(0)->Title, "too soon");
}

TEST_F(CapturePipelineTest, ACollectionThatDivertsNewClipsSendsThemToTheDesignatedOne) {
    TClipColl* longTerm = Coll("Long-Term");
    TClipColl* shortTerm = Coll("Short-Term");
    longTerm->AcceptNewClips = false;
    core->Tree().Select(core->Tree().GetTreeNodeOfColl(longTerm));
    ASSERT_EQ(core->ClipList().Coll(), longTerm);
    view.PreviewVisible = true;
    CopyText(editor, "diverted");
    EXPECT_EQ(longTerm->Count(), 0u);
    ASSERT_EQ(shortTerm->Count(), 1u);
    EXPECT_EQ(core->ClipList().Coll(), longTerm) << "the list keeps showing its collection";
    EXPECT_EQ(core->ClipList().Count(), 0u);
    EXPECT_FALSE(view.PreviewVisible);
    EXPECT_EQ(core->Tree().At(static_cast<std::size_t>(core->Tree().GetTreeNodeOfColl(shortTerm))).StateImage, 5);

    core->Tree().Select(core->Tree().GetTreeNodeOfColl(core->MasterList()->SearchResults));
    CopyText(editor, "while searching");
    EXPECT_EQ(shortTerm->Count(), 2u);
}

TEST_F(CapturePipelineTest, TheApplicationProfileDecidesWhatIsKept) {
    platform::IRegistry& store = desk.Registry();
    const std::string appKey = core->Filter()->AppKey("GEDIT");
    const platform::UINT unicode = platform::CF_UNICODETEXT;
    ASSERT_TRUE(editor.Copy({{CF_TEXT, TextBytes("first")}, {unicode, {'f', 0, 0, 0}}}));
    Settle();
    ASSERT_EQ(Coll("Short-Term")->Count(), 1u);
    EXPECT_EQ(Coll("Short-Term")->Clip(0)->FormatCount(), 1) << "only the text is kept the first time";
    EXPECT_EQ(store.ReadValue(core->Filter()->ProfileKey() + "\\_FILTERS", "GEDIT"), "1");
    EXPECT_EQ(store.ReadValue(appKey, "TEXT"), "1");
    EXPECT_EQ(store.ReadValue(appKey, "UNICODTEXT"), "0");

    // A format stored with another value than 1 is dropped; switching the application off drops all.
    store.WriteValue(appKey, "TEXT", "5");
    CopyText(editor, "second");
    EXPECT_EQ(Coll("Short-Term")->Count(), 1u);
    EXPECT_EQ(core->StatusText(),
              "New Clipboard Data Ignored - No Acceptable Formats, According To Application Profile.");
    EXPECT_EQ(SoundEvents().back(), TBrindlexCore::SoundEmpty);
    store.WriteValue(appKey, "TEXT", "1");
    store.WriteValue(core->Filter()->ProfileKey() + "\\_FILTERS", "GEDIT", "0");
    CopyText(editor, "third");
    EXPECT_EQ(Coll("Short-Term")->Count(), 1u);
    EXPECT_EQ(core->StatusText(),
              "New Clipboard Data Ignored - No Acceptable Formats, According To Application Profile.");
    EXPECT_EQ(core->LastCaptured(), Coll("Short-Term")->Clip(0)) << "a failed capture leaves the last clip";
}

TEST_F(CapturePipelineTest, BrowsersNameThePageTheClipCameFrom) {
    auto& browsers = desk.SimulatedBrowser();
    browsers.AddBrowser("NETSCAPE", "WWW_GetWindowInfo",
                        [](const std::string& item) { return "\"https://example.org/" + item + "\",\"Example\""; });
    browsers.AddBrowser("IEXPLORE", "WWW_GetWindowInfo",
                        [](const std::string&) { return std::string("\"https://other.example/\",\"Other\""); });
    platform::sim::SimApp netscape{desk, "/opt/netscape/netscape", "Example - Netscape"};
    CopyText(netscape, "from the web");
    ASSERT_EQ(Coll("Short-Term")->Count(), 1u);
    EXPECT_EQ(Coll("Short-Term")->Clip(0)->SourceURL, "https://example.org/0xFFFFFFFF");
    CopyText(netscape, "more from the web");
    EXPECT_EQ(browsers.Connects(), 1) << "the conversation stays open";

    EXPECT_EQ(core->GetURLDDE("IEXPLORE"), "https://other.example/");
    EXPECT_EQ(browsers.Connects(), 2);
    EXPECT_EQ(core->LastDDEBrowser(), "IEXPLORE");
    browsers.EndConversation();
    EXPECT_FALSE(core->DdeLinkOpen());

    // Browsers on this desktop put the address into the HTML envelope.
    platform::sim::SimApp firefox{desk, "/usr/lib/firefox/firefox", "Page - Mozilla Firefox"};
    const std::string html = "Version:0.9\r\nStartHTML:0000000105\r\nEndHTML:0000000150\r\nStartFragment:"
                             "0000000119\r\nEndFragment:0000000136\r\nSourceURL:https://www.example.com/a\r\n"
                             "<html><body><b>bold</b></body></html>";
    const platform::UINT htmlFormat = core->ClipContext().HtmlFormat;
    ASSERT_TRUE(firefox.Copy({{CF_TEXT, TextBytes("bold")}, {htmlFormat, TextBytes(html)}}));
    Settle();
    EXPECT_EQ(Coll("Short-Term")->Clip(0)->SourceURL, "https://www.example.com/a");
}

TEST_F(CapturePipelineTest, StateImagesFollowFavoritesAndTheLastCapture) {
    TClipColl* longTerm = Coll("Long-Term");
    longTerm->Favorite = true;
    EXPECT_EQ(core->CalcStateIndex(*longTerm), 4);
    EXPECT_EQ(core->CalcStateIndex(*core->MasterList()->Item(0)), -1) << "a data source's folder";
    core->Tree().Select(core->Tree().GetTreeNodeOfColl(longTerm));
    CopyText(editor, "into the favorite");
    EXPECT_EQ(core->CalcStateIndex(*longTerm), 3);
    EXPECT_EQ(core->CalcStateIndex(*Coll("Short-Term")), -1);
}

} // namespace
} // namespace bx::shell
