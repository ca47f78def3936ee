#include "TFormatList.h"

#include "TClipData.h"

#include <gtest/gtest.h>

#include <vector>

namespace bx::clipstore {
namespace {

std::vector<TClipData*> Items(const TFormatList& list) {
    std::vector<TClipData*> items;
    for (const auto& d : *list)
        items.push_back(d.get());
    return items;
}

TEST(FormatListTest, IsAbsentOnlyAfterResetAndPresentAgainWithAFormat) {
    TFormatList list;
    EXPECT_TRUE(list.has_value());
    EXPECT_TRUE(list->empty());
    list.reset();
    EXPECT_FALSE(list);
    EXPECT_EQ(list->size(), 0u);
    list->push_back(std::make_unique<TClipData>(TClipData::TypeBlock));
    EXPECT_TRUE(list);
    EXPECT_EQ(list->size(), 1u);
    list->push_back(nullptr); // not a format
    EXPECT_EQ(list->size(), 1u);
    list = TFormatList{};
    EXPECT_TRUE(list);
    EXPECT_TRUE(list->empty());
}

TEST(FormatListTest, KeepsFormatsInOrderThroughGrowingErasingMovingAndClearing) {
    for (std::size_t count : {1u, 2u, 3u, 9u}) {
        SCOPED_TRACE(count);
        TFormatList list;
        std::vector<TClipData*> made;
        for (std::size_t i = 0; i < count; ++i) {
            auto d = std::make_unique<TClipData>(TClipData::TypeBlock);
            d->FormatNum = static_cast<std::uint16_t>(i + 1);
            made.push_back(d.get());
            list.push_back(std::move(d));
            EXPECT_EQ(list.back().get(), made.back());
        }
        EXPECT_EQ(list.size(), count);
        EXPECT_EQ(Items(list), made);
        EXPECT_EQ(list[count - 1]->FormatNum, count);

        // Erasing the first format keeps the others in order, whether or not a list of their own
        // remains.
        const auto next = list.erase(list.begin(), list.begin() + 1);
        EXPECT_EQ(next, list.begin());
        made.erase(made.begin());
        EXPECT_EQ(Items(list), made);
        const auto end = list.erase(list.end(), list.end());
        EXPECT_EQ(end, list.end());

        // Moving hands the formats over and leaves a present, empty list behind.
        TFormatList moved(std::move(list));
        EXPECT_EQ(Items(moved), made);
        EXPECT_TRUE(list.has_value()); // NOLINT(bugprone-use-after-move)
        EXPECT_TRUE(list.empty());
        TFormatList target;
        target.push_back(std::make_unique<TClipData>(TClipData::TypeBlock));
        target = std::move(moved);
        EXPECT_EQ(Items(target), made);

        target.clear();
        EXPECT_TRUE(target.has_value());
        EXPECT_TRUE(target.empty());
        target.push_back(std::make_unique<TClipData>(TClipData::TypeBlock));
        EXPECT_EQ(target.size(), 1u);
    }
}

} // namespace
} // namespace bx::clipstore
