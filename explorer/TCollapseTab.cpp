#include "TCollapseTab.h"

#include <QAction>
#include <QToolBar>

namespace bx::explorer {

TCollapseTab::TCollapseTab(QWidget* parent, const char* objectName) : QToolButton(parent) {
    setObjectName(objectName);
    setFixedWidth(10);
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    setArrowType(Qt::LeftArrow);
    setToolTip("Collapse or expand the toolbar");
    connect(this, &QToolButton::clicked, this, [this] {
        SetExpanded(!expanded_);
        emit Toggled(expanded_);
    });
}

void TCollapseTab::Collapses(QToolBar& bar, QAction* own) {
    for (QAction* action : bar.actions())
        if (action != own)
            actions_.emplace_back(action);
}

void TCollapseTab::Collapses(QWidget* widget) {
    widget_ = widget;
}

void TCollapseTab::SetExpanded(bool expanded) {
    expanded_ = expanded;
    setArrowType(expanded ? Qt::LeftArrow : Qt::RightArrow);
    for (const QPointer<QAction>& action : actions_)
        if (action != nullptr)
            action->setVisible(expanded);
    if (widget_ != nullptr)
        widget_->setVisible(expanded);
}

} // namespace bx::explorer
