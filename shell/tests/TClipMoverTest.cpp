// Moving and copying the selected clips to another collection, and moving them within their own
// collection's user order, on a running program with its data on disk.
#include "TClipMover.h"
#include "CoreTestFixture.h"
#include "ScriptedCollectionDialogs.h"
#include "TCaptureJournal.h"
#include "TCollectionCommands.h"
#include "TDirFiles.h"
#include "TPickMenu.h"

#include <cstring>

namespace bx::shell {
namespace {

using clipstore::TClipColl;
using clipstore::TClipObj;
using clipstore::TDirFiles;

class ClipMoverTest : public coretest::CoreFixture {
protected:
    void StartWithMover() {
        Start();
        mover = std::make_unique<TClipMover>(*core, desk.Keyboard());
        a = Coll("Short-Term");
        b = Coll("Long-Term");
        ASSERT_NE(a, nullptr);
        ASSERT_NE(b, nullptr);
    }
    void TearDown() override {
        mover.reset();
        CoreFixture::TearDown();
    }
    // A text long enough for a data file of its own.
    static std::string LongText(int n) { return "clip " + std::to_string(n) + std::string(3000, 'a' + n % 26); }
    TClipObj* AddText(TClipColl& coll, const std::string& text) {
        auto clip = std::make_unique<TClipObj>(coll.Context(), coll.GetNextSerialNum(), "editor");
        clip->SortKey = coll.GetNextClipSortKey();
        clip->SetColl(&coll);
        clip->PutText(text, 0);
        clip->SetTitle(text.substr(0, 20));
        TClipObj* raw = clip.get();
        coll.MyAddObject(raw->Title, std::move(clip));
        return raw;
    }
    static std::string TextOf(TClipObj& clip) {
        const std::size_t size = clip.Lock(platform::CF_TEXT);
        std::string text = clip.LockedData != nullptr
                               ? std::string(reinterpret_cast<const char*>(clip.LockedData),
                                             strnlen(reinterpret_cast<const char*>(clip.LockedData), size))
                               : std::string();
        clip.Unlock();
        return text;
    }
    static TClipObj* BySerial(const TClipColl& coll, std::int32_t serial) {
        for (std::size_t i = 0; i < coll.Count(); ++i)
            if (coll.Clip(i)->SerialNbr == serial)
                return coll.Clip(i);
        return nullptr;
    }
    void Show(TClipColl* coll) { core->Tree().Select(core->Tree().GetTreeNodeOfColl(coll)); }
    void SelectRows(const std::vector<std::size_t>& rows) { core->ClipList().SetSelection(rows, -1); }
    void Restart() {
        mover.reset();
        ASSERT_TRUE(core->FormCloseQuery());
        core.reset();
        StartWithMover();
    }

