#pragma once

#include <cstdint>
#include <span>

class QTextDocument;

namespace bx::explorer {

// Turns rich text (RTF) into a formatted text document: paragraphs and their alignment and indents, fonts,
// sizes, bold, italic, underline, strike-out, raised and lowered text, text and background colours, line
// breaks and tabs, Unicode escapes and code-page escapes, and tables as rows of tab-separated cells. Whatever
// it does not understand is left out; control words never appear as text. The input is untrusted: nesting,
// numbers, table sizes and the amount of text are capped, and broken or cut-off input yields what could be
// read.
class TRtfReader {
public:
    // The most characters put into the document; the rest of the input is ignored.
    static constexpr int MaxCharacters = 2'000'000;
    // Groups nested deeper than this are left out with everything inside them.
    static constexpr int MaxDepth = 200;

    // Replaces the document's content with the converted text. False when the bytes do not begin with
    // "{\rtf" (leading white space allowed); the document is then left empty.
    static bool Read(std::span<const std::uint8_t> rtf, QTextDocument& document);
};

} // namespace bx::explorer
