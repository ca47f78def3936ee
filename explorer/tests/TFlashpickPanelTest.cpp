// Flashpick's widgets over a running core: the alternate list with the clip list's columns, its title
// and "Set" menu, the buttons and the lock, and the keys of lvFP reaching Flashpick. The pick layout's
// other parts are the window's; a small view stands in for them as the window joins the panel.
#include "CoreTestFixture.h"

#include "IFlashpickView.h"
#include "TClipListModel.h"
#include "TClipTitleDelegate.h"
#include "TFlashpick.h"
#include "TFlashpickPanel.h"
#include "TPasteInto.h"
#include "TRelayfeed.h"
#include "TSendKey.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>

#include <memory>

namespace bx::explorer {
namespace {

using pastetools::IFlashpickView;
using pastetools::TFlashpick;

// The window's side of the pick layout: the panel's widgets, flags for the rest.
class PanelView : public IFlashpickView {
public:
    explicit PanelView(TFlashpickPanel& panel) : panel_(panel) {}
    bool DroppedDown() const override { return dropped; }
    void DropDown(bool down) override { dropped = down; }
    bool ExplorerView() const override { return false; }
    void SetExplorerView(bool) override {}
    void ExpandIfShrunk() override {}
    void CollapseToolbarArea(bool) override {}
    void ShowToolbar3(bool show) override { panel_.ShowToolbar3(show); }
    void ShowFPPanel(bool on) override { panel_.ShowFPPanel(on); }
    void ShowLockButton(bool visible, bool down) override { panel_.ShowLockButton(visible, down); }
    bool LockDown() const override { return panel_.LockDown(); }
    void SuspendRepaint(bool suspend) override { panel_.SuspendRepaint(suspend); }
    void FocusList(TFPList list) override {
        if (list == TFPList::FP)
            panel_.FocusFP();
    }
    void ShowMe() override {}
    bool WasMinimized() const override { return false; }
    void HideAgain() override {}
    void SetSingleSelection(bool) override {}

    bool dropped = false;

private:
    TFlashpickPanel& panel_;
};

class FlashpickPanelTest : public shell::coretest::CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        MakeCore();
        sendKey = std::make_unique<pastetools::TSendKey>(desk.Keyboard(), desk.Windows());
        paste = std::make_unique<pastetools::TPasteInto>(desk, *core, *sendKey, noCtrlV);
        relay = std::make_unique<pastetools::TRelayfeed>(*core, desk, boxes);
        flashpick = std::make_unique<TFlashpick>(*core, desk, boxes, *paste, *relay);
        panel = std::make_unique<TFlashpickPanel>();
        panelView = std::make_unique<PanelView>(*panel);
        flashpick->SetView(panelView.get());
        Run();
        panel->Attach(flashpick.get(), core.get());
        panel->resize(600, 300);
    }
    void TearDown() override {
        panel->Attach(nullptr, nullptr);
        flashpick->SetView(nullptr);
        panel.reset();
        flashpick.reset();
        relay.reset();
        paste.reset();
        CoreFixture::TearDown();
    }
    void LongTermClips(int count) {
        core->Tree().Select(core->Tree().GetTreeNodeOfColl(Coll("Long-Term")));
        for (int i = 1; i <= count; ++i)
            CopyText(editor, "kept " + std::to_string(i));
        core->Tree().Select(core->Tree().GetTreeNodeOfColl(Coll("Short-Term")));
        flashpick->mnuSetFPAlternate(-1);
        desk.Advance(1500);
    }
    void Key(QWidget* widget, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(widget, &press);
    }
    void StartFlashpick() {
        target.TakeForeground();
        flashpick->Flashpick();
        desk.Advance(TFlashpick::GraceMs);
        desk.SimulatedKeyboard().ClearEvents();
    }

    platform::sim::SimApp target{desk, "/usr/bin/mousepad", "letter.txt - Mousepad"};
    std::unique_ptr<pastetools::TSendKey> sendKey;
    std::unique_ptr<pastetools::TPasteInto> paste;
    std::unique_ptr<pastetools::TRelayfeed> relay;
    std::unique_ptr<TFlashpick> flashpick;
    std::unique_ptr<TFlashpickPanel> panel;
    std::unique_ptr<PanelView> panelView;
};

TEST_F(FlashpickPanelTest, TheWidgetsAreNamedAndCaptionedAndHiddenOutsideFlashpick) {
    EXPECT_EQ(panel->objectName(), "pnlFlashpick");
    EXPECT_EQ(panel->AlternateTitle()->objectName(), "pnlFPAlternate");
    EXPECT_EQ(panel->List()->objectName(), "lvFP");
    EXPECT_EQ(panel->Toolbar3()->objectName(), "Toolbar3");
    const std::pair<QWidget*, const char*> captioned[] = {
        {panel->SetButton(), "Set"}, {panel->StickyBox(), "Sticky?"}, {panel->PasteButton(), "Paste"},
        {panel->LockButton(), "FP"}, {panel->TabButton(), "Tab"},     {panel->EnterButton(), "Enter"}};
    for (const auto& [widget, caption] : captioned) {
        const auto* button = qobject_cast<QAbstractButton*>(widget);
        ASSERT_NE(button, nullptr) << caption;
        EXPECT_EQ(button->text().toStdString(), caption);
    }
    EXPECT_EQ(panel->HelpButton()->objectName(), "cmdFPHelp");
    EXPECT_TRUE(panel->isHidden() && panel->Toolbar3()->isHidden() && panel->LockButton()->isHidden());
    EXPECT_FALSE(panel->SetButton()->isEnabled());

    StartFlashpick();
    EXPECT_FALSE(panel->isHidden() || panel->Toolbar3()->isHidden() || panel->LockButton()->isHidden());
    EXPECT_TRUE(panel->SetButton()->isEnabled());
    EXPECT_EQ(panel->Toolbar3()->height(), TFlashpickPanel::Toolbar3Height);
    flashpick->FPTerminate();
    EXPECT_TRUE(panel->isHidden() && panel->Toolbar3()->isHidden() && panel->LockButton()->isHidden());
    EXPECT_EQ(panel->maximumHeight(), 0);
}

