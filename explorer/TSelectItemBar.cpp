#include "TSelectItemBar.h"

#include "TImages.h"
#include "TThemeColors.h"

#include <QPainter>
#include <QPalette>

namespace bx::explorer {

namespace {
constexpr int LongMessage = 50;
}

TSelectItemBar::TSelectItemBar(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize TSelectItemBar::sizeHint() const {
    return {200, std::max(20, fontMetrics().height() + 6)};
}

void TSelectItemBar::ShowClip(const QString& title, const QStringList& formatImages) {
    text_ = title;
    images_ = formatImages;
    messageMode_ = false;
    setToolTip(QString());
    update();
}

void TSelectItemBar::ShowMessage(const QString& text) {
    text_ = text;
    images_.clear();
    messageMode_ = true;
    update();
}

void TSelectItemBar::SetShowTypeIcons(bool on) {
    showTypeIcons_ = on;
    update();
}

void TSelectItemBar::SetSuppressed(bool on) {
    suppressed_ = on;
    update();
}

void TSelectItemBar::paintEvent(QPaintEvent*) {
    if (suppressed_)
        return;
    QPainter painter(this);
    const QPalette pal = palette();
    int x = 2;
    if (messageMode_) {
        painter.fillRect(rect(), pal.color(QPalette::Button));
        painter.setPen(TThemeColors(pal).Message());
        if (text_.size() > LongMessage) {
            QFont small = font();
            small.setPointSize(6);
            painter.setFont(small);
        }
    } else {
        painter.fillRect(rect(), pal.color(QPalette::Base));
        painter.setPen(pal.color(QPalette::Text));
        if (showTypeIcons_) {
            const QStringList images = images_.isEmpty() ? QStringList{"CF_UNKNOWN"} : images_;
            x = 0;
            for (const QString& name : images) {
                painter.drawPixmap(x, (height() - 16) / 2, TImages::Get(name, devicePixelRatioF()));
                x += 17;
            }
            x += 4 + 2;
        }
    }
    painter.drawText(QRect(x, 2, width() - x, height() - 2), Qt::AlignLeft | Qt::AlignVCenter, text_);
}

} // namespace bx::explorer
