// The clip list's rows: cell texts from clip fields, the row comparison and sorting by columns.
#include "TClipListModel.h"
#include "PlatformTypes.h"
#include "TClipColl.h"
#include "TClipContext.h"
#include "TClipObj.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace bx::shell {
namespace {

using clipstore::TClipColl;
using clipstore::TClipObj;

class ClipListModelTest : public ::testing::Test {
protected:
    void SetUp() override { coll.AddOrder = 0; }

    TClipObj* Add(const std::string& title, int sortKey, int serial, double stamp, const std::string& creator = "app") {
        auto clip = std::make_unique<TClipObj>(context, serial, creator);
        clip->Title = title;
        clip->SortKey = sortKey;
        clip->TimeStamp = stamp;
        TClipObj* raw = clip.get();
        coll.MyAddObject(title, std::move(clip));
        return raw;
    }
    std::vector<std::string> Titles() const {
        std::vector<std::string> titles;
        for (std::size_t i = 0; i < list.Count(); ++i)
            titles.push_back(list.Clip(i)->Title);
        return titles;
    }

    // Without a clock and clipboard: clips are stamped 0.
    clipstore::TClipContext context;
    TClipColl coll{context, false};
    TClipListModel list;
};

TEST(ClipListCompareTest, DatesTimesNumbersAndText) {
    struct Case {
        const char* a;
        const char* b;
        int sign;
    };
    const Case cases[] = {
        {"9", "10", -1},                                  // numbers, not text ("9" > "10" as text)
        {"-5", "3", -1},                                  // a sign is no date separator
        {"2026-02-01", "2026-10-01", -1},                 // dates in time
        {"2026-1-9 09:00:00", "2026-01-10 08:00:00", -1}, // dates with times
        {"2026-03-01 10:00:00", "2026-03-01 9:30:00", 1}, // "10" after "9" on the same day
        {"9:05", "10:00", -1},                            // times
        {"Invalid Date", "2026-01-01", 1},                // not a date: compared as text
        {"N", "Y", -1},                                   // the format columns
        {"abc", "abc", 0},
        {"1.5", "1.25", 1},
    };
    for (const Case& c : cases) {
        const int r = TClipListModel::CompareCells(c.a, c.b);
        EXPECT_EQ(r < 0 ? -1 : (r > 0 ? 1 : 0), c.sign) << c.a << " vs " << c.b;
    }
    // Case-sensitive: two texts that differ only by case are not equal.
    EXPECT_NE(TClipListModel::CompareCells("apple", "Apple"), 0);
}

TEST(ClipListColumnWidthsTest, StoredWidthsAreReadWithCare) {
    const auto standard = TClipListModel::ColumnWidths;
    EXPECT_EQ(TClipListModel::ParseColumnWidths(""), standard);
    auto widths = TClipListModel::ParseColumnWidths("250,70,x,-5,99999,18");
    EXPECT_EQ(widths[0], 250);
    EXPECT_EQ(widths[1], 70);
    EXPECT_EQ(widths[2], standard[2]); // not a number
    EXPECT_EQ(widths[3], standard[3]); // negative
    EXPECT_EQ(widths[4], standard[4]); // absurd
    EXPECT_EQ(widths[11], standard[11]);
    EXPECT_EQ(TClipListModel::ParseColumnWidths(TClipListModel::FormatColumnWidths(widths)), widths);
    EXPECT_EQ(TClipListModel::ParseColumnWidths(std::string(100000, ',')), standard);
}

TEST_F(ClipListModelTest, CellsComeFromFieldsAndFlagsOnly) {
    context.HtmlFormat = 0xC010;
    TClipObj* clip = Add("Hello", 300, 7, 46000.5, "gedit");
    clip->Formats.reset(); // an unloaded clip: its rows must not need its data
    clip->IconBits = 0;
    clip->SetIcon(platform::CF_TEXT);
    clip->SetIcon(0xC010);
    clip->SourceURL = "https://example.org/";
    EXPECT_EQ(TClipListModel::CellText(*clip, TClipListModel::ColTitle), "Hello");
    EXPECT_EQ(TClipListModel::CellText(*clip, TClipListModel::ColMySort), "300");
    EXPECT_EQ(TClipListModel::CellText(*clip, TClipListModel::ColDateTime), "2025-12-09 12:00:00");
    EXPECT_EQ(TClipListModel::CellText(*clip, TClipListModel::ColSource), "gedit");
    EXPECT_EQ(TClipListModel::CellText(*clip, TClipListModel::ColSerial), "7");
    EXPECT_EQ(TClipListModel::CellText(*clip, TClipListModel::ColHasText), "Y");
    EXPECT_EQ(TClipListModel::CellText(*clip, TClipListModel::ColHasRtf), "N"); // not registered in this run
    EXPECT_EQ(TClipListModel::CellText(*clip, TClipListModel::ColHasBmp), "N");
    EXPECT_EQ(TClipListModel::CellText(*clip, TClipListModel::ColHasHtml), "Y");
    EXPECT_EQ(TClipListModel::CellText(*clip, TClipListModel::ColSourceUrl), "https://example.org/");
    EXPECT_EQ(TClipListModel::FormatIconCount(*clip), 2);
    EXPECT_FALSE(clip->Formats.has_value());
}

TEST_F(ClipListModelTest, SortsByEachKindOfColumn) {
    Add("beta", 900, 10, 46001.0);
    Add("alpha", 1000, 9, 46003.25);
    Add("gamma", 100, 100, 46002.75);
    Add("delta", -5, 10, 46004.0); // a negative sort key; the serial number of beta
    list.Bind(&coll);
    list.UpdateLVClips();

    // Numbers by value, not as text; equal values keep their order.
    list.Sort(TClipListModel::ColMySort, false);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"alpha", "beta", "gamma", "delta"}));
    list.Sort(TClipListModel::ColSerial, true);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"alpha", "beta", "delta", "gamma"}));
    list.Sort(TClipListModel::ColMySort, true);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"delta", "gamma", "beta", "alpha"}));
    list.Sort(TClipListModel::ColDateTime, true);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"beta", "gamma", "alpha", "delta"}));
    list.Sort(TClipListModel::ColTitle, false);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"gamma", "delta", "beta", "alpha"}));
}

