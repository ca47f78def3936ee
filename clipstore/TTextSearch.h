#pragma once

#include <string_view>

namespace bx::clipstore {

// Searching texts for a needle without regard to the case of the letters a-z, without copying the
// text: what finding clips by their text does, on the main thread and on the search's helper thread
// alike (it touches no shared state).
class TTextSearch {
public:
    // Whether text, with its letters a-z upper-cased, holds upperNeedle (upper-cased the same way,
    // TUtf8::UpperAscii). An empty needle is held by any text. The needle's rarest byte is looked for
    // with memchr (both cases of a letter), and each place it occurs is compared in full; when those
    // places come too thick, the rest of the text is left to Boyer-Moore-Horspool.
    static bool HoldsUpperAscii(std::string_view text, std::string_view upperNeedle);
};

} // namespace bx::clipstore
