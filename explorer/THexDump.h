#pragma once

#include "THexDumpState.h"

#include <QAbstractScrollArea>
#include <QColor>

#include <array>
#include <cstdint>
#include <span>

namespace bx::explorer {

// A scrolling view of a block of bytes: an optional address column (the line's offset in the block), the
// bytes as hexadecimal values three cells apart, and optionally the bytes as characters. The control does
// not own the bytes: the caller keeps the block alive while it is shown. Keys and left clicks move the
// current line, which is kept in view but not drawn differently.
class THexDump : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum class BorderStyle { None, Single };
    enum ColorIndex { AddressColor = 0, HexDataColor = 1, AnsiCharColor = 2 };

    explicit THexDump(QWidget* parent = nullptr);

    // The bytes shown, or an empty span for none; a block makes the control active. Only the first
    // DataSize() bytes are shown, and never more than the span holds.
    void SetAddress(std::span<const std::uint8_t> block);
    void ClearAddress();
    void SetDataSize(int count);
    void SetTopLine(int line);
    void SetCurrentLine(int line);
    void SetShowAddress(bool on);
    void SetShowCharacters(bool on);
    void SetBorder(BorderStyle style);
    // A column's colour; until one is set, each follows the palette (see TThemeColors).
    void SetColor(int index, const QColor& color);

    bool Active() const { return state_.Active(); }
    std::span<const std::uint8_t> Address() const { return block_; }
    int DataSize() const { return state_.DataSize(); }
    int TopLine() const { return state_.TopLine(); }
    int CurrentLine() const { return state_.CurrentLine(); }
    int VisibleLines() const { return state_.VisibleLines(); }
    int LineCount() const { return state_.LineCount(); }
    int BytesPerLine() const { return state_.BytesPerLine(); }
    int ItemHeight() const { return state_.ItemHeight(); }
    int ItemWidth() const { return state_.ItemWidth(); }
    bool ShowAddress() const { return state_.ShowAddress(); }
    bool ShowCharacters() const { return state_.ShowCharacters(); }
    BorderStyle Border() const { return border_; }
    QColor Color(int index) const;
    const THexDumpState& State() const { return state_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void ApplyPalette();
    void UpdateMetrics();
    void Relayout();
    void UpdateScrollBar();
    void ApplyTopLine(int line);
    void RepaintLine(int line);
    void OnScrollAction(int action);

    THexDumpState state_;
    std::span<const std::uint8_t> block_;
    BorderStyle border_ = BorderStyle::Single;
    std::array<QColor, 3> colors_;
    std::array<bool, 3> chosen_{};
    bool syncingBar_ = false;
};

} // namespace bx::explorer