    std::unique_ptr<TClipMover> mover;
    TClipColl* a = nullptr;
    TClipColl* b = nullptr;
};

TEST_F(ClipMoverTest, MovedClipsTakeTheTargetsNumbersAndFilesAndStayThereAfterARestart) {
    StartWithMover();
    a->LastSerialNbr = 9;
    b->LastSerialNbr = 40;
    for (int n = 10; n <= 12; ++n)
        AddText(*a, LongText(n));
    core->SaveAllClips();
    for (int n = 10; n <= 12; ++n)
        ASSERT_TRUE(TDirFiles::Exists(a->GetPath(), "D" + std::to_string(n) + ".DAT"));
    Show(a);
    ASSERT_EQ(core->ClipList().Count(), 3u);
    std::vector<TClipObj*> rows;
    for (std::size_t r = 0; r < 3; ++r)
        rows.push_back(core->ClipList().Clip(r));
    SelectRows({0, 1, 2});
    const std::string onClipboard = ClipboardText();
    int selectionChanges = 0;
    const platform::TSubscription counting =
        core->Events().ListSelectionChanged.Subscribe([&](TListSelectionChange&) { ++selectionChanges; });

    EXPECT_EQ(mover->DoMoveCopyFromToolbar(false, b), 3);
    EXPECT_EQ(selectionChanges, 1) << "the rows leave together";
    EXPECT_EQ(ClipboardText(), onClipboard) << "no clip is put on the clipboard meanwhile";
    EXPECT_EQ(core->StatusText(), "Moved 3 clips to Long-Term");
    EXPECT_EQ(core->ClipList().Count(), 0u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(rows[static_cast<std::size_t>(i)]->SerialNbr, 41 + i) << "in list order";
        EXPECT_EQ(rows[static_cast<std::size_t>(i)]->Coll, b);
        EXPECT_TRUE(TDirFiles::Exists(b->GetPath(), "D" + std::to_string(41 + i) + ".DAT"));
        EXPECT_FALSE(TDirFiles::Exists(a->GetPath(), "D" + std::to_string(10 + i) + ".DAT"));
    }
    EXPECT_FALSE(a->Dirty) << "both collections are written at once";
    EXPECT_FALSE(b->Dirty);
    EXPECT_FALSE(TDirFiles::Exists(b->GetPath(), clipstore::TClipMoveJournal::FileName));

    Restart();
    EXPECT_EQ(a->Count(), 0u);
    ASSERT_EQ(b->Count(), 3u);
    std::set<std::string> texts;
    for (std::size_t i = 0; i < 3; ++i)
        texts.insert(TextOf(*b->Clip(i)));
    EXPECT_EQ(texts, (std::set<std::string>{LongText(10), LongText(11), LongText(12)}));
}

// Captures since the last save are in the capture journal as added to their collection. Moved on and
// killed before the journal heard of the move, the next start must find each clip once, in its new place.
TEST_F(ClipMoverTest, ClipsMovedAfterTheirCaptureAreNotPutBackWhereTheyWereAfterAKill) {
    StartWithMover();
    CopyText(editor, "stays");
    CopyText(editor, "moves");
    CopyText(editor, "moves too");
    Show(a);
    ASSERT_EQ(core->ClipList().Count(), 3u);
    SelectRows({0, 1});
    ASSERT_EQ(mover->DoMoveCopyFromToolbar(false, b), 2);
    // Killed now: the journal as it is, not what the program would still write on its way out.
    const std::string journal = dataDir + clipstore::TCaptureJournal::FileName;
    const std::string kept = dataDir + "kept";
    if (std::filesystem::exists(journal))
        std::filesystem::copy_file(journal, kept);
    mover.reset();
    core.reset();
    std::filesystem::remove(journal);
    if (std::filesystem::exists(kept))
        std::filesystem::rename(kept, journal);

    StartWithMover();
    ASSERT_EQ(a->Count(), 1u);
    EXPECT_EQ(TextOf(*a->Clip(0)), "stays");
    ASSERT_EQ(b->Count(), 2u);
    EXPECT_EQ(TextOf(*b->Clip(0)), "moves");
    EXPECT_EQ(TextOf(*b->Clip(1)), "moves too");
}

TEST_F(ClipMoverTest, ClipsMovedToTheTrashCanStayThereWithTheirFilesUntilItIsEmptied) {
    StartWithMover();
    TClipObj* clip = AddText(*a, LongText(5));
    core->SaveAllClips();
    Show(a);
    SelectRows({0});
    TClipColl* trash = core->MasterList()->TrashCan;
    EXPECT_EQ(mover->DoMoveCopyFromToolbar(false, trash), 1);
    ASSERT_EQ(trash->Count(), 1u);
    EXPECT_EQ(trash->Clip(0), clip) << "the selected clip is still there";
    EXPECT_TRUE(TDirFiles::Exists(trash->GetPath(), TClipObj::DataFileName(clip->SerialNbr)));
    EXPECT_EQ(TextOf(*clip), LongText(5));
}

TEST_F(ClipMoverTest, ACopySharesNothingWithItsSourceAndCtrlTurnsAMoveIntoACopy) {
    StartWithMover();
    TClipObj* inFile = AddText(*a, LongText(1));
    TClipObj* inLine = AddText(*a, "short text");
    core->SaveAllClips();
    const std::int32_t fileSerial = inFile->SerialNbr;
    Show(a);

    struct Case {
        TClipObj* clip;
        bool ctrl; // held on the move button: a copy whatever the mode
    };
    for (const Case& c : {Case{inFile, false}, Case{inLine, true}}) {
        const std::string text = TextOf(*c.clip);
        const std::int32_t serial = c.clip->SerialNbr;
        SelectRows({static_cast<std::size_t>(core->ClipList().RowOf(c.clip))});
        desk.SimulatedKeyboard().Hold(platform::VK_CONTROL, c.ctrl);
        EXPECT_EQ(mover->DoMoveCopyFromToolbar(!c.ctrl, b), 1);
        desk.SimulatedKeyboard().Hold(platform::VK_CONTROL, false);
        EXPECT_EQ(core->StatusText(), "Copied 1 clip to Long-Term");
        EXPECT_EQ(c.clip->SerialNbr, serial) << "the source keeps its number";
        EXPECT_EQ(c.clip->Coll, a);
        TClipObj* copy = BySerial(*b, b->LastSerialNbr);
        ASSERT_NE(copy, nullptr);
        ASSERT_NE(copy, c.clip);
        EXPECT_TRUE(TextOf(*copy) == text);
    }
    // The copy of the clip with a data file has a file of its own: the source going takes nothing of it.
    TClipObj* fileCopy = BySerial(*b, b->LastSerialNbr - 1);
    ASSERT_NE(fileCopy, nullptr);
    EXPECT_TRUE(TDirFiles::Exists(b->GetPath(), "D" + std::to_string(fileCopy->SerialNbr) + ".DAT"));
    core->ClipList().Clear();
    a->RemoveItem(a->IndexOf(inFile), true);
    EXPECT_FALSE(TDirFiles::Exists(a->GetPath(), "D" + std::to_string(fileSerial) + ".DAT"));
    fileCopy->UnLoad();
    EXPECT_TRUE(TextOf(*fileCopy) == LongText(1)) << "loaded on demand from its own file";
}

TEST_F(ClipMoverTest, ThePickMenuChoiceBecomesTheLastTargetThatTheMoveButtonRepeats) {
    StartWithMover();
    for (int n = 0; n < 3; ++n)
        AddText(*a, "text " + std::to_string(n));
    Show(a);
    TPickMenu menu(*core, *mover, nullptr);

    // No last target yet: the button asks for the menu.
    EXPECT_TRUE(mover->MoveButtonClick());
    mover->SetPendingMode(TClipMover::ModeMove);
    menu.Open(TPickMenu::PurposeFile, 40);
    SelectRows({0});
    menu.Choose(core->Tree().GetTreeNodeOfColl(b));
    EXPECT_EQ(mover->LastTarget(), b);
    EXPECT_EQ(mover->PendingMode(), TClipMover::ModeNone);
    EXPECT_EQ(b->Count(), 1u);

    SelectRows({0});
    EXPECT_FALSE(mover->MoveButtonClick()) << "repeated without the menu";
    EXPECT_EQ(b->Count(), 2u);
    EXPECT_EQ(core->StatusText(), "Moved 1 clip to Long-Term");

    // The collection shown is no target; a read-only one neither.
    menu.Open(TPickMenu::PurposeFile, 40);
    menu.Choose(core->Tree().GetTreeNodeOfColl(a));
    b->ReadOnly = true;
    SelectRows({0});
    mover->DoMoveCopyFromToolbar(false, b);
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Cannot Move Or Copy Items To This Collection: Short-Term\r\nEither it is "
                                     "already IN this collection, or the collection is invalid.");
    EXPECT_EQ(boxes.Boxes()[1].text, "Sorry, The Target collection is Read Only.");
    EXPECT_EQ(boxes.Boxes()[1].caption, "Program Error");
    EXPECT_EQ(a->Count(), 1u);
}

TEST_F(ClipMoverTest, ADeletedLastTargetIsForgottenBeforeANewCollectionCanTakeItsPlace) {
    StartWithMover();
    coretest::ScriptedCollectionDialogs dialogs;
    TCollectionCommands commands(*core, dialogs);
    dialogs.PromptAnswers.push_back("Work");
    commands.NewCollection(core->Tree().GetTreeNodeOfColl(b));
    TClipColl* work = Coll("Work");
    ASSERT_NE(work, nullptr);
    Show(a);
    TPickMenu menu(*core, *mover, nullptr);
    menu.Open(TPickMenu::PurposeFile, 40);
    menu.Choose(core->Tree().GetTreeNodeOfColl(work));
    ASSERT_EQ(mover->LastTarget(), work);
    // Deleted: the move button asks for the menu again.
    boxes.Answer(platform::MsgResult::Yes);
    commands.DeleteCollection(core->Tree().GetTreeNodeOfColl(work));
    ASSERT_EQ(Coll("Work"), nullptr);
    EXPECT_EQ(mover->LastTarget(), nullptr);
    EXPECT_TRUE(mover->MoveButtonClick());
}

TEST_F(ClipMoverTest, MovingWithinTheCollectionSpacesTheSelectedClipsBeyondTheChosenEnd) {
    StartWithMover();
    struct Case {
        const char* name;
        bool top;
        bool ascending;
        std::vector<std::int32_t> keys; // as the list shows them
        std::vector<std::size_t> selected;
        std::vector<std::int32_t> expected; // the selected clips' new keys, in list order
        const char* status;
    };
    const Case cases[] = {
        {"top, ascending",
         true,
         true,
         {1000, 2000, 3000, 4000, 5000},
         {1, 2, 4},
         {250, 500, 750},
         "3 Clips Moved Within Collection."},
        {"bottom, descending", false, false, {900, 700, 400}, {0}, {200}, "1 Clip Moved Within Collection."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        while (a->Count() > 0)
            a->RemoveItem(0, true);
        std::vector<TClipObj*> clips;
        for (std::size_t i = 0; i < c.keys.size(); ++i) {
            clips.push_back(AddText(*a, "row " + std::to_string(i)));
            clips.back()->SortKey = c.keys[i];
        }
        a->SortColumn = TClipListModel::ColMySort;
        a->SortAscending = c.ascending;
        Show(a);
        SelectRows(c.selected);
        mover->MoveWithinCollection(c.top);
        for (std::size_t i = 0; i < c.selected.size(); ++i)
            EXPECT_EQ(clips[c.selected[i]]->SortKey, c.expected[i]);
        EXPECT_EQ(core->StatusText(), c.status);
        EXPECT_EQ(core->ClipList().Clip(c.ascending ? 0 : core->ClipList().Count() - 1), clips[c.selected[0]])
            << "sorted again";
    }
    a->SortColumn = TClipListModel::ColDateTime;
    mover->MoveWithinCollection(true);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Sorry, It is only useful to do this when you have sorted on the MySort column.");
    EXPECT_EQ(boxes.Boxes()[0].caption, "Invalid Operation");
}

} // namespace
} // namespace bx::shell
