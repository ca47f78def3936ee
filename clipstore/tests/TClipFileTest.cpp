// Clip records, format records, data files and picture files: round trips byte for byte, records of
// earlier versions, registered formats known by name, the errors of missing files and bad records,
// and moving a clip's files between collections.
#include "ClipTestFixture.h"

#include "EGraphicOpenError.h"
#include "EInvalidFormatType.h"
#include "EMyStreamError.h"
#include "TBitmap.h"
#include "TByteReader.h"
#include "TByteWriter.h"
#include "TDirFiles.h"
#include "TMetafile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

using namespace bx::clipstore;
using namespace bx::clipstore::testing;
using namespace bx::platform;

namespace {

namespace fs = std::filesystem;

class ClipFileTest : public ClipFixture {
protected:
    TestColl a{""};
    TestColl b{""};

    void SetUp() override {
        ClipFixture::SetUp();
        a = TestColl(root + "a/");
        b = TestColl(root + "b/");
    }

    std::unique_ptr<TClipObj> NewClip(std::int32_t serial) {
        auto clip = std::make_unique<TClipObj>(context, serial, "GEDIT");
        clip->Coll = &a;
        clip->Title = "Title of " + std::to_string(serial);
        clip->TimeStamp = 46000.25;
        clip->Reserved = -3;
        clip->SortKey = 1200;
        clip->SourceURL = "https://example.org/page";
        clip->Online = true;
        return clip;
    }

    static void AddPicture(TClipObj& clip, UINT format, const Bytes& bytes) {
        auto d = std::make_unique<TClipData>(format == CF_BITMAP ? TClipData::TypeBitmap : TClipData::TypeMetafile);
        d->FormatNum = static_cast<std::uint16_t>(format);
        d->FormatName = format == CF_BITMAP ? "BITMAP" : "METAFILEPICT";
        if (format == CF_BITMAP) {
            d->Bitmap = std::make_unique<TBitmap>();
            EXPECT_TRUE(d->Bitmap->LoadFromDib(bytes));
        } else {
            d->Metafile = std::make_unique<TMetafile>();
            EXPECT_TRUE(d->Metafile->LoadFromBytes(bytes));
        }
        clip.Formats->push_back(std::move(d));
        clip.SetIcon(format);
    }

    static Bytes Record(TClipObj& clip) {
        TByteWriter w;
        clip.SaveToStream(w);
        return w.Take();
    }

    // Reads a clip record as the collection does, and loads the data of a clip with a data file.
    std::unique_ptr<TClipObj> ReadBack(const Bytes& record, IClipCollection& coll, bool* result = nullptr) {
        auto clip = std::make_unique<TClipObj>(context, 0, "Stream");
        clip->Coll = &coll;
        TByteReader r(record);
        const bool ok = clip->LoadFromStream(r);
        if (result != nullptr)
            *result = ok;
        EXPECT_EQ(r.Remaining(), 0u);
        if (clip->DataInFile)
            clip->Load();
        return clip;
    }

