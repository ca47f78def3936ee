#pragma once

#include <cstdint>

namespace bx::explorer {

// Byte-to-character tables for the single-byte code pages found in rich text and in binary data:
// 437, 850, 852, 866, 874, 1250 to 1258 and Mac Roman (10000). UTF-8 and the multi-byte Asian code pages
// are decoded elsewhere.
class TCodePage {
public:
    // The 128 code points of bytes 0x80 to 0xFF, or nullptr for a code page without a table.
    static const char16_t* UpperHalf(int number);
    static bool IsSingleByte(int number);
    // The character of one byte; a code page without a table reads as 1252. Undefined bytes give U+FFFD.
    static char32_t ToUnicode(int number, std::uint8_t byte);
    // The code page of a font character set number as rich text declares it (\fcharsetN); 0 when the set
    // has no code page of its own (symbol fonts, unknown numbers).
    static int FromCharset(int charset);
};

} // namespace bx::explorer
