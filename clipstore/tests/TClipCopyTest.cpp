// Putting a clip back on the clipboard on the simulated desktop: the marker and the pasteable formats in
// captured order, registered formats under this run's numbers, graphics with their palettes, formats
// announced and rendered on request, a clipboard held by another program, formats that cannot be
// written, clips whose data lives in their data file, and the viewer's silence about our own change.
#include "ClipTestFixture.h"

#include "EBadCopy.h"
#include "EMyStreamError.h"
#include "SimApp.h"
#include "TBitmap.h"
#include "TByteWriter.h"
#include "TClipView5.h"
#include "TClipboard.h"
#include "TMetafile.h"
#include "TestDib.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace bx::clipstore;
using namespace bx::clipstore::testing;
using namespace bx::platform;
using bx::platform::sim::SimApp;
using CopyMode = TClipObj::CopyMode;

namespace {

class ClipCopyTest : public ClipFixture {
protected:
    SimApp editor{desk, "/usr/bin/gedit", "notes.txt - gedit"};
    SimApp reader{desk, "/usr/bin/writer", "report - writer"};
    bx::cliplink::TClipView5 view{desk};
    bx::cliplink::TClipboard clipboard{desk};
    TClipObj clip{context, 7, "GEDIT"};

    bool Copy(CopyMode mode = CopyMode::Immediate) {
        const bool result = clip.Copy(view, clipboard, mode);
        EXPECT_EQ(view.OpenRefCount(), 0);
        EXPECT_FALSE(desk.SimulatedClipboard().IsOpen());
        return result;
    }

    // The formats on the clipboard, in the order they were set.
    std::vector<UINT> OnClipboard() {
        std::vector<UINT> formats;
        EXPECT_TRUE(reader.OpenClipboard());
        for (UINT f = desk.Clipboard().EnumClipboardFormats(0); f != 0; f = desk.Clipboard().EnumClipboardFormats(f))
            formats.push_back(f);
        reader.CloseClipboard();
        return formats;
    }

    // What another program gets when it pastes the format.
    Bytes Pasted(UINT format) {
        EXPECT_TRUE(reader.Paste({format}));
        const auto& got = reader.Pastes().back();
        const auto it = got.find(format);
        return it == got.end() ? Bytes{} : it->second;
    }

    static TClipData& AddData(TClipObj& c, std::uint8_t type, UINT format, const std::string& name) {
        auto d = std::make_unique<TClipData>(type);
        d->FormatNum = static_cast<std::uint16_t>(format);
        d->FormatName = name;
        c.Formats->push_back(std::move(d));
        c.Online = true;
        return *c.Formats->back();
    }

    static void AddBitmap(TClipObj& c, const Bytes& dib) {
        TClipData& d = AddData(c, TClipData::TypeBitmap, CF_BITMAP, "BITMAP");
        d.Bitmap = std::make_unique<TBitmap>();
        EXPECT_TRUE(d.Bitmap->LoadFromDib(dib));
    }

    static void AddMetafile(TClipObj& c, const Bytes& bytes) {
        TClipData& d = AddData(c, TClipData::TypeMetafile, CF_METAFILEPICT, "METAFILEPICT");
        d.Metafile = std::make_unique<TMetafile>();
        EXPECT_TRUE(d.Metafile->LoadFromBytes(bytes));
    }

