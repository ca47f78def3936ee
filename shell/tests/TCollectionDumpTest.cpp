#include "TCollectionDump.h"

#include "GlobalMemory.h"
#include "SimDesktop.h"
#include "TBitmap.h"
#include "TClipColl.h"
#include "TClipContext.h"
#include "TClipData.h"
#include "TClipObj.h"
#include "TestDib.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace bx::shell {
namespace {

using namespace clipstore;
using namespace platform;
namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

std::string Sha256(const Bytes& bytes) {
    return QCryptographicHash::hash(
               QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())),
               QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}

using testsupport::FileBytes;
using testsupport::PutFile;

// A packed DIB of one red pixel of 24 bits.
Bytes SmallDib() {
    return testsupport::PackedDib(1, 1, 24, {0, 0, 255, 0});
}

class CollectionDumpTest : public ::testing::Test {
protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        dir = (fs::temp_directory_path() / ("bx_dump_" + std::to_string(::getpid()) + "_" + std::to_string(counter++)))
                  .string() +
              "/";
        fs::remove_all(dir);
        context.MasterListExists = true;
        context.HtmlFormat = context.RegisterFormat("HTML Format");
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    static void AddBlock(TClipObj& clip, UINT format, const std::string& name, const Bytes& bytes) {
        auto d = std::make_unique<TClipData>(TClipData::TypeBlock);
        d->Handle = GlobalMemory::FromBytes(bytes.data(), bytes.size());
        d->DataSize = static_cast<std::int32_t>(bytes.size());
        d->FormatNum = static_cast<std::uint16_t>(format);
        d->FormatName = name;
        clip.Formats->push_back(std::move(d));
        clip.Online = true;
        clip.SetIcon(format);
    }

    TClipObj& NewClip(TClipColl& coll, const std::string& title) {
        auto clip = std::make_unique<TClipObj>(context, coll.GetNextSerialNum(), "editor");
        clip->SortKey = coll.GetNextClipSortKey();
        clip->SetColl(&coll);
        clip->SetTitle(title);
        TClipObj& ref = *clip;
        coll.MyAddObject(title, std::move(clip));
        return ref;
    }

    // Three clips: inline text, text and HTML in a data file, a bitmap.
    void WriteCollection() {
        TClipColl coll(context, true);
        coll.DirName = dir;
        coll.Title = "Inspected";
        coll.AddOrder = 0;
        coll.MaxItems = 7;
        AddBlock(NewClip(coll, "hello"), CF_TEXT, "CF_TEXT", text);
        TClipObj& web = NewClip(coll, "web");
        AddBlock(web, CF_TEXT, "CF_TEXT", Bytes{'w', 0});
        AddBlock(web, context.HtmlFormat, "HTML Format", html);
        web.SourceURL = "https://example.org/";
        TClipObj& pic = NewClip(coll, "picture");
        auto d = std::make_unique<TClipData>(TClipData::TypeBitmap);
        d->FormatNum = CF_BITMAP;
        d->FormatName = "CF_BITMAP";
        d->Bitmap = std::make_unique<TBitmap>();
        ASSERT_TRUE(d->Bitmap->LoadFromDib(SmallDib()));
        pic.Formats->push_back(std::move(d));
        pic.Online = true;
        pic.SetIcon(CF_BITMAP);
        ASSERT_TRUE(coll.SaveToFile(dir + TClipColl::FileName));
    }

    sim::SimDesktop desk;
    TClipContext context{desk.Clock(), desk.Clipboard()};
    std::string dir;
    const Bytes text{'h', 'e', 'l', 'l', 'o', 0};
    const Bytes html{'<', 'i', '>', 'x', '<', '/', 'i', '>'};
};

