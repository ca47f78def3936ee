#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace bx::clipstore {

// Text helpers for strings kept as UTF-8: cutting without splitting a character, and decoding bytes
// from files of earlier installations, which are Windows-1252 when they are not valid UTF-8.
class TUtf8 {
public:
    // True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
    static bool IsValid(std::string_view bytes);
    // The longest prefix of at most maxBytes bytes that ends on a character boundary.
    static std::string CutBytes(std::string_view text, std::size_t maxBytes);
    // The first maxChars characters (a byte that does not start a valid sequence counts as one character).
    static std::string CutChars(std::string_view text, std::size_t maxChars);
    // The bytes as they are when they are valid UTF-8, else decoded as Windows-1252.
    static std::string FromStored(std::string_view bytes);
    static std::string FromWindows1252(std::string_view bytes);
    // UTF-8 text in Windows-1252; nullopt when a character has no form there or the text is no UTF-8.
    static std::optional<std::string> ToWindows1252(std::string_view utf8);
    // UTF-16LE code units to UTF-8; unpaired surrogates become U+FFFD.
    static std::string FromUtf16(std::span<const char16_t> units);
    // Upper-cases a to z only; every other byte stays.
    static std::string UpperAscii(std::string_view text);
    // Length of the valid UTF-8 sequence starting at text[i]; 0 when none starts there.
    static std::size_t SequenceLength(std::string_view text, std::size_t i);

private:
    static void Append(std::string& out, char32_t cp);
};

} // namespace bx::clipstore
