// The hex dump: line layout, scrolling and the current line, keys and clicks, and its drawing.
#include "THexDump.h"
#include "THexDumpState.h"
#include "TThemeColors.h"

#include <QApplication>
#include <QFont>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

using namespace bx::explorer;
using Key = THexDumpState::Key;
using Action = THexDumpState::ScrollAction;

namespace {

// A state with 8 x 16 pixel cells.
THexDumpState MakeState(int width, int height, int dataSize, bool address = false, bool chars = true) {
    THexDumpState state;
    state.SetMetrics(8, 16);
    state.SetShowAddress(address);
    state.SetShowCharacters(chars);
    state.SetClientSize(width, height);
    state.SetDataSize(dataSize);
    state.SetActive(true);
    state.Layout();
    return state;
}

std::vector<std::uint8_t> Bytes(std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t{0});
    return bytes;
}

void Press(QWidget& widget, Qt::Key key) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

// Counts the pixels of the image that differ from white.
int InkPixels(const QImage& image, const QRect& area) {
    int ink = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y) != QColor(Qt::white))
                ++ink;
    return ink;
}

} // namespace

TEST(THexDumpStateTest, BytesPerLineFollowTheWidthBetweenOneAndSixteen) {
    struct Case {
        int width;
        bool address;
        bool chars;
        int expected;
    };
    const Case cases[] = {
        {0, false, true, 1},        // too narrow for one byte
        {8, true, true, 1},         // narrower than the address column
        {40 * 8, false, true, 10},  // 40 cells, 4 per byte with characters
        {40 * 8, false, false, 13}, // 3 per byte without
        {50 * 8, true, true, 10},   // 10 cells of address
        {5000, true, true, 16},     // very wide
        {64 * 8 + 7, false, true, 16},
    };
    for (const Case& c : cases) {
        const THexDumpState state = MakeState(c.width, 100, 100, c.address, c.chars);
        EXPECT_EQ(state.BytesPerLine(), c.expected) << "width " << c.width;
    }
}

TEST(THexDumpStateTest, LinesAndTheShortLastLine) {
    const THexDumpState state = MakeState(5000, 100, 20);
    ASSERT_EQ(state.BytesPerLine(), 16);
    EXPECT_EQ(state.LineCount(), 2);
    EXPECT_EQ(state.VisibleLines(), 100 / 16 + 1);
    ASSERT_TRUE(state.Line(0));
    EXPECT_EQ(state.Line(0)->count, 16);
    ASSERT_TRUE(state.Line(1));
    EXPECT_EQ(state.Line(1)->offset, 16u);
    EXPECT_EQ(state.Line(1)->count, 4);
    EXPECT_FALSE(state.Line(2));
    EXPECT_FALSE(state.Line(-1));

    const THexDumpState full = MakeState(5000, 100, 32);
    EXPECT_EQ(full.LineCount(), 2);
    EXPECT_EQ(full.Line(1)->count, 16);
    EXPECT_EQ(MakeState(5000, 100, 0).LineCount(), 0);
}

TEST(THexDumpStateTest, ScrollActionsStayInsideTheLines) {
    THexDumpState state = MakeState(5000, 9 * 16, 16 * 100); // 10 visible lines, 100 lines
    ASSERT_EQ(state.VisibleLines(), 10);
    EXPECT_EQ(state.ScrollTarget(Action::LineUp), 0);
    EXPECT_EQ(state.ScrollTarget(Action::LineDown), 1);
    EXPECT_EQ(state.ScrollTarget(Action::PageDown), 9);
    EXPECT_EQ(state.ScrollTarget(Action::Position, 500), 99);
    EXPECT_EQ(state.ScrollTarget(Action::Position, -3), 0);
    EXPECT_TRUE(state.SetTopLine(95));
    EXPECT_EQ(state.ScrollTarget(Action::PageDown), 99);
    EXPECT_EQ(state.ScrollTarget(Action::PageUp), 86);
    EXPECT_FALSE(state.SetTopLine(95));

    // Fewer bytes keep the top and current lines inside the dump.
    state.SetCurrentLine(97);
    state.SetDataSize(16 * 3);
    state.Layout();
    EXPECT_EQ(state.TopLine(), 2);
    EXPECT_EQ(state.CurrentLine(), 2);
}

