#include "THexDumpState.h"

#include "TCodePage.h"

#include <algorithm>

namespace bx::explorer {

namespace {

constexpr char HexDigits[] = "0123456789ABCDEF";

} // namespace

void THexDumpState::SetMetrics(int itemWidth, int itemHeight) {
    itemWidth_ = std::max(1, itemWidth);
    itemHeight_ = std::max(1, itemHeight);
}

void THexDumpState::SetClientSize(int width, int height) {
    clientWidth_ = std::max(0, width);
    clientHeight_ = std::max(0, height);
}

void THexDumpState::SetDataSize(int count) {
    dataSize_ = std::max(0, count);
}

void THexDumpState::Layout() {
    visibleLines_ = clientHeight_ / itemHeight_ + 1;
    const int cells = clientWidth_ / itemWidth_ - (showAddress_ ? AddressCells : 0);
    bytesPerLine_ = std::clamp(cells / (showCharacters_ ? 4 : 3), 1, MaxBytesPerLine);
    lineCount_ = dataSize_ / bytesPerLine_ + (dataSize_ % bytesPerLine_ != 0 ? 1 : 0);
    topLine_ = std::clamp(topLine_, 0, LastLine());
    currentLine_ = std::clamp(currentLine_, 0, LastLine());
}

int THexDumpState::ScrollTarget(ScrollAction action, int position) const {
    int line = topLine_;
    switch (action) {
    case ScrollAction::LineUp:
        line = topLine_ - 1;
        break;
    case ScrollAction::LineDown:
        line = topLine_ + 1;
        break;
    case ScrollAction::PageUp:
        line = topLine_ - (visibleLines_ - 1);
        break;
    case ScrollAction::PageDown:
        line = topLine_ + (visibleLines_ - 1);
        break;
    case ScrollAction::Position:
        line = position;
        break;
    }
    return std::clamp(line, 0, LastLine());
}

bool THexDumpState::SetTopLine(int line) {
    line = std::clamp(line, 0, LastLine());
    if (line == topLine_)
        return false;
    topLine_ = line;
    return true;
}

bool THexDumpState::SetCurrentLine(int line) {
    line = std::clamp(line, 0, LastLine());
    if (line == currentLine_)
        return false;
    currentLine_ = line;
    return true;
}

std::optional<int> THexDumpState::TopLineForCurrent() const {
    if (currentLine_ < topLine_)
        return currentLine_;
    if (currentLine_ >= topLine_ + visibleLines_ - 1) {
        // The last row is only partly visible: the current line becomes the second-to-last row.
        const int top = std::clamp(currentLine_ - visibleLines_ + 2, 0, LastLine());
        if (top != topLine_)
            return top;
    }
    return std::nullopt;
}

std::optional<int> THexDumpState::KeyTarget(Key key) const {
    if (!active_)
        return std::nullopt;
    switch (key) {
    case Key::PageUp:
        return currentLine_ - visibleLines_;
    case Key::PageDown:
        return currentLine_ + visibleLines_;
    case Key::Home:
        return 0;
    case Key::End:
        return LastLine();
    case Key::Up:
        return currentLine_ - 1;
    case Key::Down:
        return currentLine_ + 1;
    }
    return std::nullopt;
}

int THexDumpState::LineAt(int y) const {
    return topLine_ + std::max(0, y) / itemHeight_;
}

std::optional<THexDumpState::LineBytes> THexDumpState::Line(int line) const {
    if (line < 0 || line >= lineCount_)
        return std::nullopt;
    int count = bytesPerLine_;
    if (line == lineCount_ - 1 && dataSize_ % bytesPerLine_ > 0)
        count = dataSize_ % bytesPerLine_;
    return LineBytes{static_cast<std::size_t>(line) * static_cast<std::size_t>(bytesPerLine_), count};
}

int THexDumpState::HexX(int index) const {
    return ((showAddress_ ? AddressCells : 0) + 3 * index) * itemWidth_;
}

int THexDumpState::CharX() const {
    return HexX(bytesPerLine_);
}

std::string THexDumpState::AddressText(std::size_t offset) {
    std::string text(9, ':');
    for (int i = 7; i >= 0; --i) {
        text[static_cast<std::size_t>(i)] = HexDigits[offset & 0xF];
        offset >>= 4;
    }
    return text;
}

std::string THexDumpState::HexByte(std::uint8_t byte) {
    return {HexDigits[byte >> 4], HexDigits[byte & 0xF]};
}

std::u16string THexDumpState::CharText(std::span<const std::uint8_t> bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    for (std::uint8_t byte : bytes) {
        const char32_t c = TCodePage::ToUnicode(1252, byte);
        const bool control = c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0xFFFD;
        text.push_back(control ? u'.' : static_cast<char16_t>(c));
    }
    return text;
}

} // namespace bx::explorer
