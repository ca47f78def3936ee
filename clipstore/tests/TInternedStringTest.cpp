#include "TInternedString.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace bx::clipstore {
namespace {

TEST(InternedStringTest, EqualTextsShareOneCopyThatGoesWithItsLastHolder) {
    const std::size_t before = TInternedString::PoolSize();
    {
        TInternedString a("interned-test-editor");
        TInternedString b(std::string("interned-test-") + "editor");
        EXPECT_EQ(TInternedString::PoolSize(), before + 1);
        EXPECT_EQ(a, b);
        EXPECT_EQ(&a.str(), &b.str());
        EXPECT_EQ(a, "interned-test-editor");
        EXPECT_EQ("[" + a + "]", "[interned-test-editor]");

        TInternedString c = a;
        TInternedString d = std::move(b);
        EXPECT_TRUE(b.empty()); // NOLINT(bugprone-use-after-move): a moved-from text is empty
        a = "interned-test-other";
        EXPECT_EQ(TInternedString::PoolSize(), before + 2);
        c = TInternedString();
        EXPECT_EQ(TInternedString::PoolSize(), before + 2); // d still holds the first text
        d = std::string_view(d.str()).substr(9);            // a text made from its own characters
        EXPECT_EQ(d, "test-editor");
        EXPECT_EQ(TInternedString::PoolSize(), before + 2);
    }
    EXPECT_EQ(TInternedString::PoolSize(), before);

    // The empty text holds nothing and is equal to every other empty text.
    TInternedString empty("");
    EXPECT_TRUE(empty.empty());
    EXPECT_EQ(empty, TInternedString());
    EXPECT_EQ(empty.str(), "");
    EXPECT_STREQ(empty.c_str(), "");
    EXPECT_EQ(TInternedString::PoolSize(), before);
}

TEST(InternedStringTest, ThreadsMakeCopyAndDropTheSameTexts) {
    const std::size_t before = TInternedString::PoolSize();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            std::vector<TInternedString> held;
            for (int i = 0; i < 2000; ++i) {
                held.emplace_back("interned-thread-" + std::to_string((i + t) % 7));
                if (held.size() > 5) {
                    TInternedString copy = held.front();
                    held.erase(held.begin());
                    held.back() = copy;
                }
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(TInternedString::PoolSize(), before);
}

} // namespace
} // namespace bx::clipstore