    // A text editor's clip: text, OEM text, locale and wide text.
    static void AddEditorFormats(TClipObj& c) {
        AddBlock(c, CF_TEXT, "TEXT", TextBytes("hi"));
        AddBlock(c, CF_OEMTEXT, "OEMTEXT", TextBytes("hi"));
        AddBlock(c, CF_LOCALE, "LOCALE", Bytes{9, 4, 0, 0});
        AddBlock(c, CF_UNICODETEXT, "UNICODETEXT", Bytes{'h', 0, 'i', 0, 0, 0});
    }
};

// A packed DIB of 2 x 2 pixels at 1 bit with a colour table of two entries (blue, green, red, 0).
Bytes PalettedDib() {
    return bx::testsupport::PackedDib(2, 2, 1, {0x40, 0, 0, 0, 0x80, 0, 0, 0}, {0x302010, 0xC0B0A0});
}

// An enhanced metafile whose end record carries a palette of one entry (red, green, blue, flags).
Bytes EmfWithPalette() {
    Bytes b = Emf();
    b.resize(b.size() - 20); // without its end record
    const auto set32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    set32(48, 112); // total size
    set32(68, 1);   // palette entries
    Put32(b, 14);   // EMR_EOF
    Put32(b, 24);
    Put32(b, 1);  // entries
    Put32(b, 16); // their offset in the record
    b.insert(b.end(), {0x11, 0x22, 0x33, 0x04});
    Put32(b, 24);
    return b;
}

TEST_F(ClipCopyTest, ATextEditorClipComesBackWithTheMarkerAndItsPasteableFormatsInCapturedOrder) {
    AddEditorFormats(clip);
    (*clip.Formats)[1]->Pasteable = false;
    editor.CopyText("before");

    EXPECT_TRUE(Copy());
    EXPECT_EQ(OnClipboard(), (std::vector<UINT>{view.IgnoreFormat(), CF_TEXT, CF_LOCALE, CF_UNICODETEXT}));
    EXPECT_EQ(Pasted(CF_TEXT), TextBytes("hi"));
    EXPECT_EQ(Pasted(CF_LOCALE), (Bytes{9, 4, 0, 0}));
    EXPECT_EQ(Pasted(CF_UNICODETEXT), (Bytes{'h', 0, 'i', 0, 0, 0}));
    EXPECT_EQ(desk.Clipboard().GetClipboardOwner(), view.Handle()); // render requests come to the viewer
    EXPECT_EQ(TraceStage(), 0);
    EXPECT_EQ(TraceLocation(), "TClipObj.Copy-EXIT");

    // The clipboard got copies: when the next copy releases them, the clip keeps its own data.
    editor.CopyText("after");
    EXPECT_EQ(BlockBytes((*clip.Formats)[0]->Handle), TextBytes("hi"));
    EXPECT_TRUE(Copy());
    EXPECT_EQ(Pasted(CF_TEXT), TextBytes("hi"));
}

TEST_F(ClipCopyTest, RegisteredFormatsGoOutUnderTheNumberTheirNameHasInThisRun) {
    const UINT rtf = context.RtfFormat;
    const UINT earlier = rtf + 0x200; // what "Rich Text Format" was numbered when the clip was captured
    AddBlock(clip, earlier, "Rich Text Format", TextBytes("{\\rtf1 x}"));
    AddBlock(clip, 0xC0F0, "Brindlex Copy Test", Bytes{1, 2, 3}); // a name not registered yet in this run

    EXPECT_TRUE(Copy());
    const UINT privateNow = desk.Clipboard().RegisterClipboardFormat("Brindlex Copy Test");
    ASSERT_NE(privateNow, 0xC0F0u);
    EXPECT_EQ(OnClipboard(), (std::vector<UINT>{view.IgnoreFormat(), rtf, privateNow}));
    EXPECT_EQ(Pasted(rtf), TextBytes("{\\rtf1 x}"));
    EXPECT_EQ(Pasted(privateNow), (Bytes{1, 2, 3}));
    EXPECT_EQ((*clip.Formats)[0]->FormatNum, rtf);
}

TEST_F(ClipCopyTest, GraphicsGoOutBesideTheOtherFormatsWithTheirPalettes) {
    struct Case {
        const char* name;
        std::function<void(TClipObj&)> fill;
        std::vector<UINT> formats; // after the marker
        std::map<UINT, Bytes> data;
    };
    const Bytes text = TextBytes("caption");
    const std::vector<Case> cases = {
        {"bitmap before text",
         [&](TClipObj& c) {
             AddBitmap(c, SmallDib());
             AddBlock(c, CF_TEXT, "TEXT", text);
         },
         {CF_BITMAP, CF_TEXT},
         {{CF_BITMAP, SmallDib()}, {CF_TEXT, text}}},
        {"text before bitmap",
         [&](TClipObj& c) {
             AddBlock(c, CF_TEXT, "TEXT", text);
             AddBitmap(c, SmallDib());
         },
         {CF_TEXT, CF_BITMAP},
         {{CF_BITMAP, SmallDib()}, {CF_TEXT, text}}},
        {"bitmap with a colour table",
         [](TClipObj& c) { AddBitmap(c, PalettedDib()); },
         {CF_BITMAP, CF_PALETTE},
         {{CF_BITMAP, PalettedDib()}, {CF_PALETTE, Bytes{0, 3, 2, 0, 0x30, 0x20, 0x10, 0, 0xC0, 0xB0, 0xA0, 0}}}},
        {"metafile picture", [](TClipObj& c) { AddMetafile(c, PlaceableWmf()); }, {CF_METAFILEPICT}, {}},
        {"enhanced metafile with a palette",
         [](TClipObj& c) { AddMetafile(c, EmfWithPalette()); },
         {CF_ENHMETAFILE, CF_PALETTE},
         {{CF_ENHMETAFILE, EmfWithPalette()}, {CF_PALETTE, Bytes{0, 3, 1, 0, 0x11, 0x22, 0x33, 0x04}}}},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        TClipObj graphic(context, 8, "GIMP");
        tc.fill(graphic);
        EXPECT_TRUE(graphic.Copy(view, clipboard));
        std::vector<UINT> expected{view.IgnoreFormat()};
        expected.insert(expected.end(), tc.formats.begin(), tc.formats.end());
        EXPECT_EQ(OnClipboard(), expected);
        for (const auto& [format, bytes] : tc.data)
            EXPECT_EQ(Pasted(format), bytes) << format;
    }
    // The metafile picture comes back as the block it was captured from.
    TClipObj picture(context, 9, "LIBREOFFICE");
    TClipData& d = AddData(picture, TClipData::TypeMetafile, CF_METAFILEPICT, "METAFILEPICT");
    d.Metafile = std::make_unique<TMetafile>();
    ASSERT_TRUE(d.Metafile->LoadFromMetafilePict(MetafilePict()));
    EXPECT_TRUE(picture.Copy(view, clipboard));
    EXPECT_EQ(Pasted(CF_METAFILEPICT), MetafilePict());
}

TEST_F(ClipCopyTest, AnnouncedFormatsAreRenderedOneByOneAsAProgramAsksForThem) {
    AddEditorFormats(clip);
    (*clip.Formats)[1]->Pasteable = false;
    AddBitmap(clip, SmallDib());
    const UINT rtf = context.RtfFormat;
    AddBlock(clip, rtf + 0x200, "Rich Text Format", TextBytes("{\\rtf1 x}")); // numbered in an earlier run
    std::vector<std::int32_t> requests;
    view.OnRenderFormat = [&](bx::cliplink::TClipView5& v) {
        requests.push_back(v.WhichRenderFormat());
        EXPECT_TRUE(clip.RenderFormat(clipboard, static_cast<UINT>(v.WhichRenderFormat())));
    };

    EXPECT_TRUE(Copy(CopyMode::Announce));
    EXPECT_EQ(OnClipboard(),
              (std::vector<UINT>{view.IgnoreFormat(), CF_TEXT, CF_OEMTEXT, CF_LOCALE, CF_UNICODETEXT, CF_BITMAP, rtf}));
    EXPECT_TRUE(requests.empty());

    // Each paste asks for exactly what it reads; a format that is not pasteable is still served.
    EXPECT_EQ(Pasted(CF_OEMTEXT), TextBytes("hi"));
    EXPECT_EQ(requests, (std::vector<std::int32_t>{CF_OEMTEXT}));
    EXPECT_EQ(Pasted(CF_BITMAP), SmallDib());
    EXPECT_EQ(Pasted(CF_OEMTEXT), TextBytes("hi"));
    EXPECT_EQ(requests, (std::vector<std::int32_t>{CF_OEMTEXT, CF_BITMAP}));
    EXPECT_EQ(Pasted(rtf), TextBytes("{\\rtf1 x}"));
    EXPECT_FALSE(clip.RenderFormat(clipboard, CF_HDROP));
}

TEST_F(ClipCopyTest, ACopyInsideARenderRequestWritesEveryPasteableFormatAtOnce) {
    AddEditorFormats(clip);
    int requests = 0;
    view.OnRenderFormat = [&](bx::cliplink::TClipView5&) {
        ++requests;
        EXPECT_TRUE(clip.Copy(view, clipboard, CopyMode::Rendering));
        EXPECT_EQ(view.OpenRefCount(), 0); // the pasting program holds the clipboard
    };
    EXPECT_TRUE(Copy(CopyMode::Announce));

    EXPECT_EQ(Pasted(CF_UNICODETEXT), (Bytes{'h', 0, 'i', 0, 0, 0}));
    EXPECT_EQ(Pasted(CF_TEXT), TextBytes("hi"));
    EXPECT_EQ(Pasted(CF_LOCALE), (Bytes{9, 4, 0, 0}));
    EXPECT_EQ(requests, 1);
    EXPECT_FALSE(desk.SimulatedClipboard().IsOpen());
}

TEST_F(ClipCopyTest, AClipboardHeldByAnotherProgramFailsAfterTenAttemptsWithoutAPause) {
    AddEditorFormats(clip);
    editor.CopyText("held");
    ASSERT_TRUE(editor.OpenClipboard());
    const std::uint64_t start = desk.Clock().TickCount();
    EXPECT_FALSE(clip.Copy(view, clipboard));
    EXPECT_EQ(desk.Clock().TickCount(), start);
    EXPECT_EQ(log.Count("COPY", "Could not open clipboard: "), 10);
    EXPECT_EQ(log.Count("TClipObj.Copy", "Error - Could Not Open Clipboard: (Open - Could Not Open Clipboard."), 1);
    EXPECT_EQ(view.OpenRefCount(), 0);
    editor.CloseClipboard();
    EXPECT_EQ(OnClipboard(), (std::vector<UINT>{CF_TEXT}));
    EXPECT_EQ(Pasted(CF_TEXT), TextBytes("held"));
}

TEST_F(ClipCopyTest, AFormatThatCannotBeWrittenRaisesAndTheClipboardIsReleased) {
    struct Case {
        const char* name;
        std::function<void(TClipObj&)> addBroken;
        std::string log;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"a block without data", [](TClipObj& c) { AddData(c, TClipData::TypeBlock, CF_OEMTEXT, "OEMTEXT"); },
         "BAD Copy (FLAT) GEDIT SerialNum:7", "Copy Failed - Type: 0"},
        {"a block the clipboard refuses", [](TClipObj& c) { AddBlock(c, 0, "", TextBytes("lost")); },
         "BAD Copy (FLAT) GEDIT SerialNum:7", "Copy Failed - Type: 0"},
        {"a bitmap without its picture", [](TClipObj& c) { AddData(c, TClipData::TypeBitmap, CF_BITMAP, "BITMAP"); },
         "BAD Copy (Bitmap) GEDIT SerialNum:7", "Copy Failed - Bitmap"},
        {"a metafile without its picture",
         [](TClipObj& c) { AddData(c, TClipData::TypeMetafile, CF_METAFILEPICT, "METAFILEPICT"); },
         "BAD Copy (Metafile) GEDIT SerialNum:7", "Copy Failed - Metafile"},
        {"a damaged format type", [](TClipObj& c) { AddData(c, 9, CF_OEMTEXT, "OEMTEXT"); },
         "BAD Copy (Type 9) GEDIT SerialNum:7", "Copy Failed - Type: 9"},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        TClipObj broken(context, 7, "GEDIT");
        AddBlock(broken, CF_TEXT, "TEXT", TextBytes("kept"));
        tc.addBroken(broken);
        AddBlock(broken, CF_UNICODETEXT, "UNICODETEXT", Bytes{'x', 0, 0, 0});
        ASSERT_TRUE(editor.Copy({})); // an empty clipboard holds no blocks
        const std::size_t blocks = GlobalMemory::LiveBlocks();

        std::string message;
        try {
            broken.Copy(view, clipboard);
        } catch (const EBadCopy& e) {
            message = e.what();
        }
        EXPECT_EQ(message, tc.message);
        EXPECT_EQ(log.Count("CopyOne", tc.log), 1);
        EXPECT_EQ(TraceStage(), 2);
        EXPECT_EQ(view.OpenRefCount(), 0);
        EXPECT_FALSE(desk.SimulatedClipboard().IsOpen());
        // What was written before the failure stays; nothing after it is written; nothing leaks.
        EXPECT_EQ(OnClipboard(), (std::vector<UINT>{view.IgnoreFormat(), CF_TEXT}));
        EXPECT_EQ(GlobalMemory::LiveBlocks(), blocks + 1);
        log.lines.clear();
    }
}

