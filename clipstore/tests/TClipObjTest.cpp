// The clip object: titles, type bits, format lookup without loading, locking, searching, the
// lifecycle of loaded and unloaded clips, the audit and cloning.
#include "ClipTestFixture.h"

#include "DateTime.h"
#include "EMyStreamError.h"
#include "TByteReader.h"
#include "TByteWriter.h"
#include "TGlobalBlocks.h"
#include "TUtf8.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <string_view>
#include <vector>

using namespace bx::clipstore;
using namespace bx::clipstore::testing;
using namespace bx::platform;

namespace {

class ClipObjTest : public ClipFixture {};

HGLOBAL Block(const Bytes& b) {
    return GlobalMemory::FromBytes(b.data(), b.size());
}

std::string Clean(const Bytes& b) {
    const HGLOBAL h = Block(b);
    std::string s = TClipObj::CleanTitle(h);
    GlobalFree(h);
    return s;
}

TEST_F(ClipObjTest, CleanTitleFoldsControlsAndRunsAndStopsAtSixtyCharacters) {
    EXPECT_EQ(TClipObj::CleanTitle(0), "");
    EXPECT_EQ(Clean({}), "");
    EXPECT_EQ(Clean(TextBytes("")), "");
    EXPECT_EQ(Clean(TextBytes("  one  \r\ntwo  ")), " one two ");
    EXPECT_EQ(Clean(TextBytes("a\tb")), "a b");
    EXPECT_EQ(Clean(TextBytes(std::string(200, 'x'))), std::string(60, 'x'));
    // Without a terminator the block's end stops the scan.
    EXPECT_EQ(Clean(Bytes{'a', 'b', 'c'}), "abc");
    // A character of several bytes counts once and is never split.
    const std::string e = "\xC3\xA9"; // é
    std::string many;
    for (int i = 0; i < 70; ++i)
        many += e;
    EXPECT_EQ(Clean(TextBytes(many)), many.substr(0, 120));
    EXPECT_EQ(Clean(TextBytes("x" + many)), "x" + many.substr(0, 118));
    // Bytes that are not UTF-8 are Windows-1252 text.
    EXPECT_EQ(Clean(TextBytes("caf\xE9")), "caf\xC3\xA9");
}

TEST_F(ClipObjTest, SetTitleKeepsSixtyCharactersAndMarksTheCollection) {
    TestColl coll(root + "a/");
    TClipObj clip(context, 1, "GEDIT");
    EXPECT_EQ(clip.Title, "X");
    clip.Coll = &coll;
    clip.Dirty = false;
    clip.SetTitle(std::string(100, 'q'));
    EXPECT_EQ(clip.Title, std::string(60, 'q'));
    EXPECT_TRUE(clip.Dirty);
    EXPECT_TRUE(coll.Dirty);
    std::string wide;
    for (int i = 0; i < 61; ++i)
        wide += "\xE2\x82\xAC"; // €
    clip.SetTitle(wide);
    EXPECT_EQ(clip.Title, wide.substr(0, 180));
}

TEST_F(ClipObjTest, SetCollMarksDirtyExceptWhileStartingUp) {
    TestColl coll(root + "a/");
    TClipObj clip(context, 1, "X");
    context.StartingUp = true;
    clip.Dirty = false;
    clip.SetColl(&coll);
    EXPECT_FALSE(clip.Dirty);
    EXPECT_EQ(clip.Coll, &coll);
    context.StartingUp = false;
    clip.SetColl(&coll);
    EXPECT_TRUE(clip.Dirty);
    EXPECT_TRUE(coll.Dirty);
}

TEST_F(ClipObjTest, GetTitleComesFromTheTextOrNamesTheKindWithTheTime) {
    TClipObj clip(context, 1, "X");
    clip.Online = true;
    clip.TimeStamp = EncodeDateTime({2026, 3, 4, 5, 6, 7, 0});
    EXPECT_EQ(clip.GetTitle(), "Other:2026-03-04 05:06:07");
    AddBlock(clip, CF_HDROP, "HDROP", Bytes(24, 0));
    EXPECT_EQ(clip.GetTitle(), "Other:2026-03-04 05:06:07");
    clip.TimeStamp = EncodeDateTime({2026, 3, 4, 0, 0, 0, 0});
    EXPECT_EQ(clip.STimeStamp(), "2026-03-04");
    for (const double damaged : {std::nan(""), 1e300, -1e9}) {
        clip.TimeStamp = damaged;
        EXPECT_EQ(clip.STimeStamp(), "Invalid Date");
    }

    TClipObj pic(context, 2, "X");
    pic.Online = true;
    pic.TimeStamp = EncodeDateTime({2026, 3, 4, 5, 6, 7, 0});
    auto d = std::make_unique<TClipData>(TClipData::TypeBitmap);
    d->FormatNum = CF_BITMAP;
    pic.Formats->push_back(std::move(d));
    pic.SetIcon(CF_BITMAP);
    EXPECT_EQ(pic.GetTitle(), "Graphic:2026-03-04 05:06:07");

    TClipObj text(context, 3, "X");
    AddBlock(text, CF_TEXT, "TEXT", TextBytes("  Hello\r\nWorld"));
    EXPECT_EQ(text.GetTitle(), " Hello World");
}

TEST_F(ClipObjTest, TypeBitsAndIcons) {
    const TClipContext& st = context;
    struct Case {
        std::vector<UINT> formats;
        std::int32_t bits;
        int icon;
    };
    const std::vector<Case> cases = {
        {{}, 0, 5},
        {{CF_TEXT}, 1, 0},
        {{CF_BITMAP}, 2, 2},
        {{CF_METAFILEPICT}, 4, 3},
        {{st.RtfFormat, CF_TEXT}, 9, 1},
        {{CF_HDROP, CF_TEXT, st.HtmlFormat}, 193, 6},
        {{st.HtmlFormat, st.RtfFormat}, 136, 7},
        {{CF_UNICODETEXT, 0xC123}, 0, 5},
    };
    for (const Case& c : cases) {
        TClipObj clip(context, 1, "X");
        for (UINT f : c.formats)
            clip.SetIcon(f);
        EXPECT_EQ(clip.IconBits, c.bits);
        EXPECT_EQ(clip.IconIndex(), c.icon);
        for (UINT f : c.formats) {
            if (f == CF_TEXT || f == CF_BITMAP || f == CF_METAFILEPICT || f == CF_HDROP) {
                EXPECT_TRUE(clip.HasIcon(f));
            }
        }
    }
    TClipObj clip(context, 1, "X");
    clip.IconBits = 64;
    EXPECT_FALSE(clip.HasIcon(CF_UNICODETEXT));
    clip.IconBits = 8;
    EXPECT_TRUE(clip.HasIcon(CF_UNICODETEXT)); // 9999 holds the bits 1, 2, 4 and 8
}

TEST_F(ClipObjTest, HasFormatAnswersFromTheTypeBitsWithoutLoading) {
    TestColl coll(root + "a/");
    TClipObj clip(context, 7, "X");
    clip.Coll = &coll;
    clip.DataInFile = true; // its data file does not exist: loading would raise
    clip.Formats.reset();
    clip.IconBits = 64;
    int index = 5;
    EXPECT_FALSE(clip.HasFormat(0xC100, index));
    EXPECT_EQ(index, -1);
    EXPECT_FALSE(clip.HasFormat(CF_TEXT));
    clip.IconBits = 0; // a clip without type bits is searched
    EXPECT_THROW(clip.HasFormat(0xC100), EMyStreamError);
}

TEST_F(ClipObjTest, IndexedAccessPastTheEnd) {
    TClipObj clip(context, 1, "X");
    AddBlock(clip, CF_TEXT, "TEXT", TextBytes("abc"));
    EXPECT_EQ(clip.GetDataSize(0), 4);
    EXPECT_EQ(clip.GetFormatNum(0), 1);
    EXPECT_EQ(clip.GetFormatName(0), "TEXT");
    EXPECT_EQ(clip.GetDataSize(1), -1);
    EXPECT_EQ(clip.GetFormatNum(1), -1);
    EXPECT_EQ(clip.GetDataSize(-1), -1);
    EXPECT_EQ(clip.GetFormatName(1), "");
    EXPECT_FALSE(clip.GetPasteable(1));
    clip.SetPasteable(1, false);
    clip.SetPasteable(0, false);
    EXPECT_FALSE(clip.GetPasteable(0));
    EXPECT_EQ(clip.FormatCount(), 1);
}

TEST_F(ClipObjTest, LockHoldsOneBlockAndReleasesAStaleLock) {
    TClipObj clip(context, 1, "X");
    clip.Title = "T";
    AddBlock(clip, CF_TEXT, "TEXT", TextBytes("abc"));
    AddBlock(clip, CF_UNICODETEXT, "UNICODTEXT", Bytes{'a', 0, 0, 0});
    EXPECT_EQ(clip.Lock(CF_TEXT), 4u);
    ASSERT_NE(clip.LockedData, nullptr);
    EXPECT_EQ(clip.LockedData[0], 'a');
    EXPECT_EQ(clip.Lock(CF_UNICODETEXT), 4u);
    EXPECT_EQ(log.Count("SYSTEM", "Item:[T] is Already Locked!13"), 1);
    EXPECT_EQ(log.Count("SYSTEM", "Item:[T] Emergency Unlock Successful13"), 1);
    EXPECT_EQ(clip.LockedFormat, CF_UNICODETEXT);
    clip.Unlock();
    EXPECT_EQ(clip.LockedFormat, 0);
    clip.Unlock();
    EXPECT_EQ(log.Count("SYSTEM", "Error Unlocking - Item:[T] is NOT Locked!"), 1);
    EXPECT_EQ(clip.Lock(CF_HDROP), 0u);
    EXPECT_EQ(clip.LockedFormat, 0);
}

TEST_F(ClipObjTest, WithoutAMasterListDataOperationsExitEarly) {
    TClipObj clip(context, 1, "X");
    AddBlock(clip, CF_TEXT, "TEXT", TextBytes("abc"));
    context.MasterListExists = false;
    EXPECT_EQ(clip.Lock(CF_TEXT), 0u);
    EXPECT_EQ(log.Count("SYSTEM", "TClipObj.lock - Early Exit, as MasterList is NIL"), 1);
    clip.Unlock();
    EXPECT_EQ(log.Count("SYSTEM", "TClipObj.Unlock - Early Exit, as MasterList is NIL"), 1);
    TByteReader junk(Bytes{1, 2, 3});
    EXPECT_TRUE(clip.LoadFromStream(junk));
    EXPECT_EQ(junk.Position(), 0u);
    EXPECT_TRUE(clip.ReadClipData(nullptr));
    clip.Load();
    clip.UnLoad();
    EXPECT_TRUE(clip.Online);
}

TEST_F(ClipObjTest, FindInTitleAndBodyIgnoreCaseOfAToZOnly) {
    TClipObj clip(context, 1, "X");
    clip.Title = "Hello World \xC3\xA9t\xC3\xA9";
    AddBlock(clip, CF_TEXT, "TEXT", TextBytes("The Quick brown fox \xC3\x89T\xC3\x89"));
    EXPECT_TRUE(clip.FindInTitle("wORLD"));
    EXPECT_FALSE(clip.FindInTitle(""));
    EXPECT_FALSE(clip.FindInTitle("\xC3\x89T\xC3\x89")); // É is not é
    EXPECT_TRUE(clip.FindInTitle("\xC3\xA9t\xC3\xA9"));
    EXPECT_TRUE(clip.FindInbody("QUICK BROWN"));
    EXPECT_FALSE(clip.FindInbody(""));
    EXPECT_FALSE(clip.FindInbody("\xC3\xA9t\xC3\xA9"));
    EXPECT_TRUE(clip.FindInbody("\xC3\x89t\xC3\x89"));
    EXPECT_EQ(clip.LockedFormat, 0);
    TClipObj none(context, 2, "X");
    none.Online = true;
    EXPECT_FALSE(none.FindInbody("a"));
}

TEST_F(ClipObjTest, FindInbodyFindsTheTextWhereverItStandsAndOnlyBeforeTheZeroByte) {
    struct Case {
        std::string body;
        std::string text;
        bool found;
    };
    const Case cases[] = {
        {"needle at the start", "NEEDLE", true},
        {"at the end a nEeDlE", "needle", true},
        {"aaab", "AAB", true},        // a partial match just before the real one
        {"abcabd", "ABD", true},      // the skip must not jump past a match
        {"needl", "needle", false},   // longer than the text
        {"xneedlx", "needle", false}, // cut short at the end
        {"a-b_c", "A-B_C", true},     // other bytes compare exactly
        {"a-b_c", "A-B-C", false},
        {std::string("before\0needle", 13), "needle", false}, // behind the zero byte
    };
    for (const Case& c : cases) {
        TClipObj clip(context, 1, "X");
        AddBlock(clip, CF_TEXT, "TEXT", TextBytes(c.body));
        EXPECT_EQ(clip.FindInbody(c.text), c.found) << c.body << " / " << c.text;
    }
}

// The fast search (the needle's rarest byte first, Horspool where that byte is common) against the
// plain definition, on texts where the rare byte is scarce, thick, at the edges and non-ASCII.
TEST_F(ClipObjTest, HoldsUpperAsciiAgreesWithUpperCasingAndFinding) {
    std::uint32_t x = 7;
    const auto pick = [&](std::string_view from) {
        x = x * 1103515245u + 12345u;
        return from[(x >> 16) % from.size()];
    };
    const std::vector<std::string_view> alphabets = {"abQq ", "eEtTaA zZ", "xX\xC3\xA9\xC3\x89-", "qqqqqqqqqQQa"};
    const std::vector<std::string> needles = {"Q", "QA", "ZE", "AQ", "QQQA", "\xC3\xA9X", "E ZZ", "A-Q", "TE"};
    int found = 0;
    for (int round = 0; round < 400; ++round) {
        const std::string_view alphabet = alphabets[static_cast<std::size_t>(round) % alphabets.size()];
        std::string text;
        const std::size_t length = static_cast<std::size_t>(round) * 3 % 700;
        for (std::size_t i = 0; i < length; ++i)
            text += pick(alphabet);
        for (const std::string& needle : needles) {
            const bool expected = TUtf8::UpperAscii(text).find(needle) != std::string::npos;
            ASSERT_EQ(TClipObj::HoldsUpperAscii(text, needle), expected) << text << " / " << needle;
            found += expected ? 1 : 0;
        }
    }
    EXPECT_GT(found, 500);
    EXPECT_LT(found, 3000);
}

TEST_F(ClipObjTest, UnLoadDropsOnlyASavedClipWithADataFile) {
    TestColl coll(root + "a/");
    TClipObj clip(context, 4, "X");
    clip.Coll = &coll;
    AddBlock(clip, CF_TEXT, "TEXT", TextBytes("abc"));
    clip.UnLoad(); // dirty
    EXPECT_TRUE(clip.Online);
    clip.Dirty = false;
    clip.UnLoad(); // inline
    EXPECT_TRUE(clip.Online);
    clip.DataInFile = true;
    clip.UnLoad();
    EXPECT_FALSE(clip.Online);
    EXPECT_FALSE(clip.Formats.has_value());
    EXPECT_EQ(log.Count("SYSTEM", "UNLOADED Item: 4"), 1);
}

TEST_F(ClipObjTest, AuditFindsAMissingDataFileAndBadFormats) {
    TestColl coll(root + "a/");
    TClipObj clip(context, 9, "X");
    clip.Coll = &coll;
    AddBlock(clip, CF_TEXT, "TEXT", TextBytes("abc"));
    EXPECT_TRUE(clip.Audit());
    clip.DataInFile = true;
    EXPECT_FALSE(clip.Audit());
    EXPECT_EQ(log.Count("TClipObj.Audit", "Audit Failed: Missing File:" + root + "a/D9.DAT"), 1);
    PutFile(root + "a/d9.dat", {});
    EXPECT_TRUE(clip.Audit());
    (*clip.Formats)[0]->FormatNum = 0;
    auto bad = std::make_unique<TClipData>(4);
    bad->FormatNum = 1;
    clip.Formats->push_back(std::move(bad));
    EXPECT_FALSE(clip.Audit());
    EXPECT_EQ(log.Count("TClipObj.Audit", "Audit Failed: Bad Format:0"), 1);
    EXPECT_EQ(log.Count("TClipObj.Audit", "Audit Failed: Bad Format_Type:4"), 1);
}

TEST_F(ClipObjTest, CloneCopiesMetadataAndTheTextOfAnInlineClip) {
    const TClipContext& st = context;
    TClipObj source(context, 3, "GEDIT");
    source.Title = "Source";
    source.Reserved = 77;
    source.SortKey = 500;
    source.SourceURL = "http://x";
    AddBlock(source, CF_TEXT, "TEXT", TextBytes("body"));
    source.SetIcon(CF_HDROP);
    source.SetIcon(st.HtmlFormat);
    source.SetIcon(st.RtfFormat);
    TClipObj clone(context, 8, "Mover");
    clone.SortKey = 800;
    clone.CloneClipObj(source);
    EXPECT_EQ(clone.Title, "Source");
    EXPECT_EQ(clone.Creator, "GEDIT");
    EXPECT_EQ(clone.Reserved, 77);
    EXPECT_EQ(clone.SerialNbr, 8);
    EXPECT_EQ(clone.SortKey, 800);
    EXPECT_EQ(clone.SourceURL, "");
    EXPECT_EQ(clone.IconBits, 1 | 8);
    ASSERT_EQ(clone.Formats->size(), 1u);
    EXPECT_EQ(TGlobalBlocks::TextOfHandle(clone.GetHandle(CF_TEXT)), "body");
    EXPECT_TRUE(clone.Dirty);

    TClipObj filed(context, 4, "X");
    filed.DataInFile = true;
    filed.StoredFormatCount = 3;
    filed.Formats.reset();
    filed.IconBits = 2;
    TClipObj clone2(context, 9, "Mover");
    clone2.CloneClipObj(filed);
    EXPECT_TRUE(clone2.DataInFile);
    EXPECT_FALSE(clone2.Dirty);
    EXPECT_EQ(clone2.StoredFormatCount, 3);
    EXPECT_EQ(clone2.IconBits, 2);
}

} // namespace
