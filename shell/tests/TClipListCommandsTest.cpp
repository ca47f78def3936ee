// The clip list's commands on a running program with its data on disk: deleting to the Trash Can, the
// new empty clip, reordering by a drop on the list, locating and opening addresses.
#include "TClipListCommands.h"
#include "CoreTestFixture.h"
#include "TClipListModel.h"
#include "TClipListSelection.h"
#include "TDirFiles.h"

#include <filesystem>

namespace bx::shell {
namespace {

using clipstore::TClipColl;
using clipstore::TClipObj;
using clipstore::TDirFiles;
using platform::MsgResult;

class ClipListCommandsTest : public coretest::CoreFixture {
protected:
    void StartWithCommands() {
        Start();
        selection = std::make_unique<TClipListSelection>(*core, desk);
        commands = std::make_unique<TClipListCommands>(*core, *selection, desk.Shell());
        coll = Coll("Short-Term");
        ASSERT_NE(coll, nullptr);
    }
    void TearDown() override {
        commands.reset();
        selection.reset();
        CoreFixture::TearDown();
    }
    TClipObj* AddText(const std::string& text, std::int32_t sortKey = 0) {
        auto clip = std::make_unique<TClipObj>(coll->Context(), coll->GetNextSerialNum(), "editor");
        clip->SortKey = sortKey != 0 ? sortKey : coll->GetNextClipSortKey();
        clip->SetColl(coll);
        clip->PutText(text, 0);
        clip->SetTitle(text.substr(0, 20));
        TClipObj* raw = clip.get();
        coll->MyAddObject(raw->Title, std::move(clip));
        return raw;
    }
    // Five clips (a long one among them, with a data file), shown and saved.
    void ShowFive() {
        for (int n = 0; n < 5; ++n)
            AddText(n == 3 ? "clip 3" + std::string(3000, 'x') : "clip " + std::to_string(n));
        core->SaveAllClips();
        Show(coll);
        ASSERT_EQ(core->ClipList().Count(), 5u);
    }
    void Show(TClipColl* c) { core->Tree().Select(core->Tree().GetTreeNodeOfColl(c)); }
    void SelectRows(const std::vector<std::size_t>& rows) { core->ClipList().SetSelection(rows, -1); }
    std::vector<std::string> Titles() const {
        std::vector<std::string> titles;
        for (std::size_t r = 0; r < core->ClipList().Count(); ++r)
            titles.push_back(core->ClipList().Clip(r)->Title);
        return titles;
    }
    std::vector<std::size_t> SelectedRows() const {
        std::vector<std::size_t> rows;
        for (std::size_t r = 0; r < core->ClipList().Count(); ++r)
            if (core->ClipList().IsSelected(r))
                rows.push_back(r);
        return rows;
    }
    std::string LastBox() const { return boxes.Boxes().empty() ? std::string() : boxes.Boxes().back().text; }
    TClipColl* Trash() const { return core->MasterList()->TrashCan; }

