// The window's colours with a light and a dark palette: the status line, the title bar's message mode, the
// preview pane's notice, the hex view, a collection that diverts new clips and the clips' source addresses
// keep a readable contrast with their background, also when the palette changes while the window is open.
#include "ExplorerWindowFixture.h"

#include "TClipColl.h"
#include "TClipListModel.h"
#include "TCollectionTreeModel.h"
#include "THexDump.h"
#include "TPreviewPane.h"
#include "TSelectItemBar.h"
#include "TThemeColors.h"
#include "TestPalettes.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QStatusBar>
#include <QTableView>
#include <QTreeView>

#include <gtest/gtest.h>

namespace bx::explorer {
namespace {

using clipstore::TClipColl;
using shell::TClipListModel;

using test::DarkPalette;
using test::LightPalette;

// The colour of a picture that stands out most from its background: a large bold text's solid strokes.
QColor Strongest(const QImage& image, const QColor& background) {
    QColor best = background;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (const QColor c = image.pixelColor(x, y);
                TThemeColors::Contrast(c, background) > TThemeColors::Contrast(best, background))
                best = c;
    return best;
}

TEST(ThemeColorsTest, ContrastFollowsTheLuminanceRatio) {
    EXPECT_NEAR(TThemeColors::Contrast(Qt::black, Qt::white), 21.0, 1e-9);
    EXPECT_NEAR(TThemeColors::Contrast(QColor(128, 0, 0), Qt::white), 10.95, 0.01);
    // A hue that reads stays as it is; one that does not is lifted or darkened just enough.
    EXPECT_EQ(TThemeColors::Readable(QColor(128, 0, 0), Qt::white, 4.5), QColor(128, 0, 0));
    for (const QColor background : {QColor("#1e1e1e"), QColor(Qt::white), QColor("#808080")}) {
        const QColor red = TThemeColors::Readable(QColor(Qt::red), background, 4.5);
        EXPECT_GE(TThemeColors::Contrast(red, background), 4.5) << background.name().toStdString();
        EXPECT_GT(red.red(), red.blue()) << "the hue is kept";
    }
}

using ThemeContrastTest = test::ExplorerWindowFixture;

TEST_F(ThemeContrastTest, EveryColourReadsOnTheLightAndTheDarkPalette) {
    const QPalette original = QApplication::palette();
    StartWindow();
    CopyText(editor, "https://example.org/a/page");
    const struct {
        const char* Name;
        QPalette Palette;
    } palettes[] = {{"light", LightPalette()}, {"dark", DarkPalette()}};
    // Text needs 4.5:1, a placeholder (incidental text) 3:1.
    constexpr double Text = 4.5;
    constexpr double Placeholder = 3.0;
    for (const auto& [name, palette] : palettes) {
        SCOPED_TRACE(name);
        QApplication::setPalette(palette); // the window is already open: it follows the change
        QApplication::processEvents();

        for (QLabel* label : window->statusBar()->findChildren<QLabel*>())
            EXPECT_GE(TThemeColors::Contrast(label->palette().color(label->foregroundRole()),
                                             label->palette().color(label->backgroundRole())),
                      Text);

        TSelectItemBar* bar = window->SelectItemBar();
        bar->SetSuppressed(false);
        bar->ShowMessage("Nothing");
        QFont large = bar->font();
        large.setPointSize(28);
        large.setBold(true);
        bar->setFont(large);
        bar->resize(300, 60);
        const QColor face = bar->palette().color(QPalette::Button);
        EXPECT_GE(TThemeColors::Contrast(Strongest(bar->grab().toImage(), face), face), Text) << "message mode";

        const auto* notice = window->PreviewPane()->findChild<QLabel*>("lblNothingToDisplay");
        ASSERT_NE(notice, nullptr);
        EXPECT_GE(TThemeColors::Contrast(notice->palette().color(notice->foregroundRole()),
                                         notice->palette().color(notice->backgroundRole())),
                  Placeholder);

        const THexDump* hex = window->PreviewPane()->HexDump();
        const QColor sheet = hex->viewport()->palette().color(QPalette::Base);
        EXPECT_EQ(sheet, palette.color(QPalette::Base));
        for (int column : {THexDump::AddressColor, THexDump::HexDataColor, THexDump::AnsiCharColor})
            EXPECT_GE(TThemeColors::Contrast(hex->Color(column), sheet), Text) << "hex column " << column;

        TClipColl* diverting = Coll("Short-Term");
        ASSERT_NE(diverting, nullptr);
        ASSERT_EQ(diverting->CollType, TClipColl::NormalColl);
        diverting->AcceptNewClips = false;
        const auto* model = static_cast<const TCollectionTreeModel*>(window->Tree()->model());
        const QModelIndex node = model->IndexOfNode(core->Tree().GetTreeNodeOfColl(diverting));
        const QColor red = node.data(Qt::ForegroundRole).value<QBrush>().color();
        EXPECT_GE(TThemeColors::Contrast(red, window->Tree()->palette().color(QPalette::Base)), Text);
        if (std::string(name) == "light") {
            EXPECT_EQ(red, QColor(128, 0, 0)) << "the dark red reads on a light sheet as it is";
        }
        diverting->AcceptNewClips = true;

        const QTableView* list = window->List();
        ASSERT_GT(list->model()->rowCount(), 0);
        const QColor link =
            list->model()->index(0, TClipListModel::ColSourceUrl).data(Qt::ForegroundRole).value<QBrush>().color();
        EXPECT_GE(TThemeColors::Contrast(link, list->palette().color(QPalette::Base)), Text) << "source address";
    }
    QApplication::setPalette(original);
}

TEST(ThemeColorsTest, AColourSetOnTheHexViewStaysWhenThePaletteChanges) {
    THexDump hex;
    hex.setPalette(LightPalette());
    hex.SetColor(THexDump::AddressColor, QColor(10, 200, 30));
    const QColor values = hex.Color(THexDump::HexDataColor);
    hex.setPalette(DarkPalette());
    EXPECT_EQ(hex.Color(THexDump::AddressColor), QColor(10, 200, 30));
    EXPECT_NE(hex.Color(THexDump::HexDataColor), values); // the columns not set follow the palette
    EXPECT_EQ(hex.Color(THexDump::HexDataColor), QColor("#e0e0e0"));
}

} // namespace
} // namespace bx::explorer
