// The application profile dialog, opened from the Config menu: what it lists, and that its ticks decide
// what the next capture keeps.
#include "CoreTestFixture.h"
#include "ExplorerWindowFixture.h"

#include "TfrmBX.h"
#include "TfrmFilter.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QTimer>

#include <functional>

namespace bx::explorer {
namespace {

using namespace shell::coretest;

class FilterDialogTest : public test::ExplorerWindowFixture {
protected:
    static QListWidgetItem* Item(QListWidget* list, const QString& text) {
        const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
        return found.isEmpty() ? nullptr : found.front();
    }
    std::function<void(TfrmFilter&)> CheckFirstOpening;
    std::function<void(TfrmFilter&)> SwitchOff;
};

TEST_F(FilterDialogTest, TheProfileIsShownAndItsTicksDecideTheNextCapture) {
    StartWindow();
    const platform::UINT rtf = editor.RegisterFormat("Rich Text Format");
    ASSERT_TRUE(editor.Copy(
        {{platform::CF_TEXT, TextBytes("kept")}, {platform::CF_LOCALE, {9, 4, 0, 0}}, {rtf, TextBytes("{}")}}));
    Settle();
    QAction* menu = window->findChild<QAction*>("mnuApplicationProfile");
    ASSERT_NE(menu, nullptr);
    bool shown = false;
    // The checks run once the dialog is up, in its own event loop.
    window->BeforeDialog = [&](QDialog& d) {
        QTimer::singleShot(0, &d, [&] { CheckFirstOpening(dynamic_cast<TfrmFilter&>(d)); });
    };
    CheckFirstOpening = [&](TfrmFilter& dialog) {
        shown = true;
        QListWidgetItem* owner = Item(dialog.Owners(), "GEDIT");
        ASSERT_NE(owner, nullptr);
        EXPECT_EQ(dialog.Owners()->currentItem(), owner) << "the current clip's application";
        EXPECT_EQ(owner->checkState(), Qt::Checked);
        EXPECT_EQ(dialog.Status(), "Loaded formats for application: GEDIT");
        QListWidgetItem* text = Item(dialog.Formats(), "TEXT");
        QListWidgetItem* locale = Item(dialog.Formats(), "LOCALE");
        ASSERT_NE(text, nullptr);
        ASSERT_NE(locale, nullptr);
        EXPECT_EQ(text->checkState(), Qt::Checked);
        EXPECT_EQ(locale->checkState(), Qt::Unchecked);
        EXPECT_FALSE(text->icon().isNull());
        EXPECT_TRUE(dialog.Formats()->isEnabled());

        Item(dialog.Formats(), "Rich Text Format")->setCheckState(Qt::Unchecked);
        EXPECT_EQ(dialog.Status(), "Disabled Format: Rich Text Format for application: GEDIT.");
        locale->setCheckState(Qt::Checked);
        EXPECT_EQ(dialog.Status(), "Enabled Format: LOCALE for application: GEDIT.");
        dialog.reject();
    };
    menu->trigger();
    ASSERT_TRUE(shown);
    ASSERT_TRUE(editor.Copy(
        {{platform::CF_TEXT, TextBytes("again")}, {platform::CF_LOCALE, {9, 4, 0, 0}}, {rtf, TextBytes("{}")}}));
    Settle();
    clipstore::TClipObj* clip = Coll("Short-Term")->Clip(0);
    ASSERT_EQ(clip->Title, "again");
    EXPECT_TRUE(clip->HasFormat(platform::CF_LOCALE));
    EXPECT_FALSE(clip->HasFormat(rtf));

    // Switching the application off: its formats cannot be changed, and nothing more is captured from it.
    window->BeforeDialog = [&](QDialog& d) {
        QTimer::singleShot(0, &d, [&] { SwitchOff(dynamic_cast<TfrmFilter&>(d)); });
    };
    SwitchOff = [&](TfrmFilter& dialog) {
        Item(dialog.Owners(), "GEDIT")->setCheckState(Qt::Unchecked);
        EXPECT_EQ(dialog.Status(), "Disabled Application: GEDIT.");
        EXPECT_FALSE(dialog.Formats()->isEnabled());
        dialog.reject();
    };
    menu->trigger();
    CopyText(editor, "not kept");
    EXPECT_EQ(Coll("Short-Term")->Clip(0)->Title, "again");
}

} // namespace
} // namespace bx::explorer