TEST(THexDumpStateTest, KeysMoveTheCurrentLineAndKeepItInView) {
    THexDumpState state = MakeState(5000, 9 * 16, 16 * 100);
    // Page Down from line 0: line 10 becomes current and the second-to-last visible row.
    ASSERT_EQ(*state.KeyTarget(Key::PageDown), 10);
    EXPECT_TRUE(state.SetCurrentLine(10));
    EXPECT_EQ(state.TopLineForCurrent(), 2);
    state.SetTopLine(2);

    EXPECT_EQ(*state.KeyTarget(Key::Up), 9);
    EXPECT_EQ(*state.KeyTarget(Key::PageUp), 0);
    EXPECT_EQ(*state.KeyTarget(Key::Home), 0);
    EXPECT_EQ(*state.KeyTarget(Key::End), 99);
    // A line above the top becomes the top line; one inside the full rows leaves it.
    state.SetCurrentLine(1);
    EXPECT_EQ(state.TopLineForCurrent(), 1);
    state.SetCurrentLine(5);
    EXPECT_EQ(state.TopLineForCurrent(), std::nullopt);
    // Beyond the end and below 0 are limited.
    EXPECT_TRUE(state.SetCurrentLine(1000));
    EXPECT_EQ(state.CurrentLine(), 99);
    EXPECT_TRUE(state.SetCurrentLine(-4));
    EXPECT_EQ(state.CurrentLine(), 0);

    state.SetActive(false);
    EXPECT_EQ(state.KeyTarget(Key::Down), std::nullopt);
    EXPECT_EQ(state.LineAt(3 * 16 + 15), state.TopLine() + 3);
}

TEST(THexDumpStateTest, LineTexts) {
    EXPECT_EQ(THexDumpState::AddressText(0), "00000000:");
    EXPECT_EQ(THexDumpState::AddressText(0x1FA0), "00001FA0:");
    EXPECT_EQ(THexDumpState::HexByte(0x0A), "0A");
    EXPECT_EQ(THexDumpState::HexByte(0xFF), "FF");
    const std::uint8_t bytes[] = {'A', 0x00, 0x0D, 0x7F, 0x81, 0x80, 0xE9, ' '};
    EXPECT_EQ(THexDumpState::CharText(bytes), u"A....\u20AC\u00E9 ");

    const THexDumpState state = MakeState(5000, 100, 100, true, true);
    EXPECT_EQ(state.HexX(0), 10 * 8);
    EXPECT_EQ(state.HexX(2), (10 + 6) * 8);
    EXPECT_EQ(state.CharX(), (10 + 3 * 16) * 8);
}

