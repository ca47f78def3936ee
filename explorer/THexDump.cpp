#include "THexDump.h"

#include "TThemeColors.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace bx::explorer {

THexDump::THexDump(QWidget* parent) : QAbstractScrollArea(parent) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    viewport()->setAutoFillBackground(true);
    viewport()->setBackgroundRole(QPalette::Base);
    ApplyPalette();
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, &THexDump::OnScrollAction);
    resize(300, 200);
    UpdateMetrics();
    Relayout();
}

void THexDump::SetAddress(std::span<const std::uint8_t> block) {
    block_ = block;
    state_.SetActive(block.data() != nullptr);
    viewport()->update();
}

void THexDump::ClearAddress() {
    SetAddress({});
}

void THexDump::SetDataSize(int count) {
    state_.SetDataSize(count);
    Relayout();
    viewport()->update();
}

void THexDump::SetTopLine(int line) {
    ApplyTopLine(line);
}

void THexDump::SetCurrentLine(int line) {
    const int old = state_.CurrentLine();
    if (!state_.SetCurrentLine(line))
        return;
    RepaintLine(old);
    RepaintLine(state_.CurrentLine());
    if (const std::optional<int> top = state_.TopLineForCurrent())
        ApplyTopLine(*top);
}

void THexDump::SetShowAddress(bool on) {
    state_.SetShowAddress(on);
    Relayout();
    viewport()->update();
}

void THexDump::SetShowCharacters(bool on) {
    state_.SetShowCharacters(on);
    Relayout();
    viewport()->update();
}

void THexDump::SetBorder(BorderStyle style) {
    border_ = style;
    setFrameStyle(style == BorderStyle::Single ? (QFrame::Box | QFrame::Plain) : QFrame::NoFrame);
    // The frame takes client space: the layout follows through the resulting resize of the viewport.
    Relayout();
    viewport()->update();
}

void THexDump::SetColor(int index, const QColor& color) {
    if (index < 0 || index >= static_cast<int>(colors_.size()))
        return;
    colors_[static_cast<std::size_t>(index)] = color;
    chosen_[static_cast<std::size_t>(index)] = true;
    viewport()->update();
}

void THexDump::ApplyPalette() {
    const TThemeColors theme(palette());
    const std::array<QColor, 3> defaults = {theme.HexAddress(), theme.HexData(), theme.HexCharacters()};
    for (std::size_t i = 0; i < colors_.size(); ++i)
        if (!chosen_[i])
            colors_[i] = defaults[i];
    viewport()->update();
}

QColor THexDump::Color(int index) const {
    if (index < 0 || index >= static_cast<int>(colors_.size()))
        return {};
    return colors_[static_cast<std::size_t>(index)];
}

void THexDump::UpdateMetrics() {
    const QFontMetrics fm(font());
    state_.SetMetrics(fm.horizontalAdvance(QLatin1Char('D')) + 1, fm.height() + 2);
}

void THexDump::Relayout() {
    state_.SetClientSize(viewport()->width(), viewport()->height());
    state_.Layout();
    UpdateScrollBar();
}

void THexDump::UpdateScrollBar() {
    syncingBar_ = true;
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, state_.LastLine());
    bar->setSingleStep(1);
    bar->setPageStep(std::max(1, state_.VisibleLines() - 1));
    bar->setValue(state_.TopLine());
    syncingBar_ = false;
}

void THexDump::ApplyTopLine(int line) {
    const int old = state_.TopLine();
    if (!state_.SetTopLine(line))
        return;
    syncingBar_ = true;
    verticalScrollBar()->setValue(state_.TopLine());
    syncingBar_ = false;
    const int moved = state_.TopLine() - old;
    if (moved == 1 || moved == -1)
        viewport()->scroll(0, -moved * state_.ItemHeight()); // repaints only the uncovered row
    else
        viewport()->update();
}

void THexDump::RepaintLine(int line) {
    const int row = line - state_.TopLine();
    if (row < 0 || row >= state_.VisibleLines())
        return;
    viewport()->update(0, row * state_.ItemHeight(), viewport()->width(), state_.ItemHeight());
}