TEST_F(ClipListModelTest, SelectionAndFocusStayWithTheirClips) {
    Add("a", 1, 1, 0);
    TClipObj* b = Add("b", 2, 2, 0);
    Add("c", 3, 3, 0);
    list.Bind(&coll);
    list.UpdateLVClips();
    list.SelectOnly(1);
    list.Sort(TClipListModel::ColMySort, false);
    EXPECT_EQ(list.RowOf(b), 1);
    EXPECT_TRUE(list.IsSelected(1));
    list.Sort(TClipListModel::ColTitle, true);
    EXPECT_EQ(list.FirstSelected(), b);
    EXPECT_EQ(list.FocusedRow(), list.RowOf(b));
}

TEST_F(ClipListModelTest, HeaderClicksReverseOnTheSortColumnAndKeepTheDirectionElsewhere) {
    Add("b", 200, 1, 0);
    Add("a", 100, 2, 0);
    Add("c", 300, 3, 0);
    coll.SortColumn = TClipListModel::ColMySort;
    coll.SortAscending = false;
    coll.Dirty = false;
    list.Bind(&coll);
    list.UpdateLVClips();
    list.SortAsSaved();
    EXPECT_EQ(Titles(), (std::vector<std::string>{"c", "b", "a"}));

    list.ColumnClick(TClipListModel::ColMySort); // same column: ascending now
    EXPECT_TRUE(coll.SortAscending);
    EXPECT_TRUE(coll.Dirty);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"a", "b", "c"}));

    list.ColumnClick(TClipListModel::ColTitle); // another column: stays ascending
    EXPECT_EQ(coll.SortColumn, TClipListModel::ColTitle);
    EXPECT_TRUE(coll.SortAscending);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"a", "b", "c"}));

    list.ColumnClick(TClipListModel::ColTitle);
    EXPECT_FALSE(coll.SortAscending);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"c", "b", "a"}));

    // The pick list reverses and sorts by the collection's column, whatever was clicked; nothing is stored.
    list.PickListColumnClick();
    EXPECT_EQ(Titles(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_FALSE(coll.SortAscending);
}

} // namespace
} // namespace bx::shell
