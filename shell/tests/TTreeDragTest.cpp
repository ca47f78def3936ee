// Dragging in the collection tree (where a drop is allowed, moving a collection with its directory and
// children, also across file systems and when that fails part-way), and the keys that jump to the last
// and the favorite collections.
#include "TTreeDrag.h"
#include "CoreTestFixture.h"
#include "TClipMover.h"
#include "TCollectionSwitch.h"
#include "TDirFiles.h"
#include "TPickMenu.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>

#include <sys/stat.h>
#include <unistd.h>

namespace bx::shell {
namespace {

using clipstore::TClipColl;
using clipstore::TDirFiles;
namespace fs = std::filesystem;

std::string TextOf(clipstore::TClipObj& clip) {
    const std::size_t size = clip.Lock(platform::CF_TEXT);
    const auto* text = reinterpret_cast<const char*>(clip.LockedData);
    std::string result = text != nullptr ? std::string(text, strnlen(text, size)) : std::string();
    clip.Unlock();
    return result;
}

class TreeDragTest : public coretest::CoreFixture {
protected:
    std::string elsewhere; // a data source outside the test's folder, removed at the end
    // Collections A (with a child B), C and the favorites F1, F2 below the data source's folder, beside
    // Short-Term and Long-Term, each with a clip; then a restart loads them.
    void StartWithTree() {
        Start();
        TClipColl* folder = core->MasterList()->Item(0);
        TClipColl* a = Make("A", folder, 1000);
        Make("B", a, 100);
        Make("C", folder, 2000);
        Make("F1", folder, 3000)->Favorite = true;
        Make("F2", folder, 4000)->Favorite = true;
        core->SaveAllClips();
        Restart();
    }
    TClipColl* Make(const std::string& title, TClipColl* parent, std::int32_t key) {
        auto coll = std::make_unique<TClipColl>(core->ClipContext(), true, core->MasterList());
        coll->Title = title;
        coll->DirName = title;
        coll->Parent = parent;
        coll->SortKey = key;
        TClipColl* made = core->MasterList()->Append(std::move(coll));
        auto clip = std::make_unique<clipstore::TClipObj>(made->Context(), made->GetNextSerialNum(), "editor");
        clip->SetColl(made);
        clip->PutText("in " + title + std::string(2000, 'x'), 0);
        clip->SetTitle("in " + title);
        made->MyAddObject(clip->Title, std::move(clip));
        made->SetDirty(true);
        return made;
    }
    void Restart(const std::function<void()>& whileStopped = {}) {
        ASSERT_TRUE(core->FormCloseQuery());
        core.reset();
        if (whileStopped)
            whileStopped();
        settings = std::make_unique<TAppSettings>(desk.Registry(), dirs, boxes, folderDialog, sources, noCtrlV);
        settings->ReadSettings({});
        Start();
    }
    void TearDown() override {
        CoreFixture::TearDown();
        if (!elsewhere.empty())
            fs::remove_all(elsewhere);
    }
    int Node(const std::string& title) const { return TCollectionSwitch::NodeWithText(core->Tree(), title); }
    // Every node as "parent/title", in display order.
    std::vector<std::string> Shape() const {
        std::vector<std::string> shape;
        const TCollectionTree& tree = core->Tree();
        for (std::size_t i = 0; i < tree.Count(); ++i) {
            const int p = tree.At(i).Parent;
            shape.push_back((p >= 0 ? tree.At(static_cast<std::size_t>(p)).Coll->Title : std::string("-")) + "/" +
                            tree.At(i).Coll->Title);
        }
        return shape;
    }
};

TEST_F(TreeDragTest, DropsAreRefusedOnTheDraggedNodeItsParentItsDescendantsAndWhatCannotTakeThem) {
    StartWithTree();
    const TCollectionTree& tree = core->Tree();
    using Kind = TTreeDrag::Kind;
    struct Case {
        Kind kind;
        const char* dragged;
        const char* target;
        bool allowed;
        const char* status;
    };
    const std::string folder = core->MasterList()->Item(0)->Title;
    const Case cases[] = {
        {Kind::Node, "A", "C", true, ""},
        {Kind::Node, "B", "C", true, ""},
        {Kind::Node, "A", "A", false, ""},
        {Kind::Node, "B", "A", false, ""}, // its parent: silently
        {Kind::Node, "A", "B", false, TTreeDrag::DescendantText},
        {Kind::Node, "A", "Trash Can", false, ""},
        {Kind::Node, "C", folder.c_str(), false, ""}, // already there
        {Kind::Node, "B", folder.c_str(), true, ""},
        {Kind::Node, folder.c_str(), "C", false, ""}, // a data source's folder stays
        {Kind::Clips, "A", "C", true, ""},
        {Kind::Clips, "A", "A", false, ""},
        {Kind::Clips, "A", folder.c_str(), false, ""},
        {Kind::Clips, "A", "Search Results", false, ""},
        {Kind::Clips, "A", "Trash Can", true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.dragged) + " on " + c.target);
        const TTreeDrag::Verdict verdict = TTreeDrag::CanDrop(tree, c.kind, Node(c.dragged), Node(c.target));
        EXPECT_EQ(verdict.Allowed, c.allowed);
        EXPECT_EQ(verdict.Status, c.status);
    }
    Coll("C")->ReadOnly = true;
    EXPECT_FALSE(TTreeDrag::CanDrop(tree, Kind::Clips, Node("A"), Node("C")).Allowed);
    EXPECT_FALSE(TTreeDrag::CanDrop(tree, Kind::Node, Node("A"), Node("C")).Allowed);
    // A read-only data source's folder is not marked itself: nothing goes there, nothing leaves it.
    core->MasterList()->Item(0)->DataSource->Read_Only = true;
    EXPECT_FALSE(TTreeDrag::CanDrop(tree, Kind::Node, Node("B"), Node(folder)).Allowed);
    EXPECT_FALSE(TTreeDrag::CanDrop(tree, Kind::Node, Node("B"), Node("F1")).Allowed);
}

// A rename that crosses a file system boundary fails with EXDEV, as between two mounts.
struct FileSystems {
    bool crossing = false;
    int failAtCall = 0; // this rename call (from 1) fails with EIO; 0: none
    int calls = 0;
    clipstore::TCollectionRelocation::RenameFunction Rename() {
        return [this](const std::string& from, const std::string& to) {
            ++calls;
            if (calls == failAtCall)
                return EIO;
            if (crossing && fs::path(from).filename().string().rfind(".bxmove-", 0) != 0)
                return EXDEV;
            return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
        };
    }
};

TEST_F(TreeDragTest, ACollectionMovesWithItsDirectoryAndChildrenAndReloadsToTheSameTree) {
    for (const bool crossing : {false, true}) {
        SCOPED_TRACE(crossing ? "across file systems" : "one file system");
        StartWithTree();
        FileSystems fileSystems{crossing};
        TTreeDrag drag(*core, fileSystems.Rename());
        core->Tree().Select(Node("A"));
        drag.StartDrag(Node("A"));
        EXPECT_EQ(core->StatusText(), "Dragging...");
        const std::string oldA = Coll("A")->GetPath();
        ASSERT_TRUE(drag.RelocateNode(Node("A"), Node("C")));
        EXPECT_EQ(core->StatusText(), "Move Complete");
        EXPECT_FALSE(drag.InternalDrag());
        EXPECT_EQ(Coll("A")->GetPath(), Coll("C")->GetPath() + "A/");
        EXPECT_TRUE(TDirFiles::Exists(Coll("B")->GetPath(), TClipColl::FileName));
        EXPECT_EQ(Coll("B")->GetPath(), Coll("C")->GetPath() + "A/B/");
        EXPECT_FALSE(fs::exists(oldA));
        EXPECT_EQ(core->Tree().Selected(), Node("A"));
        const std::vector<std::string> shape = Shape();
        EXPECT_NE(std::find(shape.begin(), shape.end(), "C/A"), shape.end());

        Restart();
        EXPECT_EQ(Shape(), shape);
        for (const char* title : {"A", "B", "C"}) {
            ASSERT_EQ(Coll(title)->Count(), 1u) << title;
            EXPECT_EQ(TextOf(*Coll(title)->Clip(0)), "in " + std::string(title) + std::string(2000, 'x')) << title;
        }
        ASSERT_TRUE(core->FormCloseQuery());
        core.reset();
        fs::remove_all(dataDir);
        fs::create_directories(dataDir);
        settings->NeedDefaultCollections = true;
    }
}

TEST_F(TreeDragTest, AMoveThatFailsPartWayLeavesTheSourceWholeAndNeverFollowsLinks) {
    StartWithTree();
    const std::string outside = root + "outside/";
    fs::create_directories(outside);
    { std::ofstream(outside + "keep.txt") << "not ours"; }
    fs::create_directory_symlink(outside, Coll("A")->GetPath() + "link");
    const std::vector<std::string> shape = Shape();

    // Across file systems, the copy's final rename fails: nothing moved, no copy or note left.
    FileSystems failing{true, 2};
    TTreeDrag drag(*core, failing.Rename());
    EXPECT_FALSE(drag.RelocateNode(Node("A"), Node("C")));
    EXPECT_TRUE(TDirFiles::Exists(Coll("A")->GetPath(), TClipColl::FileName));
    EXPECT_FALSE(TDirFiles::Exists(Coll("A")->GetPath(), clipstore::TCollectionRelocation::MarkerName));
    EXPECT_FALSE(fs::exists(Coll("C")->GetPath() + "A"));
    EXPECT_FALSE(fs::exists(Coll("C")->GetPath() + ".bxmove-A"));
    ASSERT_FALSE(boxes.Boxes().empty());

    // Done across file systems, the link stays behind and what it points to is untouched.
    FileSystems crossing{true};
    TTreeDrag move(*core, crossing.Rename());
    ASSERT_TRUE(move.RelocateNode(Node("A"), Node("C")));
    EXPECT_TRUE(fs::exists(outside + "keep.txt"));
    EXPECT_FALSE(fs::exists(Coll("A")->GetPath() + "link/keep.txt"));
    Restart();
    EXPECT_EQ(Coll("A")->Count(), 1u);
    EXPECT_EQ(Coll("B")->Count(), 1u);
    EXPECT_TRUE(fs::exists(outside + "keep.txt"));
}

// With a second data source on a file system of its own (a RAM disk), moves cross a real file system
// boundary: a collection with its child, and a clip with its data file, go there and reload whole.
TEST_F(TreeDragTest, MovesToADataSourceOnAnotherFileSystemCopyAndReloadWhole) {
    struct stat here {
    }, there{};
    const std::string fast = "/dev/shm/bx_move_" + std::to_string(::getpid()) + "/";
    elsewhere = fast;
    if (::stat(root.c_str(), &here) != 0 || ::stat("/dev/shm", &there) != 0 || here.st_dev == there.st_dev ||
        ::access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no second file system at /dev/shm";
    fs::create_directories(fast);
    StartWithTree();
    Restart([&] {
        desk.Registry().WriteValue(settings->RootKey + "\\DataSources\\_Dirs", "Fast", "1");
        desk.Registry().WriteValue(settings->RootKey + "\\DataSources", "Fast", "2");
        const std::string key = settings->RootKey + "\\DataSources\\Fast";
        desk.Registry().WriteValue(key, "Description", "Fast Disk");
        desk.Registry().WriteValue(key, "Directory", fast);
        desk.Registry().WriteValue(key, "Read_Only", "0");
        desk.Registry().WriteValue(key, "AutoLoad", "1");
    });
    ASSERT_GE(Node("Fast Disk"), 0);

    TTreeDrag drag(*core);
    core->Tree().Select(Node("A"));
    ASSERT_TRUE(drag.RelocateNode(Node("A"), Node("Fast Disk")));
    EXPECT_EQ(Coll("B")->GetPath(), fast + "A/B/");
    EXPECT_FALSE(fs::exists(dataDir + "/A")) << "the source is gone once the copy is in place";

    // A clip with a data file moves from Short-Term into A, now on the other file system.
    TClipMover mover(*core, desk.Keyboard());
    TClipColl* shortTerm = Coll("Short-Term");
    auto clip = std::make_unique<clipstore::TClipObj>(shortTerm->Context(), shortTerm->GetNextSerialNum(), "editor");
    clip->SetColl(shortTerm);
    clip->PutText(std::string(5000, 'q'), 0);
    shortTerm->MyAddObject("q", std::move(clip));
    core->SaveAllClips();
    core->Tree().Select(Node("Short-Term"));
    core->ClipList().SetSelection({0}, 0);
    EXPECT_EQ(mover.DoMoveCopyFromToolbar(false, Coll("A")), 1);
    const std::int32_t serial = Coll("A")->LastSerialNbr;
    EXPECT_TRUE(TDirFiles::Exists(fast + "A/", "D" + std::to_string(serial) + ".DAT"));

    Restart();
    ASSERT_NE(Coll("A"), nullptr);
    EXPECT_EQ(Coll("A")->GetPath(), fast + "A/");
    ASSERT_EQ(Coll("A")->Count(), 2u);
    ASSERT_EQ(Coll("B")->Count(), 1u);
    EXPECT_EQ(TextOf(*Coll("B")->Clip(0)), "in B" + std::string(2000, 'x'));
    bool found = false;
    for (std::size_t i = 0; i < Coll("A")->Count(); ++i)
        found = found || TextOf(*Coll("A")->Clip(i)) == std::string(5000, 'q');
    EXPECT_TRUE(found);
}

TEST_F(TreeDragTest, LastCollectionSurvivesARestartAndFavoritesCycle) {
    StartWithTree();
    core->Tree().Select(Node("A"));
    core->Tree().Select(Node("C"));
    EXPECT_EQ(settings->LastColl, "A");
    Restart();
    TCollectionSwitch keys(*core, nullptr);
    keys.SwitchToLast();
    EXPECT_EQ(core->ClipList().Coll()->Title, "A") << "the setting is kept between runs";
    core->Tree().Select(Node("C"));
    keys.SwitchToLast();
    EXPECT_EQ(core->ClipList().Coll()->Title, "A");
    keys.SwitchToLast();
    EXPECT_EQ(core->ClipList().Coll()->Title, "C") << "back and forth between two";

    // F6: from F1 to F2 and round again to F1.
    core->Tree().Select(Node("F1"));
    keys.SwitchToFavorite(false);
    EXPECT_EQ(core->ClipList().Coll()->Title, "F2");
    keys.SwitchToFavorite(false);
    EXPECT_EQ(core->ClipList().Coll()->Title, "F1");

    // In the pick list, the favorite after the alternate collection becomes the alternate one instead.
    int alternate = -1;
    TCollectionSwitch flashpick(*core, [&](int node) { alternate = node; });
    settings->FPAlternateColl = "F2";
    flashpick.SwitchToFavorite(true);
    EXPECT_EQ(alternate, Node("F1"));
    EXPECT_EQ(core->ClipList().Coll()->Title, "F1") << "the main list stays";

    Coll("F1")->Favorite = false;
    Coll("F2")->Favorite = false;
    settings->LastColl = "gone";
    keys.SwitchToFavorite(false);
    keys.SwitchToLast();
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].text,
              "No FAVORITE Collections Were Found.  Set The FAVORITE Option In Collection Properties.");
    EXPECT_EQ(boxes.Boxes()[1].text,
              "No LAST Collection Was Found.  Select a collection manually, to set the LAST Collection.");
}

