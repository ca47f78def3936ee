// Reading the clipboard into a clip on the simulated desktop: the profile's choice in clipboard order,
// text made from file lists and web addresses, empty texts, a clipboard held by another program,
// broken graphics, and the formats a forced list names.
#include "ClipTestFixture.h"

#include "IClipProfile.h"
#include "SimApp.h"
#include "TBitmap.h"
#include "TClipView5.h"
#include "TClipboard.h"
#include "TGlobalBlocks.h"
#include "TMetafile.h"

#include <gtest/gtest.h>

#include <set>

using namespace bx::clipstore;
using namespace bx::clipstore::testing;
using namespace bx::platform;
using bx::platform::sim::SimApp;
using bx::platform::sim::SimFormat;

namespace {

class TestProfile : public bx::cliplink::IClipProfile {
public:
    bool IsCoffee(const std::string& creator, const std::string& formatName) override {
        asked.push_back(creator + "/" + formatName);
        return !rejected.contains(formatName);
    }
    std::set<std::string> rejected;
    std::vector<std::string> asked;
};

class ClipPasteTest : public ClipFixture {
protected:
    SimApp editor{desk, "/usr/bin/gedit", "notes.txt - gedit"};
    bx::cliplink::TClipView5 view{desk};
    bx::cliplink::TClipboard clipboard{desk};
    TestProfile profile;
    TClipObj clip{context, 0, "GEDIT"};

    // The other program copies; the viewer reads the list of formats as it does for a change.
    void Copy(const std::vector<SimFormat>& formats) {
        ASSERT_TRUE(editor.Copy(formats));
        view.ReadFormats();
    }

    int Paste(const TClipObj::ForcedFormats* forced = nullptr) {
        const int result = clip.Paste(view, clipboard, profile, forced);
        EXPECT_EQ(view.OpenRefCount(), 0);
        EXPECT_FALSE(desk.SimulatedClipboard().IsOpen());
        return result;
    }

    std::vector<UINT> Numbers() {
        std::vector<UINT> n;
        for (const auto& d : *clip.Formats)
            n.push_back(d->FormatNum);
        return n;
    }

    std::string Text(std::size_t index) { return TGlobalBlocks::TextOfHandle((*clip.Formats)[index]->Handle); }

    std::uint64_t Now() { return desk.Clock().TickCount(); }
};

Bytes DropFiles(const std::vector<std::u16string>& paths, bool wide) {
    Bytes b;
    Put32(b, 20);
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, wide ? 1 : 0);
    for (const auto& p : paths) {
        for (char16_t c : p) {
            if (wide)
                Put16(b, c);
            else
                b.push_back(static_cast<std::uint8_t>(c));
        }
        if (wide)
            Put16(b, 0);
        else
            b.push_back(0);
    }
    if (wide)
        Put16(b, 0);
    else
        b.push_back(0);
    return b;
}

TEST_F(ClipPasteTest, TheProfileChoosesAndTheClipKeepsTheClipboardOrder) {
    const Bytes unicode{'h', 0, 'i', 0, 0, 0};
    Copy({{CF_TEXT, TextBytes("hi")},
          {CF_OEMTEXT, TextBytes("hi")},
          {CF_LOCALE, Bytes{9, 4, 0, 0}},
          {CF_UNICODETEXT, unicode}});
    profile.rejected = {"OEMTEXT"};
    EXPECT_EQ(Paste(), 3);
    EXPECT_EQ(Numbers(), (std::vector<UINT>{CF_TEXT, CF_LOCALE, CF_UNICODETEXT}));
    EXPECT_EQ(profile.asked,
              (std::vector<std::string>{"GEDIT/TEXT", "GEDIT/OEMTEXT", "GEDIT/LOCALE", "GEDIT/UNICODTEXT"}));
    const TClipData& text = *(*clip.Formats)[0];
    EXPECT_EQ(text.Format_Type, TClipData::TypeBlock);
    EXPECT_EQ(text.FormatName, "TEXT");
    EXPECT_EQ(text.DataSize, 3);
    EXPECT_TRUE(text.Pasteable);
    EXPECT_EQ(BlockBytes(text.Handle), TextBytes("hi")); // the terminator is kept
    EXPECT_EQ(BlockBytes((*clip.Formats)[2]->Handle), unicode);
    EXPECT_EQ(clip.IconBits, 1);
    EXPECT_TRUE(clip.Online);
}

