// The explorer window on a running core of the simulated desktop (offscreen): the clip list and its
// selection, sorting by the headers, the preview pane's pages, notices, editing and pinning.
#include "CoreTestFixture.h"
#include "ExplorerWindowFixture.h"

#include "GlobalMemory.h"
#include "TClipData.h"
#include "TClipListSelection.h"
#include "TClipTableModel.h"
#include "TClipTitleDelegate.h"
#include "TCollectionTreeModel.h"
#include "THexDump.h"
#include "THtmlView.h"
#include "TImageFit.h"
#include "TImageLists.h"
#include "TImages.h"
#include "Tfilter.h"
#include "TfrmBX.h"

#include <QAction>
#include <QApplication>
#include <QBrush>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QToolButton>
#include <QTreeView>
#include <QWheelEvent>

#include <cstring>
#include <tuple>

namespace bx::explorer {
namespace {

using namespace shell::coretest;
using clipstore::TClipColl;
using clipstore::TClipObj;
using platform::CF_BITMAP;
using platform::CF_TEXT;

using testsupport::GreyDib;

class ExplorerWindowTest : public test::ExplorerWindowFixture {
protected:
    void ShowCollection(const std::string& title) {
        core->Tree().Select(core->Tree().GetTreeNodeOfColl(Coll(title)));
        QApplication::processEvents();
    }
    std::vector<int> VisibleTabs() const {
        std::vector<int> tabs;
        for (int tab = 0; tab < TfrmBX::TabCount; ++tab)
            if (window->Pane()->isTabVisible(tab))
                tabs.push_back(tab);
        return tabs;
    }
    void Key(QEvent::Type type, int key, bool autoRepeat = false) {
        QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
        QApplication::sendEvent(window->List(), &event);
    }
    platform::UINT Registered(const char* name) { return desk.Clipboard().RegisterClipboardFormat(name); }
};

TEST_F(ExplorerWindowTest, AnEmptyCollectionSaysNothingIsSelectedAfterTheWait) {
    StartWindow();
    CopyText(editor, "something");
    TClipColl* empty = nullptr;
    for (std::size_t i = 0; i < core->Tree().Count() && empty == nullptr; ++i)
        if (TClipColl* coll = core->Tree().At(i).Coll;
            coll != nullptr && coll->Count() == 0 && coll->CollType == TClipColl::NormalColl)
            empty = coll;
    ASSERT_NE(empty, nullptr);
    ShowCollection("Short-Term");
    ShowCollection(empty->Title);
    EXPECT_EQ(window->List()->model()->rowCount(), 0);
    desk.Advance(260);
    EXPECT_EQ(window->StatusPanel(2).toStdString(), "No Items Selected.");
    EXPECT_FALSE(window->PaneShown());
    EXPECT_EQ(window->Notice().toStdString(),
              "There is nothing to display.  Copy some data from any application to populate this collection.");
}

TEST_F(ExplorerWindowTest, SwitchingToACollectionPlacesAndShowsItsTopClip) {
    StartWindow();
    CopyText(editor, "older");
    CopyText(editor, "newest text");
    ShowCollection("Short-Term");
    EXPECT_EQ(ClipboardText(), "newest text");
    EXPECT_TRUE(window->PaneShown());
    EXPECT_EQ(window->Pane()->currentIndex(), TfrmBX::TabText);
    EXPECT_EQ(window->TextEditor()->toPlainText().toStdString(), "newest text");
    EXPECT_EQ(window->List()->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(window->List()->selectionModel()->selectedRows().front().row(), 0);
    EXPECT_EQ(window->StatusPanel(1).toStdString(), "11 Bytes");
}

TEST_F(ExplorerWindowTest, HoldingDownThroughTenRowsPlacesOnlyTheTenth) {
    StartWindow();
    for (int i = 1; i <= 12; ++i)
        CopyText(editor, "clip " + std::to_string(i));
    ShowCollection("Short-Term");
    window->List()->setFocus();
    const std::string first = ClipboardText();
    bool placedEarly = false;
    for (int i = 0; i < 9; ++i) {
        Key(QEvent::KeyPress, Qt::Key_Down, i > 0);
        desk.Advance(30);
        placedEarly = placedEarly || ClipboardText() != first;
    }
    EXPECT_FALSE(placedEarly);
    Key(QEvent::KeyRelease, Qt::Key_Down);
    const TClipObj* tenth = core->ClipList().Clip(9);
    EXPECT_EQ(ClipboardText(), tenth->Title);
    EXPECT_EQ(core->CurrentClip(), tenth);
}

TEST_F(ExplorerWindowTest, MySortHeaderClicksReverseAndAnotherColumnKeepsTheDirection) {
    StartWindow();
    CopyText(editor, "b first");
    CopyText(editor, "a second");
    CopyText(editor, "c third");
    ShowCollection("Short-Term");
    TClipColl* coll = Coll("Short-Term");
    ASSERT_EQ(coll->SortColumn, 1);
    ASSERT_FALSE(coll->SortAscending);
    QHeaderView* header = window->List()->horizontalHeader();
    auto title = [this](int row) { return window->List()->model()->index(row, 0).data().toString().toStdString(); };
    EXPECT_EQ(title(0), "c third");
    emit header->sectionClicked(1);
    EXPECT_TRUE(coll->SortAscending);
    EXPECT_EQ(title(0), "b first");
    emit header->sectionClicked(0);
    EXPECT_TRUE(coll->SortAscending);
    EXPECT_EQ(coll->SortColumn, 0);
    EXPECT_EQ(title(0), "a second");
    EXPECT_EQ(title(2), "c third");
}

TEST_F(ExplorerWindowTest, ABitmapOnlyClipShowsTheBitmapPageScaled) {
    StartWindow();
    ASSERT_TRUE(paint.Copy({{CF_BITMAP, GreyDib(3000, 40)}}));
    Settle();
    CopyText(editor, "text on top");
    ShowCollection("Short-Term");
    core->ClipList().SelectOnly(1);
    EXPECT_EQ(VisibleTabs(), std::vector<int>{TfrmBX::TabBitmap});
    EXPECT_TRUE(window->StretchBox()->isChecked());
    EXPECT_EQ(window->StatusPanel(1).toStdString(), "3000 x 40 Pixels");
    const std::string status = core->StatusText();
    ASSERT_EQ(status.rfind("Image Scaled To ", 0), 0u) << status;
    EXPECT_LT(std::stoi(status.substr(16)), 100);
    window->StretchBox()->setChecked(false);
    EXPECT_EQ(core->StatusText(), "Image Displayed Full Size, Scrolling.");
}

TEST(ImageFitTest, PlacesAndScalesAsThePageAllows) {
    // 200 x 100 in a page of 404 x 229 with a 29-pixel bar: room 400 x 195, centred.
    const TImageFit fits = TImageFit::Fit(200, 100, 404, 229, 29);
    EXPECT_EQ(fits.Left, 100);
    EXPECT_EQ(fits.Top, 76);
    EXPECT_EQ(fits.Width, 200);
    EXPECT_FALSE(fits.Stretch);
    EXPECT_EQ(fits.Status, "Image Displayed Full Size");
    // Twice as wide as the room: half size, centred vertically.
    const TImageFit wide = TImageFit::Fit(800, 100, 404, 229, 29);
    EXPECT_EQ(wide.Width, 400);
    EXPECT_EQ(wide.Height, 50);
    EXPECT_EQ(wide.Left, 0);
    EXPECT_EQ(wide.Top, (195 - 50) / 2 + 29);
    EXPECT_EQ(wide.Status, "Image Scaled To 50 %");
    // Too high: fitted to the height, centred horizontally.
    const TImageFit high = TImageFit::Fit(100, 390, 404, 229, 0);
    EXPECT_EQ(high.Height, 229);
    EXPECT_EQ(high.Left, (400 - high.Width) / 2);
    // A page with no room at all never divides by zero.
    EXPECT_NO_THROW(TImageFit::Fit(10, 10, 0, 0, 0));
}

TEST_F(ExplorerWindowTest, ClearingTheTextStoresNothing) {
    StartWindow();
    CopyText(editor, "keep me");
    CopyText(editor, "other");
    ShowCollection("Short-Term");
    TClipObj* clip = core->CurrentClip();
    window->TextEditor()->selectAll();
    window->TextEditor()->textCursor().removeSelectedText();
    ASSERT_TRUE(window->TextEditor()->document()->isModified());
    core->ClipList().SelectOnly(1);
    EXPECT_EQ(clip->Title, "other");
    ASSERT_TRUE(clip->HasFormat(CF_TEXT));
    const std::size_t size = clip->Lock(CF_TEXT);
    const std::string text(reinterpret_cast<const char*>(clip->LockedData),
                           strnlen(reinterpret_cast<const char*>(clip->LockedData), size));
    clip->Unlock();
    EXPECT_EQ(text, "other");
}

TEST_F(ExplorerWindowTest, EditingAClipWithRichTextAndABitmapLeavesTextOnly) {
    StartWindow();
    CopyText(editor, "plain");
    const platform::UINT rtf = Registered("Rich Text Format");
    // The editor's profile keeps its bitmaps too.
    desk.Registry().WriteValue(core->Filter()->AppKey(Coll("Short-Term")->Clip(0)->Creator), "BITMAP", "1");
    ASSERT_TRUE(editor.Copy(
        {{CF_TEXT, TextBytes("styled")}, {rtf, TextBytes("{\\rtf1 {\\b styled}}")}, {CF_BITMAP, SeededDib(3)}}));
    Settle();
    ShowCollection("Short-Term");
    TClipObj* clip = core->CurrentClip();
    ASSERT_TRUE(clip->HasFormat(rtf));
    EXPECT_EQ(VisibleTabs(), (std::vector<int>{TfrmBX::TabText, TfrmBX::TabRtf, TfrmBX::TabBitmap, TfrmBX::TabHtml}));
    window->Pane()->setCurrentIndex(TfrmBX::TabRtf);
    EXPECT_EQ(window->RtfEditor()->toPlainText().toStdString(), "styled");
    EXPECT_TRUE(window->RtfEditor()->document()->begin().begin().fragment().charFormat().font().bold());
    window->Pane()->setCurrentIndex(TfrmBX::TabText);
    QTextCursor cursor = window->TextEditor()->textCursor();
    cursor.select(QTextCursor::Document);
    cursor.insertText("edited words");
    core->ClipList().SelectOnly(1); // another clip: the edit is written back
    EXPECT_EQ(clip->FormatCount(), 1);
    EXPECT_TRUE(clip->HasFormat(CF_TEXT));
    EXPECT_FALSE(clip->HasFormat(rtf));
    EXPECT_FALSE(clip->HasFormat(CF_BITMAP));
    EXPECT_EQ(clip->IconIndex(), 0);
    EXPECT_EQ(core->Settings().Edits, 1);
    core->ClipList().SelectOnly(static_cast<std::size_t>(core->ClipList().RowOf(clip)));
    EXPECT_EQ(window->TextEditor()->toPlainText().toStdString(), "edited words");
}

// A handler of the window that fails (a damaged clip that cannot go back on the clipboard when the pane
// is un-pinned) reaches the error trap, and the window goes on.
TEST_F(ExplorerWindowTest, AFailureInAWindowHandlerReachesTheErrorTrap) {
    StartWindow();
    CopyText(editor, "damaged");
    TClipObj* clip = core->CurrentClip();
    ASSERT_NE(clip, nullptr);
    auto broken = std::make_unique<clipstore::TClipData>(clipstore::TClipData::TypeBlock);
    broken->FormatNum = platform::CF_OEMTEXT;
    broken->FormatName = "OEMTEXT";
    clip->Formats->push_back(std::move(broken));
    auto* pin = window->findChild<QToolButton*>("cmdMag_Pin");
    ASSERT_NE(pin, nullptr);
    pin->click();
    ASSERT_TRUE(window->Pinned());
    boxes.Clear();
    EXPECT_NO_THROW(pin->click());
    EXPECT_FALSE(window->Pinned());
    ASSERT_FALSE(boxes.Boxes().empty());
    EXPECT_NE(boxes.Boxes().back().text.find("NON-FATAL exception"), std::string::npos);
    CopyText(editor, "goes on");
    EXPECT_EQ(Coll("Short-Term")->Clip(0)->Title, "goes on");
}

// Closing writes a pending edit back and saves it; afterwards the clips are gone: the pane holds none,
// and a late focus change touches none.
TEST_F(ExplorerWindowTest, AfterTheShutDownThePaneHoldsNoClip) {
    StartWindow();
    CopyText(editor, "freed at the shut-down");
    window->SetPinned(true);
    ASSERT_NE(window->Selection()->EditClip, nullptr);
    window->TextEditor()->setPlainText("typed before closing");
    window->TextEditor()->document()->setModified(true);
    ASSERT_TRUE(core->FormCloseQuery());
    EXPECT_EQ(core->Settings().Edits, 1) << "the edit was written back before the save";
    EXPECT_EQ(window->Selection()->EditClip, nullptr);
    EXPECT_FALSE(window->Pinned());
    window->TextEditor()->setPlainText("typed later");
    window->TextEditor()->document()->setModified(true);
    window->RescueEditing();
    QEvent deactivate(QEvent::ActivationChange);
    QApplication::sendEvent(window.get(), &deactivate);
    EXPECT_EQ(core->Settings().Edits, 1);
}

TEST_F(ExplorerWindowTest, APinnedPaneKeepsItsClipAndBlinks) {
    StartWindow();
    CopyText(editor, "first");
    CopyText(editor, "second");
    ShowCollection("Short-Term");
    EXPECT_EQ(window->TextEditor()->toPlainText().toStdString(), "second");
    window->SetPinned(true);
    EXPECT_EQ(window->PinImage().toStdString(), "TB_TACK0");
    core->ClipList().SelectOnly(1);
    EXPECT_EQ(ClipboardText(), "first"); // the selection still goes on the clipboard
    EXPECT_EQ(window->TextEditor()->toPlainText().toStdString(), "second");
    EXPECT_EQ(window->PinImage().toStdString(), "TB_TACK2");
    window->SetPinned(false);
    EXPECT_EQ(window->PinImage().toStdString(), "TB_TACK1");
    EXPECT_EQ(ClipboardText(), "second"); // un-pinning puts the pane's clip back and selects it
    EXPECT_EQ(core->ClipList().FirstSelected(), core->ClipList().Clip(0));
}

TEST_F(ExplorerWindowTest, APrivateFormatOnlyClipShowsJustTheBinaryPage) {
    StartWindow();
    // The editor is known to the profile, which keeps its private format.
    CopyText(editor, "first");
    const std::string creator = Coll("Short-Term")->Clip(0)->Creator;
    desk.Registry().WriteValue(core->Filter()->AppKey(creator), "Brindlex Test Private", "1");
    const platform::UINT priv = Registered("Brindlex Test Private");
    ASSERT_TRUE(editor.Copy({{priv, Bytes{0x01, 0x02, 0x03, 0xFF}}}));
    Settle();
    ShowCollection("Short-Term");
    ASSERT_EQ(core->ClipList().Count(), 2u);
    EXPECT_EQ(VisibleTabs(), std::vector<int>{TfrmBX::TabBinary});
    EXPECT_EQ(window->BinaryFormats()->count(), 1);
    EXPECT_EQ(window->HexDump()->DataSize(), 4);
    EXPECT_EQ(window->HexDump()->Address()[3], 0xFF);
}

TEST_F(ExplorerWindowTest, GraphicsAloneAreNotDumped) {
    settings->ShowBinary = true;
    StartWindow();
    ASSERT_TRUE(paint.Copy({{CF_BITMAP, SeededDib(5)}}));
    Settle();
    ShowCollection("Short-Term");
    EXPECT_EQ(VisibleTabs(), std::vector<int>{TfrmBX::TabBitmap});
    ASSERT_GE(window->BinaryFormats()->count(), 1);
    EXPECT_TRUE(window->BinaryFormats()->itemText(0).endsWith(" (Not Displayable)"));
}

TEST_F(ExplorerWindowTest, SeveralSelectedRowsHideThePaneWithTheirNotice) {
    StartWindow();
    CopyText(editor, "one");
    CopyText(editor, "two");
    ShowCollection("Short-Term");
    window->List()->selectAll();
    QApplication::processEvents();
    EXPECT_EQ(core->ClipList().SelectedCount(), 2u);
    EXPECT_EQ(window->StatusPanel(2).toStdString(), "2 Items Selected.");
    EXPECT_FALSE(window->PaneShown());
    EXPECT_EQ(window->Notice().toStdString(),
              "There is nothing to display, because a Multiple Selection is in progress.");
}

TEST_F(ExplorerWindowTest, TheHtmlPageShowsTheFragmentAndFetchesNothing) {
    StartWindow();
    const platform::UINT html = Registered("HTML Format");
    const std::string body = "<html><body><!--StartFragment--><p>Hello <b>web</b><img "
                             "src=\"http://tracker.invalid/pixel.gif\"><img src=\"file:///etc/hostname\"></p>"
                             "<!--EndFragment--></body></html>";
    char header[200];
    const int headerSize = 105;
    const std::size_t start = body.find("<!--StartFragment-->") + 20;
    const std::size_t end = body.find("<!--EndFragment-->");
    std::snprintf(header, sizeof header,
                  "Version:0.9\r\nStartHTML:%010d\r\nEndHTML:%010d\r\nStartFragment:%010d\r\nEndFragment:%010d\r\n",
                  headerSize, headerSize + static_cast<int>(body.size()), headerSize + static_cast<int>(start),
                  headerSize + static_cast<int>(end));
    ASSERT_EQ(std::strlen(header), static_cast<std::size_t>(headerSize));
    ASSERT_TRUE(editor.Copy({{CF_TEXT, TextBytes("Hello web")}, {html, TextBytes(header + body)}}));
    Settle();
    ShowCollection("Short-Term");
    window->Pane()->setCurrentIndex(TfrmBX::TabHtml);
    EXPECT_EQ(window->Pane()->tabText(TfrmBX::TabHtml).toStdString(), "&HTML");
    EXPECT_EQ(window->StatusPanel(1).toStdString(), "Actual HTML");
    EXPECT_EQ(window->HtmlView()->toPlainText().trimmed().left(9).toStdString(), "Hello web");
    // Both images were asked for and refused: nothing was loaded.
    EXPECT_GE(window->HtmlView()->RefusedRequests(), 2);
    EXPECT_TRUE(window->HtmlView()
                    ->document()
                    ->resource(QTextDocument::ImageResource, QUrl("file:///etc/hostname"))
                    .toByteArray()
                    .isEmpty());
}

TEST(HtmlFragmentTest, BadHeadersNeverReadOutside) {
    EXPECT_EQ(THtmlView::Fragment("Version:0.9\r\nStartFragment:0000000040\r\nEndFragment:0000009999\r\n<p>x</p>"),
              "<p>x</p>");
    EXPECT_EQ(THtmlView::Fragment("StartFragment:30\r\nEndFragment:10\r\n"), "");
    EXPECT_EQ(THtmlView::Fragment("<b>plain html</b>"), "<b>plain html</b>");
    EXPECT_EQ(THtmlView::Fragment(""), "");
}

} // namespace
} // namespace bx::explorer

namespace bx::explorer {
namespace {

// The window with a few clips of each kind, drawn into "explorer_window.png" in the build directory for a
// person to look at.
TEST_F(ExplorerWindowTest, DrawsAScreenshot) {
    StartWindow();
    CopyText(editor, "A line of plain text");
    desk.Registry().WriteValue(core->Filter()->AppKey(Coll("Short-Term")->Clip(0)->Creator), "BITMAP", "1");
    ASSERT_TRUE(editor.Copy({{CF_TEXT, TextBytes("Picture with a caption")}, {CF_BITMAP, GreyDib(120, 60)}}));
    Settle();
    CopyText(editor, "https://example.org/a/page");
    ShowCollection("Short-Term");
    QApplication::processEvents();
    const QImage shot = window->grab().toImage();
    EXPECT_FALSE(shot.isNull());
    EXPECT_TRUE(shot.save(BX_ARTIFACT_DIR "/explorer_window.png"));
}

} // namespace
} // namespace bx::explorer

namespace bx::explorer {
namespace {

TEST_F(ExplorerWindowTest, ColumnWidthsAreKeptInTheSettingsStore) {
    const std::string key = settings->RootKey + "\\lvClips\\Columns";
    desk.Registry().WriteValue(key, "Sizes", "321,61,101,99,55");
    StartWindow();
    QHeaderView* header = window->List()->horizontalHeader();
    EXPECT_EQ(header->sectionSize(0), 321);
    EXPECT_EQ(header->sectionSize(3), 99);
    EXPECT_EQ(header->sectionSize(11), 400);
    header->resizeSection(0, 180);
    window->SetCore(nullptr, nullptr);
    EXPECT_EQ(desk.Registry().ReadValue(key, "Sizes").value_or(""), "180,61,101,99,55,18,18,18,18,18,18,400");
    // Attached again, the list keeps one title painter, not one per attachment.
    window->SetCore(core.get(), &desk);
    window->SetCore(nullptr, nullptr);
    window->SetCore(core.get(), &desk);
    EXPECT_EQ(window->List()->findChildren<TClipTitleDelegate*>().size(), 1);
    EXPECT_EQ(window->List()->horizontalHeader()->sectionSize(0), 180);
}

} // namespace
} // namespace bx::explorer

namespace bx::explorer {
namespace {

TEST_F(ExplorerWindowTest, TreeOrdersSiblingsBySortKeyAndMarksDivertingAndSafeCollections) {
    StartWindow();
    auto* model = qobject_cast<TCollectionTreeModel*>(window->Tree()->model());
    ASSERT_NE(model, nullptr);
    const QModelIndex top = model->index(0, 0);
    ASSERT_GE(model->rowCount(top), 2);
    // Give the children keys in the reverse of their order: the view turns round.
    std::vector<TClipColl*> children;
    for (int row = 0; row < model->rowCount(top); ++row)
        children.push_back(
            core->Tree().At(static_cast<std::size_t>(TCollectionTreeModel::NodeOf(model->index(row, 0, top)))).Coll);
    const int keys[] = {1010, 400, 200};
    for (std::size_t i = 0; i < children.size(); ++i)
        children[i]->SortKey = i < 3 ? keys[i] : 2000 + static_cast<int>(i);
    model->Rebuild();
    EXPECT_EQ(model->index(0, 0, top).data().toString().toStdString(),
              children[std::min<std::size_t>(2, children.size() - 1)]->Title);
    int previous = -1;
    for (int row = 0; row < model->rowCount(top); ++row) {
        const int node = TCollectionTreeModel::NodeOf(model->index(row, 0, top));
        const int key = core->Tree().At(static_cast<std::size_t>(node)).Coll->SortKey;
        EXPECT_LE(previous, key);
        previous = key;
    }
    // A collection that diverts new clips is dark red; a safe one underlined.
    TClipColl* coll = children.front();
    coll->AcceptNewClips = false;
    coll->Retention = TClipColl::KeepAll;
    const QModelIndex index = model->IndexOfNode(core->Tree().GetTreeNodeOfColl(coll));
    EXPECT_EQ(index.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(128, 0, 0));
    EXPECT_TRUE(index.data(Qt::FontRole).value<QFont>().underline());
    coll->AcceptNewClips = true;
    coll->Retention = 0;
    EXPECT_FALSE(index.data(Qt::ForegroundRole).isValid());
    EXPECT_FALSE(index.data(Qt::FontRole).isValid());
}

} // namespace
} // namespace bx::explorer

namespace bx::explorer {
namespace {

TEST_F(ExplorerWindowTest, WithoutTypeImagesCellsAndHeadersAreText) {
    settings->ShowTypeIcons = false;
    StartWindow();
    CopyText(editor, "words");
    ShowCollection("Short-Term");
    QAbstractItemModel* model = window->List()->model();
    EXPECT_EQ(model->index(0, 5).data().toString().toStdString(), "Y");
    EXPECT_EQ(model->index(0, 7).data().toString().toStdString(), "N");
    EXPECT_FALSE(model->index(0, 0).data(TClipTableModel::FormatImagesRole).isValid());
    EXPECT_EQ(model->headerData(5, Qt::Horizontal).toString().toStdString(), "Has Text");
}

TEST_F(ExplorerWindowTest, TitlesStartAfterTheMostFormatImagesOfTheListAsDrawn) {
    StartWindow();
    CopyText(editor, "plain");
    const auto* titles =
        dynamic_cast<const TClipTitleDelegate*>(window->List()->itemDelegateForColumn(shell::TClipListModel::ColTitle));
    ASSERT_NE(titles, nullptr);
    const auto drawnRoom = [this, titles] {
        (void)window->List()->viewport()->grab();
        return titles->MaxFormatIcons();
    };
    ShowCollection("Short-Term");
    EXPECT_EQ(drawnRoom(), 1);
    // A clip with more formats added while the list is shown widens the room.
    desk.Advance(1000);
    const platform::UINT rtf = Registered("Rich Text Format");
    ASSERT_TRUE(editor.Copy({{CF_TEXT, TextBytes("styled")}, {rtf, TextBytes("{\\rtf1 styled}")}}));
    Settle();
    ASSERT_EQ(window->List()->model()->rowCount(), 2);
    EXPECT_EQ(drawnRoom(), 2);
    // Another collection: the room is worked out again from its own rows.
    ShowCollection("Long-Term");
    EXPECT_EQ(drawnRoom(), 0);
    ShowCollection("Short-Term");
    EXPECT_EQ(drawnRoom(), 2);
}

TEST_F(ExplorerWindowTest, AClipWithNoKnownFormatShowsTheUnknownImage) {
    StartWindow();
    CopyText(editor, "first");
    desk.Registry().WriteValue(core->Filter()->AppKey(Coll("Short-Term")->Clip(0)->Creator), "Brindlex Test Other",
                               "1");
    ASSERT_TRUE(editor.Copy({{Registered("Brindlex Test Other"), Bytes{7, 7}}}));
    Settle();
    ShowCollection("Short-Term");
    QAbstractItemModel* model = window->List()->model();
    EXPECT_EQ(model->index(0, 0).data(TClipTableModel::FormatImagesRole).toStringList(), QStringList{"CF_UNKNOWN"});
    EXPECT_EQ(model->index(1, 0).data(TClipTableModel::FormatImagesRole).toStringList(), QStringList{"CF_TEXT"});
}

} // namespace
} // namespace bx::explorer

namespace bx::explorer {
namespace {

// Drags a splitter's handle by (dx, dy) pixels with the mouse.
void DragHandle(QSplitter* splitter, int dx, int dy) {
    QSplitterHandle* handle = splitter->handle(1);
    const QPointF start(handle->width() / 2.0, handle->height() / 2.0);
    const QPointF end = start + QPointF(dx, dy);
    for (const auto& [type, at, buttons] :
         {std::tuple{QEvent::MouseButtonPress, start, Qt::MouseButtons(Qt::LeftButton)},
          std::tuple{QEvent::MouseMove, end, Qt::MouseButtons(Qt::LeftButton)},
          std::tuple{QEvent::MouseButtonRelease, end, Qt::MouseButtons(Qt::NoButton)}}) {
        QMouseEvent event(type, at, handle->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(handle, &event);
    }
}

TEST_F(ExplorerWindowTest, SplittersStoreTheirPlacesAndEndTheExpandedPane) {
    StartWindow();
    CopyText(editor, "words");
    ShowCollection("Short-Term");
    auto* expand = window->findChild<QToolButton*>("cmdMag_SizeWindow");
    ASSERT_NE(expand, nullptr);
    // Expanded: the tree 1 pixel wide, the list 1 pixel high.
    expand->click();
    EXPECT_EQ(window->TreeSplitter()->sizes().value(0), 1);
    EXPECT_EQ(window->ListSplitter()->sizes().value(0), 1);
    // Moving a splitter stores the place and releases the button; pushed to the top the list keeps 2
    // pixels.
    DragHandle(window->TreeSplitter(), 150, 0);
    EXPECT_FALSE(expand->isChecked());
    EXPECT_EQ(settings->split1, window->TreeSplitter()->sizes().value(0));
    EXPECT_GT(settings->split1, 100);
    DragHandle(window->ListSplitter(), 0, 200);
    EXPECT_EQ(settings->split2, window->ListSplitter()->sizes().value(0));
    expand->click();
    DragHandle(window->ListSplitter(), 0, -500);
    EXPECT_FALSE(expand->isChecked());
    EXPECT_EQ(window->ListSplitter()->sizes().value(0), TfrmBX::MinListHeight);
    EXPECT_EQ(settings->split2, TfrmBX::MinListHeight);
}

TEST_F(ExplorerWindowTest, TheWheelMovesTheSelectionExceptOverTheEditor) {
    StartWindow();
    for (const char* text : {"one", "two", "three"})
        CopyText(editor, text);
    ShowCollection("Short-Term");
    QApplication::processEvents();
    const auto turn = [](QWidget* widget, int delta) {
        const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
        QWheelEvent event(at, widget->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(widget, &event);
    };
    TClipObj* top = core->ClipList().Clip(0);
    turn(window->Tree()->viewport(), -120); // toward the user: the next row
    EXPECT_EQ(core->CurrentClip(), core->ClipList().Clip(1));
    turn(window->TextEditor()->viewport(), -120);
    EXPECT_EQ(core->CurrentClip(), core->ClipList().Clip(1));
    turn(window->List()->viewport(), 120);
    EXPECT_EQ(core->CurrentClip(), top);
    // The toolbar's spin button: down is the next row.
    window->findChild<QToolButton*>("cmdScrollDown")->click();
    EXPECT_EQ(core->CurrentClip(), core->ClipList().Clip(1));
    window->findChild<QToolButton*>("cmdScrollUp")->click();
    EXPECT_EQ(core->CurrentClip(), top);
}

TEST_F(ExplorerWindowTest, CommandsOnTheSelectionFollowTheNumberOfSelectedRows) {
    StartWindow();
    for (const char* text : {"one", "two"})
        CopyText(editor, text);
    ShowCollection("Short-Term");
    QAction one("one");
    QAction some("some");
    window->AddSelectionCommand(&one, true);
    window->AddSelectionCommand(&some, false);
    EXPECT_TRUE(one.isEnabled());
    window->Selection()->SelectAll();
    EXPECT_FALSE(one.isEnabled());
    EXPECT_TRUE(some.isEnabled());
    core->ClipList().ClearSelection();
    EXPECT_FALSE(some.isEnabled());
}

} // namespace
} // namespace bx::explorer

namespace bx::explorer {
namespace {

TEST_F(ExplorerWindowTest, LeavingTheProgramPutsThePinnedEditedClipOnTheClipboard) {
    StartWindow();
    CopyText(editor, "first");
    CopyText(editor, "second");
    ShowCollection("Short-Term");
    window->SetPinned(true);
    TClipObj* pinned = core->CurrentClip();
    core->ClipList().SelectOnly(1);
    ASSERT_EQ(ClipboardText(), "first");
    window->TextEditor()->selectAll();
    window->TextEditor()->insertPlainText("second, edited");
    // Another window takes the focus.
    QWidget other;
    other.show();
    other.activateWindow();
    QApplication::processEvents();
    ASSERT_FALSE(window->isActiveWindow());
    EXPECT_EQ(ClipboardText(), "second, edited");
    EXPECT_EQ(core->CurrentClip(), pinned);
}

} // namespace
} // namespace bx::explorer

namespace bx::explorer {
namespace {

TEST_F(ExplorerWindowTest, TreeNodesAndTheCollectionButtonShowTheCollectionsIcons) {
    StartWindow();
    CopyText(editor, "words");
    ShowCollection("Short-Term");
    const TClipColl* shown = Coll("Short-Term");
    // The node: its state image, then its icon from the collection image list.
    const QModelIndex node = window->Tree()->currentIndex();
    const QImage picture = node.data(Qt::DecorationRole).value<QPixmap>().toImage();
    const QImage icon = TImages::CollectionImage(shown->ImageIndex).toImage();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(picture.copy(QRect(QPoint(TCollectionTreeModel::DecorationSize().width() / 2 + 1, 0), icon.size()))
                  .convertToFormat(icon.format()),
              icon);
    const QImage state = TImages::StateImage(core->CalcStateIndex(*shown)).toImage();
    ASSERT_FALSE(state.isNull()); // the collection holds the last captured clip
    EXPECT_EQ(picture.copy(QRect(QPoint(0, 0), state.size())).convertToFormat(state.format()), state);
    // The toolbar's collection button shows the shown collection's icon; a click moves to the next one.
    auto* button = window->findChild<QToolButton*>("cmdCollection");
    const QPixmap expected =
        TImages::CollectionButtonImage(shown->ImageIndex, window->palette().color(QPalette::Button));
    EXPECT_EQ(button->icon().pixmap(expected.size()).toImage().convertToFormat(QImage::Format_ARGB32),
              expected.toImage().convertToFormat(QImage::Format_ARGB32));
    EXPECT_EQ(TImageLists::Program()
                  .Image(TImageLists::Toolbar, TImageLists::CollectionButton)
                  .convertToFormat(QImage::Format_ARGB32),
              expected.toImage().convertToFormat(QImage::Format_ARGB32));
    const int before = core->Tree().Selected();
    button->click();
    EXPECT_NE(core->Tree().Selected(), before);
    EXPECT_NE(core->ClipList().Coll(), nullptr);
}

} // namespace
} // namespace bx::explorer
