// The window's side of moving clips: the pick menu drawn from its items (icons, submenus, disabled
// folders, the chosen item acting), the toolbar's move and collection buttons with their drop-downs, and
// the tree taking a drop of the list's clips (the left button moves, the right one asks).
#include "CoreTestFixture.h"
#include "ExplorerWindowFixture.h"

#include "TAppSettings.h"
#include "TCollectionMoves.h"
#include "TCollectionTreeModel.h"
#include "TTreeDropFilter.h"
#include "TfrmBX.h"

#include <QApplication>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

namespace bx::explorer {
namespace {

class CollectionMovesTest : public test::ExplorerWindowFixture {
protected:
    // Sends the tree a drag of the list's selected clips with this button, entering and dropping on node.
    bool DropClips(int node, int button) {
        QTreeView* tree = window->Tree();
        auto* model = dynamic_cast<TCollectionTreeModel*>(tree->model());
        const QPoint at = tree->visualRect(model->IndexOfNode(node)).center();
        QMimeData data;
        data.setData(TTreeDropFilter::ClipsMime,
                     QByteArray::number(QCoreApplication::applicationPid()) + " " + QByteArray::number(button));
        window->Moves()->Drag().StartDrag(-1);
        QDragEnterEvent enter(at, Qt::MoveAction | Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(tree->viewport(), &enter);
        const bool accepted = enter.isAccepted();
        QDropEvent drop(at, Qt::MoveAction | Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(tree->viewport(), &drop);
        window->Moves()->Drag().EndDrag();
        return accepted;
    }
    // Sends the tree the drop of the node being dragged on target.
    bool DropNode(int target) {
        QTreeView* tree = window->Tree();
        auto* model = dynamic_cast<TCollectionTreeModel*>(tree->model());
        const QPoint at = tree->visualRect(model->IndexOfNode(target)).center();
        QMimeData data;
        data.setData(TTreeDropFilter::NodeMime, QByteArray::number(QCoreApplication::applicationPid()));
        QDragEnterEvent enter(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(tree->viewport(), &enter);
        QDropEvent drop(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(tree->viewport(), &drop);
        return enter.isAccepted();
    }
    int NodeOf(const std::string& title) { return core->Tree().GetTreeNodeOfColl(Coll(title)); }
};

TEST_F(CollectionMovesTest, ThePickMenuShowsTheTreeAndItsChoiceMovesTheSelectedClips) {
    StartWindow();
    CopyText(editor, "to be moved");
    core->Tree().Select(NodeOf("Short-Term"));
    ASSERT_NE(window->Moves(), nullptr);

    auto* move = window->MainToolbar()->findChild<QToolButton*>("cmdMoveItem");
    ASSERT_NE(move, nullptr);
    ASSERT_NE(move->menu(), nullptr) << "the drop-down";
    EXPECT_EQ(move->popupMode(), QToolButton::MenuButtonPopup);
    auto* collection = window->MainToolbar()->findChild<QToolButton*>("cmdCollection");
    ASSERT_NE(collection, nullptr);
    EXPECT_NE(collection->menu(), nullptr);

    QMenu menu;
    window->Moves()->FillMenu(menu, shell::TPickMenu::PurposeFile);
    ASSERT_EQ(menu.actions().size(), static_cast<qsizetype>(core->Tree().Count()));
    EXPECT_FALSE(menu.actions()[0]->isEnabled()) << "the data source's folder";
    QAction* longTerm = menu.actions()[NodeOf("Long-Term")];
    EXPECT_EQ(longTerm->text(), "    Long-Term");
    EXPECT_FALSE(longTerm->icon().isNull());
    EXPECT_TRUE(menu.actions()[NodeOf("Short-Term")]->isChecked()) << "the collection shown";
    longTerm->trigger();
    EXPECT_EQ(Coll("Long-Term")->Count(), 1u);
    EXPECT_EQ(Coll("Short-Term")->Count(), 0u);
    EXPECT_EQ(window->Moves()->Mover().LastTarget(), Coll("Long-Term"));

    // Nested, a collection with children is a submenu.
    settings->MenuStyle = shell::TPickMenu::NestedStyle;
    window->Moves()->PickMenu().Empty();
    window->Moves()->FillMenu(menu, shell::TPickMenu::PurposeShow);
    ASSERT_FALSE(menu.actions().isEmpty());
    ASSERT_NE(menu.actions()[0]->menu(), nullptr);
    EXPECT_EQ(menu.actions()[0]->menu()->actions().size(), 2) << "Short-Term and Long-Term";
}

TEST_F(CollectionMovesTest, TheTreeTakesTheListsClipsWithTheLeftButtonAndAsksWithTheRight) {
    StartWindow();
    CopyText(editor, "first");
    CopyText(editor, "second");
    core->Tree().Select(NodeOf("Short-Term"));
    core->ClipList().SetSelection({0}, 0);

    EXPECT_FALSE(DropClips(0, 1)) << "not on a folder";
    EXPECT_FALSE(DropClips(NodeOf("Short-Term"), 1)) << "not where they are";
    EXPECT_TRUE(DropClips(NodeOf("Long-Term"), 1));
    EXPECT_EQ(Coll("Long-Term")->Count(), 1u);
    EXPECT_EQ(core->StatusText(), "Moved 1 clip to Long-Term");

    // The right button: the menu at the drop point; "&Copy Here" copies.
    core->ClipList().SetSelection({0}, 0);
    QTimer::singleShot(0, [] {
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(popup, nullptr);
        ASSERT_EQ(popup->actions().size(), 2);
        EXPECT_EQ(popup->actions()[0]->text(), "&Copy Here");
        EXPECT_EQ(popup->actions()[1]->text(), "&Move Here");
        popup->setActiveAction(popup->actions()[0]);
        QTest::keyClick(popup, Qt::Key_Return);
    });
    EXPECT_TRUE(DropClips(NodeOf("Long-Term"), 2));
    EXPECT_EQ(Coll("Long-Term")->Count(), 2u);
    EXPECT_EQ(Coll("Short-Term")->Count(), 1u) << "copied";
    EXPECT_EQ(core->StatusText(), "Copied 1 clip to Long-Term");
}

TEST_F(CollectionMovesTest, ACollectionDroppedOnAnotherMovesUnderIt) {
    StartWindow();
    core->Tree().Select(NodeOf("Long-Term"));
    shell::TTreeDrag& drag = window->Moves()->Drag();
    drag.StartDrag(NodeOf("Long-Term"));
    EXPECT_FALSE(DropNode(NodeOf("Long-Term"))) << "not on itself";
    ASSERT_TRUE(DropNode(NodeOf("Short-Term")));
    EXPECT_EQ(Coll("Long-Term")->Parent, Coll("Short-Term"));
    EXPECT_EQ(core->StatusText(), "Move Complete");
    const int node = NodeOf("Long-Term");
    EXPECT_EQ(core->Tree().At(static_cast<std::size_t>(node)).Parent, NodeOf("Short-Term"));
    EXPECT_EQ(core->Tree().Selected(), node);
    EXPECT_TRUE(window->Tree()->isExpanded(window->Tree()->currentIndex().parent()));
    drag.EndDrag();
}

} // namespace
} // namespace bx::explorer
