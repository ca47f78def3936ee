#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace bx::explorer {

// The arithmetic of the hex dump without any drawing: how many bytes fit on a line, how many lines there
// are and which ones are shown, where the current line is, and what each line's texts are. The widget
// THexDump feeds it the font's cell size and its client size and draws what it says.
class THexDumpState {
public:
    enum class Key { PageUp, PageDown, Home, End, Up, Down };
    enum class ScrollAction { LineUp, LineDown, PageUp, PageDown, Position };

    // Cells of the address column (8 digits, ':' and a gap) and the largest line.
    static constexpr int AddressCells = 10;
    static constexpr int MaxBytesPerLine = 16;

    // The font's cell: the letter height plus 2 and the letter width plus 1.
    void SetMetrics(int itemWidth, int itemHeight);
    void SetClientSize(int width, int height);
    void SetShowAddress(bool on) { showAddress_ = on; }
    void SetShowCharacters(bool on) { showCharacters_ = on; }
    // Negative counts become 0.
    void SetDataSize(int count);
    void SetActive(bool on) { active_ = on; }

    // Recomputes the visible lines, the bytes per line and the line count from the cell and client sizes,
    // and keeps the top and current lines inside the new line count.
    void Layout();

    bool Active() const { return active_; }
    bool ShowAddress() const { return showAddress_; }
    bool ShowCharacters() const { return showCharacters_; }
    int DataSize() const { return dataSize_; }
    int ItemWidth() const { return itemWidth_; }
    int ItemHeight() const { return itemHeight_; }
    int VisibleLines() const { return visibleLines_; }
    int BytesPerLine() const { return bytesPerLine_; }
    int LineCount() const { return lineCount_; }
    int TopLine() const { return topLine_; }
    int CurrentLine() const { return currentLine_; }
    // The highest line the scroll bar reaches (0 for an empty dump).
    int LastLine() const { return lineCount_ > 0 ? lineCount_ - 1 : 0; }

    // The top line a scroll action leads to, limited to 0 .. LastLine(); position is used by Position.
    int ScrollTarget(ScrollAction action, int position = 0) const;
    // Stores the top line limited to 0 .. LastLine(); true when it changed.
    bool SetTopLine(int line);

    // Stores the current line, limited to 0 .. LastLine(); true when it changed.
    bool SetCurrentLine(int line);
    // The top line that brings the current line into view, or none when it is in view already.
    std::optional<int> TopLineForCurrent() const;
    // The current line a key leads to; none while no block is shown.
    std::optional<int> KeyTarget(Key key) const;
    // The line under a point y pixels below the top of the client area.
    int LineAt(int y) const;

    // Where line L starts in the block and how many bytes it shows; none when L is not a line of the dump.
    struct LineBytes {
        std::size_t offset;
        int count;
    };
    std::optional<LineBytes> Line(int line) const;

    // Horizontal positions in pixels: the values start after the address column, each byte three cells
    // apart; the characters follow the full width of the values.
    int HexX(int index) const;
    int CharX() const;

    // "0000001F:" -- eight hexadecimal digits and a colon.
    static std::string AddressText(std::size_t offset);
    // Two hexadecimal digits per byte; the bytes are drawn three cells apart.
    static std::string HexByte(std::uint8_t byte);
    // The bytes as characters of code page 1252, with '.' for control characters and undefined bytes.
    static std::u16string CharText(std::span<const std::uint8_t> bytes);

private:
    int itemWidth_ = 8;
    int itemHeight_ = 16;
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    bool showAddress_ = true;
    bool showCharacters_ = true;
    bool active_ = false;
    int dataSize_ = 0;
    int visibleLines_ = 1;
    int bytesPerLine_ = 1;
    int lineCount_ = 0;
    int topLine_ = 0;
    int currentLine_ = 0;
};

} // namespace bx::explorer
