#include "TUtf8.h"

#include <algorithm>
#include <array>

namespace bx::clipstore {

std::size_t TUtf8::SequenceLength(std::string_view text, std::size_t i) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char c = b(i);
    const std::size_t left = text.size() - i;
    if (c < 0x80)
        return 1;
    const auto cont = [&](std::size_t k) { return k < left && (b(i + k) & 0xC0) == 0x80; };
    if (c >= 0xC2 && c <= 0xDF)
        return cont(1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        if (!cont(1) || !cont(2))
            return 0;
        const unsigned char c1 = b(i + 1);
        if (c == 0xE0 && c1 < 0xA0)
            return 0; // overlong
        if (c == 0xED && c1 >= 0xA0)
            return 0; // surrogate
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (!cont(1) || !cont(2) || !cont(3))
            return 0;
        const unsigned char c1 = b(i + 1);
        if (c == 0xF0 && c1 < 0x90)
            return 0; // overlong
        if (c == 0xF4 && c1 >= 0x90)
            return 0; // above U+10FFFF
        return 4;
    }
    return 0;
}

bool TUtf8::IsValid(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t n = SequenceLength(bytes, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

std::string TUtf8::CutBytes(std::string_view text, std::size_t maxBytes) {
    std::size_t end = 0;
    while (end < text.size()) {
        std::size_t n = SequenceLength(text, end);
        if (n == 0)
            n = 1;
        if (end + n > maxBytes)
            break;
        end += n;
    }
    return std::string(text.substr(0, end));
}

std::string TUtf8::CutChars(std::string_view text, std::size_t maxChars) {
    std::size_t end = 0;
    for (std::size_t count = 0; end < text.size() && count < maxChars; ++count) {
        const std::size_t n = SequenceLength(text, end);
        end += n == 0 ? 1 : n;
    }
    return std::string(text.substr(0, end));
}

void TUtf8::Append(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

namespace {

// 0x80 to 0x9F of Windows-1252; the five bytes that it leaves undefined map to the C1 controls.
constexpr std::array<char16_t, 32> Windows1252High = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

std::optional<std::string> TUtf8::ToWindows1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t n = SequenceLength(utf8, i);
        if (n == 0)
            return std::nullopt;
        auto b = [&](std::size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(utf8[i + k])); };
        char32_t cp = n == 1   ? b(0)
                      : n == 2 ? ((b(0) & 0x1F) << 6) | (b(1) & 0x3F)
                      : n == 3 ? ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F)
                               : ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
        i += n;
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out += static_cast<char>(cp);
            continue;
        }
        const auto* at = std::find(Windows1252High.begin(), Windows1252High.end(), static_cast<char16_t>(cp));
        if (cp > 0xFFFF || at == Windows1252High.end())
            return std::nullopt;
        out += static_cast<char>(0x80 + (at - Windows1252High.begin()));
    }
    return out;
}

std::string TUtf8::FromWindows1252(std::string_view bytes) {
    const auto& high = Windows1252High;
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x80 && c <= 0x9F)
            Append(out, high[c - 0x80]);
        else
            Append(out, c);
    }
    return out;
}

std::string TUtf8::FromStored(std::string_view bytes) {
    return IsValid(bytes) ? std::string(bytes) : FromWindows1252(bytes);
}

std::string TUtf8::FromUtf16(std::span<const char16_t> units) {
    std::string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            Append(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            Append(out, 0xFFFD);
        } else {
            Append(out, u);
        }
    }
    return out;
}

std::string TUtf8::UpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

} // namespace bx::clipstore