    static void ExpectSameClip(TClipObj& x, TClipObj& y) {
        EXPECT_EQ(x.Title, y.Title);
        EXPECT_EQ(x.Creator, y.Creator);
        EXPECT_EQ(x.IconBits, y.IconBits);
        EXPECT_EQ(x.TimeStamp, y.TimeStamp);
        EXPECT_EQ(x.Reserved, y.Reserved);
        EXPECT_EQ(x.SerialNbr, y.SerialNbr);
        EXPECT_EQ(x.SortKey, y.SortKey);
        EXPECT_EQ(x.StoredFormatCount, y.StoredFormatCount);
        EXPECT_EQ(x.SourceURL, y.SourceURL);
        EXPECT_EQ(x.DataInFile, y.DataInFile);
        ASSERT_EQ(x.Formats->size(), y.Formats->size());
        for (std::size_t i = 0; i < x.Formats->size(); ++i) {
            const TClipData& p = *(*x.Formats)[i];
            const TClipData& q = *(*y.Formats)[i];
            EXPECT_EQ(p.Format_Type, q.Format_Type);
            EXPECT_EQ(p.FormatNum, q.FormatNum);
            EXPECT_EQ(p.FormatName, q.FormatName);
            EXPECT_EQ(p.DataSize, q.DataSize);
            EXPECT_EQ(p.Pasteable, q.Pasteable);
            EXPECT_EQ(BlockBytes(p.Handle), BlockBytes(q.Handle));
            if (p.Bitmap || q.Bitmap) {
                ASSERT_TRUE(p.Bitmap && q.Bitmap);
                EXPECT_EQ(p.Bitmap->SaveToDib(), q.Bitmap->SaveToDib());
            }
            if (p.Metafile || q.Metafile) {
                ASSERT_TRUE(p.Metafile && q.Metafile);
                EXPECT_EQ(p.Metafile->Bytes(), q.Metafile->Bytes());
            }
        }
    }
};

struct RoundTripCase {
    const char* name;
    bool inFile;
    std::function<void(TClipObj&, UINT privateFormat)> fill;
};

TEST_F(ClipFileTest, ClipsComeBackByteForByte) {
    const UINT privateFormat = desk.Clipboard().RegisterClipboardFormat("Brindlex Private Test");
    Bytes dropFiles;
    Put32(dropFiles, 20);
    Put32(dropFiles, 0);
    Put32(dropFiles, 0);
    Put32(dropFiles, 0);
    Put32(dropFiles, 0);
    for (const char* p : {"/home/u/a.txt", "/home/u/b c.png"})
        for (const char* c = p;; ++c) {
            dropFiles.push_back(static_cast<std::uint8_t>(*c));
            if (*c == 0)
                break;
        }
    dropFiles.push_back(0);

    const std::vector<RoundTripCase> cases = {
        {"text of 1024 bytes", false,
         [](TClipObj& c, UINT) { AddBlock(c, CF_TEXT, "TEXT", TextBytes(std::string(1023, 'a'))); }},
        {"text of 1025 bytes", true,
         [](TClipObj& c, UINT) { AddBlock(c, CF_TEXT, "TEXT", TextBytes(std::string(1024, 'b'))); }},
        {"text and a private format", true,
         [](TClipObj& c, UINT f) {
             AddBlock(c, CF_TEXT, "TEXT", TextBytes("hello"));
             AddBlock(c, f, "Brindlex Private Test", Bytes{0, 1, 2, 255, 0});
             (*c.Formats)[1]->Pasteable = false;
         }},
        {"bitmap", true, [](TClipObj& c, UINT) { AddPicture(c, CF_BITMAP, SmallDib()); }},
        {"enhanced metafile", true, [](TClipObj& c, UINT) { AddPicture(c, CF_METAFILEPICT, Emf()); }},
        {"placeable metafile", true, [](TClipObj& c, UINT) { AddPicture(c, CF_METAFILEPICT, PlaceableWmf()); }},
        {"file list", true, [&](TClipObj& c, UINT) { AddBlock(c, CF_HDROP, "HDROP", dropFiles); }},
        {"no formats", false, [](TClipObj&, UINT) {}},
    };
    std::int32_t serial = 10;
    for (const RoundTripCase& tc : cases) {
        SCOPED_TRACE(tc.name);
        auto clip = NewClip(++serial);
        tc.fill(*clip, privateFormat);
        const Bytes record = Record(*clip);
        EXPECT_EQ(clip->DataInFile, tc.inFile);
        EXPECT_FALSE(clip->Dirty);
        EXPECT_EQ(TDirFiles::Exists(root + "a/", TClipObj::DataFileName(serial)), tc.inFile);
        if (tc.inFile) {
            clip->UnLoad(); // as the collection does after writing it
            EXPECT_FALSE(clip->Online);
            clip->Load();
        }
        bool ok = false;
        auto back = ReadBack(record, a, &ok);
        EXPECT_EQ(ok, std::string(tc.name) != "no formats"); // no record read: the collection drops it
        ExpectSameClip(*clip, *back);

        // Written again from what was read, into another directory: the same bytes everywhere.
        back->Coll = &b;
        back->Dirty = true;
        EXPECT_EQ(Record(*back), record);
        for (const auto& entry : fs::directory_iterator(root + "a/")) {
            const std::string name = entry.path().filename().string();
            if (name.find(std::to_string(serial) + ".") == std::string::npos)
                continue;
            EXPECT_EQ(FileBytes(root + "b/" + name), FileBytes(entry.path().string())) << name;
        }
    }
}

TEST_F(ClipFileTest, TheFormatCountAndTheDataFileOnSaving) {
    auto clip = NewClip(5);
    AddBlock(*clip, CF_TEXT, "TEXT", TextBytes("x"));
    AddBlock(*clip, CF_OEMTEXT, "OEMTEXT", TextBytes("x"));
    AddBlock(*clip, CF_LOCALE, "LOCALE", Bytes{9, 4, 0, 0});
    clip->StoredFormatCount = 5;
    Record(*clip);
    EXPECT_EQ(clip->StoredFormatCount, 5);
    clip->Load();
    clip->StoredFormatCount = 2;
    clip->Dirty = true;
    Record(*clip);
    EXPECT_EQ(clip->StoredFormatCount, 3);

    // An unchanged clip whose data file exists leaves the file alone.
    PutFile(root + "a/D5.DAT", Bytes{'k', 'e', 'e', 'p'});
    clip->Load();
    EXPECT_TRUE(clip->Online);
    clip->Dirty = false;
    Record(*clip);
    EXPECT_EQ(FileBytes(root + "a/D5.DAT"), (Bytes{'k', 'e', 'e', 'p'}));

    // Once in a data file, always in a data file: a clip edited down to a small text keeps it.
    auto edited = NewClip(9);
    AddBlock(*edited, CF_TEXT, "TEXT", TextBytes(std::string(2000, 'e')));
    Record(*edited);
    EXPECT_TRUE(edited->DataInFile);
    edited->PutText("short", 0);
    EXPECT_FALSE(edited->NeedsDataFile());
    Record(*edited);
    EXPECT_TRUE(edited->DataInFile);
    edited->UnLoad();
    edited->Load();
    EXPECT_EQ(BlockBytes(edited->GetHandle(CF_TEXT)), (Bytes{'s', 'h', 'o', 'r', 't', 0, 0}));

    // An inline clip writes exactly its records, so the next record in the stream stays readable.
    auto text = NewClip(6);
    AddBlock(*text, CF_TEXT, "TEXT", TextBytes("small"));
    text->StoredFormatCount = 4;
    Bytes stream = Record(*text);
    EXPECT_EQ(text->StoredFormatCount, 1);
    auto next = NewClip(7);
    AddBlock(*next, CF_TEXT, "TEXT", TextBytes("next"));
    const Bytes second = Record(*next);
    stream.insert(stream.end(), second.begin(), second.end());
    TByteReader r(stream);
    TClipObj first(context, 0, "Stream"), following(context, 0, "Stream");
    first.Coll = following.Coll = &a;
    EXPECT_TRUE(first.LoadFromStream(r));
    EXPECT_TRUE(following.LoadFromStream(r));
    EXPECT_EQ(following.SerialNbr, 7);
}

TEST_F(ClipFileTest, APictureFileIsWrittenOnlyOnce) {
    auto clip = NewClip(8);
    AddPicture(*clip, CF_BITMAP, SmallDib());
    Record(*clip);
    const auto path = TDirFiles::Find(root + "a/", "I8.bmp");
    ASSERT_TRUE(path);
    const Bytes first = FileBytes(*path);
    fs::rename(*path, root + "a/I8.BMP"); // another system's spelling
    clip->Load();
    clip->Dirty = true;
    Record(*clip);
    EXPECT_FALSE(fs::exists(root + "a/I8.bmp"));
    EXPECT_EQ(FileBytes(root + "a/I8.BMP"), first);
    clip->Load();
    EXPECT_TRUE(clip->Online);
}

// Records of earlier versions, built field by field.
struct OldRecord {
    int version;
    std::string title;
    std::int32_t iconBits;
    std::int32_t sortKey;
    std::string creator = "GEDIT";
    Bytes formats; // inline format records
    std::int32_t count = 1;
};

Bytes BuildOld(const OldRecord& o) {
    TByteWriter w;
    if (o.version > 0)
        w.WriteString("CLIP." + std::to_string(o.version));
    w.WriteString(o.title);
    w.WriteString(o.creator);
    if (o.version >= 400)
        w.WriteI32(o.iconBits);
    w.WriteDouble(45000.5);
    w.WriteI32(0);
    w.WriteI32(31);
    if (o.version >= 503)
        w.WriteI32(o.sortKey);
    w.WriteI32(o.count);
    if (o.version >= 510)
        w.WriteString("");
    w.WriteBool(false);
    Bytes b = w.Take();
    b.insert(b.end(), o.formats.begin(), o.formats.end());
    return b;
}

Bytes FormatRecord(int version, std::uint32_t type, const std::string& name, std::uint16_t num, const Bytes& data,
                   bool pasteable = true) {
    TByteWriter w;
    w.WriteString(version > 0 ? "TCLIPDATA." + std::to_string(version) : "TCLIPDATA");
    w.WriteU32(type);
    w.WriteString(name);
    w.WriteU16(num);
    w.WriteI32(static_cast<std::int32_t>(data.size()));
    if (version >= 510)
        w.WriteBool(pasteable);
    if (type == 0) {
        w.WriteU32(static_cast<std::uint32_t>(data.size()));
        w.WriteBytes(data.data(), data.size());
    }
    return w.Take();
}

TEST_F(ClipFileTest, RecordsOfEarlierVersions) {
    const Bytes text = FormatRecord(500, 0, "TEXT", CF_TEXT, TextBytes("old text"));
    struct Case {
        OldRecord record;
        std::int32_t iconBits;
        std::int32_t sortKey;
    };
    const std::vector<Case> cases = {
        {{0, "A twelve chr", 0, 0, "GEDIT", text}, 1, 0},     // no header: the first string is the title
        {{400, "Four hundred", 0, 0, "GEDIT", text}, 1, 0},   // type bits worked out from the formats
        {{400, "Four hundred", 64, 0, "GEDIT", text}, 64, 0}, // type bits as stored
        {{500, "Five hundred", 0, 0, "GEDIT", text}, 0, 0},   // from 500 on a 0 stays 0
        {{503, "Five oh three", 1, 4200, "GEDIT", text}, 1, 4200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.record.title + " " + std::to_string(c.record.version));
        TClipObj clip(context, 0, "Stream");
        clip.Coll = &a;
        TByteReader r(BuildOld(c.record));
        EXPECT_TRUE(clip.LoadFromStream(r));
        EXPECT_EQ(r.Remaining(), 0u);
        EXPECT_EQ(clip.Title, c.record.title);
        EXPECT_EQ(clip.Creator, "GEDIT");
        EXPECT_EQ(clip.IconBits, c.iconBits);
        EXPECT_EQ(clip.SortKey, c.sortKey);
        EXPECT_EQ(clip.SerialNbr, 31);
        EXPECT_EQ(clip.SourceURL, "");
        EXPECT_FALSE(clip.Dirty);
        ASSERT_EQ(clip.Formats->size(), 1u);
        EXPECT_TRUE((*clip.Formats)[0]->Pasteable); // not stored before 510
        EXPECT_EQ(BlockBytes((*clip.Formats)[0]->Handle), TextBytes("old text"));
    }
}

TEST_F(ClipFileTest, AnOldBrowserClipTakesItsAddressFromItsHtml) {
    const UINT html = context.HtmlFormat;
    const std::string page = "Version:0.9\nStartHTML:0000000105\nSourceURL:http://old.example/a\r\n<html></html>";
    OldRecord o{503,        "Browser",
                0,          100,
                "iexplore", FormatRecord(503, 0, "HTML Format", static_cast<std::uint16_t>(html), TextBytes(page))};
    TClipObj clip(context, 0, "Stream");
    clip.Coll = &a;
    TByteReader r(BuildOld(o));
    EXPECT_TRUE(clip.LoadFromStream(r));
    EXPECT_EQ(clip.SourceURL, "http://old.example/a");
    EXPECT_TRUE(clip.Dirty);
}

TEST_F(ClipFileTest, StringsAreUtf8CutOnACharacterBoundaryAndOldBytesAreWindows1252) {
    std::string url;
    for (int i = 0; i < 150; ++i)
        url += "\xC3\xA9"; // 300 bytes
    auto clip = NewClip(30);
    clip->SourceURL = url;
    AddBlock(*clip, CF_TEXT, "TEXT", TextBytes("t"));
    auto back = ReadBack(Record(*clip), a);
    EXPECT_EQ(back->SourceURL, url.substr(0, 254));

    TClipObj old(context, 0, "Stream");
    old.Coll = &a;
    TByteReader r(BuildOld({503, "Caf\xE9 \x80 5", 1, 100,
                            "\x93"
                            "Editor\x94",
                            FormatRecord(503, 0, "TEXT", CF_TEXT, TextBytes("x"))}));
    EXPECT_TRUE(old.LoadFromStream(r));
    EXPECT_EQ(old.Title, "Caf\xC3\xA9 \xE2\x82\xAC 5");
    EXPECT_EQ(old.Creator, "\xE2\x80\x9C"
                           "Editor\xE2\x80\x9D");
}

TEST_F(ClipFileTest, RegisteredFormatsAreKnownByName) {
    const UINT current = desk.Clipboard().RegisterClipboardFormat("Some Editor Format");
    Bytes records = FormatRecord(510, 0, "Some Editor Format", 49160, Bytes{1, 2, 3});
    const Bytes plain = FormatRecord(510, 0, "UNICODTEXT", 13, Bytes{'a', 0, 0, 0}, false);
    records.insert(records.end(), plain.begin(), plain.end());
    OldRecord o{510, "Two formats", 0, 100, "GEDIT", records, 2};
    TClipObj clip(context, 0, "Stream");
    clip.Coll = &a;
    TByteReader r(BuildOld(o));
    EXPECT_TRUE(clip.LoadFromStream(r));
    ASSERT_EQ(clip.Formats->size(), 2u);
    EXPECT_NE(current, 49160u);
    EXPECT_EQ((*clip.Formats)[0]->FormatNum, current);
    EXPECT_EQ((*clip.Formats)[1]->FormatNum, 13);
    EXPECT_FALSE((*clip.Formats)[1]->Pasteable);
}

TEST_F(ClipFileTest, MissingFilesAndBadRecords) {
    // A data file that is not there.
    TClipObj lost(context, 40, "X");
    lost.Coll = &a;
    lost.Title = "Lost";
    lost.DataInFile = true;
    lost.Formats.reset();
    try {
        lost.Load();
        FAIL() << "no error";
    } catch (const EMyStreamError& e) {
        const std::string text = e.what();
        EXPECT_EQ(text.rfind("Error Opening File: " + root + "a/D40.DAT\nFor Data Titled: \"Lost\"\n", 0), 0u);
        EXPECT_NE(text.find("This Item Will Now Be Deleted"), std::string::npos);
    }
    fs::create_directories(root + "a/D40.DAT"); // not a file
    EXPECT_THROW(lost.Load(), EMyStreamError);

    // Neither online nor with a data file.
    TClipObj inline_(context, 41, "ED");
    try {
        inline_.GetHandle(CF_TEXT);
        FAIL() << "no error";
    } catch (const EMyStreamError& e) {
        EXPECT_EQ(std::string(e.what()), "Error Reading Data Stream From Disk: \n  Online:0\n  Creator: ED\n"
                                         "  SerialNbr: 41\n  Collection: Undefined");
    }
    // A picture file that is not there: on demand the error reaches the caller, in a collection
    // stream the clip fails.
    auto pic = NewClip(42);
    AddPicture(*pic, CF_BITMAP, SmallDib());
    const Bytes record = Record(*pic);
    fs::remove(*TDirFiles::Find(root + "a/", "I42.bmp"));
    pic->UnLoad();
    EXPECT_THROW(pic->Load(), EGraphicOpenError);
    Bytes inlineRecord = BuildOld({510, "Pic", 2, 0, "GEDIT", FormatRecord(510, 1, "BITMAP", CF_BITMAP, {})});
    TClipObj inlinePic(context, 0, "Stream");
    inlinePic.Coll = &a;
    TByteReader r(inlineRecord);
    EXPECT_FALSE(inlinePic.LoadFromStream(r));
    EXPECT_EQ(log.Count("ReadClipData Failed For Item:", "31[Pic]"), 1);

    // An invalid type: logged, the record fails, no payload read, the next record is read.
    Bytes two = FormatRecord(510, 7, "ODD", 99, {});
    const Bytes text = FormatRecord(510, 0, "TEXT", CF_TEXT, TextBytes("after"));
    two.insert(two.end(), text.begin(), text.end());
    TClipObj odd(context, 0, "Stream");
    odd.Coll = &a;
    TByteReader r2(BuildOld({510, "Odd", 1, 0, "GEDIT", two, 2}));
    EXPECT_TRUE(odd.LoadFromStream(r2)); // the last record counts
    EXPECT_EQ(odd.Formats->size(), 2u);
    EXPECT_TRUE(
        log.Has("Bad Format_Type Encountered During Load: 7\nFormat Num: 99 Format Name: \"ODD\"\nFor Item: 31"));

    // Writing an invalid type raises.
    auto bad = NewClip(43);
    AddBlock(*bad, CF_TEXT, "TEXT", TextBytes("t"));
    (*bad->Formats)[0]->Format_Type = 5;
    TByteWriter w;
    EXPECT_THROW(bad->SaveToStream(w), EInvalidFormatType);

    // A block length past the end of the stream is an error of the record, not an allocation.
    TByteWriter huge;
    huge.WriteString("TCLIPDATA.510");
    huge.WriteU32(0);
    huge.WriteString("TEXT");
    huge.WriteU16(1);
    huge.WriteI32(5);
    huge.WriteBool(true);
    huge.WriteU32(0xFFFFFFF0u);
    huge.WriteBytes(TextBytes("short").data(), 6);
    TClipObj cut(context, 0, "Stream");
    cut.Coll = &a;
    TByteReader r3(BuildOld({510, "Cut", 1, 0, "GEDIT", huge.Take(), 0x7FFFFFFF}));
    EXPECT_FALSE(cut.LoadFromStream(r3));
    EXPECT_TRUE(cut.Formats->empty());
}

TEST_F(ClipFileTest, RelocateFilesMovesAndCopiesWhateverTheCase) {
    const Bytes data{1, 2, 3}, bmp{4, 5}, emf{6}, wmf{7, 7};
    PutFile(root + "a/d5.dat", data);
    PutFile(root + "a/I5.BMP", bmp);
    PutFile(root + "a/i5.Emf", emf);
    PutFile(root + "a/I5.wmf", wmf);
    PutFile(root + "b/D9.dat", Bytes{0}); // an older file of the target's name
    EXPECT_FALSE(TClipObj::RelocateFiles(a, b, 5, 9, true));
    EXPECT_TRUE(fs::exists(root + "a/d5.dat"));
    EXPECT_EQ(FileBytes(root + "b/D9.dat"), data);
    EXPECT_EQ(FileBytes(root + "b/I9.bmp"), bmp);
    EXPECT_EQ(FileBytes(root + "b/I9.emf"), emf);
    EXPECT_EQ(FileBytes(root + "b/I9.wmf"), wmf);
    EXPECT_EQ(log.Count("RelocateFiles", "Moving File: " + root + "a/d5.dat To:" + root + "b/D9.DAT"), 1);

    EXPECT_TRUE(TClipObj::RelocateFiles(a, b, 5, 12, false));
    for (const char* gone : {"d5.dat", "I5.BMP", "i5.Emf", "I5.wmf"})
        EXPECT_FALSE(fs::exists(root + "a/" + gone)) << gone;
    EXPECT_EQ(FileBytes(root + "b/D12.DAT"), data);
    EXPECT_EQ(FileBytes(root + "b/I12.bmp"), bmp);
    EXPECT_FALSE(TClipObj::RelocateFiles(a, b, 5, 13, false)); // nothing left to move

    PutFile(root + "a/D6.DAT", data);
    EXPECT_TRUE(TClipObj::RelocateFiles(a, b, 6, 14, false));   // only a data file
    EXPECT_FALSE(TClipObj::RelocateFiles(b, b, 14, 14, false)); // onto itself: nothing happens
    EXPECT_EQ(FileBytes(root + "b/D14.DAT"), data);
}

TEST_F(ClipFileTest, AMovedClipReadsBackInItsNewCollection) {
    auto clip = NewClip(20);
    AddBlock(*clip, CF_TEXT, "TEXT", TextBytes("with a picture"));
    AddPicture(*clip, CF_BITMAP, SmallDib());
    AddPicture(*clip, CF_METAFILEPICT, PlaceableWmf());
    Record(*clip);
    clip->Load();
    ASSERT_TRUE(TClipObj::RelocateFiles(a, b, 20, 3, false));
    TClipObj moved(context, 3, "GEDIT");
    moved.Coll = &b;
    moved.DataInFile = true;
    moved.StoredFormatCount = 3;
    moved.Formats.reset();
    moved.Load();
    ASSERT_EQ(moved.Formats->size(), 3u);
    EXPECT_EQ(moved.GetObj(CF_BITMAP).Bitmap->SaveToDib(), SmallDib());
    EXPECT_EQ(moved.GetObj(CF_METAFILEPICT).Metafile->Bytes(), PlaceableWmf());
}

} // namespace
