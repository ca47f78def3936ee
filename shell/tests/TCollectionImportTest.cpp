// Importing the collections of an earlier installation: hand-made collection folders with the record
// versions 400, 503 and 510, copied into the first data source and loaded again.
#include "CoreTestFixture.h"
#include "ScriptedCollectionDialogs.h"
#include "TByteWriter.h"
#include "TCollectionCommands.h"

#include <fstream>

namespace bx::shell::coretest {
namespace {

namespace fs = std::filesystem;
using clipstore::TByteWriter;
using clipstore::TClipColl;
using platform::MsgResult;

// One clip record holding one text inline, in the layout of its version.
void WriteOldClip(TByteWriter& w, int version, std::int32_t serial, const std::string& text) {
    w.WriteString("CLIP." + std::to_string(version));
    w.WriteString(text);
    w.WriteString("GEDIT");
    w.WriteI32(1);           // IconBits: text
    w.WriteDouble(45000.25); // TimeStamp
    w.WriteI32(0);           // Reserved
    w.WriteI32(serial);
    if (version >= 503)
        w.WriteI32(serial * 100);
    w.WriteI32(1); // StoredFormatCount
    if (version >= 510)
        w.WriteString("");
    w.WriteBool(false); // DataInFile
    const int formatVersion = version >= 510 ? 510 : 500;
    w.WriteString("TCLIPDATA." + std::to_string(formatVersion));
    w.WriteU32(0);
    w.WriteString("CF_TEXT");
    w.WriteU16(platform::CF_TEXT);
    w.WriteI32(static_cast<std::int32_t>(text.size() + 1));
    if (formatVersion >= 510)
        w.WriteBool(true);
    w.WriteU32(static_cast<std::uint32_t>(text.size() + 1));
    w.WriteBytes(reinterpret_cast<const std::uint8_t*>(text.c_str()), text.size() + 1);
}

struct OldClip {
    int version;
    std::string text;
};

// A collection file of version 400 or 503 with its clips.
void WriteOldCollection(const std::string& dir, int version, const std::string& title, std::uint8_t retention,
                        const std::vector<OldClip>& clips) {
    TByteWriter w;
    w.WriteString("COLL." + std::to_string(version));
    if (version >= 401)
        w.WriteBool(true); // AcceptNewClips
    w.WriteI32(static_cast<std::int32_t>(clips.size()));
    w.WriteU8(retention);
    w.WriteU8(0); // Dirty
    w.WriteU8(0);
    w.WriteU8(0);
    if (version < 500)
        w.WriteU8(0);
    w.WriteI32(100);
    w.WriteI32(10);
    w.WriteI32(1);
    w.WriteString(title);
    if (version >= 500)
        w.WriteI32(25); // ImageIndex
    if (version >= 501)
        w.WriteI32(3000); // SortKey
    if (version >= 502)
        w.WriteBool(false);
    if (version >= 503)
        w.WriteI32(static_cast<std::int32_t>(clips.size()) * 100);
    w.WriteI32(static_cast<std::int32_t>(clips.size()));
    std::int32_t serial = 0;
    for (const OldClip& clip : clips)
        WriteOldClip(w, clip.version, ++serial, clip.text);
    fs::create_directories(dir);
    const auto bytes = w.Take();
    std::ofstream(dir + "/_COLL.BX4", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class CollectionImportTest : public CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        Start();
        commands = std::make_unique<TCollectionCommands>(*core, dialogs);
        old = root + "old data/";
        WriteOldCollection(old + "Short-Term", 400, "Short-Term", TClipColl::KeepAll, {{400, "four hundred"}});
        std::ofstream(old + "Short-Term/_COLL.BMP") << "icon";
        WriteOldCollection(old + "Work", 503, "Work Things", TClipColl::KeepMaxItems,
                           {{503, "five oh three"}, {510, "five ten"}});
        fs::create_directories(old + "Work/images");
        fs::create_directories(old + "Loose");
        fs::create_directories(old + "with.dot");
        boxes.Clear();
    }
    void TearDown() override {
        commands.reset();
        CoreFixture::TearDown();
    }

    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const auto& box : boxes.Boxes())
            texts.push_back(box.text.substr(0, box.text.find('\n')));
        return texts;
    }
    std::vector<std::string> ClipTitles(const TClipColl* coll) const {
        std::vector<std::string> titles;
        for (std::size_t i = 0; coll != nullptr && i < coll->Count(); ++i)
            titles.push_back(coll->Clip(i)->Title);
        return titles;
    }
    TClipColl* ByDir(const std::string& dirName) const {
        for (std::size_t i = 0; i < core->MasterList()->Count(); ++i)
            if (core->MasterList()->Item(i)->DirName == dirName)
                return core->MasterList()->Item(i);
        return nullptr;
    }

