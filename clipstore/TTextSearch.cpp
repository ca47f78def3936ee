#include "TTextSearch.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace bx::clipstore {

namespace {

char UpperAsciiChar(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// How common a byte is in text, roughly: blanks and frequent letters high, rare letters, control
// bytes and the bytes of other scripts low. Only the order matters.
constexpr std::array<std::uint8_t, 256> ByteRanks() {
    std::array<std::uint8_t, 256> rank{};
    for (std::size_t c = 0; c < 256; ++c)
        rank[c] = c < 32 ? 10 : (c < 128 ? 100 : 60);
    constexpr std::string_view byFrequency = "etaoinshrdlcumwfgypbvkjxqz";
    for (std::size_t i = 0; i < byFrequency.size(); ++i) {
        const auto lower = static_cast<unsigned char>(byFrequency[i]);
        rank[lower] = static_cast<std::uint8_t>(250 - 7 * i);
        rank[lower - 'a' + 'A'] = static_cast<std::uint8_t>(240 - 7 * i);
    }
    for (unsigned char c : std::string_view("0123456789.,;:-'\"()/\r\n"))
        rank[c] = 130;
    rank[' '] = 255;
    return rank;
}
constexpr std::array<std::uint8_t, 256> Rank = ByteRanks();

bool SameUpperAscii(const char* text, std::string_view needle) {
    for (std::size_t i = 0; i < needle.size(); ++i)
        if (UpperAsciiChar(text[i]) != needle[i])
            return false;
    return true;
}

// Boyer-Moore-Horspool, whose skip table lets a text byte stand for the needle bytes it matches (a
// letter for both of its cases).
bool HorspoolUpperAscii(std::string_view text, std::string_view needle) {
    const std::size_t m = needle.size();
    if (m > text.size())
        return false;
    std::array<std::size_t, 256> skip;
    skip.fill(m);
    for (std::size_t i = 0; i + 1 < m; ++i) {
        const auto c = static_cast<unsigned char>(needle[i]);
        skip[c] = m - 1 - i;
        if (c >= 'A' && c <= 'Z')
            skip[c - 'A' + 'a'] = m - 1 - i;
    }
    for (std::size_t pos = 0; pos + m <= text.size();) {
        std::size_t j = m;
        while (j > 0 && UpperAsciiChar(text[pos + j - 1]) == needle[j - 1])
            --j;
        if (j == 0)
            return true;
        pos += skip[static_cast<unsigned char>(text[pos + m - 1])];
    }
    return false;
}

} // namespace

bool TTextSearch::HoldsUpperAscii(std::string_view text, std::string_view needle) {
    const std::size_t m = needle.size();
    if (m == 0 || m > text.size())
        return m == 0;
    std::size_t r = 0;
    for (std::size_t i = 1; i < m; ++i)
        if (Rank[static_cast<unsigned char>(needle[i])] < Rank[static_cast<unsigned char>(needle[r])])
            r = i;
    const char upper = needle[r];
    const char lower = upper >= 'A' && upper <= 'Z' ? static_cast<char>(upper - 'A' + 'a') : upper;
    const char* base = text.data();
    // The rare byte of a match starting at s is at s + r, for s from 0 to n - m.
    const std::size_t end = text.size() - m + r + 1;
    const auto next = [&](char c, std::size_t from) {
        const void* p = from < end ? std::memchr(base + from, c, end - from) : nullptr;
        return p != nullptr ? static_cast<std::size_t>(static_cast<const char*>(p) - base) : end;
    };
    std::size_t atUpper = next(upper, r);
    std::size_t atLower = lower != upper ? next(lower, r) : end;
    for (std::size_t tried = 1;; ++tried) {
        const std::size_t at = std::min(atUpper, atLower);
        if (at >= end)
            return false;
        const std::size_t start = at - r;
        if (SameUpperAscii(base + start, needle))
            return true;
        // Every start up to this one is settled.
        if (tried >= 16 && tried * 32 > start)
            return HorspoolUpperAscii(text.substr(start + 1), needle);
        if (at == atUpper)
            atUpper = next(upper, at + 1);
        else
            atLower = next(lower, at + 1);
    }
}

} // namespace bx::clipstore