TEST_F(ClipPasteTest, AFileListWithoutTextGetsATextOfItsPaths) {
    for (const bool wide : {true, false}) {
        SCOPED_TRACE(wide ? "wide" : "single-byte");
        TClipObj fresh(context, 0, "NAUTILUS");
        std::swap(clip.Formats, fresh.Formats);
        clip.Formats->clear();
        clip.IconBits = 0;
        Copy({{CF_HDROP, DropFiles({u"/home/u/a.txt", u"/home/u/b c.png"}, wide)}});
        EXPECT_EQ(Paste(), 2);
        EXPECT_EQ(Numbers(), (std::vector<UINT>{CF_HDROP, CF_TEXT}));
        EXPECT_EQ(Text(1), "/home/u/a.txt\n/home/u/b c.png\n");
        EXPECT_EQ(clip.IconBits, 64 | 1);
        EXPECT_EQ(log.Count("PASTE", "Manufacturing TEXT from HDROP"), wide ? 1 : 2);
    }
    // With a text beside it, whatever the order, nothing is made up.
    clip.Formats->clear();
    Copy({{CF_HDROP, DropFiles({u"/x"}, true)}, {CF_TEXT, TextBytes("/x")}});
    EXPECT_EQ(Paste(), 2);
    EXPECT_EQ(Numbers(), (std::vector<UINT>{CF_HDROP, CF_TEXT}));
    EXPECT_EQ(Text(1), "/x");
}

TEST_F(ClipPasteTest, FileListPathsAreReadWithinTheBlock) {
    const std::u16string accented = u"/home/u/\u00e9t\u00e9.txt";
    EXPECT_EQ(TClipObj::DropFilePaths(DropFiles({accented}, true)),
              (std::vector<std::string>{"/home/u/\xC3\xA9t\xC3\xA9.txt"}));
    EXPECT_EQ(TClipObj::DropFilePaths(DropFiles({accented}, false)), // single bytes: Windows-1252
              (std::vector<std::string>{"/home/u/\xC3\xA9t\xC3\xA9.txt"}));
    Bytes cut = DropFiles({u"/abc"}, true);
    cut.resize(cut.size() - 5); // the last path runs into the end of the block
    EXPECT_EQ(TClipObj::DropFilePaths(cut), (std::vector<std::string>{"/ab"}));
    Bytes badOffset = DropFiles({u"/abc"}, false);
    badOffset[0] = 0xFF;
    EXPECT_TRUE(TClipObj::DropFilePaths(badOffset).empty());
    EXPECT_TRUE(TClipObj::DropFilePaths(Bytes(19, 0)).empty());
}

TEST_F(ClipPasteTest, AWebAddressWithoutTextGetsItsText) {
    const UINT url = context.UrlFormat;
    Copy({{url, TextBytes("https://example.org/page")}});
    EXPECT_EQ(Paste(), 2);
    EXPECT_EQ(Numbers(), (std::vector<UINT>{url, CF_TEXT}));
    EXPECT_EQ(Text(1), "https://example.org/page\n");
    EXPECT_EQ(clip.LockedFormat, 0);

    clip.Formats->clear();
    Copy({{url, TextBytes(std::string(2000, 'u'))}});
    EXPECT_EQ(Paste(), 2);
    EXPECT_EQ(Text(1), std::string(1024, 'u') + "\n");

    // Beside HTML too, whose type bit would hide the address from a lookup by type bits.
    const UINT html = context.HtmlFormat;
    TClipObj page(context, 0, "FIREFOX");
    Copy({{html, TextBytes("<a href=x>x</a>")}, {url, TextBytes("https://example.org/x")}});
    EXPECT_EQ(page.Paste(view, clipboard, profile), 3);
    ASSERT_EQ(page.Formats->size(), 3u);
    EXPECT_EQ(TGlobalBlocks::TextOfHandle((*page.Formats)[2]->Handle), "https://example.org/x\n");
    EXPECT_EQ(page.IconBits, 128 | 1);
}

TEST_F(ClipPasteTest, AnEmptyTextIsNeverAdded) {
    Copy({{CF_TEXT, TextBytes("")}});
    const std::uint64_t start = Now();
    EXPECT_EQ(Paste(), 0);
    EXPECT_TRUE(clip.Formats->empty());
    EXPECT_EQ(Now() - start, 600u); // six attempts, each followed by a pause
    EXPECT_EQ(log.Count("PASTE", "Could not obtain data: GEDIT Format:1"), 1);
}

TEST_F(ClipPasteTest, AClipboardHeldByAnotherProgramYieldsNothing) {
    Copy({{CF_TEXT, TextBytes("held")}});
    ASSERT_TRUE(editor.OpenClipboard());
    const std::uint64_t start = Now();
    EXPECT_EQ(clip.Paste(view, clipboard, profile), 0);
    EXPECT_EQ(Now() - start, 6600u);
    EXPECT_EQ(log.Count("PASTE", "Could not open clipboard]: "), 11);
    EXPECT_TRUE(clip.Formats->empty());
    EXPECT_FALSE(clip.Online);
    EXPECT_EQ(view.OpenRefCount(), 0);
    editor.CloseClipboard();
}

