// The window's numbered image lists: the numbers other parts rely on, names without an image, and the
// user's collection icons from a folder.
#include "TImageLists.h"
#include "TImages.h"

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace bx::explorer {
namespace {

TEST(ImageListsTest, TheProgramsImagesHaveTheirFixedNumbers) {
    TImageLists lists;
    lists.Fill(&TImages::Find, {});
    struct Case {
        TImageLists::List List;
        const char* Name;
        int Index;
    };
    const Case cases[] = {
        {TImageLists::Toolbar, "TB_ERASE", 0},          {TImageLists::Toolbar, "TB_BLANK", 7},
        {TImageLists::Toolbar, "TB_GLUE_TIPPED", 10},   {TImageLists::MagToolbar, "TB_TACK1", 0},
        {TImageLists::MagToolbar, "TB_TACK0", 1},       {TImageLists::MagToolbar, "TB_SIZEWINDOW", 4},
        {TImageLists::MagToolbar, "TB_QPDOPASTE", 17},  {TImageLists::MagToolbar, "CF_UNKNOWN", 18},
        {TImageLists::Collections, "YELLOWBALL", 0},    {TImageLists::Collections, "PINKBALL", 2},
        {TImageLists::Collections, "TV_CHECK_BOTH", 3}, {TImageLists::Collections, "TV_NEWCLIP", 5},
        {TImageLists::Collections, "TV_FOLDER", 7},     {TImageLists::Collections, "TV_RECYCLE", 10},
        {TImageLists::Collections, "TV_TIME", 12},      {TImageLists::Collections, "B1", 13},
        {TImageLists::Collections, "B12", 24},          {TImageLists::Collections, "B13", -1},
        {TImageLists::Collections, "B14", 25},          {TImageLists::Collections, "B33", 44},
        {TImageLists::Collections, "TV_GREY", 45},      {TImageLists::Clips, "CF_TEXT", 0},
        {TImageLists::Clips, "CF_UNKNOWN", 5},          {TImageLists::Clips, "NO", 10},
    };
    for (const Case& c : cases)
        EXPECT_EQ(lists.IndexOf(c.List, c.Name), c.Index) << c.Name;
    EXPECT_EQ(lists.Count(TImageLists::Toolbar), 11);
    EXPECT_EQ(lists.Count(TImageLists::MagToolbar), 19);
    EXPECT_EQ(lists.Count(TImageLists::Collections), TImageLists::FirstUserIcon);
    EXPECT_EQ(lists.Count(TImageLists::Clips), 11);
    // Every image has its list's size.
    for (int list = 0; list < TImageLists::ListCount; ++list) {
        const auto l = static_cast<TImageLists::List>(list);
        for (int i = 0; i < lists.Count(l); ++i)
            EXPECT_EQ(lists.Image(l, i).size(), TImageLists::ImageSize(l)) << list << "/" << i;
    }
    EXPECT_TRUE(lists.Image(TImageLists::Collections, TImageLists::FirstUserIcon).isNull());
}

TEST(ImageListsTest, ANameWithoutAnImageAddsNothing) {
    TImageLists lists;
    lists.Fill(
        [](const QString& name, QSize size, qreal ratio) {
            return name == "TB_PRINT" || name == "YELLOWBALL" ? QImage() : TImages::Find(name, size, ratio);
        },
        {});
    EXPECT_EQ(lists.IndexOf(TImageLists::Toolbar, "TB_GLUE"), 1);
    EXPECT_EQ(lists.IndexOf(TImageLists::Collections, "PINKBALL"), 0);
    EXPECT_EQ(lists.Count(TImageLists::Collections), TImageLists::FirstUserIcon - 2);
}

TEST(ImageListsTest, UserIconsFollowInNameOrderIgnoringCase) {
    const std::string folder =
        (std::filesystem::temp_directory_path() / ("bx-icons-" + std::to_string(::getpid()))).string() + "/";
    std::filesystem::create_directories(folder + "d.bmp");
    // A 20 x 20 bitmap: olive is its transparent colour, and it is cut to the list's height.
    QImage bitmap(20, 20, QImage::Format_RGB32);
    bitmap.fill(QColor(128, 128, 0));
    bitmap.setPixel(1, 1, qRgb(255, 0, 0));
    ASSERT_TRUE(bitmap.save(QString::fromStdString(folder + "b.BMP"), "BMP"));
    QImage png(16, 16, QImage::Format_ARGB32);
    png.fill(QColor(0, 0, 255));
    for (const char* name : {"A.png", "Z.bmp", "a2.Png"})
        ASSERT_TRUE(png.save(QString::fromStdString(folder + name), "PNG"));
    std::ofstream(folder + "c.txt") << "not an icon";
    std::ofstream(folder + "broken.bmp") << "not a bitmap";

    EXPECT_EQ(TImageLists::UserIconFiles(folder),
              (std::vector<std::string>{"A.png", "a2.Png", "b.BMP", "broken.bmp", "Z.bmp"}));
    EXPECT_TRUE(TImageLists::UserIconFiles(folder + "missing/").empty());

    TImageLists lists;
    lists.Fill(&TImages::Find, folder);
    const int first = TImageLists::FirstUserIcon;
    ASSERT_EQ(lists.Count(TImageLists::Collections), first + 4); // the broken file adds nothing
    EXPECT_EQ(lists.IndexOf(TImageLists::Collections, "A.png"), first);
    EXPECT_EQ(lists.IndexOf(TImageLists::Collections, "b.BMP"), first + 2);
    EXPECT_EQ(lists.IndexOf(TImageLists::Collections, "Z.bmp"), first + 3);
    const QImage b = lists.Image(TImageLists::Collections, first + 2);
    EXPECT_EQ(b.size(), TImageLists::ImageSize(TImageLists::Collections));
    EXPECT_EQ(qAlpha(b.pixel(0, 0)), 0);
    EXPECT_EQ(b.pixel(1, 1), qRgb(255, 0, 0));
    std::filesystem::remove_all(folder);
}

TEST(ImageListsTest, AReloadStartsAgainFromTheProgramsImages) {
    const std::string folder =
        (std::filesystem::temp_directory_path() / ("bx-reload-" + std::to_string(::getpid()))).string() + "/";
    std::filesystem::create_directories(folder);
    QImage png(16, 16, QImage::Format_ARGB32);
    png.fill(QColor(0, 0, 255));
    ASSERT_TRUE(png.save(QString::fromStdString(folder + "mine.png"), "PNG"));
    TImageLists fresh;
    fresh.Fill(&TImages::Find, {});

    TImageLists& program = TImageLists::Program();
    QImage red(TImageLists::ImageSize(TImageLists::Toolbar), QImage::Format_ARGB32);
    red.fill(Qt::red);
    program.Replace(TImageLists::Toolbar, TImageLists::CollectionButton, red);
    TImageLists::Reload(folder);
    TImageLists::Reload(folder);
    EXPECT_EQ(program.Count(TImageLists::Collections), TImageLists::FirstUserIcon + 1);
    EXPECT_EQ(program.IndexOf(TImageLists::Collections, "mine.png"), TImageLists::FirstUserIcon);
    TImageLists::Reload({});
    for (int list = 0; list < TImageLists::ListCount; ++list) {
        const auto l = static_cast<TImageLists::List>(list);
        ASSERT_EQ(program.Count(l), fresh.Count(l)) << list;
        for (int i = 0; i < program.Count(l); ++i)
            EXPECT_EQ(program.Image(l, i), fresh.Image(l, i)) << list << "/" << i;
    }
    std::filesystem::remove_all(folder);
}

// On a screen scaled to 200 % the images are drawn from their double-resolution drawing, not enlarged.
TEST(ImageListsTest, EveryImageHasADoubleResolutionDrawing) {
    TImageLists lists;
    lists.Fill(&TImages::Find, {});
    const auto upscaled = [](const QImage& image) {
        return image.scaled(image.size() * 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_ARGB32);
    };
    const auto blank = [](const QImage& image) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) != 0)
                    return false;
        return true;
    };
    for (int list = 0; list < TImageLists::ListCount; ++list) {
        const auto l = static_cast<TImageLists::List>(list);
        for (int i = 0; i < lists.Count(l); ++i) {
            const QImage doubled = lists.Image(l, i, 2.0);
            EXPECT_EQ(doubled.size(), TImageLists::ImageSize(l) * 2) << list << "/" << i;
            EXPECT_EQ(doubled.devicePixelRatio(), 2.0) << list << "/" << i;
            if (!blank(lists.Image(l, i))) {
                EXPECT_NE(doubled.convertToFormat(QImage::Format_ARGB32), upscaled(lists.Image(l, i)))
                    << list << "/" << i;
            }
        }
    }
    // A toolbar button's icon on such a screen: 50 x 50 device pixels for a 25 x 25 button image.
    const QPixmap icon = TImages::Icon("TB_ERASE").pixmap(QSize(25, 25), 2.0);
    EXPECT_EQ(icon.size(), QSize(50, 50));
    EXPECT_EQ(icon.devicePixelRatio(), 2.0);
    EXPECT_NE(icon.toImage().convertToFormat(QImage::Format_ARGB32),
              upscaled(TImages::Icon("TB_ERASE").pixmap(QSize(25, 25), 1.0).toImage()));
}

} // namespace
} // namespace bx::explorer
