#include "TCollapseTab.h"

#include <QAction>
#include <QToolBar>

#include <algorithm>

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
            action->setVisible(expanded && std::find(hidden_.begin(), hidden_.end(), action) == hidden_.end());
    if (widget_ != nullptr)
        widget_->setVisible(expanded);
}

void TCollapseTab::SetItemShown(QAction* action, bool shown) {
    const auto at = std::find(hidden_.begin(), hidden_.end(), action);
    if (!shown && at == hidden_.end())
        hidden_.emplace_back(action);
    else if (shown && at != hidden_.end())
        hidden_.erase(at);
    action->setVisible(shown && expanded_);
}

} // namespace bx::explorer
