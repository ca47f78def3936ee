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
    painter->setPen(option.state & QStyle::State_Selected ? option.palette.color(QPalette::HighlightedText)
                                                          : option.palette.color(QPalette::Text));
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                      option.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width()));
    painter->restore();
}

} // namespace bx::explorer
