#pragma once

#include <QStyledItemDelegate>

namespace bx::explorer {

// Draws a clip list's title cells: the clip's format images one after another, then the title, which
// starts after the room for the most images any row of the list shows; the part of the title that the
// list's filter matches is marked.
class TClipTitleDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void SetMaxFormatIcons(int count) { maxFormatIcons_ = count; }
    int MaxFormatIcons() const { return maxFormatIcons_; }
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    int maxFormatIcons_ = 1;
};

} // namespace bx::explorer
