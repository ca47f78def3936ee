// Find and the filter box in the explorer window, on the simulated desktop.
#include "ExplorerWindowFixture.h"
#include "TClipFilter.h"
#include "TClipListModel.h"
#include "TClipTableModel.h"
#include "TCollectionTree.h"
#include "TFilterBox.h"
#include "TFind.h"
#include "TMasterList.h"
#include "TStatusLine.h"
#include "TWindowCommands.h"
#include "TfrmFind.h"

#include <QAbstractItemModel>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

namespace bx::explorer {
namespace {

using Commands = TWindowCommands;

class FindWindowTest : public test::ExplorerWindowFixture {
protected:
    void StartWithClips() {
        StartWindow();
        for (const char* text : {"alpha needle", "beta", "gamma NEEDLE", "beta two"})
            CopyText(editor, text);
        QApplication::processEvents();
        ASSERT_EQ(core->ClipList().Count(), 4u);
    }
    int ViewRows() const { return window->List()->model()->rowCount(); }
    std::string ViewTitle(int row) const {
        return window->List()->model()->index(row, 0).data().toString().toStdString();
    }
};

TEST_F(FindWindowTest, TheFindDialogSearchesWithTheChosenScopeAndFindNextSelectsInTheEditor) {
    StartWithClips();
    clipstore::TClipColl* shown = core->ClipList().Coll();
    bool opened = false;
    window->BeforeDialog = [&](QDialog& dialog) {
        auto* find = qobject_cast<TfrmFind*>(&dialog);
        ASSERT_NE(find, nullptr);
        opened = true;
        EXPECT_EQ(find->windowTitle(), "Find");
        EXPECT_EQ(find->ScopeButton(shell::TFind::CurrentClip)->text(), "Search The &Current Clip");
        EXPECT_EQ(find->ScopeButton(shell::TFind::CurrentCollection)->text(), "Search The C&urrent Collection");
        EXPECT_EQ(find->ScopeButton(shell::TFind::AllCollections)->text(), "Search &All Collections");
        EXPECT_TRUE(find->ScopeButton(shell::TFind::CurrentCollection)->isChecked());
        EXPECT_TRUE(find->ScopeButton(shell::TFind::CurrentClip)->isEnabled());
        EXPECT_NE(find->findChild<QPushButton*>("btnHelp"), nullptr);
        find->TextEdit()->setText("needle");
        find->ScopeButton(shell::TFind::AllCollections)->setChecked(true);
        QMetaObject::invokeMethod(&dialog, &QDialog::accept, Qt::QueuedConnection);
    };
    window->Commands()->Action(Commands::Find)->trigger();
    ASSERT_TRUE(opened);
    clipstore::TClipColl* results = core->MasterList()->SearchResults;
    EXPECT_EQ(core->ClipList().Coll(), results);
    EXPECT_EQ(core->Tree().Selected(), core->Tree().GetTreeNodeOfColl(results));
    EXPECT_EQ(ViewRows(), 2);
    EXPECT_EQ(settings->FindScope, shell::TFind::AllCollections);
    EXPECT_EQ(window->StatusPanel(TStatusLine::TextPanel).toStdString(), "Found It!");

    // Within the shown clip: F3 selects the next occurrence in the editor.
    core->Tree().Select(core->Tree().GetTreeNodeOfColl(shown));
    core->ClipList().SelectOnly(static_cast<std::size_t>(core->ClipList().RowOf(shown->Clip(1))));
    QApplication::processEvents();
    window->TextEditor()->setPlainText(QString::fromUtf8("caf\xC3\xA9 needle, NEEDLE"));
    settings->FindScope = shell::TFind::CurrentClip;
    window->Commands()->Action(Commands::FindNext)->trigger();
    EXPECT_EQ(window->TextEditor()->textCursor().selectionStart(), 5);
    EXPECT_EQ(window->TextEditor()->textCursor().selectedText(), "needle");
    window->Commands()->Action(Commands::FindNext)->trigger();
    EXPECT_EQ(window->TextEditor()->textCursor().selectionStart(), 13);
    window->Commands()->Action(Commands::FindNext)->trigger();
    EXPECT_EQ(window->StatusPanel(TStatusLine::TextPanel).toStdString(), "Not Found.");
}

TEST_F(FindWindowTest, TypingInTheListFiltersItsRowsAndEscapeRestoresThemWithTheSelection) {
    StartWithClips();
    shell::TClipListModel& list = core->ClipList();
    QTableView* table = window->List();
    TFilterBox* box = window->FilterBox();
    EXPECT_EQ(box->placeholderText(), "Filter (Ctrl+K)");
    list.SelectOnly(static_cast<std::size_t>(list.RowOf(list.Clip(3))));
    const clipstore::TClipObj* before = list.FirstSelected();

    // A printable key in the list goes to the box; the rest is typed there.
    QTest::keyClick(table, Qt::Key_B);
    EXPECT_EQ(box->text(), "b");
    QTest::keyClicks(box, "ETA");
    EXPECT_EQ(ViewRows(), 2);
    EXPECT_EQ(ViewTitle(0), "beta two");
    EXPECT_EQ(ViewTitle(1), "beta");
    EXPECT_EQ(table->model()->index(0, 0).data(TClipTableModel::FilterMatchRole).toPoint(), QPoint(0, 4));

    // Selecting a shown row selects its clip.
    table->selectionModel()->select(table->model()->index(1, 0),
                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const clipstore::TClipObj* picked = list.FirstSelected();
    ASSERT_NE(picked, nullptr);
    EXPECT_EQ(picked->Title, "beta");
    EXPECT_NE(picked, before);
    EXPECT_EQ(core->CurrentClip(), picked);

    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_EQ(box->text(), "");
    EXPECT_EQ(ViewRows(), 4);
    EXPECT_EQ(list.FirstSelected(), picked);
    EXPECT_TRUE(table->selectionModel()->isRowSelected(list.RowOf(picked), QModelIndex()));

    // Ctrl+K's command goes to the box; a filter that matches nothing leaves no row.
    window->Commands()->Action(Commands::FilterList)->trigger();
    QTest::keyClicks(box, "zzz");
    EXPECT_EQ(ViewRows(), 0);
    box->clear();
    EXPECT_EQ(ViewRows(), 4);
}

TEST_F(FindWindowTest, ARowTheFilterHidesIsNeverSelectedSoNoCommandReachesIt) {
    StartWithClips();
    shell::TClipListModel& list = core->ClipList();
    TFilterBox* box = window->FilterBox();
    clipstore::TClipObj* hidden = list.Clip(0);
    ASSERT_EQ(hidden->Title, "beta two");
    list.SelectOnly(0);

    // The selected clip does not hold the text: the selection gives it up; Down picks the first row shown.
    window->FocusFilter();
    QTest::keyClicks(box, "needle");
    ASSERT_EQ(ViewRows(), 2);
    EXPECT_EQ(list.SelectedCount(), 0u);
    QTest::keyClick(box, Qt::Key_Down);
    ASSERT_EQ(list.SelectedCount(), 1u);
    EXPECT_EQ(list.FirstSelected()->Title, "gamma NEEDLE");
    EXPECT_TRUE(window->List()->hasFocus());

    // Untouched, the narrowed selection comes back whole with the full list.
    box->clear();
    list.SelectOnly(0);
    QTest::keyClicks(box, "needle");
    EXPECT_EQ(list.SelectedCount(), 0u);
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_EQ(ViewRows(), 4);
    EXPECT_EQ(list.FirstSelected(), hidden);
}

} // namespace
} // namespace bx::explorer