TEST_F(FlashpickPanelTest, TheAlternateListShowsItsCollectionLikeTheClipListAndRefusesEditing) {
    LongTermClips(3);
    EXPECT_EQ(panel->AlternateTitle()->text(), "Alternate Collection: Long-Term");
    QTableView* list = panel->List();
    ASSERT_NE(list->model(), nullptr);
    EXPECT_EQ(list->model()->rowCount(), 3);
    EXPECT_EQ(list->model()->columnCount(), shell::TClipListModel::ColumnCount);
    EXPECT_NE(qobject_cast<TClipTitleDelegate*>(list->itemDelegateForColumn(shell::TClipListModel::ColTitle)), nullptr);
    EXPECT_EQ(list->model()->index(0, shell::TClipListModel::ColTitle).data().toString().toStdString(),
              flashpick->AlternateList().Clip(0)->Title);
    EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    list->edit(list->model()->index(0, 0));
    EXPECT_TRUE(list->findChildren<QLineEdit*>().isEmpty()) << "no editor opens";

    // A row selected in the view is the list's selection and goes on the clipboard.
    list->selectRow(1);
    EXPECT_TRUE(flashpick->AlternateList().IsSelected(1));
    EXPECT_EQ(ClipboardText(), flashpick->AlternateList().Clip(1)->Title);
    // ... and the list's selection shows in the view.
    flashpick->AlternateList().SelectOnly(2);
    EXPECT_TRUE(list->selectionModel()->isRowSelected(2, {}));
    EXPECT_FALSE(list->selectionModel()->isRowSelected(1, {}));
}

TEST_F(FlashpickPanelTest, TheSetMenuListsTheCollectionsAndChoosesTheAlternateOne) {
    LongTermClips(1);
    emit panel->SetMenu()->aboutToShow();
    QAction* shortTerm = nullptr;
    QStringList texts;
    for (QAction* action : panel->SetMenu()->actions()) {
        texts << action->text().trimmed();
        if (action->text().trimmed() == "Short-Term")
            shortTerm = action;
    }
    EXPECT_EQ(texts.size(), static_cast<int>(core->Tree().Count()));
    EXPECT_TRUE(texts.contains("Long-Term"));
    ASSERT_NE(shortTerm, nullptr);
    shortTerm->trigger();
    EXPECT_EQ(flashpick->AlternateColl(), Coll("Short-Term"));
    EXPECT_EQ(settings->FPAlternateColl, "Short-Term");
    EXPECT_EQ(panel->AlternateTitle()->text(), "Alternate Collection: Short-Term");
}

TEST_F(FlashpickPanelTest, StickyButtonsAreTogglesThatKeepTheirStatesPlainOnesSendAtOnce) {
    EXPECT_TRUE(panel->StickyBox()->isChecked()) << "sticky by default";
    EXPECT_TRUE(panel->TabButton()->isCheckable());
    panel->TabButton()->click();
    EXPECT_TRUE(settings->FPTabButtonDown);
    EXPECT_TRUE(panel->TabButton()->isChecked());

    panel->StickyBox()->click();
    EXPECT_FALSE(settings->FPStickyButtons);
    EXPECT_FALSE(panel->TabButton()->isCheckable());
    EXPECT_FALSE(panel->TabButton()->isChecked()) << "released";
    StartFlashpick();
    panel->EnterButton()->click();
    EXPECT_EQ(target.KeysReceived().size(), 2u) << "Enter down and up, in the target";

    panel->LockButton()->click();
    EXPECT_TRUE(settings->FPLock);
    EXPECT_TRUE(panelView->LockDown());
}

TEST_F(FlashpickPanelTest, EnterAndEscapeInTheAlternateListGoToFlashpick) {
    LongTermClips(2);
    StartFlashpick();
    QTableView* list = panel->List();
    list->selectRow(0);
    Key(list, Qt::Key_Return);
    EXPECT_EQ(target.KeysReceived().size(), 4u) << "Ctrl+V";
    EXPECT_FALSE(flashpick->FPActive());

    StartFlashpick();
    Key(panel->StickyBox(), Qt::Key_Escape);
    EXPECT_FALSE(flashpick->FPActive());
    EXPECT_EQ(desk.Windows().GetForegroundWindow(), target.Window());
}

} // namespace
} // namespace bx::explorer
