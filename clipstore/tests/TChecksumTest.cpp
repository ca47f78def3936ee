#include "TChecksum.h"

#include <gtest/gtest.h>

#include <string>

using bx::clipstore::TChecksum;

TEST(ChecksumTest, PiecesGiveTheChecksumOfTheWholeAndAFlippedBitOrSeedChangesIt) {
    const std::string bytes = "The quick brown fox jumps over the lazy dog, " + std::string(300, 'x');
    const std::uint32_t whole = TChecksum::Of(bytes);
    TChecksum::Running running;
    running.Add(std::string_view(bytes).substr(0, 7));
    running.Add(std::string_view(bytes).substr(7));
    EXPECT_EQ(running.Value(), whole);
    EXPECT_NE(TChecksum::Of(bytes, 1), whole);
    for (std::size_t i = 0; i < bytes.size(); i += 37) {
        std::string damaged = bytes;
        damaged[i] = static_cast<char>(damaged[i] ^ 0x10);
        EXPECT_NE(TChecksum::Of(damaged), whole) << "byte " << i;
    }
    EXPECT_EQ(TChecksum::Of(std::string_view()), TChecksum::Running().Value());
}