class THexDumpWidgetTest : public ::testing::Test {
protected:
    void SetUp() override {
        dump_.show();
        QApplication::processEvents();
    }
    // Resizes the dump so that its client area is rows x ItemHeight high and wide enough for 16 bytes.
    void ShowRows(int rows) {
        const int frame = dump_.width() - dump_.viewport()->width();
        dump_.resize(frame + 80 * dump_.ItemWidth(),
                     (dump_.height() - dump_.viewport()->height()) + rows * dump_.ItemHeight());
        QApplication::processEvents();
    }
    QImage Render() {
        QImage image(dump_.viewport()->size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        dump_.viewport()->render(&image);
        return image;
    }

    THexDump dump_;
};

TEST_F(THexDumpWidgetTest, DefaultsAtCreation) {
    EXPECT_FALSE(dump_.Active());
    EXPECT_EQ(dump_.DataSize(), 0);
    EXPECT_EQ(dump_.size(), QSize(300, 200));
    EXPECT_TRUE(dump_.ShowAddress());
    EXPECT_TRUE(dump_.ShowCharacters());
    EXPECT_EQ(dump_.Border(), THexDump::BorderStyle::Single);
    // The address column is red, as dark as the background needs for a readable contrast (pure red on
    // white is not).
    const QColor address = dump_.Color(THexDump::AddressColor);
    EXPECT_GT(address.red(), 3 * (address.green() + address.blue()));
    EXPECT_GE(TThemeColors::Contrast(address, dump_.viewport()->palette().color(QPalette::Base)), 4.5);
    const QFontMetrics fm(dump_.font());
    EXPECT_EQ(dump_.ItemHeight(), fm.height() + 2);
    EXPECT_EQ(dump_.ItemWidth(), fm.horizontalAdvance(QLatin1Char('D')) + 1);
}

TEST_F(THexDumpWidgetTest, WithoutBytesEveryRowIsClearAndKeysDoNothing) {
    ShowRows(9);
    dump_.SetDataSize(1000); // a size but no block
    Press(dump_, Qt::Key_PageDown);
    Press(dump_, Qt::Key_End);
    EXPECT_EQ(dump_.CurrentLine(), 0);
    const QImage image = Render();
    EXPECT_EQ(InkPixels(image, image.rect()), 0);

    const std::vector<std::uint8_t> bytes = Bytes(4);
    dump_.SetAddress(bytes);
    dump_.SetDataSize(0);
    EXPECT_TRUE(dump_.Active());
    Press(dump_, Qt::Key_Down);
    Press(dump_, Qt::Key_End);
    EXPECT_EQ(dump_.CurrentLine(), 0);
    EXPECT_EQ(dump_.TopLine(), 0);
    const QImage empty = Render();
    EXPECT_EQ(InkPixels(empty, empty.rect()), 0);
}

TEST_F(THexDumpWidgetTest, PageDownScrollsAndThePictureShowsTheLines) {
    ShowRows(9);
    ASSERT_EQ(dump_.VisibleLines(), 10);
    const std::vector<std::uint8_t> bytes = Bytes(20 * 16 + 4);
    dump_.SetAddress(bytes);
    dump_.SetDataSize(static_cast<int>(bytes.size()));
    ASSERT_EQ(dump_.BytesPerLine(), 16);
    EXPECT_EQ(dump_.LineCount(), 21);
    EXPECT_EQ(dump_.verticalScrollBar()->maximum(), 20);

    Press(dump_, Qt::Key_PageDown);
    EXPECT_EQ(dump_.CurrentLine(), 10);
    EXPECT_EQ(dump_.TopLine(), 2);
    EXPECT_EQ(dump_.verticalScrollBar()->value(), 2);
    Press(dump_, Qt::Key_End);
    EXPECT_EQ(dump_.CurrentLine(), 20);
    EXPECT_EQ(dump_.TopLine(), 12);
    Press(dump_, Qt::Key_Home);
    EXPECT_EQ(dump_.TopLine(), 0);

    // The scroll bar moves the top line; the current line stays.
    dump_.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(dump_.TopLine(), 1);
    dump_.verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(dump_.TopLine(), 10);
    dump_.verticalScrollBar()->setValue(400);
    EXPECT_EQ(dump_.TopLine(), 20);
    EXPECT_EQ(dump_.CurrentLine(), 0);
    dump_.SetTopLine(0);

    // A click picks the line under it.
    QMouseEvent click(QEvent::MouseButtonPress, QPointF(5, 3 * dump_.ItemHeight() + 2), QPointF(), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(dump_.viewport(), &click);
    EXPECT_EQ(dump_.CurrentLine(), 3);

    // Every visible row is drawn; the rows below the last line stay clear.
    dump_.SetTopLine(15); // lines 15 to 20 in rows 0 to 5
    const QImage image = Render();
    const int h = dump_.ItemHeight();
    EXPECT_GT(InkPixels(image, QRect(0, 0, image.width(), h)), 0);
    EXPECT_GT(InkPixels(image, QRect(0, 5 * h, image.width(), h)), 0);
    EXPECT_EQ(InkPixels(image, QRect(0, 6 * h, image.width(), image.height() - 6 * h)), 0);
    // The last line holds 4 bytes: nothing is drawn where its fifth value would be.
    const int fifth = dump_.State().HexX(4);
    EXPECT_EQ(InkPixels(image, QRect(fifth, 5 * h, dump_.State().CharX() - fifth, h)), 0);
}

TEST_F(THexDumpWidgetTest, AFontChangeRecomputesTheLayout) {
    ShowRows(9);
    dump_.SetShowAddress(false);
    const std::vector<std::uint8_t> bytes = Bytes(200);
    dump_.SetAddress(bytes);
    dump_.SetDataSize(200);
    const int height = dump_.ItemHeight();
    const int perLine = dump_.BytesPerLine();
    const int visible = dump_.VisibleLines();
    QFont big = dump_.font();
    big.setPointSize(big.pointSize() * 3);
    dump_.setFont(big);
    QApplication::processEvents();
    const QFontMetrics fm(big);
    EXPECT_EQ(dump_.ItemHeight(), fm.height() + 2);
    EXPECT_GT(dump_.ItemHeight(), height);
    EXPECT_LT(dump_.BytesPerLine(), perLine);
    EXPECT_LT(dump_.VisibleLines(), visible);
    EXPECT_EQ(dump_.LineCount(), (200 + dump_.BytesPerLine() - 1) / dump_.BytesPerLine());
}

TEST_F(THexDumpWidgetTest, NeverReadsBeyondTheBlock) {
    ShowRows(9);
    const std::vector<std::uint8_t> bytes = Bytes(10);
    dump_.SetAddress(bytes);
    dump_.SetDataSize(5000); // more than the block holds
    dump_.SetTopLine(0);
    const QImage image = Render();
    EXPECT_GT(InkPixels(image, QRect(0, 0, image.width(), dump_.ItemHeight())), 0);
    EXPECT_EQ(InkPixels(image, QRect(0, dump_.ItemHeight(), image.width(), image.height() - dump_.ItemHeight())), 0);
}