TEST_F(CollectionDumpTest, PrintsWhatWasStored) {
    WriteCollection();
    const auto r = TCollectionDump::Dump(dir.substr(0, dir.size() - 1));
    ASSERT_EQ(r.ExitCode, TCollectionDump::ExitOk) << r.Error;
    EXPECT_TRUE(r.Error.empty());

    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.Json), &parseError);
    ASSERT_EQ(parseError.error, QJsonParseError::NoError);
    const QJsonObject coll = doc.object()["collection"].toObject();
    EXPECT_EQ(coll["title"].toString(), "Inspected");
    EXPECT_EQ(coll["version"].toInt(), TClipColl::FileVersion);
    EXPECT_EQ(coll["file"].toString(), "_COLL.BX4");
    EXPECT_EQ(coll["directory"].toString().toStdString(), dir);
    EXPECT_EQ(coll["maxItems"].toInt(), 7);
    EXPECT_EQ(coll["addOrder"].toInt(), 0);
    EXPECT_EQ(coll["lastSerialNbr"].toInt(), 3);
    EXPECT_EQ(coll["clipCount"].toInt(), 3);
    EXPECT_EQ(coll["failedItems"].toInt(), 0);

    const QJsonArray clips = doc.object()["clips"].toArray();
    ASSERT_EQ(clips.size(), 3);
    const QJsonObject hello = clips[0].toObject();
    EXPECT_EQ(hello["title"].toString(), "hello");
    EXPECT_EQ(hello["serialNbr"].toInt(), 1);
    EXPECT_EQ(hello["sortKey"].toInt(), 100);
    EXPECT_FALSE(hello["dataInFile"].toBool());
    const QJsonObject helloText = hello["formats"].toArray()[0].toObject();
    EXPECT_EQ(helloText["number"].toInt(), 1);
    EXPECT_EQ(helloText["name"].toString(), "CF_TEXT");
    EXPECT_EQ(helloText["kind"].toString(), "block");
    EXPECT_EQ(helloText["size"].toInt(), 6);
    EXPECT_TRUE(helloText["pasteable"].toBool());
    EXPECT_EQ(helloText["sha256"].toString().toStdString(), Sha256(text));

    const QJsonObject web = clips[1].toObject();
    EXPECT_TRUE(web["dataInFile"].toBool());
    EXPECT_EQ(web["sourceURL"].toString(), "https://example.org/");
    const QJsonArray webFormats = web["formats"].toArray();
    ASSERT_EQ(webFormats.size(), 2);
    const QJsonObject webHtml = webFormats[1].toObject();
    EXPECT_EQ(webHtml["name"].toString(), "HTML Format");
    // Registered formats show the number they were stored with.
    EXPECT_EQ(webHtml["number"].toInt(), static_cast<int>(context.HtmlFormat));
    EXPECT_EQ(webHtml["sha256"].toString().toStdString(), Sha256(html));

    const QJsonObject pic = clips[2].toObject()["formats"].toArray()[0].toObject();
    EXPECT_EQ(pic["kind"].toString(), "bitmap");
    EXPECT_EQ(pic["file"].toString(), "I3.bmp");
    EXPECT_EQ(pic["sha256"].toString().toStdString(), Sha256(FileBytes(dir + "I3.bmp")));

    // Run writes the same JSON and nothing else.
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(TCollectionDump::Run({"dump", dir}, out, err), 0);
    EXPECT_EQ(out.str(), r.Json);
    EXPECT_EQ(err.str(), "");
}

TEST_F(CollectionDumpTest, FailuresGiveOneLineAndANonZeroStatus) {
    struct Case {
        const char* what;
        int exitCode;
        bool json;
    };
    const auto check = [&](const Case& c) {
        SCOPED_TRACE(c.what);
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(TCollectionDump::Run({"dump", dir}, out, err), c.exitCode);
        EXPECT_EQ(out.str().empty(), !c.json);
        const std::string line = err.str();
        ASSERT_FALSE(line.empty());
        EXPECT_EQ(line.find('\n'), line.size() - 1); // exactly one line
        EXPECT_EQ(line.rfind("brindlex dump: ", 0), 0u);
    };

    check({"no directory", TCollectionDump::ExitUnreadable, false});
    fs::create_directories(dir);
    check({"no collection file", TCollectionDump::ExitUnreadable, false});

    WriteCollection();
    const Bytes good = FileBytes(dir + TClipColl::FileName);
    PutFile(dir + TClipColl::FileName, Bytes(good.begin(), good.begin() + 12));
    check({"file ends in the header", TCollectionDump::ExitUnreadable, false});

    PutFile(dir + TClipColl::FileName, good);
    fs::remove(dir + "I3.bmp");
    check({"picture file missing", TCollectionDump::ExitDamaged, true});

    fs::remove(dir + "D2.DAT");
    const auto r = TCollectionDump::Dump(dir);
    EXPECT_EQ(r.ExitCode, TCollectionDump::ExitDamaged);
    const QJsonObject coll =
        QJsonDocument::fromJson(QByteArray::fromStdString(r.Json)).object()["collection"].toObject();
    EXPECT_EQ(coll["failedItems"].toInt(), 1);
    EXPECT_EQ(coll["clipCount"].toInt(), 2);

    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(TCollectionDump::Run({"dump"}, out, err), TCollectionDump::ExitUsage);
    EXPECT_EQ(err.str(), "usage: brindlex dump DIR\n");
}

} // namespace
} // namespace bx::shell
