// The clip list's window side: what a drag out of the list offers other programs, the clip properties
// dialog over a clip, and the list's own keys.
#include "TClipListActions.h"
#include "ExplorerWindowFixture.h"
#include "TClipListView.h"
#include "TClipObj.h"
#include "TWindowCommands.h"
#include "TfrmClipProperties.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include <cstring>

namespace bx::explorer {
namespace {

using platform::CF_DIB;
using platform::CF_HDROP;
using platform::CF_TEXT;
using shell::coretest::SeededDib;
using shell::coretest::TextBytes;

// A file list as file managers put it on the clipboard: the header, then wide paths, each ended by a
// zero, and a zero after the last.
platform::sim::Bytes WideDropFiles(const std::vector<std::u16string>& paths) {
    platform::sim::Bytes block(20, 0);
    block[0] = 20; // where the paths start
    block[16] = 1; // wide
    for (const std::u16string& path : paths)
        for (const char16_t c : path + u'\0') {
            block.push_back(static_cast<std::uint8_t>(c & 0xff));
            block.push_back(static_cast<std::uint8_t>(c >> 8));
        }
    block.push_back(0);
    block.push_back(0);
    return block;
}

class ClipListActionsTest : public test::ExplorerWindowFixture {
protected:
    void ShowShortTerm() {
        core->Tree().Select(core->Tree().GetTreeNodeOfColl(Coll("Short-Term")));
        QApplication::processEvents();
    }
    void SelectTitle(const std::string& start) {
        for (std::size_t r = 0; r < core->ClipList().Count(); ++r)
            if (core->ClipList().Clip(r)->Title.starts_with(start))
                core->ClipList().SetSelection({r}, static_cast<int>(r));
    }
    std::unique_ptr<QMimeData> DragOf(const std::string& start) {
        SelectTitle(start);
        auto* list = dynamic_cast<TClipListView*>(window->List());
        return std::unique_ptr<QMimeData>(list->DragData(Qt::LeftButton));
    }
    platform::sim::SimApp files{desk, "/usr/bin/nautilus", "Home - Files"};
};

TEST_F(ClipListActionsTest, ADragOffersTheClipsAsTheClipboardWould) {
    StartWindow();
    const std::string longText = "long " + std::string(5000, 'z');
    CopyText(editor, longText);
    ASSERT_TRUE(paint.Copy({{CF_DIB, SeededDib(7)}}));
    Settle();
    ASSERT_TRUE(files.Copy({{CF_HDROP, WideDropFiles({u"/home/u/a b.txt", u"/home/u/c.png"})}}));
    Settle();
    core->SaveAllClips();
    ShowShortTerm();
    ASSERT_EQ(core->ClipList().Count(), 3u);
    for (std::size_t r = 0; r < core->ClipList().Count(); ++r)
        core->ClipList().Clip(r)->UnLoad();

    const auto text = DragOf("long");
    EXPECT_TRUE(text->hasFormat("application/x-brindlex-clips")) << "drops inside the program";
    EXPECT_EQ(text->data("text/plain;charset=utf-8").toStdString(), longText) << "read from its data file";
    EXPECT_EQ(text->text().toStdString(), longText);

    bool sawPicture = false;
    bool sawFiles = false;
    for (std::size_t r = 0; r < core->ClipList().Count(); ++r) {
        core->ClipList().SetSelection({r}, static_cast<int>(r));
        const std::unique_ptr<QMimeData> mime(dynamic_cast<TClipListView*>(window->List())->DragData(Qt::LeftButton));
        if (mime->hasFormat("image/png")) {
            sawPicture = true;
            EXPECT_FALSE(QImage::fromData(mime->data("image/png"), "PNG").isNull());
        }
        if (mime->hasUrls()) {
            sawFiles = true;
            EXPECT_EQ(mime->urls(),
                      (QList<QUrl>{QUrl::fromLocalFile("/home/u/a b.txt"), QUrl::fromLocalFile("/home/u/c.png")}));
        }
    }
    EXPECT_TRUE(sawPicture);
    EXPECT_TRUE(sawFiles);
}

TEST_F(ClipListActionsTest, ThePropertiesDialogWritesTheClipAndItsUncheckedFormatsAreNotOffered) {
    StartWindow();
    CopyText(editor, "first words");
    ShowShortTerm();
    SelectTitle("first");
    clipstore::TClipObj* clip = core->ClipList().FirstSelected();
    ASSERT_NE(clip, nullptr);
    bool warned = false;
    window->BeforeDialog = [&](QDialog& dialog) {
        auto* frm = qobject_cast<TfrmClipProperties*>(&dialog);
        ASSERT_NE(frm, nullptr);
        EXPECT_FALSE(frm->Warning()->isVisibleTo(frm));
        frm->TitleEdit()->setText("Renamed");
        frm->SortKeyEdit()->setText("77");
        for (int row = 0; row < frm->Formats()->count(); ++row)
            frm->Formats()->item(row)->setCheckState(Qt::Unchecked);
        warned = frm->Warning()->isVisibleTo(frm);
        QPushButton* ok = frm->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        QMetaObject::invokeMethod(ok, &QPushButton::click, Qt::QueuedConnection);
    };
    window->Commands()->Action(TWindowCommands::ClipProperties)->trigger();
    EXPECT_TRUE(warned);
    EXPECT_EQ(clip->Title, "Renamed");
    EXPECT_EQ(clip->SortKey, 77);
    EXPECT_FALSE(clip->GetPasteable(0));
    EXPECT_EQ(ClipboardText(), "") << "put back at once, offering nothing";
    EXPECT_EQ(window->List()->model()->index(0, 0).data().toString(), "Renamed");
}

TEST_F(ClipListActionsTest, TheListsKeysOpenItsMenuAndDelete) {
    StartWindow();
    CopyText(editor, "goes away");
    ShowShortTerm();
    core->ClipList().ClearSelection();
    QTableView* list = window->List();
    QKeyEvent menuKey(QEvent::KeyPress, Qt::Key_F10, Qt::ShiftModifier);
    QApplication::sendEvent(list, &menuKey);
    QMenu* menu = window->ListActions()->Open();
    ASSERT_NE(menu, nullptr);
    const QAction* remove = menu->findChild<QAction*>("mnuPopupClips_Delete");
    ASSERT_NE(remove, nullptr);
    EXPECT_FALSE(remove->isEnabled()) << "nothing selected";
    menu->close();

    SelectTitle("goes");
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(list, &del);
    EXPECT_EQ(core->MasterList()->TrashCan->Count(), 1u);
    EXPECT_EQ(core->ClipList().Count(), 0u);
}

} // namespace
} // namespace bx::explorer