TEST_F(ClipCopyTest, AClipWhoseDataLivesInItsDataFileIsLoadedFirst) {
    TestColl coll(root + "a/");
    clip.Coll = &coll;
    AddEditorFormats(clip);
    AddBlock(clip, CF_HDROP, "HDROP", Bytes(40, 1)); // needs a data file
    TByteWriter record;
    clip.SaveToStream(record); // writes the data file
    clip.UnLoad();             // and drops the data from memory, as the collection does
    ASSERT_TRUE(clip.DataInFile);
    ASSERT_FALSE(clip.Online);

    EXPECT_TRUE(Copy());
    EXPECT_TRUE(clip.Online);
    EXPECT_EQ(OnClipboard(),
              (std::vector<UINT>{view.IgnoreFormat(), CF_TEXT, CF_OEMTEXT, CF_LOCALE, CF_UNICODETEXT, CF_HDROP}));
    EXPECT_EQ(Pasted(CF_HDROP), Bytes(40, 1));

    // Without its data file the copy fails before the clipboard is touched.
    TClipObj lost(context, 12, "GEDIT");
    lost.Coll = &coll;
    lost.DataInFile = true;
    lost.Formats.reset();
    lost.StoredFormatCount = 1;
    editor.CopyText("untouched");
    EXPECT_THROW(lost.Copy(view, clipboard), EMyStreamError);
    EXPECT_EQ(view.OpenRefCount(), 0);
    EXPECT_EQ(Pasted(CF_TEXT), TextBytes("untouched"));
}

TEST_F(ClipCopyTest, TheViewerDoesNotReportTheChangeTheCopyCauses) {
    AddEditorFormats(clip);
    int reported = 0;
    view.OnCBChange = [&](bx::cliplink::TClipView5&) { ++reported; };
    view.Capturing = true;
    view.SetActive(true);
    desk.Advance(1000);
    reported = 0;

    for (const CopyMode mode : {CopyMode::Immediate, CopyMode::Announce}) {
        EXPECT_TRUE(Copy(mode));
        desk.Advance(1000);
        EXPECT_EQ(reported, 0);
    }
    // Another program's change afterwards is reported.
    editor.CopyText("theirs");
    desk.Advance(1000);
    EXPECT_EQ(reported, 1);
}

} // namespace