TEST_F(ClipPasteTest, ABrokenMetafileIsRetriedAndLeftOut) {
    Bytes broken(40, 0x5A);
    Copy({{CF_TEXT, TextBytes("kept")}, {CF_METAFILEPICT, broken}, {CF_UNICODETEXT, Bytes{'k', 0, 0, 0}}});
    const std::uint64_t start = Now();
    EXPECT_EQ(Paste(), 2);
    EXPECT_EQ(Numbers(), (std::vector<UINT>{CF_TEXT, CF_UNICODETEXT}));
    EXPECT_EQ(log.Count("PASTEONE", "Bad Metafile Encountered from GEDIT SerialNum:0"), 6);
    EXPECT_EQ(log.Count("PASTE", "Could not obtain data: GEDIT Format:3"), 1);
    EXPECT_EQ(Now() - start, 600u);
    EXPECT_EQ(clip.IconBits, 1);
}

TEST_F(ClipPasteTest, BitmapsAndMetafilePicturesBecomeGraphicObjects) {
    Copy({{CF_BITMAP, SmallDib()}, {CF_METAFILEPICT, MetafilePict()}, {CF_ENHMETAFILE, Emf()}});
    EXPECT_EQ(Paste(), 3);
    ASSERT_EQ(Numbers(), (std::vector<UINT>{CF_BITMAP, CF_METAFILEPICT, CF_ENHMETAFILE}));
    const TClipData& bmp = *(*clip.Formats)[0];
    EXPECT_EQ(bmp.Format_Type, TClipData::TypeBitmap);
    EXPECT_EQ(bmp.FormatName, "BITMAP");
    EXPECT_EQ(bmp.DataSize, 0);
    ASSERT_TRUE(bmp.Bitmap);
    EXPECT_EQ(bmp.Bitmap->SaveToDib(), SmallDib());
    const TClipData& pict = *(*clip.Formats)[1];
    EXPECT_EQ(pict.Format_Type, TClipData::TypeMetafile);
    ASSERT_TRUE(pict.Metafile);
    EXPECT_EQ(pict.Metafile->MetafilePictBlock(), MetafilePict());
    // An enhanced metafile is a memory block on this desktop and is copied as one.
    EXPECT_EQ(BlockBytes((*clip.Formats)[2]->Handle), Emf());
    EXPECT_EQ(clip.IconBits, 2 | 4);
    EXPECT_EQ(clip.IconIndex(), 2);
}

TEST_F(ClipPasteTest, AForcedFormatIsReadWhateverTheProfileSays) {
    const UINT rtf = context.RtfFormat;
    Copy({{CF_TEXT, TextBytes("t")}, {rtf, TextBytes("{\\rtf1 t}")}, {CF_OEMTEXT, TextBytes("t")}});
    profile.rejected = {"Rich Text Format", "OEMTEXT"};
    const TClipObj::ForcedFormats forced = {
        {"Rich Text Format", false}, {"OEMTEXT", false}, {"Rich Text Format", true}};
    EXPECT_EQ(Paste(&forced), 2);
    EXPECT_EQ(Numbers(), (std::vector<UINT>{CF_TEXT, rtf}));
    EXPECT_EQ(clip.IconBits, 1 | 8);
}

TEST_F(ClipPasteTest, AFormatWithoutDataIsRetriedAndTheOthersKept) {
    const UINT custom = editor.RegisterFormat("Custom Editor Data");
    Copy({{CF_TEXT, TextBytes("t")}, {custom, Bytes{1, 2}}});
    // The format is listed, but its data is gone when it is read.
    view.ReadFormats();
    ASSERT_TRUE(editor.Copy({{CF_TEXT, TextBytes("t")}}));
    EXPECT_EQ(Paste(), 1);
    EXPECT_EQ(log.Count("PASTEONE", "NULL returned from getclipboarddata.  Creator: GEDIT, Format:" +
                                        std::to_string(custom) + ", Err:0"),
              6);
}

TEST_F(ClipPasteTest, TheWrapperCopiesBlocksInAndOut) {
    const UINT custom = editor.RegisterFormat("Wrapper Test");
    Copy({{CF_TEXT, TextBytes("t")}});
    ASSERT_TRUE(view.Open());
    const Bytes bytes{9, 8, 7, 0, 6};
    EXPECT_TRUE(clipboard.SetBytes(custom, bytes)); // beside what is there
    Bytes got;
    EXPECT_TRUE(clipboard.GetBytes(custom, got));
    EXPECT_EQ(got, bytes);
    EXPECT_TRUE(clipboard.GetBytes(CF_TEXT, got));
    EXPECT_EQ(got, TextBytes("t"));
    const HGLOBAL own = GlobalMemory::FromBytes(bytes.data(), 2);
    EXPECT_TRUE(clipboard.SetHandle(CF_DIF, own));
    EXPECT_TRUE(clipboard.GetBytes(CF_DIF, got));
    EXPECT_EQ(got, (Bytes{9, 8}));
    EXPECT_FALSE(clipboard.SetHandle(CF_DIF, 0));
    EXPECT_FALSE(clipboard.GetBytes(CF_DIB, got));
    EXPECT_TRUE(got.empty());
    view.Close();
}

} // namespace
