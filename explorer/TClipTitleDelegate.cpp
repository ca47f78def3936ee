#include "TClipTitleDelegate.h"

#include "TClipTableModel.h"
#include "TImages.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

namespace bx::explorer {

void TClipTitleDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const QVariant images = index.data(TClipTableModel::FormatImagesRole);
    if (!images.isValid()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    int x = option.rect.left();
    const int y = option.rect.top() + (option.rect.height() - 16) / 2;
    for (const QString& name : images.toStringList()) {
        painter->drawPixmap(x, y, TImages::Get(name, painter->device()->devicePixelRatioF()));
        x += 17;
    }
    QRect textRect = option.rect;
    textRect.setLeft(option.rect.left() + 16 * std::max(maxFormatIcons_, 1) + 4);
    painter->save();
    // The part the filter's text matches stands out.
    if (const QVariant match = index.data(TClipTableModel::FilterMatchRole); match.isValid()) {
        const QPoint part = match.toPoint();
        const QFontMetrics& metrics = option.fontMetrics;
        const int left = textRect.left() + metrics.horizontalAdvance(text.left(part.x()));
        const int width = metrics.horizontalAdvance(text.mid(part.x(), part.y()));
        QRect mark(left, textRect.top() + 1, width, textRect.height() - 2);
        QColor color = option.palette.color(QPalette::Highlight);
        color.setAlpha(option.state & QStyle::State_Selected ? 255 : 90);
        painter->fillRect(mark.intersected(textRect),
                          option.state & QStyle::State_Selected ? QColor(255, 214, 0, 140) : color);
    }
    painter->setPen(option.state & QStyle::State_Selected ? option.palette.color(QPalette::HighlightedText)
                                                          : option.palette.color(QPalette::Text));
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                      option.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width()));
    painter->restore();
}

} // namespace bx::explorer