void THexDump::OnScrollAction(int action) {
    using Action = THexDumpState::ScrollAction;
    int target = state_.TopLine();
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        target = state_.ScrollTarget(Action::LineUp);
        break;
    case QAbstractSlider::SliderSingleStepAdd:
        target = state_.ScrollTarget(Action::LineDown);
        break;
    case QAbstractSlider::SliderPageStepSub:
        target = state_.ScrollTarget(Action::PageUp);
        break;
    case QAbstractSlider::SliderPageStepAdd:
        target = state_.ScrollTarget(Action::PageDown);
        break;
    default:
        return; // thumb moves and wheel steps arrive through the scroll bar's value
    }
    // The bar applies its own step after this signal; set the position it will arrive at.
    verticalScrollBar()->setSliderPosition(target);
}

void THexDump::scrollContentsBy(int, int) {
    if (syncingBar_)
        return;
    ApplyTopLine(verticalScrollBar()->value());
}

void THexDump::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.setFont(font());
    const QColor background = viewport()->palette().color(QPalette::Base);
    painter.fillRect(event->rect(), background);
    const int height = state_.ItemHeight();
    const int width = viewport()->width();
    const QFontMetrics fm(font());
    const int baseline = 1 + fm.ascent();
    for (int row = 0; row < state_.VisibleLines(); ++row) {
        const QRect rowRect(0, row * height, width, height);
        if (!event->rect().intersects(rowRect))
            continue;
        const std::optional<THexDumpState::LineBytes> line = state_.Line(state_.TopLine() + row);
        if (!line || !state_.Active() || line->offset >= block_.size())
            continue; // the row stays cleared
        const std::size_t count = std::min(static_cast<std::size_t>(line->count), block_.size() - line->offset);
        const std::span<const std::uint8_t> bytes = block_.subspan(line->offset, count);
        painter.save();
        painter.setClipRect(rowRect);
        const int y = rowRect.top() + baseline;
        if (state_.ShowAddress()) {
            painter.setPen(colors_[AddressColor]);
            painter.drawText(0, y, QString::fromStdString(THexDumpState::AddressText(line->offset)));
        }
        painter.setPen(colors_[HexDataColor]);
        for (std::size_t i = 0; i < bytes.size(); ++i)
            painter.drawText(state_.HexX(static_cast<int>(i)), y,
                             QString::fromStdString(THexDumpState::HexByte(bytes[i])));
        if (state_.ShowCharacters()) {
            painter.setPen(colors_[AnsiCharColor]);
            painter.drawText(state_.CharX(), y, QString::fromStdU16String(THexDumpState::CharText(bytes)));
        }
        painter.restore();
    }
}

void THexDump::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    Relayout();
    viewport()->update();
}

void THexDump::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        ApplyPalette();
    if (event->type() == QEvent::FontChange) {
        UpdateMetrics();
        Relayout();
        viewport()->update();
    }
}

void THexDump::keyPressEvent(QKeyEvent* event) {
    using Key = THexDumpState::Key;
    std::optional<Key> key;
    switch (event->key()) {
    case Qt::Key_PageUp:
        key = Key::PageUp;
        break;
    case Qt::Key_PageDown:
        key = Key::PageDown;
        break;
    case Qt::Key_Home:
        key = Key::Home;
        break;
    case Qt::Key_End:
        key = Key::End;
        break;
    case Qt::Key_Up:
        key = Key::Up;
        break;
    case Qt::Key_Down:
        key = Key::Down;
        break;
    default:
        break;
    }
    if (!key) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
    if (const std::optional<int> target = state_.KeyTarget(*key))
        SetCurrentLine(*target);
}

void THexDump::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::LeftButton && state_.Active()) {
        // Presses on the viewport arrive here in viewport coordinates.
        SetCurrentLine(state_.LineAt(static_cast<int>(event->position().y())));
    }
    event->accept();
}

} // namespace bx::explorer