    ScriptedCollectionDialogs dialogs;
    std::unique_ptr<TCollectionCommands> commands;
    std::string old;
};

TEST_F(CollectionImportTest, AClashKeptGoesToAPrefixedDirectory) {
    dialogs.Folders.push_back(old);
    boxes.Answer(MsgResult::Ok);  // pick your old folder
    boxes.Answer(MsgResult::Ok);  // Loose holds no collection
    boxes.Answer(MsgResult::Yes); // import Short-Term
    boxes.Answer(MsgResult::No);  // keep the existing one
    commands->Import();

    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{
                              "In the next dialog box, please select your OLD data folder.  ",
                              "There are no valid Brindlex Collections In This Directory: [Loose].",
                              "Import This Collection: ",
                              "You already have a collection With This Name: Short-Term",
                              "You will have two collections with the same name: Short-Term",
                              "Import This Collection: ",
                              "Import Complete!",
                          }));
    EXPECT_EQ(dialogs.FolderStarts, std::vector<std::string>{"Select Your Old Data Folder||existing"});
    EXPECT_FALSE(fs::exists(dataDir + "4_Short-Term/_COLL.BMP"));
    EXPECT_FALSE(fs::exists(dataDir + "Work/images"));

    // Loaded again: the older versions read, the old icons replaced by the retention's.
    TClipColl* imported = ByDir("4_Short-Term");
    ASSERT_NE(imported, nullptr);
    EXPECT_EQ(imported->Title, "Short-Term");
    EXPECT_EQ(ClipTitles(imported), std::vector<std::string>{"four hundred"});
    EXPECT_EQ(imported->ImageIndex, 11);
    EXPECT_GE(imported->SortKey, 1000);
    EXPECT_EQ(ClipTitles(ByDir("Short-Term")), std::vector<std::string>{});
    TClipColl* work = ByDir("Work");
    ASSERT_NE(work, nullptr);
    EXPECT_EQ(work->Title, "Work Things");
    EXPECT_EQ(ClipTitles(work), (std::vector<std::string>{"five oh three", "five ten"}));
    EXPECT_EQ(view.Statuses.back(), "Import Complete.");

    // The next save writes them in the current version.
    commands->SaveAll();
    core->LoadData();
    EXPECT_EQ(ClipTitles(ByDir("Work")), (std::vector<std::string>{"five oh three", "five ten"}));
}

TEST_F(CollectionImportTest, AClashOverwrittenIsSavedEmptiedAndCopied) {
    TClipColl* longTerm = Coll("Long-Term");
    core->Tree().Select(core->Tree().GetTreeNodeOfColl(longTerm));
    CopyText(editor, "unsaved before the import");
    ASSERT_EQ(longTerm->Count(), 1u);
    std::ofstream(dataDir + "Short-Term/D77.DAT") << "old data file";

    dialogs.Folders.push_back(old);
    boxes.Answer(MsgResult::Ok);  // pick your old folder
    boxes.Answer(MsgResult::Ok);  // Loose
    boxes.Answer(MsgResult::Yes); // import Short-Term
    boxes.Answer(MsgResult::Yes); // overwrite
    boxes.Answer(MsgResult::No);  // not Work
    commands->Import();

    EXPECT_FALSE(fs::exists(dataDir + "Short-Term/D77.DAT"));
    EXPECT_FALSE(fs::exists(dataDir + "Work"));
    EXPECT_EQ(ClipTitles(ByDir("Short-Term")), std::vector<std::string>{"four hundred"});
    EXPECT_EQ(ClipTitles(Coll("Long-Term")), std::vector<std::string>{"unsaved before the import"});
}

TEST_F(CollectionImportTest, ACollectionDirectoryItselfFails) {
    dialogs.Folders.push_back(old + "Work");
    commands->Import();
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{
                              "In the next dialog box, please select your OLD data folder.  ",
                              "There are no valid Brindlex Collections In This Directory: [images].",
                              "Import Failed.",
                          }));
    EXPECT_EQ(
        boxes.Boxes().back().text.substr(0, 80),
        std::string("Import Failed.\nBrindlex was looking for collection folders WITHIN the folder that you chose, ")
            .substr(0, 80));
    EXPECT_EQ(view.Statuses.back(), "Import Failed.");
    EXPECT_EQ(ByDir("images"), nullptr);

    // A cancelled picker ends the command.
    boxes.Clear();
    commands->Import();
    EXPECT_EQ(boxes.Boxes().size(), 1u);
}

} // namespace
} // namespace bx::shell::coretest
