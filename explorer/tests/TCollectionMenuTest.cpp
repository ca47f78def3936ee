// The collection tree's context menu and the collection dialogs, offscreen on the simulated desktop.
#include "TCollectionMenu.h"
#include "ExplorerWindowFixture.h"
#include "TClipColl.h"
#include "TCollectionCommands.h"
#include "TCollectionProperties.h"
#include "TCollectionTreeModel.h"
#include "TDataSource.h"
#include "TfrmBitmapPicker.h"
#include "TfrmCollProperties.h"
#include "TfrmDataSourceProperties.h"

#include <QAction>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTreeView>

namespace bx::explorer {
namespace {

using clipstore::TClipColl;

class CollectionMenuTest : public test::ExplorerWindowFixture {
protected:
    int Node(const std::string& title) const { return core->Tree().GetTreeNodeOfColl(Coll(title)); }
    // The enabled entries of the open menu, by object name.
    std::vector<std::string> Enabled() const {
        std::vector<std::string> names;
        QMenu* menu = window->CollectionMenu()->Open();
        for (const QAction* action : menu != nullptr ? menu->actions() : QList<QAction*>())
            if (!action->isSeparator() && action->isEnabled())
                names.push_back(action->objectName().toStdString());
        return names;
    }
    QAction* Entry(const char* name) const { return window->CollectionMenu()->Open()->findChild<QAction*>(name); }
};

TEST_F(CollectionMenuTest, EnabledEntriesFollowTheNode) {
    StartWindow();
    struct Case {
        std::string title;
        std::vector<std::string> enabled;
    };
    const std::vector<std::string> tail = {"mnuCollWhatsThis", "mnuCollCancel"};
    const auto with = [&tail](std::vector<std::string> names) {
        names.insert(names.end(), tail.begin(), tail.end());
        return names;
    };
    const Case cases[] = {
        {sources.Source(0)->Description,
         with({"mnuCollProperties", "mnuCollNew", "mnuAddDataSource", "mnuDeleteDataSource"})},
        {"Long-Term", with({"mnuCollProperties", "mnuCollChangeIcon", "mnuCollDelete", "mnuCollSortUp", "mnuCollNew"})},
        {"Trash Can", tail},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        window->CollectionMenu()->Popup(Node(c.title), QPoint(10, 10));
        EXPECT_EQ(Enabled(), c.enabled);
        // Opening selects the node.
        EXPECT_EQ(core->Tree().Selected(), Node(c.title));
        window->CollectionMenu()->Open()->close();
    }
}

TEST_F(CollectionMenuTest, RightClickAndShiftF10OpenTheMenu) {
    StartWindow();
    QTreeView* tree = window->Tree();
    auto* model = static_cast<TCollectionTreeModel*>(tree->model());
    const QRect rect = tree->visualRect(model->IndexOfNode(Node("Long-Term")));
    ASSERT_TRUE(rect.isValid());
    QContextMenuEvent click(QContextMenuEvent::Mouse, rect.center(), tree->viewport()->mapToGlobal(rect.center()));
    QApplication::sendEvent(tree->viewport(), &click);
    ASSERT_NE(window->CollectionMenu()->Open(), nullptr);
    EXPECT_EQ(core->Tree().Selected(), Node("Long-Term"));
    window->CollectionMenu()->Open()->close();
    QApplication::processEvents();

    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_F10, Qt::ShiftModifier);
    QMenu* menu = window->CollectionMenu()->Open();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->pos(), tree->mapToGlobal(tree->rect().center()));
    // An entry runs its command on the node: Long-Term goes before Short-Term.
    Entry("mnuCollSortUp")->trigger();
    EXPECT_EQ(Coll("Long-Term")->SortKey, 100);
    EXPECT_LT(Node("Long-Term"), Node("Short-Term"));
}

TEST_F(CollectionMenuTest, PropertiesDialogFollowsItsRules) {
    StartWindow();
    TClipColl* coll = Coll("Short-Term");
    shell::TCollectionProperties form(*coll, *core->MasterList(), boxes);
    TfrmCollProperties dialog(form, [](int) { return std::optional<int>(40); });
    EXPECT_FALSE(dialog.MaxDaysEdit()->isEnabled());
    dialog.RetentionButton(TClipColl::KeepAll)->click();
    EXPECT_EQ(form.ImageIndex(), 11);
    EXPECT_FALSE(dialog.MaxItemsEdit()->isEnabled());
    dialog.IconButton()->click();
    EXPECT_EQ(form.ImageIndex(), 40);
    dialog.RetentionButton(TClipColl::DeleteByAge)->click();
    EXPECT_EQ(form.ImageIndex(), 40); // a picked icon stays
    EXPECT_TRUE(dialog.MaxDaysEdit()->isEnabled());
    dialog.findChild<QRadioButton*>("optDivert")->click();
    EXPECT_FALSE(dialog.AllowDuplicatesBox()->isEnabled());
    // A title in use keeps the dialog open.
    dialog.TitleEdit()->clear();
    QTest::keyClicks(dialog.TitleEdit(), "LONG-TERM");
    EXPECT_EQ(form.Title(), "LONG-TERM");
    dialog.show();
    dialog.grab().save(BX_ARTIFACT_DIR "/collection_properties.png");
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(boxes.Boxes().back().text, "Collection Name Must Be Unique - This Name Is Already In Use.\nLONG-TERM");
}

TEST_F(CollectionMenuTest, BitmapPickerAndDataSourceDialog) {
    StartWindow();
    TfrmBitmapPicker picker(12);
    EXPECT_EQ(picker.Grid()->columnCount(), TfrmBitmapPicker::Columns);
    const auto iconAt = [&picker](int row, int column) {
        const QTableWidgetItem* item = picker.Grid()->item(row, column);
        return item != nullptr ? item->toolTip().toInt() : -1;
    };
    EXPECT_EQ(iconAt(0, 0), 10);
    EXPECT_EQ(picker.Grid()->currentItem()->toolTip(), "12");
    QTest::mouseDClick(picker.Label(), Qt::LeftButton);
    EXPECT_EQ(picker.windowTitle(), "Now Showing ALL Images");
    picker.show();
    picker.grab().save(BX_ARTIFACT_DIR "/bitmap_picker.png");
    EXPECT_EQ(iconAt(0, 0), 0);
    EXPECT_EQ(iconAt(1, 2), 10);
    picker.Grid()->setCurrentCell(1, 3);
    picker.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    EXPECT_EQ(picker.Chosen(), 11);

    clipstore::TDataSource source(7, "Team", root + "team", false, true);
    TfrmDataSourceProperties dialog(source);
    dialog.TitleEdit()->setText("Team Clips");
    dialog.ReadOnlyBox()->setChecked(true);
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    EXPECT_EQ(source.Description, "Team");
    TfrmDataSourceProperties again(source);
    again.TitleEdit()->setText("Team Clips");
    again.ReadOnlyBox()->setChecked(true);
    again.AutoLoadBox()->setChecked(false);
    again.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    EXPECT_EQ(source.Description, "Team Clips");
    EXPECT_TRUE(source.Read_Only);
    EXPECT_FALSE(source.AutoLoad);
}

} // namespace
} // namespace bx::explorer