    std::unique_ptr<TClipListSelection> selection;
    std::unique_ptr<TClipListCommands> commands;
    TClipColl* coll = nullptr;
};

TEST_F(ClipListCommandsTest, DeletedClipsGoToTheTrashCanWithTheirFilesAndTheRowAtTheirPlaceIsSelected) {
    StartWithCommands();
    ShowFive();
    TClipObj* inFile = core->ClipList().Clip(1);
    ASSERT_TRUE(inFile->DataInFile);
    const std::int32_t oldSerial = inFile->SerialNbr;
    const std::string below = core->ClipList().Clip(3)->Title;
    selection->Pinned = true;
    SelectRows({1, 2});

    EXPECT_EQ(commands->DeleteSelected(), 2);
    EXPECT_NE(std::find(view.Statuses.begin(), view.Statuses.end(), "2 Items Deleted."), view.Statuses.end());
    EXPECT_FALSE(selection->Pinned);
    EXPECT_EQ(core->ClipList().Count(), 3u);
    EXPECT_EQ(SelectedRows(), (std::vector<std::size_t>{1}));
    EXPECT_EQ(core->ClipList().Clip(1)->Title, below);
    EXPECT_EQ(ClipboardText(), below) << "the newly selected clip is on the clipboard";
    ASSERT_EQ(Trash()->Count(), 2u);
    EXPECT_EQ(inFile->Coll, Trash());
    EXPECT_TRUE(TDirFiles::Exists(Trash()->GetPath(), TClipObj::DataFileName(inFile->SerialNbr)));
    EXPECT_FALSE(TDirFiles::Exists(coll->GetPath(), TClipObj::DataFileName(oldSerial)));
    EXPECT_FALSE(coll->Dirty) << "the collection is written at once";
}

TEST_F(ClipListCommandsTest, DeletingTheLastRowsSelectsRowZeroAndDeletingEveryRowEmptiesTheClipboard) {
    StartWithCommands();
    ShowFive();
    const std::string top = core->ClipList().Clip(0)->Title;
    SelectRows({3, 4});
    EXPECT_EQ(commands->DeleteSelected(), 2);
    EXPECT_EQ(SelectedRows(), (std::vector<std::size_t>{0}));
    EXPECT_EQ(ClipboardText(), top);

    core->ClipList().SelectAll();
    EXPECT_EQ(commands->DeleteSelected(), 3);
    EXPECT_EQ(core->ClipList().Count(), 0u);
    EXPECT_EQ(ClipboardText(), "");
    EXPECT_EQ(Trash()->Count(), 5u);
}

TEST_F(ClipListCommandsTest, DeletingIsRefusedOrAskedFirstWhereItMustBe) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        std::vector<MsgResult> answers;
        std::string box;
        int deleted;
    };
    const std::vector<Case> cases = {
        {"Flashpick", [this] { core->SetFlashpickActive(true); }, {}, TClipListCommands::FlashpickText, 0},
        {"read only", [this] { coll->ReadOnly = true; }, {}, TClipListCommands::CannotDeleteText, 0},
        {"search results",
         [this] { Show(core->MasterList()->SearchResults); },
         {},
         TClipListCommands::CannotDeleteText,
         0},
        {"trash can", [this] { Show(core->MasterList()->TrashCan); }, {}, TClipListCommands::CannotDeleteText, 0},
        {"safe, cancelled",
         [this] {
             coll->Retention = TClipColl::KeepAll;
             settings->ConfirmDeleteFromSafe = true;
         },
         {MsgResult::Cancel},
         TClipListCommands::SafeText,
         0},
        {"safe, confirmed",
         [this] {
             coll->Retention = TClipColl::KeepAll;
             settings->ConfirmDeleteFromSafe = true;
         },
         {MsgResult::Ok},
         TClipListCommands::SafeText,
         1},
        {"safe, not asked",
         [this] {
             coll->Retention = TClipColl::KeepAll;
             settings->ConfirmDeleteFromSafe = false;
         },
         {},
         "",
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StartWithCommands();
        AddText("one");
        Show(coll);
        // A clip of the trash can, for the case that shows it.
        SelectRows({0});
        commands->DeleteSelected();
        AddText("two");
        Show(coll);
        SelectRows({0});
        const std::size_t boxesBefore = boxes.Boxes().size();
        c.arrange();
        if (core->ClipList().Count() > 0)
            SelectRows({0});
        for (const MsgResult answer : c.answers)
            boxes.Answer(answer);
        EXPECT_EQ(commands->DeleteSelected(), c.deleted);
        EXPECT_EQ(boxes.Boxes().size() > boxesBefore ? LastBox() : std::string(), c.box);
        EXPECT_EQ(Trash()->Count(), 1u + static_cast<std::size_t>(c.deleted));
        TearDown();
        SetUp();
    }
}

TEST_F(ClipListCommandsTest, NothingSelectedSaysSoAndDeletingEmptiesTheSearchResults) {
    StartWithCommands();
    ShowFive();
    core->MasterList()->SearchResults->AddReference("ref", coll->Clip(0));
    core->ClipList().ClearSelection();
    EXPECT_EQ(commands->DeleteSelected(), 0);
    EXPECT_EQ(core->StatusText(), TClipListCommands::NothingText);
    EXPECT_EQ(core->MasterList()->SearchResults->Count(), 0u);
    EXPECT_EQ(Trash()->Count(), 0u);
}

TEST_F(ClipListCommandsTest, DroppedRowsTakeSortKeysBetweenTheTargetAndTheRowAbove) {
    struct Case {
        const char* name;
        bool ascending;
        std::vector<std::int32_t> keys;   // in list order
        std::vector<std::size_t> dragged; // selected rows
        int target;
        std::vector<std::int32_t> after; // the keys in list order afterwards
        std::int32_t lastKey = 0;        // the collection's last sort key given out
    };
    // Descending 1000 and 700 around the target: a gap of 300 shared in thirds.
    const std::vector<Case> cases = {
        {"descending", false, {1000, 700, 500, 300}, {2, 3}, 1, {1000, 900, 800, 700}},
        {"ascending", true, {100, 400, 500, 600}, {2, 3}, 1, {100, 200, 300, 400}},
        // The collection's next key, 2000, is the bound above the top row.
        {"top of a descending list", false, {1000, 700, 500}, {1, 2}, 0, {1667, 1334, 1000}, 1900},
        {"top of an ascending list", true, {300, 700, 900}, {1, 2}, 0, {100, 200, 300}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StartWithCommands();
        for (const std::int32_t key : c.keys)
            AddText("key " + std::to_string(key), key);
        Show(coll);
        core->ClipList().Sort(TClipListModel::ColMySort, c.ascending);
        SelectRows(c.dragged);
        coll->LastClipSortKey = c.lastKey;
        EXPECT_TRUE(commands->DropOnRow(c.target));
        std::vector<std::int32_t> keys;
        for (std::size_t r = 0; r < core->ClipList().Count(); ++r)
            keys.push_back(core->ClipList().Clip(r)->SortKey);
        EXPECT_EQ(keys, c.after);
        EXPECT_EQ(SelectedRows(), (std::vector<std::size_t>{static_cast<std::size_t>(c.target) + 1}))
            << "the last moved row is selected";
        EXPECT_EQ(core->StatusText(), "2 Clips Moved Within Collection.");
        EXPECT_TRUE(coll->Dirty);
        TearDown();
        SetUp();
    }
}

TEST_F(ClipListCommandsTest, DroppingOntoASelectedRowOrNoRowChangesNothing) {
    StartWithCommands();
    ShowFive();
    const std::vector<std::string> before = Titles();
    SelectRows({1, 2});
    for (const int target : {2, -1, 5}) {
        SCOPED_TRACE(target);
        EXPECT_FALSE(commands->DropOnRow(target));
        EXPECT_EQ(core->StatusText(), TClipListCommands::InvalidDropText);
        EXPECT_EQ(Titles(), before);
    }
}

TEST_F(ClipListCommandsTest, ANewClipIsEmptySelectedAndOnTheClipboardExceptInAReadOnlyCollection) {
    StartWithCommands();
    ShowFive();
    TClipObj* clip = commands->NewClip();
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(clip->Title, "Untitled");
    EXPECT_EQ(clip->Creator.str(), TClipListCommands::NewClipCreator);
    EXPECT_EQ(clip->Coll, coll);
    EXPECT_EQ(core->CurrentClip(), clip);
    EXPECT_EQ(core->ClipList().FirstSelected(), clip);
    EXPECT_EQ(core->ClipList().SelectedCount(), 1u);
    EXPECT_EQ(core->ClipList().Count(), 6u);
    EXPECT_EQ(ClipboardText(), "");

    coll->ReadOnly = true;
    EXPECT_EQ(commands->NewClip(), nullptr);
    EXPECT_EQ(LastBox(), TClipListCommands::ReadOnlyText);
    EXPECT_EQ(boxes.Boxes().back().caption, TClipListCommands::ReadOnlyCaption);
}

TEST_F(ClipListCommandsTest, OnlyWebMailAndFileAddressesAndExistingPathsAreOpened) {
    StartWithCommands();
    const struct {
        std::string url;
        bool opened;
    } cases[] = {
        {"https://example.org/page", true},
        {"HTTP://example.org", true},
        {"ftp://host/file", true},
        {"mailto:someone@example.org", true},
        {"file:///tmp/x", true},
        {root, true},
        {"/no/such/path/here", false},
        {"javascript:alert(1)", false},
        {"$(rm -rf ~)", false},
        {"https://", false},
        {"https://a\nb", false},
        {"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        const std::size_t before = desk.SimulatedShell().Requests().size();
        EXPECT_EQ(commands->OpenUrl(c.url), c.opened);
        ASSERT_EQ(desk.SimulatedShell().Requests().size(), before + (c.opened ? 1 : 0));
        if (c.opened) {
            EXPECT_EQ(desk.SimulatedShell().Requests().back(), (platform::sim::SimShell::Request{"open", c.url, ""}));
        }
    }
}

TEST_F(ClipListCommandsTest, TheSourceUrlAndTheCollectionOfTheCurrentClip) {
    StartWithCommands();
    commands->LocateLastClip();
    EXPECT_EQ(LastBox(), TClipListCommands::NotLocatedText);
    EXPECT_FALSE(commands->OpenSourceUrl());
    EXPECT_EQ(LastBox(), TClipListCommands::NoUrlText);

    TClipObj* clip = AddText("with address");
    clip->SourceURL = "https://example.org/a";
    core->SetCurrentClip(clip);
    commands->LocateLastClip();
    EXPECT_EQ(LastBox(), std::string(TClipListCommands::LocatedText) + "\r\nShort-Term");
    EXPECT_TRUE(commands->OpenSourceUrl());
    EXPECT_EQ(desk.SimulatedShell().Requests().back().target, "https://example.org/a");
}

} // namespace
} // namespace bx::shell
