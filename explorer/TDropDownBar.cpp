#include "TDropDownBar.h"

#include "TSelectItemBar.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QToolButton>

namespace bx::explorer {

TDropDownBar::TDropDownBar(QWidget* parent) : QWidget(parent) {
    setObjectName("pnlDropDown");
    layout_ = new QHBoxLayout(this);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(1);
    cmdDropDown_ = new QToolButton(this);
    cmdDropDown_->setObjectName("cmdDropDown");
    cmdDropDown_->setArrowType(Qt::DownArrow);
    cmdDropDown_->setCheckable(true);
    cmdDropDown_->setToolTip("Drop the list down (Alt+Down)");
    cmdDropDown_->setFocusPolicy(Qt::NoFocus);
    cmdDropDown_->setFixedSize(22, 22);
    layout_->addStretch(1);
    layout_->addWidget(cmdDropDown_);
    // The button's own toggling is no click: the window sets its state from the layout.
    connect(cmdDropDown_, &QToolButton::clicked, this, [this] {
        SetDropped(!cmdDropDown_->isChecked());
        emit DropDownClicked();
    });
}

void TDropDownBar::Hold(TSelectItemBar* bar, int width) {
    if (held_ != bar) {
        if (held_ != nullptr)
            held_->removeEventFilter(this);
        held_ = bar;
        layout_->insertWidget(0, bar, 0);
        bar->installEventFilter(this);
    }
    bar->setFixedHeight(cmdDropDown_->height());
    bar->setFixedWidth(std::max(width, 10));
}

bool TDropDownBar::Holds(const TSelectItemBar* bar) const {
    return held_ == bar && bar->parentWidget() == this;
}

void TDropDownBar::SetDropped(bool dropped) {
    const QSignalBlocker block(cmdDropDown_);
    cmdDropDown_->setChecked(dropped);
}

bool TDropDownBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == held_ && event->type() == QEvent::MouseButtonPress && Holds(held_) &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        emit BarClicked();
    return QWidget::eventFilter(watched, event);
}

} // namespace bx::explorer