TEST_F(TreeDragTest, ThePickMenuIsFlatOrNestedAndBuiltAgainAfterTheTreeChanges) {
    StartWithTree();
    TClipMover mover(*core, desk.Keyboard());
    TPickMenu menu(*core, mover, nullptr);
    core->Tree().Select(Node("C"));
    const std::string folder = core->MasterList()->Item(0)->Title;

    const auto flat = TPickMenu::BuildItems(core->Tree(), 1, Coll("C"), 3);
    ASSERT_EQ(flat.size(), core->Tree().Count());
    EXPECT_EQ(flat[0].Caption, folder);
    EXPECT_FALSE(flat[0].Enabled) << "a folder";
    EXPECT_EQ(flat[static_cast<std::size_t>(Node("B"))].Caption, "        B");
    for (const auto& item : flat) {
        EXPECT_EQ(item.Checked, item.Node == Node("C"));
        EXPECT_FALSE(item.NewColumn);
    }
    const auto columns = TPickMenu::BuildItems(core->Tree(), 0, Coll("C"), 3);
    std::vector<int> starts;
    for (const auto& item : columns)
        if (item.NewColumn)
            starts.push_back(item.Node);
    EXPECT_EQ(starts, (std::vector<int>{3, 6, 9}));

    const auto nested = TPickMenu::BuildItems(core->Tree(), 2, Coll("C"), 3);
    ASSERT_EQ(nested.size(), 3u) << "the folder, the trash can, the search results";
    ASSERT_TRUE(nested[0].Submenu);
    EXPECT_EQ(nested[0].Children[0].Caption, "Short-Term") << "no \"Clips In: \" for a folder";
    const auto a = std::find_if(nested[0].Children.begin(), nested[0].Children.end(),
                                [](const auto& item) { return item.Caption == "A"; });
    ASSERT_NE(a, nested[0].Children.end());
    ASSERT_TRUE(a->Submenu);
    ASSERT_EQ(a->Children.size(), 2u);
    EXPECT_EQ(a->Children[0].Caption, "Clips In: A");
    EXPECT_EQ(a->Children[0].Node, Node("A"));
    EXPECT_EQ(a->Children[1].Caption, "B");

    menu.Open(TPickMenu::PurposeShow, 40);
    EXPECT_TRUE(menu.Built());
    menu.Choose(Node("A"));
    EXPECT_EQ(core->ClipList().Coll(), Coll("A"));
    TTreeDrag drag(*core);
    ASSERT_TRUE(drag.RelocateNode(Node("A"), Node("C")));
    EXPECT_FALSE(menu.Built()) << "the tree changed";
}

} // namespace
} // namespace bx::shell
